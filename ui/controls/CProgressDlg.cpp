#include "ui/controls/CProgressDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "ui/controls/BackgroundWork.h"

namespace {

// Keeps a window from taking input while in scope, if it took it before;
// the control that had the keyboard has it again afterwards.
class ScopedDisabledWindow
{
public:
    explicit ScopedDisabledWindow(HWND window)
        : m_window(window && IsWindowEnabled(window) ? window : nullptr)
    {
        if (!m_window)
            return;
        const HWND focus = GetFocus();
        m_focus = focus && IsChild(m_window, focus) ? focus : nullptr;
        EnableWindow(m_window, FALSE);
    }
    ~ScopedDisabledWindow()
    {
        if (!m_window)
            return;
        EnableWindow(m_window, TRUE);
        if (m_focus && IsWindow(m_focus) && GetActiveWindow() == m_window)
            SetFocus(m_focus);
    }
    ScopedDisabledWindow(const ScopedDisabledWindow&) = delete;
    ScopedDisabledWindow& operator=(const ScopedDisabledWindow&) = delete;

private:
    HWND m_window;
    HWND m_focus = nullptr;
};

// Names the work to the window while it runs: messages dispatched during
// the wait (a close, say) must not reach the client under it.
class ScopedRunningWork
{
public:
    ScopedRunningWork(RunningWork* running, BackgroundWork& work) : m_running(running)
    {
        if (m_running)
            m_running->work = &work;
    }
    ~ScopedRunningWork()
    {
        if (m_running)
            m_running->work = nullptr;
    }
    ScopedRunningWork(const ScopedRunningWork&) = delete;
    ScopedRunningWork& operator=(const ScopedRunningWork&) = delete;

private:
    RunningWork* m_running;
};

} // namespace

bool CProgressDlg::Run(HWND owner, BackgroundWork& work, const std::wstring& caption, RunningWork* running,
                       Cancel cancel)
{
    if (!work.Start()) {
        work.RunHere();
        return !work.Cancelled();
    }
    ScopedRunningWork announce(running, work);
    // The owner's commands would use the client that the work holds.
    ScopedDisabledWindow busy(owner);
    if (!work.WaitForFinish(kShowAfterMs)) {
        CProgressDlg dialog(work, owner, caption, cancel);
        if (dialog.DoModal(owner) == -1)
            work.WaitForFinish(INFINITE); // no template: wait without a window
    }
    return !work.Cancelled();
}

CProgressDlg::CProgressDlg(BackgroundWork& work, HWND owner, std::wstring caption, Cancel cancel)
    : CDialogBase(IDD_PROGRESS), m_work(work), m_owner(owner), m_caption(std::move(caption)), m_cancel(cancel)
{
}

bool CProgressDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    if (!m_caption.empty())
        SetWindowTextW(Handle(), m_caption.c_str());
    if (m_cancel == Cancel::NotOffered) {
        // Neither the button nor the close box: Escape is ignored too.
        EnableItem(IDCANCEL, false);
        ShowWindow(Item(IDCANCEL), SW_HIDE);
        if (HMENU menu = GetSystemMenu(Handle(), FALSE))
            EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    }
    CenterWindowInWorkArea(Handle(), m_owner);
    m_work.NotifyWindow(Handle());
    ShowProgress();
    // Ended before the window could hear of it: no message is coming.
    if (m_work.Finished())
        PostMessageW(Handle(), BackgroundWork::kFinishedMessage, 0, 0);
    return true;
}

bool CProgressDlg::OnCommand(int id, int, HWND)
{
    if (id == IDCANCEL) {
        // The window stays until the work under way has come back.
        if (m_cancel == Cancel::Offered && !m_work.Cancelled()) {
            m_work.Cancel();
            EnableItem(IDCANCEL, false);
            SetItemText(IDC_LOAD_TEXT, ResourceString(IDS_LOAD_CANCELLING));
        }
        return true;
    }
    return id == IDOK; // Enter does not end the work
}

bool CProgressDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result)
{
    if (message == BackgroundWork::kProgressMessage) {
        ShowProgress();
        result = 0;
        return true;
    }
    if (message == BackgroundWork::kFinishedMessage) {
        Finish();
        result = 0;
        return true;
    }
    return false;
}

void CProgressDlg::OnDestroy()
{
    m_work.NotifyWindow(nullptr);
}

void CProgressDlg::ShowProgress()
{
    const BackgroundWork::Progress progress = m_work.TakeProgress();
    // The bar's range is an int: large counts are shown in proportion.
    const uint64_t total = std::max(progress.done, progress.total);
    const uint64_t scale = total > 0x7FFFFFFF ? total / 0x7FFFFFFF + 1 : 1;
    SendItem(IDC_LOAD_PROGRESS, PBM_SETRANGE32, 0, LPARAM(total == 0 ? 1 : total / scale));
    SendItem(IDC_LOAD_PROGRESS, PBM_SETPOS, WPARAM(progress.done / scale));
    if (!m_work.Cancelled())
        SetItemText(IDC_LOAD_TEXT, progress.text);
}

void CProgressDlg::Finish()
{
    m_work.NotifyWindow(nullptr);
    // Given back before this window goes, so that the owner is the window
    // that becomes active again.
    if (m_owner)
        EnableWindow(m_owner, TRUE);
    EndDialog(m_work.Cancelled() ? IDCANCEL : IDOK);
}
