#pragma once
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "http/WinHttpClient.h"
#include "ui/controls/CDibImage.h"

class CWicDecoder;

// Where preview pictures come from: the photo server (the one origin that
// gets the token), the token, and the certificate choice of the session.
struct PreviewSource
{
    std::wstring photoServer;
    std::wstring token;
    bool acceptUntrustedCertificates = false;
};

// Fetches and decodes preview pictures on a thread of its own, one at a time,
// with a connection of its own. Only the newest request counts: a newer one
// stops the fetch under way and replaces one still waiting. With nothing
// else to do it fetches the pictures likely wanted next (the next rows'). A
// finished picture is announced to the window with kReadyMessage; the window
// then takes it, and shows it only if it is still the one it waits for.
class CPhotoPreviewLoader
{
public:
    static constexpr UINT kReadyMessage = WM_APP + 31;

    // A picture's address and the box it is made to fit.
    struct Job
    {
        std::wstring url;
        SIZE box = {0, 0};
        bool operator==(const Job& other) const
        {
            return url == other.url && box.cx == other.box.cx && box.cy == other.box.cy;
        }
        bool Empty() const { return url.empty(); }
    };

    struct Result
    {
        Job job;
        DWORD error = ERROR_SUCCESS; // the fetch's or the decoding's
        std::unique_ptr<CDibImage> image;
    };

    // The thread starts with Start or the first request.
    CPhotoPreviewLoader(PreviewSource source, HWND notify, COLORREF background);
    // Stops the fetch under way and waits for the thread.
    ~CPhotoPreviewLoader();
    CPhotoPreviewLoader(const CPhotoPreviewLoader&) = delete;
    CPhotoPreviewLoader& operator=(const CPhotoPreviewLoader&) = delete;

    // Starts the thread and readies its imaging component, so that the first
    // picture asked for does not wait for them. False when no thread starts.
    bool Start();
    // `job` (none: nothing new), then, when the thread has nothing else to
    // do, the jobs of `ahead` in turn (they replace those asked for before).
    // Never waits for the network.
    void Request(const Job& job, const std::vector<Job>& ahead);
    void Request(const Job& job) { Request(job, {}); }
    // The oldest picture announced and not taken yet.
    bool TakeResult(Result& result);
    // Requests sent so far.
    uint64_t Fetches() const;

private:
    void Run();
    // Under the lock.
    bool StartThread();
    // A picture made and not taken yet (under the lock).
    bool IsDone(const Job& job) const;
    // Wanted now or ahead (under the lock).
    bool IsWanted(const Job& job) const;
    Result Load(const Job& job, CWicDecoder& decoder);

    const PreviewSource m_source;
    const HWND m_notify;
    const COLORREF m_background;
    WinHttpClient m_http; // the thread's; Abort comes from the window's thread

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    Job m_pending; // the newest request not started yet
    Job m_busy;    // the one under way
    std::vector<Job> m_ahead; // fetched in turn when nothing else is asked for
    std::deque<std::unique_ptr<Result>> m_done;
    uint64_t m_fetches = 0;
    bool m_stop = false;
    std::thread m_thread;
};
