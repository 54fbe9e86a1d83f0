#include "ui/controls/CActionMessageDlg.h"

#include <algorithm>

#include "res/resource.h"

namespace {

// The text's id, as in a message box.
constexpr int kTextId = 0xFFFF;

RECT ChildRect(HWND dialog, HWND child)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MoveChild(HWND child, const RECT& r)
{
    SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

LPCWSTR MessageIconResource(UINT icon)
{
    switch (icon & MB_ICONMASK) {
    case MB_ICONERROR:
        return IDI_ERROR;
    case MB_ICONWARNING:
        return IDI_WARNING;
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    default:
        return IDI_INFORMATION;
    }
}

CActionMessageDlg::CActionMessageDlg(std::wstring caption, std::wstring text, UINT icon, std::wstring actionLabel)
    : CDialogBase(IDD_ACTION_MESSAGE), m_caption(std::move(caption)), m_text(std::move(text)), m_icon(icon),
      m_action(std::move(actionLabel))
{
}

bool CActionMessageDlg::OnInitDialog()
{
    SetWindowTextW(Handle(), m_caption.c_str());
    SetItemText(kTextId, m_text);
    SetItemText(IDC_MESSAGE_ACTION, m_action);
    SendItem(IDC_MESSAGE_ICON, STM_SETICON, WPARAM(LoadIconW(nullptr, MessageIconResource(m_icon))));
    FitText();
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    MessageBeep(m_icon & MB_ICONMASK);
    // Enter answers OK, as in a message box.
    SendMessageW(Handle(), WM_NEXTDLGCTL, WPARAM(Item(IDOK)), TRUE);
    return false;
}

bool CActionMessageDlg::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_MESSAGE_ACTION) {
        EndDialog(kActionResult);
        return true;
    }
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(IDOK);
        return true;
    }
    return false;
}

void CActionMessageDlg::FitText()
{
    HWND dialog = Handle();
    HWND text = Item(kTextId);
    HWND action = Item(IDC_MESSAGE_ACTION);
    HWND ok = Item(IDOK);
    if (!text || !action || !ok)
        return;
    const RECT textRect = ChildRect(dialog, text);
    RECT actionRect = ChildRect(dialog, action);
    RECT okRect = ChildRect(dialog, ok);
    const int left = ChildRect(dialog, Item(IDC_MESSAGE_ICON)).left;
    const int gap = okRect.left - actionRect.right;

    HDC dc = GetDC(text);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    auto measure = [&](const std::wstring& s, int width, UINT format) {
        RECT r = {0, 0, width, 0};
        DrawTextW(dc, s.c_str(), int(s.size()), &r, DT_CALCRECT | DT_NOPREFIX | format);
        return r;
    };
    // A long word (a folder's path) widens the window, up to two thirds of
    // the screen.
    const int widest = GetSystemMetrics(SM_CXSCREEN) * 2 / 3 - textRect.left - left;
    int width = textRect.right - textRect.left;
    RECT need = measure(m_text, width, DT_WORDBREAK | DT_EXPANDTABS);
    if (need.right > width)
        width = std::max(width, std::min<int>(need.right, widest));
    need = measure(m_text, width, DT_WORDBREAK | DT_EXPANDTABS);
    // The action button holds its label.
    const RECT label = measure(m_action, 0, DT_SINGLELINE);
    const int actionWidth =
        std::max<int>(actionRect.right - actionRect.left, label.right + 4 * GetSystemMetrics(SM_CXEDGE) + 8);
    SelectObject(dc, old);
    ReleaseDC(text, dc);

    int dx = std::max(0, int(textRect.left + width - textRect.right));
    const int dy = std::max(0, int(textRect.top + need.bottom - textRect.bottom));
    // A label wider than the room left of OK widens the window too.
    dx = std::max(dx, int(left + actionWidth + gap + (okRect.right - okRect.left) - okRect.right));
    MoveChild(text, {textRect.left, textRect.top, textRect.right + dx, textRect.bottom + dy});
    OffsetRect(&okRect, dx, dy);
    MoveChild(ok, okRect);
    MoveChild(action, {okRect.left - gap - actionWidth, actionRect.top + dy, okRect.left - gap, actionRect.bottom + dy});
    RECT window = {};
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + dx, window.bottom - window.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
