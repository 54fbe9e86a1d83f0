#pragma once
#include <windows.h>

#include <string>

#include "base/ScopedHandles.h"

// A dialog from a template of the language module, run modally or
// modelessly, with its messages dispatched to virtual handlers.
//
// Handlers run on the dialog's thread. A handler that returns true has
// handled the message; the base then stores its result (DWLP_MSGRESULT or the
// direct return value, as the message requires).
class CDialogBase
{
public:
    explicit CDialogBase(UINT templateId);
    virtual ~CDialogBase(); // destroys a modeless window that is still open

    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;

    // Runs the dialog modally; returns the code given to EndDialog, or -1
    // when the template is missing.
    INT_PTR DoModal(HWND owner);

    // Creates the dialog modelessly (visible when its template says so);
    // null when the template is missing. EndDialog then destroys the window.
    HWND Create(HWND owner);

    // Ends a modal run with this code, or records the code and destroys a
    // modeless window.
    void EndDialog(INT_PTR code);

    HWND Handle() const { return m_hWnd; }
    UINT TemplateId() const { return m_templateId; }
    bool IsModal() const { return m_modal; }
    // The code EndDialog was given; -1 until then.
    INT_PTR Result() const { return m_result; }

    // Item helpers.
    HWND Item(int id) const;
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text) const;
    bool IsChecked(int id) const;
    void SetCheck(int id, bool checked) const;
    void EnableItem(int id, bool enable) const;
    LRESULT SendItem(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Large and small window icons from the language module's icon.
    void SetIcons(UINT iconId);

    // F1 shows this string of the language module in a message box (0: no
    // help).
    void SetHelpText(UINT stringId) { m_helpTextId = stringId; }
    UINT HelpTextId() const { return m_helpTextId; }
    void ShowHelp();

protected:
    // WM_INITDIALOG: return true to let the dialog manager set the focus,
    // false after setting it yourself.
    virtual bool OnInitDialog() { return true; }
    // WM_COMMAND. The default ends the dialog on IDOK and IDCANCEL.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual bool OnNotify(NMHDR* header, LRESULT& result);
    virtual bool OnSize(UINT type, int width, int height);
    // WM_CLOSE; unhandled, the dialog manager turns it into IDCANCEL.
    virtual bool OnClose() { return false; }
    virtual void OnDestroy() {}
    // Every message before the specific handlers; true stops dispatch.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A key pressed in the dialog or one of its controls (WM_KEYDOWN or
    // WM_SYSKEYDOWN), before the dialog manager makes a command of it (Enter,
    // Escape, Tab ...): a modal dialog's loop translates no accelerators, so
    // a window's own keys are taken here. True: taken. The base shows the
    // help on F1.
    virtual bool OnDialogKey(const MSG& key);

    // Sends notifications and owner-draw messages that no handler took back
    // to the control they came from (code + OCM_BASE), so control classes can
    // handle their own. Off unless a dialog turns it on.
    void SetReflectNotifications(bool reflect) { m_reflect = reflect; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog manager's loop (IsDialogMessage) hands every message to
    // the thread's message filter first; the open dialogs of the thread see
    // their keys there.
    static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);
    void WatchKeys();
    void UnwatchKeys();
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ReleaseIcons();

    UINT m_templateId;
    HWND m_hWnd = nullptr;
    bool m_modal = false;
    bool m_reflect = false;
    INT_PTR m_result = -1;
    UINT m_iconId = 0;
    UINT m_helpTextId = 0;
    UniqueIcon m_largeIcon;
    UniqueIcon m_smallIcon;
};

// Offset of reflected messages (the platform's OCM_BASE).
constexpr UINT kReflectedMessageBase = WM_USER + 0x1c00;

// Centres a window on its owner when the owner is visible and not minimised,
// else on the work area of the nearest monitor; then moves it as little as
// needed to lie inside that monitor's work area.
void CenterWindowInWorkArea(HWND window, HWND owner);

// The rectangle logic of CenterWindowInWorkArea: window centred over 'over',
// then kept inside workArea (right and bottom edges first, then left and top).
RECT CenteredRect(const RECT& window, const RECT& over, const RECT& workArea);
