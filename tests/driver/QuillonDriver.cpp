// quillon-driver: drives a running Quillon from scripts (the demo), one step
// per call, finding dialogs by a control only they hold.
//
//   quillon-driver wait SECONDS CONTROL_ID       prints the dialog's title
//   quillon-driver settext CONTROL_ID TEXT       in the dialog holding it
//   quillon-driver click DIALOG_CONTROL_ID BUTTON_ID
//   quillon-driver select LIST_ID TEXT            picks an entry of a drop-down list
//   quillon-driver msgbox SECONDS [BUTTON_ID|-]  prints the text, presses the
//                                                button (OK; "-" presses none)
//   quillon-driver gone SECONDS CONTROL_ID       waits until no dialog holds it
//
// Exit status 0 on success, 1 when the window was not found in time.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/support/WindowDriver.h"

namespace {

void Print(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    std::printf("%s\n", out.c_str());
    std::fflush(stdout);
}

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
    if (verb == L"click" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        return dialog && Click(dialog, _wtoi(argv[3])) ? 0 : 1;
    }
    if (verb == L"select" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[2]), 5000);
        HWND list = dialog ? GetDlgItem(dialog, _wtoi(argv[2])) : nullptr;
        if (!list)
            return 1;
        const LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(argv[3]));
        return index != CB_ERR && SendMessageW(list, CB_SETCURSEL, WPARAM(index), 0) != CB_ERR ? 0 : 1;
    }
    if (verb == L"msgbox" && (argc == 3 || argc == 4)) {
        HWND box = WaitForMessageBox(_wtoi(argv[2]) * 1000);
        if (!box)
            return 1;
        Print(Text(box) + L": " + ControlText(box, 0xFFFF));
        if (argc == 4 && std::wstring(argv[3]) == L"-")
            return 0;
        return Click(box, argc == 4 ? _wtoi(argv[3]) : IDOK) ? 0 : 1;
    }
    if (verb == L"gone" && argc == 4) {
        HWND dialog = WaitForDialogWithControl(_wtoi(argv[3]), 0);
        return !dialog || WaitGone(dialog, _wtoi(argv[2]) * 1000) ? 0 : 1;
    }
    return Usage();
}
