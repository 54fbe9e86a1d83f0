#include "service/FeedTime.h"

#include "tests/support/TestEnv.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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

// Times read with settings read beforehand come out exactly as times read
// one by one through the locale's parser, plain numbers or not. Run again
// under a Japanese locale and in Tokyo by their own ctest entries.
TEST(FeedTimeSettings, PlainNumbersGiveWhatTheLocalesParserGives)
{
    const std::string expectCodePage = TestEnv::Var("QUILLON_EXPECT_ACP");
    if (!expectCodePage.empty())
        ASSERT_EQ(GetACP(), std::stoul(expectCodePage));
    const FeedTimeSettings settings = CurrentFeedTimeSettings();
    ASSERT_TRUE(settings.plainDatesAsWritten) << "this locale reads plain dates otherwise: nothing is compared";
    std::vector<std::wstring> texts = {
        // Ends of months, leap days that are and are not, ends of the day.
        L"2012-02-29T23:59:59.000Z", L"2011-02-29T12:00:00.000Z", L"2000-02-29T00:00:00.000Z",
        L"1900-02-29T00:00:00.000Z", L"2009-04-31T10:00:00.000Z", L"2009-12-31T23:59:59.999Z",
        L"2010-01-01T00:00:00.000Z", L"2009-03-08T10:30:00.000Z", L"2009-11-01T05:59:59.000Z",
        // The years at the edges of what the conversions take.
        L"1000-01-01T00:00:00.000Z", L"1600-12-31T23:59:59.000Z", L"1601-01-01T00:00:00.000Z",
        L"1899-12-30T00:00:00.000Z", L"9999-12-31T23:59:59.000Z", L"0999-06-15T12:00:00.000Z",
        L"0099-06-15T12:00:00.000Z", L"0001-01-01T00:00:00.000Z",
        // Numbers out of range, and what is not a number.
        L"2009-00-10T10:00:00.000Z", L"2009-13-10T10:00:00.000Z", L"2009-06-00T10:00:00.000Z",
        L"2009-06-32T10:00:00.000Z", L"2009-06-10T24:00:00.000Z", L"2009-06-10T10:60:00.000Z",
        L"2009-06-10T10:00:60.000Z", L"2009-06-1xT10:00:00.000Z", L"2009-06-10T1 :00:00.000Z",
        L"+009-06-10T10:00:00.000Z", L"2009-06-10T10:00:00.000ZZ", L"2009-06-10X10:00:00.000Z",
    };
    // Many ordinary times besides, the same on every run.
    uint32_t seed = 12345;
    const auto next = [&](uint32_t range) { return (seed = seed * 1103515245u + 12345u) / 65536u % range; };
    for (int i = 0; i < 3000; ++i) {
        wchar_t text[32];
        swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", 1970 + next(100), 1 + next(12), 1 + next(31),
                 next(24), next(60), next(60), next(1000));
        texts.push_back(text);
    }
    for (const std::wstring& text : texts)
        ASSERT_EQ(FeedTimeToLocal(text, settings), FeedTimeToLocal(text)) << TestEnv::Narrow(text);
}
