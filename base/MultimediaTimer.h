#pragma once
#include <windows.h>

// The multimedia timer, timeGetTime of winmm.dll (milliseconds, unsigned
// 32-bit). The library is loaded from the system folder on the first call:
// with the audio compression manager that it brings, it costs a few
// milliseconds at every start, and nothing is timed before the first
// request. Should it ever be missing, GetTickCount stands in.
DWORD MultimediaTime();
