#include "ui/controls/DpiMetrics.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <class Fn>
Fn User32Function(const char* name)
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : 96;
}

} // namespace

UINT WindowDpi(HWND window)
{
    static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (forWindow && window) {
        if (UINT dpi = forWindow(window))
            return dpi;
    }
    return ScreenDpi();
}

int WindowMetric(HWND window, int index)
{
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi && window)
        return forDpi(index, WindowDpi(window));
    return GetSystemMetrics(index);
}

BOOL AdjustWindowRectForWindow(HWND window, RECT& rect, DWORD style, BOOL menu, DWORD exStyle)
{
    static const auto forDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (forDpi && window)
        return forDpi(&rect, style, menu, exStyle, WindowDpi(window));
    return AdjustWindowRectEx(&rect, style, menu, exStyle);
}
