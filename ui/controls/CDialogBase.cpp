#include "ui/controls/CDialogBase.h"

#include "app/CAppModule.h"
#include "app/ResourceText.h"
#include "ui/controls/CallbackGuard.h"
#include "ui/controls/DpiMetrics.h"

#include <algorithm>
#include <vector>

namespace {

// The dialogs of this thread that take their keys, and the filter that
// hands them over.
struct KeyWatch
{
    HHOOK hook = nullptr;
    std::vector<CDialogBase*> dialogs;
};
thread_local KeyWatch t_keyWatch;

} // namespace

CDialogBase::CDialogBase(UINT templateId) : m_templateId(templateId) {}

CDialogBase::~CDialogBase()
{
    if (m_hWnd) {
        // Detach first: the derived part is gone, so no handler may run.
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        if (!m_modal)
            DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    UnwatchKeys();
    ReleaseIcons();
}

void CDialogBase::WatchKeys()
{
    KeyWatch& watch = t_keyWatch;
    if (std::find(watch.dialogs.begin(), watch.dialogs.end(), this) != watch.dialogs.end())
        return;
    if (!watch.hook)
        watch.hook = SetWindowsHookExW(WH_MSGFILTER, MessageFilterProc, nullptr, GetCurrentThreadId());
    watch.dialogs.push_back(this);
}

void CDialogBase::UnwatchKeys()
{
    KeyWatch& watch = t_keyWatch;
    watch.dialogs.erase(std::remove(watch.dialogs.begin(), watch.dialogs.end(), this), watch.dialogs.end());
    if (watch.dialogs.empty() && watch.hook) {
        UnhookWindowsHookEx(watch.hook);
        watch.hook = nullptr;
    }
}

LRESULT CALLBACK CDialogBase::MessageFilterProc(int code, WPARAM wParam, LPARAM lParam)
{
    const KeyWatch& watch = t_keyWatch;
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg && msg->hwnd && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)) {
        HWND root = GetAncestor(msg->hwnd, GA_ROOT);
        CDialogBase* owner = nullptr;
        for (CDialogBase* dialog : watch.dialogs)
            if (dialog->m_hWnd && dialog->m_hWnd == root)
                owner = dialog;
        bool taken = false;
        if (owner) {
            try {
                taken = owner->OnDialogKey(*msg);
            } catch (const std::exception& failure) {
                ReportCallbackFailure("a dialog's key", msg->message, &failure);
            } catch (...) {
                ReportCallbackFailure("a dialog's key", msg->message, nullptr);
            }
        }
        if (taken)
            return TRUE;
    }
    return CallNextHookEx(watch.hook, code, wParam, lParam);
}

bool CDialogBase::OnDialogKey(const MSG& key)
{
    if (key.message == WM_KEYDOWN && key.wParam == VK_F1 && m_helpTextId) {
        ShowHelp();
        return true;
    }
    return false;
}

void CDialogBase::ShowHelp()
{
    if (!m_hWnd || !m_helpTextId)
        return;
    // The window's own title says what the help is about.
    std::wstring caption(size_t(GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    caption.resize(size_t(std::max(GetWindowTextW(m_hWnd, caption.data(), int(caption.size())), 0)));
    MessageBoxW(m_hWnd, ResourceString(m_helpTextId).c_str(), caption.c_str(), MB_ICONINFORMATION | MB_OK);
}

INT_PTR CDialogBase::DoModal(HWND owner)
{
    m_modal = true;
    m_result = -1;
    return DialogBoxParamW(CAppModule::ResourceInstance(), MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND CDialogBase::Create(HWND owner)
{
    m_modal = false;
    m_result = -1;
    return CreateDialogParamW(CAppModule::ResourceInstance(), MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDialogBase::EndDialog(INT_PTR code)
{
    m_result = code;
    if (!m_hWnd)
        return;
    if (m_modal)
        ::EndDialog(m_hWnd, code);
    else
        DestroyWindow(m_hWnd);
}

HWND CDialogBase::Item(int id) const
{
    return m_hWnd ? GetDlgItem(m_hWnd, id) : nullptr;
}

std::wstring CDialogBase::ItemText(int id) const
{
    HWND item = Item(id);
    if (!item)
        return L"";
    int length = GetWindowTextLengthW(item);
    std::wstring text(size_t(length) + 1, L'\0');
    int copied = GetWindowTextW(item, text.data(), length + 1);
    text.resize(size_t(std::max(copied, 0)));
    return text;
}

void CDialogBase::SetItemText(int id, const std::wstring& text) const
{
    if (m_hWnd)
        SetDlgItemTextW(m_hWnd, id, text.c_str());
}

bool CDialogBase::IsChecked(int id) const
{
    return m_hWnd && IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

void CDialogBase::SetCheck(int id, bool checked) const
{
    if (m_hWnd)
        CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CDialogBase::EnableItem(int id, bool enable) const
{
    if (HWND item = Item(id))
        EnableWindow(item, enable);
}

LRESULT CDialogBase::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_hWnd ? SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam) : 0;
}

void CDialogBase::SetIcons(UINT iconId)
{
    if (!m_hWnd)
        return;
    HINSTANCE module = CAppModule::ResourceInstance();
    // Sized for the window's DPI; a DPI change loads them again.
    m_iconId = iconId;
    UniqueIcon large(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                   WindowMetric(m_hWnd, SM_CXICON), WindowMetric(m_hWnd, SM_CYICON), 0)));
    UniqueIcon small(static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                   WindowMetric(m_hWnd, SM_CXSMICON), WindowMetric(m_hWnd, SM_CYSMICON),
                                                   0)));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large.get()));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The window no longer uses the previous pair.
    m_largeIcon = std::move(large);
    m_smallIcon = std::move(small);
}

