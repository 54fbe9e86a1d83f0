#include "ui/albums/CPhotoPreviewLoader.h"

#include <utility>

#include "base/ComApartment.h"
#include "ui/albums/PhotoPreviewUrl.h"
#include "ui/controls/CWicDecoder.h"

CPhotoPreviewLoader::CPhotoPreviewLoader(PreviewSource source, HWND notify, COLORREF background)
    : m_source(std::move(source)), m_notify(notify), m_background(background)
{
    m_http.acceptUntrustedCertificates = m_source.acceptUntrustedCertificates;
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
        if (!m_busy.empty())
            m_http.Abort();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CPhotoPreviewLoader::Request(const std::wstring& url)
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (url == m_busy) {
            m_pending.clear(); // back to the one already coming
            return;
        }
        m_pending = url;
        if (!m_busy.empty())
            m_http.Abort();
        if (!m_thread.joinable()) {
            try {
                m_thread = std::thread([this] { Run(); });
            } catch (...) {
                m_pending.clear();
                return;
            }
        }
    }
    m_wake.notify_all();
}

bool CPhotoPreviewLoader::TakeResult(Result& result)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_done)
        return false;
    result = std::move(*m_done);
    m_done.reset();
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
        std::wstring url;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_stop || !m_pending.empty(); });
            if (m_stop)
                return;
            url = std::move(m_pending);
            m_pending.clear();
            m_busy = url;
            // An abort meant for the one before must not stop this one.
            m_http.ClearAbort();
            ++m_fetches;
        }
        auto result = std::make_unique<Result>(Load(url, decoder));
        std::lock_guard<std::mutex> lock(m_lock);
        m_busy.clear();
        if (m_stop)
            return;
        if (!m_pending.empty())
            continue; // asked for before the newest: dropped
        m_done = std::move(result);
        PostMessageW(m_notify, kReadyMessage, 0, 0);
    }
}

CPhotoPreviewLoader::Result CPhotoPreviewLoader::Load(const std::wstring& url, CWicDecoder& decoder)
{
    Result result;
    result.url = url;
    m_http.url = url;
    m_http.requestHeaders = PreviewRequestHeaders(url, m_source.photoServer, m_source.token);
    if (!m_http.Send(L"GET")) {
        result.error = ERROR_READ_FAULT;
        return result;
    }
    if (m_http.StatusCode() != L"200") {
        result.error = ERROR_FILE_NOT_FOUND;
        return result;
    }
    result.error = decoder.Decode(m_http.ResponseBytes(), m_http.ResponseLength(), m_background, result.image);
    return result;
}
