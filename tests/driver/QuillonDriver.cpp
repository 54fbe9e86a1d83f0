// quillon-driver: drives a running Quillon from scripts (the demo), one step
// per call, finding dialogs by a control only they hold.
//
//   quillon-driver wait SECONDS CONTROL_ID       prints the dialog's title
//   quillon-driver settext CONTROL_ID TEXT       in the dialog holding it
//   quillon-driver text CONTROL_ID               prints the control's text
//   quillon-driver show CONTROL_ID max|normal     maximizes or restores the
//                                                dialog holding the control
//   quillon-driver click DIALOG_CONTROL_ID BUTTON_ID  once the dialog takes input
//   quillon-driver select LIST_ID TEXT            picks an entry of a drop-down list
//   quillon-driver msgbox SECONDS [BUTTON_ID|-|default]  prints the text,
//                                                presses the button (OK; "-"
//                                                presses none; "default" the one
//                                                Enter presses, printing its id)
//   quillon-driver gone SECONDS CONTROL_ID       waits until no dialog holds it
//   quillon-driver check CONTROL_ID BOX_ID 0|1   sets a check box
//   quillon-driver header LIST_ID COLUMN         clicks a column header of a list
//   quillon-driver down LIST_ID COUNT            presses the Down key on a list
//                                                that many times
//   quillon-driver scroll LIST_ID right|left     scrolls a list view to that end
//   quillon-driver menu LIST_ID                  opens a list's context menu, as
//                                                the menu key does
//   quillon-driver escape SECONDS                closes the open menu (Escape)
//   quillon-driver rect CONTROL_ID               prints the dialog's screen
//                                                rectangle as WxH+X+Y
//   quillon-driver titlerect SECONDS TEXT        the same of a top-level window
//                                                whose title holds TEXT
//   quillon-driver close SECONDS TEXT            closes the top-level window whose
//                                                title holds TEXT
//   quillon-driver pick SECONDS TITLE PATH       types PATH into the folder
//                                                picker titled TITLE and takes it
//   quillon-driver filename SECONDS TEXT         types into the file name box
//                                                of the platform's file dialog
//   quillon-driver drop LIST_ID PATH...          drops the files on the list's
//                                                first selected row (or its
//                                                first row), as the shell does
//
// Exit status 0 on success, 1 when the window was not found in time.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/Utf8Text.h"
#include "tests/support/WindowDriver.h"

namespace {

void Print(const std::wstring& text)
{
    std::printf("%s\n", Utf8FromWide(text).c_str());
    std::fflush(stdout);
}

// The button that Enter presses in a dialog (0 when none is the default).
int DefaultButton(HWND dialog)
{
    // Wine's message boxes answer IDOK here even without an OK button.
    const LRESULT defId = SendMessageW(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(defId) == DC_HASDEFID && GetDlgItem(dialog, LOWORD(defId)))
        return LOWORD(defId);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(child);
    }
    return 0;
}

// The control of this id (a number's text) in the dialog that has it, once
// one does (5 s at the most).
HWND ControlOf(const wchar_t* id)
{
    HWND dialog = WindowDriver::WaitForDialogWithControl(_wtoi(id), 5000);
    return dialog ? GetDlgItem(dialog, _wtoi(id)) : nullptr;
}

// The shown popup menu (window class "#32768"), if any.
HWND VisibleMenu()
{
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
        if (IsWindowVisible(menu))
            return menu;
    }
    return nullptr;
}

// The file name box of the platform's file dialog: the combo box of the
// dialog: an edit box (edt1) under Wine, a combo box (cmb13) on Windows.
constexpr int kFileNameIds[] = {1152, 1148};

