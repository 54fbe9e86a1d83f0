#include "service/FeedTime.h"

#include "tests/support/TestEnv.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(MillisToUtcText, EpochSecondsAndTruncatedMilliseconds)
{
    EXPECT_EQ(MillisToUtcText(L""), L"1970/01/01 00:00:00");
    EXPECT_EQ(MillisToUtcText(L"1000"), L"1970/01/01 00:00:01");
    EXPECT_EQ(MillisToUtcText(L"1999"), L"1970/01/01 00:00:01");
    EXPECT_EQ(MillisToUtcText(L"1332601445123"), L"2012/03/24 15:04:05");
    EXPECT_EQ(MillisToUtcText(L"951782400000"), L"2000/02/29 00:00:00");
    EXPECT_EQ(MillisToUtcText(L"4102444799000"), L"2099/12/31 23:59:59");
    EXPECT_EQ(MillisToUtcText(L"32503680000000"), L"3000/01/01 00:00:00");
}

TEST(MillisToUtcText, TimesBefore1970)
{
    EXPECT_EQ(MillisToUtcText(L"-1000"), L"1969/12/31 23:59:59");
    // Toward zero: -999 ms is still the epoch second.
    EXPECT_EQ(MillisToUtcText(L"-999"), L"1970/01/01 00:00:00");
    EXPECT_EQ(MillisToUtcText(L"-1001"), L"1969/12/31 23:59:59");
    EXPECT_EQ(MillisToUtcText(L"-86400000"), L"1969/12/31 00:00:00");
    // 1952-07-19 08:30:15 UTC and 1900-03-01 (after the century's non-leap February)
    EXPECT_EQ(MillisToUtcText(L"-550769385000"), L"1952/07/19 08:30:15");
    EXPECT_EQ(MillisToUtcText(L"-2203891200000"), L"1900/03/01 00:00:00");
    EXPECT_EQ(MillisToUtcText(L"-2208988800000"), L"1900/01/01 00:00:00");
}

TEST(FeedTimeToLocal, TextsOfAnotherShapeComeBackUnchanged)
{
    EXPECT_EQ(FeedTimeToLocal(L""), L"");
    EXPECT_EQ(FeedTimeToLocal(L"2012"), L"2012");
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05Z"), L"2012-03-24T15:04:05Z");
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05.12Z"), L"2012-03-24T15:04:05.12Z");
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05.123z"), L"2012-03-24T15:04:05.123z");
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05.123+09:00"), L"2012-03-24T15:04:05.123+09:00");
    EXPECT_EQ(FeedTimeToLocal(L"xxxx-xx-xxTxx:xx:xx.xxxZ"), L"xxxx-xx-xxTxx:xx:xx.xxxZ");
}

TEST(FeedTimeToLocal, UtcBecomesLocalTimeOfThisComputer)
{
    // The expectation goes through the platform's own conversion.
    SYSTEMTIME utc{2012, 3, 0, 24, 15, 4, 5, 0};
    SYSTEMTIME local{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    wchar_t expected[32];
    swprintf(expected, 32, L"%04u/%02u/%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
             local.wMinute, local.wSecond);
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05.123Z"), expected);
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05.999Z"), expected);
}

// Run under TZ=Asia/Tokyo by its own ctest entry; elsewhere only when the
// computer is nine hours east of UTC anyway.
TEST(FeedTimeTokyo, NineHoursEastCrossesMidnight)
{
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    const std::string expectBias = TestEnv::Var("QUILLON_EXPECT_TZ_BIAS");
    if (!expectBias.empty())
        ASSERT_EQ(zone.Bias, std::stol(expectBias));
    else if (zone.Bias != -540)
        GTEST_SKIP() << "not in a UTC+9 zone";
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05.123Z"), L"2012/03/25 00:04:05");
    EXPECT_EQ(FeedTimeToLocal(L"2012-03-24T15:04:05.999Z"), L"2012/03/25 00:04:05");
    EXPECT_EQ(FeedTimeToLocal(L"2009-12-31T14:59:59.000Z"), L"2009/12/31 23:59:59");
    EXPECT_EQ(FeedTimeToLocal(L"2009-12-31T15:00:00.000Z"), L"2010/01/01 00:00:00");
}
