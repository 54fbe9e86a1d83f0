// The floor of a cold start: a bare Win32 program that shows one dialog (a
// template in memory, a line of text and a button) and nothing else. Built
// beside the benchmarks for StartupBench.
#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Appends a string of the template, word-aligned as templates are.
WORD* Put(WORD* at, const wchar_t* text)
{
    const size_t length = std::wcslen(text) + 1;
    std::memcpy(at, text, length * sizeof(wchar_t));
    return at + length;
}

WORD* Align(WORD* at)
{
    return reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(at) + 3) & ~ULONG_PTR(3));
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    alignas(4) WORD buffer[512] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialog->style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog->cdit = 2;
    dialog->cx = 200;
    dialog->cy = 80;
    WORD* at = reinterpret_cast<WORD*>(dialog + 1);
    *at++ = 0; // no menu
    *at++ = 0; // the dialog class
    at = Put(at, L"Bare dialog");
    *at++ = 9;
    at = Put(at, L"MS Shell Dlg");

    at = Align(at);
    auto* text = reinterpret_cast<DLGITEMTEMPLATE*>(at);
    text->style = WS_CHILD | WS_VISIBLE | SS_LEFT;
    text->x = 10;
    text->y = 10;
    text->cx = 180;
    text->cy = 20;
    text->id = 100;
    at = reinterpret_cast<WORD*>(text + 1);
    *at++ = 0xFFFF;
    *at++ = 0x0082; // static
    at = Put(at, L"One dialog, nothing else.");
    *at++ = 0;

    at = Align(at);
    auto* button = reinterpret_cast<DLGITEMTEMPLATE*>(at);
    button->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    button->x = 75;
    button->y = 50;
    button->cx = 50;
    button->cy = 14;
    button->id = IDOK;
    at = reinterpret_cast<WORD*>(button + 1);
    *at++ = 0xFFFF;
    *at++ = 0x0080; // button
    at = Put(at, L"OK");
    *at++ = 0;

    return int(DialogBoxIndirectParamW(instance, dialog, nullptr, DialogProc, 0));
}
