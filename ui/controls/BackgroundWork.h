#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "base/WorkerThread.h"

// A piece of long work on a thread of its own, so that the window that asked
// for it stays responsive: the work reads CancelRequested and reports its
// progress; the window waits with its messages dispatched and hears of
// progress and of the end by messages.
class BackgroundWork
{
public:
    // Posted to the window given to NotifyWindow: there is new progress
    // (TakeProgress), and the work has ended.
    static constexpr UINT kProgressMessage = WM_APP + 1;
    static constexpr UINT kFinishedMessage = WM_APP + 2;

    struct Progress
    {
        uint64_t done = 0;
        uint64_t total = 0; // 0: not known
        std::wstring text;
    };

    using Work = std::function<void(BackgroundWork&)>;

    // onCancel, when given, runs on the cancelling thread at Cancel: for
    // work that can cut what is under way short (closing its requests).
    explicit BackgroundWork(Work work, std::function<void()> onCancel = {});
    // Asks the work to stop and waits for its thread.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    // Starts the thread; false when none could be had (nothing has run).
    bool Start();
    // Runs the work on this thread instead, as a plain wait.
    void RunHere();
    // Waits up to `milliseconds` for the end, dispatching this thread's
    // messages meanwhile; true once the work has ended. A WM_QUIT met here
    // stops the work, is waited out and is posted again.
    bool WaitForFinish(DWORD milliseconds);
    // Waits for the end without dispatching anything.
    void Join();
    // Where the messages go; null for nowhere. Safe while the work runs.
    void NotifyWindow(HWND window);

    void Cancel();
    bool Cancelled() const { return m_cancel; }
    bool Finished() const { return m_finished; }
    // The work ended by an exception (logged with its text): whatever it
    // achieved is unknown. Read once Finished.
    bool Failed() const { return m_failed; }

    // On the work's thread.
    bool CancelRequested() const { return m_cancel; }
    void Report(uint64_t done, uint64_t total, std::wstring text = {});

    // The progress so far; allows the next progress message.
    Progress TakeProgress();

private:
    void Run() noexcept;
    void Post(UINT message);

    Work m_work;
    std::function<void()> m_onCancel;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_progressPosted{false};
    std::mutex m_lock; // the window and the progress
    HWND m_window = nullptr;
    Progress m_progress;
    WorkerThread m_thread; // last: joined before the members it uses go
};