int Usage()
{
    std::fprintf(stderr, "usage: quillon-driver wait|settext|click|msgbox|gone ...\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return Usage();
    const std::wstring verb = argv[1];
    using namespace WindowDriver;
    if (verb == L"wait" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[3]), _wtoi(argv[2]) * 1000);
        if (!dialog)
            return 1;
        Print(Text(dialog));
        return 0;
    }
    if (verb == L"settext" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        return dialog && SetControlText(dialog, _wtoi(argv[2]), argv[3]) ? 0 : 1;
    }
    if (verb == L"text" && argc == 3) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        if (!dialog)
            return 1;
        Print(ControlText(dialog, _wtoi(argv[2])));
        return 0;
    }
    if (verb == L"show" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        if (!dialog)
            return 1;
        // Posted as the frame's buttons do it: the program resizes itself.
        const WPARAM command = std::wstring(argv[3]) == L"max" ? SC_MAXIMIZE : SC_RESTORE;
        return PostMessageW(dialog, WM_SYSCOMMAND, command, 0) ? 0 : 1;
    }
    if (verb == L"click" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        if (!dialog)
            return 1;
        // As a user would: once the window takes input again (a window
        // whose work or dialog still runs takes no command).
        WaitUntil([dialog] { return IsWindowEnabled(dialog) != FALSE; }, 30000);
        return Click(dialog, _wtoi(argv[3])) ? 0 : 1;
    }
    if (verb == L"select" && argc == 4) {
        HWND list = ControlOf(argv[2]);
        if (!list)
            return 1;
        const LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(argv[3]));
        return index != CB_ERR && SendMessageW(list, CB_SETCURSEL, WPARAM(index), 0) != CB_ERR ? 0 : 1;
    }
    if (verb == L"scroll" && argc == 4) {
        HWND list = ControlOf(argv[2]);
        if (!list)
            return 1;
        // Further than any list is wide: the list stops at its end.
        const int by = std::wstring(argv[3]) == L"left" ? -100000 : 100000;
        return SendMessageW(list, LVM_SCROLL, WPARAM(by), 0) ? 0 : 1;
    }
    if (verb == L"rows" && argc >= 4) {
        // Selects exactly these rows of a list (the first one focused).
        HWND list = ControlOf(argv[2]);
        if (!list)
            return 1;
        // The item goes through the program's own memory: the message's
        // pointer means nothing in another process.
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ, FALSE, pid);
        void* remote = process ? VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE) : nullptr;
        if (!remote)
            return 1;
        const auto set = [&](int row, UINT state) {
            LVITEMW item = {};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = state;
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(remote));
        };
        set(-1, 0);
        for (int i = 3; i < argc; ++i)
            set(_wtoi(argv[i]), i == 3 ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        return 0;
    }
    if (verb == L"command" && argc == 4) {
        // A command of a window's menu or keys, posted to the window that
        // holds the control, as its menu posts it.
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        if (!dialog)
            return 1;
        WaitUntil([dialog] { return IsWindowEnabled(dialog) != FALSE; }, 30000);
        return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(_wtoi(argv[3]), 0), 0) ? 0 : 1;
    }
    if (verb == L"down" && argc == 4) {
        HWND list = ControlOf(argv[2]);
        if (!list)
            return 1;
        for (int i = 0; i < _wtoi(argv[3]); ++i) {
            PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(list, WM_KEYUP, VK_DOWN, 0);
        }
        return 0;
    }
    if (verb == L"msgbox" && (argc == 3 || argc == 4)) {
        HWND box = WaitForMessageBox(_wtoi(argv[2]) * 1000);
        if (!box)
            return 1;
        Print(Text(box) + L": " + ControlText(box, 0xFFFF));
        if (argc == 4 && std::wstring(argv[3]) == L"-")
            return 0;
        if (argc == 4 && std::wstring(argv[3]) == L"default") {
            const int id = DefaultButton(box);
            std::printf("default button: %d\n", id);
            std::fflush(stdout);
            return id && Click(box, id) ? 0 : 1;
        }
        return Click(box, argc == 4 ? _wtoi(argv[3]) : IDOK) ? 0 : 1;
    }
    if (verb == L"menu" && argc == 3) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        HWND list = dialog ? GetDlgItem(dialog, _wtoi(argv[2])) : nullptr;
        if (!list)
            return 1;
        // Posted: the menu's own loop runs in the program until it closes.
        PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
        return WaitUntil([] { return VisibleMenu() != nullptr; }, 10000) ? 0 : 1;
    }
    if (verb == L"escape" && argc == 3) {
        HWND menu = VisibleMenu();
        if (!menu)
            return 0;
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        return WaitUntil([] { return VisibleMenu() == nullptr; }, _wtoi(argv[2]) * 1000) ? 0 : 1;
    }
    if (verb == L"gone" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[3]), 0);
        return !dialog || WaitGone(dialog, _wtoi(argv[2]) * 1000) ? 0 : 1;
    }
    if (verb == L"check" && argc == 5) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        HWND box = dialog ? GetDlgItem(dialog, _wtoi(argv[3])) : nullptr;
        if (!box)
            return 1;
        SendMessageW(box, BM_SETCHECK, _wtoi(argv[4]) ? BST_CHECKED : BST_UNCHECKED, 0);
        return 0;
    }
    if (verb == L"header" && argc == 4) {
        // A click on the header item, where the list's column widths put it.
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        HWND list = dialog ? GetDlgItem(dialog, _wtoi(argv[2])) : nullptr;
        HWND header = list ? reinterpret_cast<HWND>(SendMessageW(list, 0x101F /* LVM_GETHEADER */, 0, 0)) : nullptr;
        if (!header)
            return 1;
        const int column = _wtoi(argv[3]);
        int x = 0;
        for (int c = 0; c < column; ++c)
            x += int(SendMessageW(list, 0x101D /* LVM_GETCOLUMNWIDTH */, WPARAM(c), 0));
        x += int(SendMessageW(list, 0x101D, WPARAM(column), 0)) / 2;
        RECT r;
        GetClientRect(header, &r);
        const LPARAM at = MAKELPARAM(x, r.bottom / 2);
        PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(header, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (verb == L"close" && argc == 4) {
        HWND window = WaitForWindowTitled(argv[3], _wtoi(argv[2]) * 1000);
        return window && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (verb == L"pick" && argc == 5) {
        HWND picker = WaitForWindowTitled(argv[3], _wtoi(argv[2]) * 1000);
        return picker && PickFolder(picker, argv[4], 30000) ? 0 : 1;
    }
    if ((verb == L"rect" && argc == 3) || (verb == L"titlerect" && argc == 4)) {
        HWND dialog = argc == 3 ? WaitForDialogWithControl(_wtoi(argv[2]), 5000)
                                : WaitForWindowTitled(argv[3], _wtoi(argv[2]) * 1000);
        RECT r;
        if (!dialog || !GetWindowRect(dialog, &r))
            return 1;
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left < 0 ? 0 : r.left, r.top < 0 ? 0 : r.top);
        std::fflush(stdout);
        return 0;
    }
    if (verb == L"filename" && argc == 4) {
        HWND dialog = nullptr;
        int id = 0;
        WaitUntil(
            [&] {
                for (int candidate : kFileNameIds)
                    if ((dialog = WaitForDialogWithControl(candidate, 0)) != nullptr) {
                        id = candidate;
                        return true;
                    }
                return false;
            },
            _wtoi(argv[2]) * 1000);
        if (!dialog)
            return 1;
        Print(Text(dialog));
        return SetControlText(dialog, id, argv[3]) ? 0 : 1;
    }
    if (verb == L"drop" && argc >= 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        HWND list = dialog ? GetDlgItem(dialog, _wtoi(argv[2])) : nullptr;
        return list && DropFilesOnList(list, std::vector<std::wstring>(argv + 3, argv + argc)) ? 0 : 1;
    }
    return Usage();
}
