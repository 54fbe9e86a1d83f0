#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Finds and drives the dialogs of another process (or this one) the way a
// person would: by their controls, their texts and their buttons.
namespace WindowDriver {

// A visible top-level dialog that holds a control with this id, optionally
// only in process `pid` (0 = any). Waits up to `timeoutMs`; null when none.
HWND WaitForDialogWithControl(int controlId, int timeoutMs, DWORD pid = 0);

// A visible top-level window (any class) whose title holds `part`.
HWND WaitForWindowTitled(const std::wstring& part, int timeoutMs, DWORD pid = 0);

// A folder picker (the platform's file dialog, picking folders): types
// `path` into its name box, as a person would ("" types nothing, taking the
// folder it shows), and presses its OK button until it closes (a typed
// folder may first be opened, and is then taken by the next press). False
// when it is still open after `timeoutMs`.
bool PickFolder(HWND picker, const std::wstring& path, int timeoutMs);

// A visible message box (a dialog with the static text 0xFFFF).
HWND WaitForMessageBox(int timeoutMs, DWORD pid = 0);

// Checks the condition every 20 ms until it holds; false when it still does
// not after `timeoutMs`. Bounds are generous: a busy machine only makes the
// wait longer, never the test fail.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 30000);

// Waits until the window is gone; false when it is still there.
bool WaitGone(HWND window, int timeoutMs);

std::wstring Text(HWND window);
std::wstring ControlText(HWND dialog, int controlId);
bool SetControlText(HWND dialog, int controlId, const std::wstring& text);

// Posts the button's command, so that a modal loop it starts does not block
// the driver.
bool Click(HWND dialog, int controlId);

bool IsChecked(HWND dialog, int controlId);

// Drops the files on the list view's first selected row (or its first row),
// as the shell does: WM_DROPFILES posted to the list's top-level window
// with an HDROP in the list's process. The process frees it (DragFinish).
bool DropFilesOnList(HWND list, const std::vector<std::wstring>& paths);
bool IsEnabled(HWND dialog, int controlId);

} // namespace WindowDriver
