#include "service/AccessLevel.h"
#include "service/ClientLoginErrorTable.h"
#include "service/FeedNumbers.h"
#include "service/PhotoEntry.h"
#include "service/PhotoFeed.h"
#include "service/PicasaClient.h"

#include <gtest/gtest.h>

TEST(AccessLevel, WireNamesAreFoundInAnyCaseAndUnknownOnesGiveFour)
{
    EXPECT_EQ(FindAccessLevel(L"public"), 0u);
    EXPECT_EQ(FindAccessLevel(L"PUBLIC"), 0u);
    EXPECT_EQ(FindAccessLevel(L"Private"), 1u);
    EXPECT_EQ(FindAccessLevel(L"protected"), 2u);
    EXPECT_EQ(FindAccessLevel(L""), 3u);
    EXPECT_EQ(FindAccessLevel(L"friends"), 4u);
    EXPECT_EQ(FindAccessLevel(L"public "), 4u);
}

TEST(AccessLevel, NamesOfEveryRowAndEmptyBeyondTheTable)
{
    EXPECT_STREQ(AccessWireName(0), L"public");
    EXPECT_STREQ(AccessWireName(1), L"private");
    EXPECT_STREQ(AccessWireName(2), L"protected");
    EXPECT_STREQ(AccessWireName(3), L"");
    EXPECT_STREQ(AccessWireName(4), L"");
    EXPECT_STREQ(AccessWireName(0xFFFFFFFFu), L"");
    EXPECT_STREQ(AccessWireNameA(2), "protected");
    EXPECT_STREQ(AccessWireNameA(7), "");
    EXPECT_STREQ(AccessDisplayName(0), L"\u4e00\u822c\u516c\u958b");
    EXPECT_STREQ(AccessDisplayName(1), L"\u30ea\u30f3\u30af\u3092\u77e5\u3063\u3066\u3044\u308b\u5168\u54e1");
    EXPECT_STREQ(AccessDisplayName(2), L"\u9650\u5b9a\u516c\u958b");
    EXPECT_STREQ(AccessDisplayName(3), L"");
    EXPECT_STREQ(AccessDisplayName(5), L"");
}

TEST(ClientLoginErrorTable, NamesMatchInAnyCaseAndEverythingElseIsNine)
{
    EXPECT_EQ(FindClientLoginError(L"badauthentication"), 0u);
    EXPECT_EQ(FindClientLoginError(L"NotVerified"), 1u);
    EXPECT_EQ(FindClientLoginError(L"TERMSNOTAGREED"), 2u);
    EXPECT_EQ(FindClientLoginError(L"CaptchaRequired"), 3u);
    EXPECT_EQ(FindClientLoginError(L"Unknown"), 4u);
    EXPECT_EQ(FindClientLoginError(L"AccountDeleted"), 5u);
    EXPECT_EQ(FindClientLoginError(L"AccountDisabled"), 6u);
    EXPECT_EQ(FindClientLoginError(L"ServiceDisabled"), 7u);
    EXPECT_EQ(FindClientLoginError(L"ServiceUnavailable"), 8u);
    EXPECT_EQ(FindClientLoginError(L""), 9u);
    EXPECT_EQ(FindClientLoginError(L"Banned"), 9u);
    EXPECT_EQ(FindClientLoginError(L"BadAuthentication\r"), 9u);
    EXPECT_STREQ(kClientLoginErrors[9], L"");
}

