#pragma once
#include <windows.h>

// The program declares per-monitor DPI awareness, so sizes are read for the
// DPI of the window at hand. The per-DPI functions exist from Windows 10
// 1607 on and are looked up at run time; before that (and where a window has
// no DPI of its own) the screen's DPI stands in.

// WM_DPICHANGED, which the headers of the oldest supported Windows lack.
constexpr UINT kDpiChangedMessage = 0x02E0;

// The DPI the window is shown at (96 is 100 %).
UINT WindowDpi(HWND window);

// GetSystemMetrics for the window's DPI.
int WindowMetric(HWND window, int index);

// AdjustWindowRectEx for the window's DPI.
BOOL AdjustWindowRectForWindow(HWND window, RECT& rect, DWORD style, BOOL menu, DWORD exStyle);
