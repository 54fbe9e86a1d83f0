#include "tests/support/WindowDriver.h"

#include <vector>

namespace WindowDriver {

namespace {

bool IsDialog(HWND window)
{
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    return lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window);
}

std::vector<HWND> TopLevelDialogs(DWORD pid)
{
    struct Search
    {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((s->pid == 0 || owner == s->pid) && IsDialog(window))
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Match>
HWND WaitFor(int timeoutMs, DWORD pid, Match match)
{
    const DWORD start = GetTickCount();
    for (;;) {
        for (HWND dialog : TopLevelDialogs(pid))
            if (match(dialog))
                return dialog;
        if (int(GetTickCount() - start) >= timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

} // namespace

HWND WaitForDialogWithControl(int controlId, int timeoutMs, DWORD pid)
{
    return WaitFor(timeoutMs, pid, [&](HWND dialog) { return GetDlgItem(dialog, controlId) != nullptr; });
}

HWND WaitForMessageBox(int timeoutMs, DWORD pid)
{
    return WaitFor(timeoutMs, pid, [](HWND dialog) { return GetDlgItem(dialog, 0xFFFF) != nullptr; });
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const ULONGLONG start = GetTickCount64();
    while (!condition()) {
        if (GetTickCount64() - start >= ULONGLONG(timeoutMs))
            return condition();
        Sleep(20);
    }
    return true;
}

bool WaitGone(HWND window, int timeoutMs)
{
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (int(GetTickCount() - start) >= timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

std::wstring Text(HWND window)
{
    wchar_t buffer[4096] = {};
    // WM_GETTEXT works across processes; GetWindowText does not for controls.
    SendMessageW(window, WM_GETTEXT, ARRAYSIZE(buffer), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::wstring ControlText(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control ? Text(control) : L"";
}

bool SetControlText(HWND dialog, int controlId, const std::wstring& text)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control && SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Click(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED), reinterpret_cast<LPARAM>(control)) !=
           FALSE;
}

bool IsChecked(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int controlId)
{
    HWND control = GetDlgItem(dialog, controlId);
    return control && IsWindowEnabled(control);
}

} // namespace WindowDriver
