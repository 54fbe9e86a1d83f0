#include "tests/support/WindowDriver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

namespace WindowDriver {

namespace {

bool IsDialog(HWND window)
{
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    return lstrcmpW(cls, L"#32770") == 0;
}

// The visible top-level windows of process `pid` (0 = any).
std::vector<HWND> TopLevelWindows(DWORD pid)
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
            if ((s->pid == 0 || owner == s->pid) && IsWindowVisible(window))
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
        for (HWND window : TopLevelWindows(pid))
            if (match(window))
                return window;
        if (int(GetTickCount() - start) >= timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

} // namespace

HWND WaitForDialogWithControl(int controlId, int timeoutMs, DWORD pid)
{
    return WaitFor(timeoutMs, pid, [&](HWND window) { return IsDialog(window) && GetDlgItem(window, controlId); });
}

HWND WaitForWindowTitled(const std::wstring& part, int timeoutMs, DWORD pid)
{
    return WaitFor(timeoutMs, pid, [&](HWND window) { return Text(window).find(part) != std::wstring::npos; });
}

bool PickFolder(HWND picker, const std::wstring& path, int timeoutMs)
{
    // The name box: the first visible edit field of the dialog.
    HWND name = nullptr;
    EnumChildWindows(
        picker,
        [](HWND child, LPARAM param) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(child, cls, 16);
            if (lstrcmpiW(cls, L"Edit") != 0 || !IsWindowVisible(child))
                return TRUE;
            *reinterpret_cast<HWND*>(param) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&name));
    if (name)
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    const ULONGLONG start = GetTickCount64();
    while (IsWindow(picker) && IsWindowVisible(picker)) {
        if (GetTickCount64() - start >= ULONGLONG(timeoutMs))
            return false;
        Click(picker, IDOK);
        WaitGone(picker, 1000);
    }
    return true;
}

HWND WaitForMessageBox(int timeoutMs, DWORD pid)
{
    return WaitFor(timeoutMs, pid, [](HWND window) { return IsDialog(window) && GetDlgItem(window, 0xFFFF); });
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

// Memory in another process, freed with the object unless handed over.
namespace {

struct RemoteBlock
{
    HANDLE process = nullptr;
    void* at = nullptr;
    RemoteBlock(HANDLE p, size_t size) : process(p)
    {
        at = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (at)
            VirtualFreeEx(process, at, 0, MEM_RELEASE);
    }
};

// The HDROP lives in the list's process, as one the shell made there would:
// a DROPFILES block and the paths after it (wide, each ended by a zero, one
// more zero at the end).
} // namespace

bool DropFilesOnList(HWND list, const std::vector<std::wstring>& paths)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return false;
    LRESULT row = SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED);
    if (row < 0)
        row = 0;
    // The row's rectangle, asked for in the program's memory.
    RemoteBlock rect(process, sizeof(RECT));
    RECT cell = {LVIR_LABEL, 0, 0, 0};
    SIZE_T moved = 0;
    bool ok = rect.at && WriteProcessMemory(process, rect.at, &cell, sizeof cell, &moved) &&
              SendMessageW(list, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(rect.at)) &&
              ReadProcessMemory(process, rect.at, &cell, sizeof cell, &moved);
    HWND window = GetAncestor(list, GA_ROOT);
    POINT at = {cell.left + 5, (cell.top + cell.bottom) / 2};
    MapWindowPoints(list, window, &at, 1);

    std::vector<BYTE> block(sizeof(DROPFILES));
    auto* files = reinterpret_cast<DROPFILES*>(block.data());
    files->pFiles = sizeof(DROPFILES);
    files->pt = at;
    files->fWide = TRUE;
    for (const std::wstring& path : paths) {
        const BYTE* text = reinterpret_cast<const BYTE*>(path.c_str());
        block.insert(block.end(), text, text + (path.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), sizeof(wchar_t), 0);
    RemoteBlock drop(process, block.size());
    ok = ok && drop.at && WriteProcessMemory(process, drop.at, block.data(), block.size(), &moved) &&
         PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop.at), 0);
    // The program frees the drop (DragFinish) once it has read it.
    if (ok)
        drop.at = nullptr;
    CloseHandle(process);
    return ok;
}

} // namespace WindowDriver
