#include "ui/photos/CPhotoPreviewLoader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

#include "base/ComApartment.h"
#include "http/WinHttpClient.h"
#include "ui/photos/PhotoPreviewUrl.h"
#include "ui/photos/CWicDecoder.h"

struct CPhotoPreviewLoader::Shared
{
    Shared(PreviewSource source, HWND notify, COLORREF background)
        : source(std::move(source)), notify(notify), background(background)
    {
    }

    // A picture made and not taken yet (under the lock).
    bool IsDone(const Job& job) const
    {
        for (const auto& done : this->done)
            if (done->job == job && done->image)
                return true;
        return false;
    }

    // Wanted now or ahead (under the lock).
    bool IsWanted(const Job& job) const
    {
        return job == pending || std::find(ahead.begin(), ahead.end(), job) != ahead.end();
    }

    const PreviewSource source;
    const HWND notify;
    const COLORREF background;
    WinHttpClient http; // the thread's; Abort comes from the window's thread

    mutable std::mutex lock;
    std::condition_variable wake;
    Job pending; // the newest request not started yet
    Job busy;    // the one under way
    std::vector<Job> ahead; // fetched in turn when nothing else is asked for
    std::deque<std::unique_ptr<Result>> done;
    uint64_t fetches = 0;
    bool stop = false;
};

CPhotoPreviewLoader::CPhotoPreviewLoader(PreviewSource source, HWND notify, COLORREF background)
    : m_shared(std::make_shared<Shared>(std::move(source), notify, background))
{
    WinHttpClient& http = m_shared->http;
    http.acceptUntrustedCertificates = m_shared->source.AcceptsUntrustedCertificates();
    http.textReplies = false; // pictures
    http.largestReply = kLargestReply;
    // A preview nobody waits long for: a stalled server is given up sooner
    // than a feed is.
    http.timeouts.connect = 15000;
    http.timeouts.receive = 15000;
}

CPhotoPreviewLoader::~CPhotoPreviewLoader()
{
    Stop();
    bool busy = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        busy = !m_shared->busy.Empty();
    }
    // An idle thread ends as soon as it wakes; one under way may decode a
    // large picture and is not waited for: it owns what it uses.
    if (busy)
        m_thread.Detach();
    else
        m_thread.Join();
}

void CPhotoPreviewLoader::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        m_shared->stop = true;
        if (!m_shared->busy.Empty())
            m_shared->http.Abort();
        m_shared->done.clear(); // nobody takes them now
    }
    m_shared->wake.notify_all();
}

bool CPhotoPreviewLoader::Stopped() const
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return m_shared->stop;
}

void CPhotoPreviewLoader::Request(const Job& job, const std::vector<Job>& ahead)
{
    Shared& shared = *m_shared;
    {
        std::lock_guard<std::mutex> lock(shared.lock);
        if (shared.stop)
            return;
        // Under way, or done and announced but not taken yet: it comes.
        const bool coming = job.Empty() || job == shared.busy || shared.IsDone(job);
        shared.pending = coming ? Job() : job; // nothing new, or back to the one already coming
        shared.ahead.clear();
        for (const Job& later : ahead)
            if (!later.Empty() && !(later == job) && !(later == shared.busy) && !shared.IsDone(later))
                shared.ahead.push_back(later);
        if (!coming && !shared.busy.Empty() && !shared.IsWanted(shared.busy))
            shared.http.Abort();
        if (shared.pending.Empty() && shared.ahead.empty())
            return;
        if (!StartThread()) {
            shared.pending = Job();
            shared.ahead.clear();
            return;
        }
    }
    shared.wake.notify_all();
}

bool CPhotoPreviewLoader::Start()
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return StartThread();
}

bool CPhotoPreviewLoader::StartThread()
{
    if (m_thread.Joinable())
        return true;
    if (m_shared->stop)
        return false;
    const std::shared_ptr<Shared> shared = m_shared;
    return m_thread.Start("preview", [shared] { Run(shared); }, [shared](const std::string&) {
        // The thread is gone: the picture under way fails in the pane, and
        // nothing more is fetched.
        std::lock_guard<std::mutex> lock(shared->lock);
        auto failed = std::make_unique<Result>();
        failed->job = shared->busy;
        failed->error = ERROR_INTERNAL_ERROR;
        shared->pending = Job();
        shared->ahead.clear();
        shared->busy = Job();
        if (shared->stop || failed->job.Empty())
            return;
        shared->done.push_back(std::move(failed));
        PostMessageW(shared->notify, kReadyMessage, 0, 0);
    });
}

bool CPhotoPreviewLoader::TakeResult(Result& result)
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    if (m_shared->done.empty())
        return false;
    result = std::move(*m_shared->done.front());
    m_shared->done.pop_front();
    return true;
}

uint64_t CPhotoPreviewLoader::Fetches() const
{
    std::lock_guard<std::mutex> lock(m_shared->lock);
    return m_shared->fetches;
}

void CPhotoPreviewLoader::Run(std::shared_ptr<Shared> owned)
{
    Shared& shared = *owned;
    ComApartment com; // the imaging component is a COM object
    CWicDecoder decoder; // made once, in this thread's apartment
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(shared.lock);
            shared.wake.wait(lock, [&] { return shared.stop || !shared.pending.Empty() || !shared.ahead.empty(); });
            if (shared.stop)
                return;
            // The selected photo first; the next ones only when nothing else
            // is asked for, the nearest first.
            if (!shared.pending.Empty()) {
                job = std::move(shared.pending);
                shared.pending = Job();
            } else {
                job = std::move(shared.ahead.front());
                shared.ahead.erase(shared.ahead.begin());
            }
            shared.busy = job;
            // An abort meant for the one before must not stop this one.
            shared.http.ClearAbort();
            ++shared.fetches;
        }
        auto result = std::make_unique<Result>(Load(shared, job, decoder));
        std::lock_guard<std::mutex> lock(shared.lock);
        shared.busy = Job();
        if (shared.stop)
            return;
        // Kept even when a newer one was asked for meanwhile: the window
        // shows only the picture it waits for, and keeps the others.
        shared.done.push_back(std::move(result));
        PostMessageW(shared.notify, kReadyMessage, 0, 0);
    }
}

CPhotoPreviewLoader::Result CPhotoPreviewLoader::Load(Shared& shared, const Job& job, CWicDecoder& decoder)
{
    WinHttpClient& http = shared.http;
    const std::wstring& url = job.url;
    Result result;
    result.job = job;
    http.url = url;
    // One connection for picture after picture, as the feeds keep theirs.
    http.requestHeaders = shared.source.HeadersFor(url) + L"Connection: Keep-Alive\r\n";
    if (!http.Send(L"GET")) {
        result.error = http.LastError() == ERROR_FILE_TOO_LARGE ? ERROR_FILE_TOO_LARGE : ERROR_READ_FAULT;
        return result;
    }
    if (http.StatusCode() != L"200") {
        result.error = ERROR_FILE_NOT_FOUND;
        return result;
    }
    {
        // Left behind by the window: nobody will see the picture.
        std::lock_guard<std::mutex> lock(shared.lock);
        if (shared.stop) {
            result.error = ERROR_CANCELLED;
            return result;
        }
    }
    result.error =
        decoder.Decode(http.ResponseBytes(), http.ResponseLength(), shared.background, result.image, job.box);
    return result;
}