TEST(FeedNumbers, Int32TakesTheLeadingDecimalAndSaturates)
{
    EXPECT_EQ(FeedInt32(L"12abc"), 12);
    EXPECT_EQ(FeedInt32(L""), 0);
    EXPECT_EQ(FeedInt32(L"abc"), 0);
    EXPECT_EQ(FeedInt32(L"  \t-42"), -42);
    EXPECT_EQ(FeedInt32(L"+7"), 7);
    EXPECT_EQ(FeedInt32(L"2147483647"), 2147483647);
    EXPECT_EQ(FeedInt32(L"2147483648"), 2147483647);
    EXPECT_EQ(FeedInt32(L"16106127360"), 2147483647);
    EXPECT_EQ(FeedInt32(L"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(FeedInt32(L"-99999999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(FeedInt32(L"4.6"), 4);
    EXPECT_EQ(FeedInt32(L"1,234"), 1);
}

TEST(FeedNumbers, Int64HoldsLargeQuotasAndSaturatesAtItsLimits)
{
    EXPECT_EQ(FeedInt64(L"16106127360"), 16106127360LL);
    EXPECT_EQ(FeedInt64(L"9223372036854775807"), INT64_MAX);
    EXPECT_EQ(FeedInt64(L"9223372036854775808"), INT64_MAX);
    EXPECT_EQ(FeedInt64(L"123456789012345678901234567890"), INT64_MAX);
    EXPECT_EQ(FeedInt64(L"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(FeedInt64(L"-9223372036854775809"), INT64_MIN);
    EXPECT_EQ(FeedInt64(L" -5x"), -5);
    EXPECT_EQ(FeedInt64(L""), 0);
}

TEST(FeedNumbers, DoubleFollowsTheLibraryRule)
{
    EXPECT_DOUBLE_EQ(FeedDouble(L"29.97"), 29.97);
    EXPECT_DOUBLE_EQ(FeedDouble(L" 30.0fps"), 30.0);
    EXPECT_DOUBLE_EQ(FeedDouble(L""), 0.0);
    EXPECT_DOUBLE_EQ(FeedDouble(L"x"), 0.0);
}

TEST(Records, NewPhotoEntryIsEmptyAndZero)
{
    PhotoEntry entry;
    EXPECT_EQ(entry.viewCount, 0);
    EXPECT_EQ(entry.commentCount, 0);
    EXPECT_EQ(entry.starredTotal, 0);
    EXPECT_EQ(entry.uploadedVideoFps, 0.0);
    EXPECT_TRUE(entry.timestamp.empty());
}

TEST(FullSizeUrl, SZeroGoesBeforeTheFileName)
{
    EXPECT_EQ(FullSizeUrl(L"http://h/img/a/p/IMG_1.jpg"), L"http://h/img/a/p/s0/IMG_1.jpg");
    EXPECT_EQ(FullSizeUrl(L""), L"");
    EXPECT_EQ(FullSizeUrl(L"a/b"), L"a/b");
    EXPECT_EQ(FullSizeUrl(L"ab/c"), L"ab/s0/c");
    EXPECT_EQ(FullSizeUrl(L"noslash"), L"noslash");
}

TEST(ParseServiceError, FirstErrorLineInAnyCaseWins)
{
    EXPECT_EQ(PicasaClient::ParseServiceError(L"Url=x\nError=BadAuthentication\nerror=Other\n"),
              L"BadAuthentication");
    EXPECT_EQ(PicasaClient::ParseServiceError(L"ERROR=CaptchaRequired"), L"CaptchaRequired");
    EXPECT_EQ(PicasaClient::ParseServiceError(L"Info=1\nNoError=x\n"), L"");
    EXPECT_EQ(PicasaClient::ParseServiceError(L""), L"");
    // The LF ends a line; one CR before it belongs to the line end.
    EXPECT_EQ(PicasaClient::ParseServiceError(L"Error=Unknown\r\n"), L"Unknown");
    EXPECT_EQ(PicasaClient::ParseServiceError(L"Error=Unknown\r\r\n"), L"Unknown\r");
    EXPECT_EQ(PicasaClient::ParseServiceError(L"Error=Un\rknown\n"), L"Un\rknown");
}

TEST(AlbumEntryXml, ExactLinesWithEscapedTextAndMilliseconds)
{
    EXPECT_EQ(PicasaClient::AlbumEntryXml(L"A & B <1>", L"s", L"l", L"public", -86400),
              L"<entry xmlns='http://www.w3.org/2005/Atom'\n"
              L"\txmlns:media='http://search.yahoo.com/mrss/'\n"
              L"\txmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
              L"  <title type='text'>A &amp; B &lt;1&gt;</title>\n"
              L"  <summary type='text'>s</summary>\n"
              L"  <gphoto:location>l</gphoto:location>\n"
              L"  <gphoto:access>public</gphoto:access>\n"
              L"  <gphoto:timestamp>-86400000</gphoto:timestamp>\n"
              L"  <category scheme='http://schemas.google.com/g/2005#kind'\n"
              L"\tterm='http://schemas.google.com/photos/2007#album'></category>\n"
              L"</entry>\n");
}
