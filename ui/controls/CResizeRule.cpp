#include "ui/controls/CResizeRule.h"

RECT CResizeRule::Place(const RECT& initial, unsigned anchor, int dx, int dy)
{
    RECT r = initial;
    if (anchor & ResizeMoveX) {
        r.left += dx;
        r.right += dx;
    } else if (anchor & ResizeSizeX) {
        r.right += dx;
    }
    if (anchor & ResizeMoveY) {
        r.top += dy;
        r.bottom += dy;
    } else if (anchor & ResizeSizeY) {
        r.bottom += dy;
    }
    return r;
}

bool CResizeRule::Init(HWND dialog, const ResizeItem* items, size_t count, bool grip)
{
    if (!dialog || !IsWindow(dialog))
        return false;
    m_dialog = dialog;
    m_entries.clear();

    RECT client;
    GetClientRect(dialog, &client);

    // A thick frame takes client space: grow the window so that the client
    // area keeps the size the template was laid out for.
    LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    style |= WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    SetWindowLongPtrW(dialog, GWL_STYLE, style);
    RECT frame = client;
    AdjustWindowRectEx(&frame, DWORD(style), GetMenu(dialog) != nullptr, DWORD(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    GetClientRect(dialog, &client);
    m_initialClient = {client.right - client.left, client.bottom - client.top};
    RECT window;
    GetWindowRect(dialog, &window);
    m_minTrack = {window.right - window.left, window.bottom - window.top};

    if (grip && !GetDlgItem(dialog, kGripId)) {
        int cx = GetSystemMetrics(SM_CXVSCROLL);
        int cy = GetSystemMetrics(SM_CYHSCROLL);
        CreateWindowExW(0, L"SCROLLBAR", L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                        client.right - cx, client.bottom - cy, cx, cy, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGripId)), nullptr, nullptr);
    }

    auto add = [&](int id, unsigned anchor) {
        HWND control = GetDlgItem(dialog, id);
        if (!control)
            return;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        m_entries.push_back(Entry{id, anchor, r});
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
    InvalidateRect(m_dialog, nullptr, TRUE);
}

void CResizeRule::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_dialog)
        return;
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            // The grip makes no sense on a maximized window.
            if (HWND grip = GetDlgItem(m_dialog, kGripId))
                ShowWindow(grip, wParam == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
            Layout(LOWORD(lParam), HIWORD(lParam));
        }
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (m_minTrack.cx > 0) {
            info->ptMinTrackSize.x = m_minTrack.cx;
            info->ptMinTrackSize.y = m_minTrack.cy;
        }
        break;
    }
    default:
        break;
    }
}
