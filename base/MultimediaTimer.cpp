#include "base/MultimediaTimer.h"

namespace {

using TimeFunction = DWORD(WINAPI*)();

TimeFunction LoadTimer()
{
    wchar_t path[MAX_PATH + 16] = L"";
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return GetTickCount;
    lstrcatW(path, L"\\winmm.dll");
    HMODULE winmm = LoadLibraryW(path); // kept for the rest of the run
    FARPROC found = winmm ? GetProcAddress(winmm, "timeGetTime") : nullptr;
    return found ? reinterpret_cast<TimeFunction>(reinterpret_cast<void*>(found)) : GetTickCount;
}

} // namespace

DWORD MultimediaTime()
{
    static const TimeFunction timer = LoadTimer();
    return timer();
}
