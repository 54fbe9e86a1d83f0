#include "ui/controls/BackgroundWork.h"

#include "base/ComApartment.h"

BackgroundWork::BackgroundWork(Work work, std::function<void()> onCancel)
    : m_work(std::move(work)), m_onCancel(std::move(onCancel))
{
}

BackgroundWork::~BackgroundWork()
{
    NotifyWindow(nullptr);
    if (!m_finished)
        Cancel();
    Join();
}

void BackgroundWork::Join()
{
    if (m_thread.Handle())
        WaitForSingleObject(m_thread.Handle(), INFINITE);
}

bool BackgroundWork::Start()
{
    if (m_thread.Joinable())
        return true;
    return m_thread.Start("background work", [this] { Run(); });
}

void BackgroundWork::RunHere()
{
    if (!m_thread.Joinable() && !m_finished)
        Run();
}

void BackgroundWork::Run() noexcept
{
    // The thread owner's catch: an exception is logged, and the work ends
    // as failed instead of taking the program down.
    WorkerThread::Guarded("background work", [this] {
        ComApartment com;
        m_work(*this);
    }, [this](const std::string&) { m_failed = true; });
    m_finished = true;
    Post(kFinishedMessage);
}

void BackgroundWork::Cancel()
{
    if (m_cancel.exchange(true))
        return;
    if (m_onCancel)
        m_onCancel();
}

void BackgroundWork::Post(UINT message)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_window)
        PostMessageW(m_window, message, 0, 0);
}

void BackgroundWork::NotifyWindow(HWND window)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_window = window;
}

void BackgroundWork::Report(uint64_t done, uint64_t total, std::wstring text)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_progress.done = done;
        m_progress.total = total;
        m_progress.text = std::move(text);
    }
    // One message at a time: the window reads the newest when it comes.
    if (!m_progressPosted.exchange(true))
        Post(kProgressMessage);
}

BackgroundWork::Progress BackgroundWork::TakeProgress()
{
    m_progressPosted = false;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_progress;
}

bool BackgroundWork::WaitForFinish(DWORD milliseconds)
{
    if (!m_thread.Joinable())
        return m_finished;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        const DWORD left = milliseconds == INFINITE ? INFINITE : spent >= milliseconds ? 0 : milliseconds - spent;
        HANDLE thread = m_thread.Handle();
        const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return m_finished; // time is up
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                Cancel();
                WaitForSingleObject(thread, INFINITE);
                PostQuitMessage(int(msg.wParam));
                return true;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