void CDialogBase::ReleaseIcons()
{
    m_largeIcon.reset();
    m_smallIcon.reset();
}

bool CDialogBase::OnCommand(int id, int, HWND)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}

bool CDialogBase::OnNotify(NMHDR*, LRESULT&)
{
    return false;
}

bool CDialogBase::OnSize(UINT, int, int)
{
    return false;
}

bool CDialogBase::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

bool CDialogBase::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    HWND child = nullptr;
    switch (message) {
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_DRAWITEM:
        if (wParam)
            child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (wParam)
            child = GetDlgItem(m_hWnd, int(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID));
        break;
    case WM_DELETEITEM:
        if (wParam)
            child = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
        break;
    default:
        return false;
    }
    if (!child || !IsWindow(child))
        return false;
    result = SendMessageW(child, kReflectedMessageBase + message, wParam, lParam);
    return true;
}

INT_PTR CDialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    bool handled = OnMessage(message, wParam, lParam, result);
    if (!handled) {
        switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            handled = OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            break;
        case WM_NOTIFY:
            handled = OnNotify(reinterpret_cast<NMHDR*>(lParam), result);
            break;
        case WM_SIZE:
            handled = OnSize(UINT(wParam), LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_CLOSE:
            handled = OnClose();
            break;
        case WM_HELP:
            // F1 where the key did not pass the dialog's loop first.
            if (m_helpTextId) {
                ShowHelp();
                result = TRUE;
                handled = true;
            }
            break;
        case WM_DESTROY:
            OnDestroy();
            break;
        case kDpiChangedMessage:
            // The dialog manager rescales the window and its controls; only
            // the icons are the dialog's own.
            if (m_iconId)
                SetIcons(m_iconId);
            break;
        default:
            break;
        }
    }
    if (!handled && m_reflect && m_hWnd)
        handled = Reflect(message, wParam, lParam, result);
    if (!handled)
        return FALSE;

    switch (message) {
    // These return their value directly instead of through DWLP_MSGRESULT.
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return INT_PTR(result);
    default:
        if (m_hWnd)
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialogBase* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogBase*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
        self->WatchKeys();
    } else {
        self = reinterpret_cast<CDialogBase*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR rc = FALSE;
    try {
        rc = self->Dispatch(message, wParam, lParam);
    } catch (const std::exception& failure) {
        ReportCallbackFailure("a dialog", message, &failure);
    } catch (...) {
        ReportCallbackFailure("a dialog", message, nullptr);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        self->UnwatchKeys();
        self->ReleaseIcons();
    }
    return rc;
}

RECT CenteredRect(const RECT& window, const RECT& over, const RECT& workArea)
{
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG left = over.left + ((over.right - over.left) - width) / 2;
    LONG top = over.top + ((over.bottom - over.top) - height) / 2;
    if (left + width > workArea.right)
        left = workArea.right - width;
    if (top + height > workArea.bottom)
        top = workArea.bottom - height;
    if (left < workArea.left)
        left = workArea.left;
    if (top < workArea.top)
        top = workArea.top;
    return RECT{left, top, left + width, top + height};
}

void CenterWindowInWorkArea(HWND window, HWND owner)
{
    if (!window)
        return;
    RECT windowRect;
    GetWindowRect(window, &windowRect);
    const bool useOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);

    HMONITOR monitor = MonitorFromWindow(useOwner ? owner : window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);

    RECT over = info.rcWork;
    if (useOwner)
        GetWindowRect(owner, &over);
    RECT placed = CenteredRect(windowRect, over, info.rcWork);
    SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
