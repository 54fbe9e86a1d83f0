// The requests' timer is winmm's, loaded only when first read.
#include "base/MultimediaTimer.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Whether `later` was read at or after `earlier` on a 32-bit millisecond
// clock (a wrap between the two readings included).
bool NotBefore(DWORD later, DWORD earlier)
{
    return later - earlier < 0x80000000u;
}

} // namespace

// Readings are checked by their order against winmm's own clock, read before
// and after: a busy machine can stretch the gaps between them, never swap them.
TEST(MultimediaTimer, IsWinmmsTimerLoadedOnTheFirstReading)
{
    ASSERT_EQ(GetModuleHandleW(L"winmm.dll"), nullptr) << "nothing in the program loads it beforehand";
    const DWORD first = MultimediaTime();
    const HMODULE winmm = GetModuleHandleW(L"winmm.dll");
    ASSERT_NE(winmm, nullptr);
    const auto timeGetTime =
        reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeGetTime")));
    ASSERT_NE(timeGetTime, nullptr);
    const DWORD afterFirst = timeGetTime();
    EXPECT_TRUE(NotBefore(afterFirst, first)) << first << " then " << afterFirst;

    // Let winmm's clock move on by 50 ms (however long that takes here).
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (timeGetTime() - afterFirst < 50 && GetTickCount64() < deadline)
        Sleep(1);
    const DWORD before = timeGetTime();
    ASSERT_GE(before - afterFirst, 50u) << "winmm's clock stands still";
    const DWORD later = MultimediaTime();
    const DWORD after = timeGetTime();
    EXPECT_TRUE(NotBefore(later, before)) << before << " then " << later;
    EXPECT_TRUE(NotBefore(after, later)) << later << " then " << after;
    EXPECT_GE(later - first, 50u) << "the reading counts milliseconds";
}
