#include "ui/albums/CPhotoPreviewLoader.h"

#include <algorithm>
#include <utility>

#include "base/ComApartment.h"
#include "ui/albums/PhotoPreviewUrl.h"
#include "ui/controls/CWicDecoder.h"

CPhotoPreviewLoader::CPhotoPreviewLoader(PreviewSource source, HWND notify, COLORREF background)
    : m_source(std::move(source)), m_notify(notify), m_background(background)
{
    m_http.acceptUntrustedCertificates = m_source.acceptUntrustedCertificates;
    m_http.textReplies = false; // pictures
    // A preview nobody waits long for: a stalled server is given up sooner
    // than a feed is.
    m_http.timeouts.connect = 15000;
    m_http.timeouts.receive = 15000;
}

CPhotoPreviewLoader::~CPhotoPreviewLoader()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
        if (!m_busy.Empty())
            m_http.Abort();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CPhotoPreviewLoader::Request(const Job& job, const std::vector<Job>& ahead)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        // Under way, or done and announced but not taken yet: it comes.
        const bool coming = job.Empty() || job == m_busy || IsDone(job);
        m_pending = coming ? Job() : job; // nothing new, or back to the one already coming
        m_ahead.clear();
        for (const Job& later : ahead)
            if (!later.Empty() && !(later == job) && !(later == m_busy) && !IsDone(later))
                m_ahead.push_back(later);
        if (!coming && !m_busy.Empty() && !IsWanted(m_busy))
            m_http.Abort();
        if (m_pending.Empty() && m_ahead.empty())
            return;
        if (!StartThread()) {
            m_pending = Job();
            m_ahead.clear();
            return;
        }
    }
    m_wake.notify_all();
}

bool CPhotoPreviewLoader::Start()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return StartThread();
}

bool CPhotoPreviewLoader::StartThread()
{
    if (m_thread.joinable())
        return true;
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (...) {
        return false;
    }
    return true;
}

bool CPhotoPreviewLoader::IsDone(const Job& job) const
{
    for (const auto& done : m_done)
        if (done->job == job && done->image)
            return true;
    return false;
}

bool CPhotoPreviewLoader::IsWanted(const Job& job) const
{
    return job == m_pending || std::find(m_ahead.begin(), m_ahead.end(), job) != m_ahead.end();
}

bool CPhotoPreviewLoader::TakeResult(Result& result)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_done.empty())
        return false;
    result = std::move(*m_done.front());
    m_done.pop_front();
    return true;
}

uint64_t CPhotoPreviewLoader::Fetches() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_fetches;
}

void CPhotoPreviewLoader::Run()
{
    ComApartment com; // the imaging component is a COM object
    CWicDecoder decoder; // made once, in this thread's apartment
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_stop || !m_pending.Empty() || !m_ahead.empty(); });
            if (m_stop)
                return;
            // The selected photo first; the next ones only when nothing else
            // is asked for, the nearest first.
            if (!m_pending.Empty()) {
                job = std::move(m_pending);
                m_pending = Job();
            } else {
                job = std::move(m_ahead.front());
                m_ahead.erase(m_ahead.begin());
            }
            m_busy = job;
            // An abort meant for the one before must not stop this one.
            m_http.ClearAbort();
            ++m_fetches;
        }
        auto result = std::make_unique<Result>(Load(job, decoder));
        std::lock_guard<std::mutex> lock(m_lock);
        m_busy = Job();
        if (m_stop)
            return;
        // Kept even when a newer one was asked for meanwhile: the window
        // shows only the picture it waits for, and keeps the others.
        m_done.push_back(std::move(result));
        PostMessageW(m_notify, kReadyMessage, 0, 0);
    }
}

CPhotoPreviewLoader::Result CPhotoPreviewLoader::Load(const Job& job, CWicDecoder& decoder)
{
    const std::wstring& url = job.url;
    Result result;
    result.job = job;
    m_http.url = url;
    // One connection for picture after picture, as the feeds keep theirs.
    m_http.requestHeaders = PreviewRequestHeaders(url, m_source.photoServer, m_source.token) + L"Connection: Keep-Alive\r\n";
    if (!m_http.Send(L"GET")) {
        result.error = ERROR_READ_FAULT;
        return result;
    }
    if (m_http.StatusCode() != L"200") {
        result.error = ERROR_FILE_NOT_FOUND;
        return result;
    }
    result.error = decoder.Decode(m_http.ResponseBytes(), m_http.ResponseLength(), m_background, result.image, job.box);
    return result;
}
