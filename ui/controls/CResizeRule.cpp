#include "ui/controls/CResizeRule.h"

#include "ui/controls/DpiMetrics.h"

#include <algorithm>

namespace {
// Posted to the dialog on a DPI change, so that the rule looks at the
// controls after the system has rescaled them.
UINT RecaptureMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Quillon.ResizeRule.Recapture");
    return message;
}
} // namespace

RECT CResizeRule::Place(const RECT& initial, unsigned anchor, int dx, int dy)
{
    RECT r = initial;
    if (anchor & ResizeMoveX) {
        r.left += dx;
        r.right += dx;
    } else if (anchor & ResizeSizeX) {
        r.right += dx;
    }
    if (anchor & ResizeLeftHalfX)
        r.left += dx / 2;
    if (anchor & ResizeRightHalfX)
        r.right += dx / 2;
    if (anchor & ResizeMoveY) {
        r.top += dy;
        r.bottom += dy;
    } else if (anchor & ResizeSizeY) {
        r.bottom += dy;
    }
    return r;
}

RECT CResizeRule::Unplace(const RECT& placed, unsigned anchor, int dx, int dy)
{
    return Place(placed, anchor, -dx, -dy);
}

RECT CResizeRule::ControlRect(int id) const
{
    RECT r = {0, 0, 0, 0};
    if (HWND control = GetDlgItem(m_dialog, id)) {
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

bool CResizeRule::Init(HWND dialog, const ResizeItem* items, size_t count, bool grip)
{
    if (!dialog || !IsWindow(dialog))
        return false;
    m_dialog = dialog;
    m_entries.clear();
    m_dpi = WindowDpi(dialog);
    m_pendingDpi = 0;

    RECT client;
    GetClientRect(dialog, &client);

    // A thick frame takes client space: grow the window so that the client
    // area keeps the size the template was laid out for.
    LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    style |= WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    SetWindowLongPtrW(dialog, GWL_STYLE, style);
    RECT frame = client;
    AdjustWindowRectForWindow(dialog, frame, DWORD(style), GetMenu(dialog) != nullptr,
                              DWORD(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    // With a thick frame the system holds the window within its maximum
    // tracking size, by default the screen's: a layout wider or taller than
    // the screen (a large DPI on a small one) would be cut. The minimum is
    // known first, and the maximum is kept at least as large (WM_GETMINMAXINFO).
    m_minTrack = {frame.right - frame.left, frame.bottom - frame.top};
    SetWindowPos(dialog, nullptr, 0, 0, m_minTrack.cx, m_minTrack.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    GetClientRect(dialog, &client);
    m_initialClient = {client.right - client.left, client.bottom - client.top};
    RECT window;
    GetWindowRect(dialog, &window);
    m_minTrack = {window.right - window.left, window.bottom - window.top};

    if (grip && !GetDlgItem(dialog, kGripId)) {
        int cx = WindowMetric(dialog, SM_CXVSCROLL);
        int cy = WindowMetric(dialog, SM_CYHSCROLL);
        CreateWindowExW(0, L"SCROLLBAR", L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                        client.right - cx, client.bottom - cy, cx, cy, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGripId)), nullptr, nullptr);
    }

    m_groupBoxes.clear();
    CGroupBoxBackground::AttachAll(dialog, m_groupBoxes);

    auto add = [&](int id, unsigned anchor) {
        if (GetDlgItem(dialog, id))
            m_entries.push_back(Entry{id, anchor, ControlRect(id)});
    };
    for (size_t i = 0; i < count; ++i)
        add(items[i].id, items[i].anchor);
    if (grip)
        add(kGripId, ResizeMoveX | ResizeMoveY);
    return true;
}

void CResizeRule::Layout(int clientWidth, int clientHeight)
{
    if (!m_dialog || m_entries.empty())
        return;
    const int dx = clientWidth - m_initialClient.cx;
    const int dy = clientHeight - m_initialClient.cy;
    HDWP batch = BeginDeferWindowPos(int(m_entries.size()));
    for (const Entry& e : m_entries) {
        HWND control = GetDlgItem(m_dialog, e.id);
        if (!control)
            continue;
        RECT r = Place(e.initial, e.anchor, dx, dy);
        if (batch)
            batch = DeferWindowPos(batch, control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        else
            SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch)
        EndDeferWindowPos(batch);
    // A control that only moved keeps the pixels copied along with it, and
    // a clip-children dialog does not paint over them: every control is
    // painted anew, or a maximize leaves stale half-buttons behind.
    RedrawWindow(m_dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CResizeRule::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_dialog)
        return;
    switch (message) {
    case WM_SIZE:
        // During a DPI change the system places the controls itself.
        if (wParam != SIZE_MINIMIZED && !m_pendingDpi) {
            // The grip makes no sense on a maximized window.
            if (HWND grip = GetDlgItem(m_dialog, kGripId))
                ShowWindow(grip, wParam == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
            Layout(LOWORD(lParam), HIWORD(lParam));
        }
        break;
    case kDpiChangedMessage:
        // The system rescales the dialog after this message; look afterwards.
        m_pendingDpi = LOWORD(wParam);
        PostMessageW(m_dialog, RecaptureMessage(), 0, 0);
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (m_minTrack.cx > 0) {
            info->ptMinTrackSize.x = m_minTrack.cx;
            info->ptMinTrackSize.y = m_minTrack.cy;
            // Never smaller than the layout, maximized or not.
            info->ptMaxTrackSize.x = std::max(info->ptMaxTrackSize.x, m_minTrack.cx);
            info->ptMaxTrackSize.y = std::max(info->ptMaxTrackSize.y, m_minTrack.cy);
            info->ptMaxSize.x = std::max(info->ptMaxSize.x, m_minTrack.cx);
            info->ptMaxSize.y = std::max(info->ptMaxSize.y, m_minTrack.cy);
        }
        break;
    }
    default:
        if (message == RecaptureMessage() && m_pendingDpi) {
            const UINT dpi = m_pendingDpi;
            m_pendingDpi = 0;
            Recapture(dpi);
        }
        break;
    }
}

void CResizeRule::Recapture(UINT newDpi)
{
    if (!m_dialog || !newDpi)
        return;
    const UINT oldDpi = m_dpi ? m_dpi : 96;
    m_dpi = newDpi;
    m_initialClient = {MulDiv(m_initialClient.cx, int(newDpi), int(oldDpi)),
                       MulDiv(m_initialClient.cy, int(newDpi), int(oldDpi))};
    RECT frame = {0, 0, m_initialClient.cx, m_initialClient.cy};
    AdjustWindowRectForWindow(m_dialog, frame, DWORD(GetWindowLongPtrW(m_dialog, GWL_STYLE)),
                              GetMenu(m_dialog) != nullptr, DWORD(GetWindowLongPtrW(m_dialog, GWL_EXSTYLE)));
    m_minTrack = {frame.right - frame.left, frame.bottom - frame.top};

    PlaceGrip();
    RECT client;
    GetClientRect(m_dialog, &client);
    const int dx = client.right - m_initialClient.cx;
    const int dy = client.bottom - m_initialClient.cy;
    for (Entry& e : m_entries)
        e.initial = Unplace(ControlRect(e.id), e.anchor, dx, dy);
    Layout(client.right, client.bottom);
}

void CResizeRule::PlaceGrip()
{
    HWND grip = GetDlgItem(m_dialog, kGripId);
    if (!grip)
        return;
    RECT client;
    GetClientRect(m_dialog, &client);
    const int cx = MulDiv(WindowMetric(m_dialog, SM_CXVSCROLL), int(m_dpi), int(WindowDpi(m_dialog)));
    const int cy = MulDiv(WindowMetric(m_dialog, SM_CYHSCROLL), int(m_dpi), int(WindowDpi(m_dialog)));
    SetWindowPos(grip, nullptr, client.right - cx, client.bottom - cy, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}
