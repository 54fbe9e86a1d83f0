#pragma once
#include <windows.h>

#include <string>

#include "ui/controls/CDialogBase.h"

class BackgroundWork;

// The long work that runs for a window, if any: while `work` is set the
// client belongs to it, and the window stops it (Cancel) rather than touch
// the client, for instance when it is closed meanwhile.
struct RunningWork
{
    BackgroundWork* work = nullptr;
};

// The progress of long work over the window that asked for it: a caption, a
// bar, the work's own progress line and Cancel. It ends by itself when the
// work ends, with 1, or with 2 after Cancel.
class CProgressDlg : public CDialogBase
{
public:
    // Work shorter than this shows no window.
    static constexpr DWORD kShowAfterMs = 500;

    // Whether the window offers Cancel. Work that cannot be cut once it has
    // begun (a change sent to the service) offers none, so that no one is
    // told it stopped when it went on to the end.
    enum class Cancel
    {
        Offered,
        NotOffered,
    };

    // Runs the work off the window's thread (on it, as a plain wait, when no
    // thread can be had), showing this window over `owner` once the work has
    // taken kShowAfterMs; `owner` takes no input meanwhile, and its messages
    // are dispatched. caption: the window's title (empty: the template's).
    // `running`, when given, names the work while it runs. False when the
    // user cancelled.
    static bool Run(HWND owner, BackgroundWork& work, const std::wstring& caption, RunningWork* running = nullptr,
                    Cancel cancel = Cancel::Offered);

    CProgressDlg(BackgroundWork& work, HWND owner, std::wstring caption, Cancel cancel = Cancel::Offered);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    void ShowProgress();
    void Finish();

    BackgroundWork& m_work;
    HWND m_owner;
    std::wstring m_caption;
    Cancel m_cancel;
};
