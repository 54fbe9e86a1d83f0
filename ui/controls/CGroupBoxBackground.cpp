#include "ui/controls/CGroupBoxBackground.h"

bool CGroupBoxBackground::IsGroupBox(HWND control)
{
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    return lstrcmpiW(className, L"Button") == 0 &&
           (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

void CGroupBoxBackground::AttachAll(HWND dialog, std::vector<std::unique_ptr<CGroupBoxBackground>>& boxes)
{
    std::vector<HWND> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsGroupBox(child))
            found.push_back(child);
    }
    for (HWND box : found) {
        SetWindowLongPtrW(box, GWL_STYLE, GetWindowLongPtrW(box, GWL_STYLE) | WS_CLIPSIBLINGS);
        SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        auto subclass = std::make_unique<CGroupBoxBackground>();
        if (subclass->Subclass(box))
            boxes.push_back(std::move(subclass));
    }
}

LRESULT CGroupBoxBackground::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        HWND dialog = GetParent(Handle());
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(dialog, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(dialog)));
        RECT inside;
        GetClientRect(Handle(), &inside);
        FillRect(reinterpret_cast<HDC>(wParam), &inside, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return DefaultProc(message, wParam, lParam);
}
