// The requests' timer is winmm's, loaded only when first read.
#include "base/MultimediaTimer.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(MultimediaTimer, IsWinmmsTimerLoadedOnTheFirstReading)
{
    ASSERT_EQ(GetModuleHandleW(L"winmm.dll"), nullptr) << "nothing in the program loads it beforehand";
    const DWORD first = MultimediaTime();
    const HMODULE winmm = GetModuleHandleW(L"winmm.dll");
    ASSERT_NE(winmm, nullptr);
    const auto timeGetTime =
        reinterpret_cast<DWORD(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeGetTime")));
    ASSERT_NE(timeGetTime, nullptr);
    EXPECT_LE(timeGetTime() - first, 2u);
    Sleep(50);
    const DWORD later = MultimediaTime();
    EXPECT_GE(later - first, 45u);
    EXPECT_LE(timeGetTime() - later, 2u);
}
