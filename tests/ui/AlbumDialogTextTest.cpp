// The decisions of the new album, photo list and URL dialogs, without a
// window: the date checks, the album time, the texts built from resource
// formats, the media description, the time estimate and the URL list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "tests/support/TestEnv.h"
#include "ui/albums/NewAlbumChecks.h"
#include "ui/albums/PhotoListRows.h"
#include "ui/albums/UrlListText.h"
#include "ui/controls/ListSort.h"

namespace {

std::string Narrow(const std::wstring& text)
{
    return TestEnv::Narrow(text);
}

} // namespace

TEST(NewAlbumChecks, TitleThenDateInTheirOrder)
{
    const struct {
        const wchar_t* title;
        const wchar_t* date;
        UINT message;
        int argument;
        int focus;
    } cases[] = {
        // The title first, even when the date is wrong too; blanks count.
        {L"", L"2012/03/24", IDS_NEW_ALBUM_NO_TITLE, 0, IDC_NEW_ALBUM_TITLE},
        {L"", L"2012/3/5", IDS_NEW_ALBUM_NO_TITLE, 0, IDC_NEW_ALBUM_TITLE},
        {L"", L"", IDS_NEW_ALBUM_NO_TITLE, 0, IDC_NEW_ALBUM_TITLE},
        {L" ", L"2012/03/24", 0, 0, 0},
        // The loose form: four digits, one or two, one or two.
        {L"t", L"2012/3/5", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/03/05", 0, 0, 0},
        {L"t", L"2012/0a/05", IDS_NEW_ALBUM_DATE_FORM, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012-03-05", IDS_NEW_ALBUM_DATE_FORM, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"20120305", IDS_NEW_ALBUM_DATE_FORM, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/0305", IDS_NEW_ALBUM_DATE_FORM, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"12/03/05", IDS_NEW_ALBUM_DATE_FORM, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/03/05 ", IDS_NEW_ALBUM_DATE_FORM, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"", IDS_NEW_ALBUM_DATE_FORM, 0, IDC_NEW_ALBUM_DATE},
        // The strict form: months 01 to 12, days 01 to 31, two digits each.
        {L"t", L"2012/3/05", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/03/5", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/13/01", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/00/10", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/01/00", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/01/32", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        // February, with the Gregorian leap rule.
        {L"t", L"2011/02/29", IDS_NEW_ALBUM_NOT_LEAP_YEAR, 2011, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/02/29", 0, 0, 0},
        {L"t", L"2000/02/29", 0, 0, 0},
        {L"t", L"1900/02/29", IDS_NEW_ALBUM_NOT_LEAP_YEAR, 1900, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/02/30", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/02/31", IDS_NEW_ALBUM_DATE_INVALID, 0, IDC_NEW_ALBUM_DATE},
        {L"t", L"2011/02/28", 0, 0, 0},
        // The 30-day months.
        {L"t", L"2012/04/31", IDS_NEW_ALBUM_NO_31ST, 4, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/06/31", IDS_NEW_ALBUM_NO_31ST, 6, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/09/31", IDS_NEW_ALBUM_NO_31ST, 9, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/11/31", IDS_NEW_ALBUM_NO_31ST, 11, IDC_NEW_ALBUM_DATE},
        {L"t", L"2012/04/30", 0, 0, 0},
        {L"t", L"2012/12/31", 0, 0, 0},
        {L"t", L"2012/10/15", 0, 0, 0},
        {L"t", L"2012/01/31", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const NewAlbumCheck check = CheckNewAlbum(c.title, c.date);
        const std::string where = "title '" + Narrow(c.title) + "' date '" + Narrow(c.date) + "'";
        EXPECT_EQ(check.messageId, c.message) << where;
        EXPECT_EQ(check.argument, c.argument) << where;
        EXPECT_EQ(check.Passed(), c.message == 0) << where;
        if (c.message != 0) {
            EXPECT_EQ(check.focusId, c.focus) << where;
        }
    }
}

TEST(NewAlbumChecks, GregorianLeapYears)
{
    for (int year : {1600, 1996, 2000, 2004, 2012, 2400})
        EXPECT_TRUE(IsGregorianLeapYear(year)) << year;
    for (int year : {1700, 1800, 1900, 2011, 2100, 2013})
        EXPECT_FALSE(IsGregorianLeapYear(year)) << year;
}

TEST(NewAlbumChecks, DayOfACheckedDate)
{
    const AlbumDay day = ParseAlbumDay(L"2012/03/24");
    EXPECT_EQ(day.year, 2012);
    EXPECT_EQ(day.month, 3);
    EXPECT_EQ(day.day, 24);
}

TEST(NewAlbumChecks, TodayIsWrittenYearMonthDay)
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    const std::wstring today = TodayDateText();
    ASSERT_EQ(today.size(), 10u) << Narrow(today);
    EXPECT_TRUE(CheckAlbumDate(today).Passed()) << Narrow(today);
    const AlbumDay day = ParseAlbumDay(today);
    EXPECT_EQ(day.year, now.wYear);
    EXPECT_EQ(day.month, now.wMonth);
}

TEST(NewAlbumChecks, DaysBefore1970AreNotConverted)
{
    int64_t seconds = -7;
    EXPECT_FALSE(AlbumTimeSeconds(AlbumDay{1969, 7, 20}, seconds));
    EXPECT_FALSE(AlbumTimeSeconds(AlbumDay{1955, 5, 5}, seconds));
    EXPECT_FALSE(AlbumTimeSeconds(AlbumDay{0, 1, 1}, seconds));
    EXPECT_EQ(seconds, -7) << "left alone";
    // 16:00 on the first day of 1970 is after the epoch in every zone.
    EXPECT_TRUE(AlbumTimeSeconds(AlbumDay{1970, 1, 1}, seconds));
    EXPECT_GT(seconds, 0);

    const int64_t before = CurrentTimeSeconds();
    const int64_t now = AlbumTimeOrNow(L"1969/07/20");
    EXPECT_GE(now, before);
    EXPECT_LE(now, CurrentTimeSeconds());
}

TEST(NewAlbumChecks, AlbumTimeIsFourInTheAfternoonOfTheDay)
{
    // Whatever the zone: the time falls on the day at 16:00 local time.
    int64_t seconds = 0;
    ASSERT_TRUE(AlbumTimeSeconds(AlbumDay{2012, 3, 24}, seconds));
    FILETIME utc = {};
    const uint64_t intervals = uint64_t(seconds) * 10000000ull + 116444736000000000ull;
    utc.dwLowDateTime = DWORD(intervals);
    utc.dwHighDateTime = DWORD(intervals >> 32);
    SYSTEMTIME utcTime = {}, local = {};
    ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcTime));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local));
    EXPECT_EQ(local.wYear, 2012);
    EXPECT_EQ(local.wMonth, 3);
    EXPECT_EQ(local.wDay, 24);
    EXPECT_EQ(local.wHour, 16);
    EXPECT_EQ(local.wMinute, 0);
    EXPECT_EQ(AlbumTimeOrNow(L"2012/03/24"), seconds);
}

TEST(PhotoListRows, MediaDescriptions)
{
    const std::wstring still = L"Photo", video = L"Video";
    auto clip = [](const wchar_t* type, int width, int height, int seconds) {
        PhotoEntry photo;
        photo.mediaType = type;
        photo.mediaWidth = width;
        photo.mediaHeight = height;
        photo.uploadedVideoDuration = seconds;
        return photo;
    };
    const struct {
        PhotoEntry photo;
        std::wstring expected;
    } cases[] = {
        {PhotoEntry{}, L"Photo"},
        {clip(L"video/mpeg4", 640, 480, 5), L"Video ( 640x 480, 5[Sec] ,MPEG4)"},
        {clip(L"application/x-shockwave-flash", 1280, 720, 35), L"Video (1280x 720, 35[Sec] ,FLV)"},
        {clip(L"video/quicktime", 320, 240, 12), L"Video ( 320x 240, 12[Sec])"},
        // Exact names only.
        {clip(L"Video/MPEG4", 640, 480, 5), L"Video ( 640x 480, 5[Sec])"},
        {clip(L"application/x-shockwave-flash ", 640, 480, 5), L"Video ( 640x 480, 5[Sec])"},
        {clip(L"video/mpeg4", 12345, 7, 0), L"Video (12345x   7, 0[Sec] ,MPEG4)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MediaDescription(c.photo, still, video), c.expected) << Narrow(c.photo.mediaType);
}

TEST(PhotoListRows, NumberColumnPadsAlbumAndPhoto)
{
    EXPECT_EQ(PhotoNumberText(1, 1), L"00001 - 0001");
    EXPECT_EQ(PhotoNumberText(2, 1000), L"00002 - 1000");
    EXPECT_EQ(PhotoNumberText(12, 34567), L"00012 - 34567");
    // Text order is album order, then photo order.
    EXPECT_LT(PhotoNumberText(1, 999), PhotoNumberText(2, 1));
    EXPECT_LT(PhotoNumberText(1, 9), PhotoNumberText(1, 10));
}

TEST(PhotoListRows, CellsOfARow)
{
    AlbumEntry album;
    album.title = L"Trip";
    PhotoEntry photo;
    photo.sequence = 3;
    photo.title = L"IMG_0003.JPG";
    photo.viewCount = -1;
    photo.commentCount = 4;
    photo.starredTotal = 2;
    photo.timestamp = L"2012/03/24 07:00:00";
    photo.width = 4000;
    photo.height = 3000;
    photo.size = 2345678;
    photo.summary = L"At the sea";
    photo.id = L"5500000000000000001";
    photo.alternateLink = L"http://example.com/page";
    const std::vector<std::wstring> full = PhotoRowCells(album, 2, photo, false, L"P", L"V");
    const std::vector<std::wstring> expected = {L"Trip", L"00002 - 0003", L"IMG_0003.JPG", L"-1", L"4", L"2",
                                                L"2012/03/24 07:00:00", L"4000", L"3000", L"2345678", L"At the sea",
                                                L"5500000000000000001", L"http://example.com/page", L"P"};
    EXPECT_EQ(full, expected);
    const std::vector<std::wstring> quick = PhotoRowCells(album, 2, photo, true, L"P", L"V");
    EXPECT_EQ(quick[3], L"-----");
    EXPECT_EQ(quick[4], L"-----");
    EXPECT_EQ(quick[5], L"-----");
    EXPECT_EQ(quick[9], L"2345678");
}

TEST(PhotoListRows, ColumnTable)
{
    const UINT headers[kPhotoListColumnCount] = {5100, 5101, 5102, 5103, 5104, 5105, 5106,
                                                 5107, 5108, 5109, 5110, 5112, 5111, 5113};
    const bool right[kPhotoListColumnCount] = {false, false, false, true, true, true, false,
                                               true, true, true, false, false, false, false};
    for (int i = 0; i < kPhotoListColumnCount; ++i) {
        EXPECT_EQ(kPhotoListColumns[i].headerId, headers[i]) << i;
        EXPECT_EQ(kPhotoListColumns[i].format == LVCFMT_RIGHT, right[i]) << i;
        EXPECT_EQ(kPhotoListColumns[i].sortType, right[i] ? SortLong : SortText) << i;
    }
}

TEST(PhotoListRows, TooltipForAlbumsNotOpenToEveryone)
{
    const struct {
        const wchar_t* access;
        bool tip;
    } cases[] = {{L"public", false}, {L"PRIVATE", false}, {L"protected", true}, {L"", true}, {L"shared", true}};
    for (const auto& c : cases) {
        AlbumEntry album;
        album.access = c.access;
        EXPECT_EQ(PhotoLinkTooltip(album, L"tip"), c.tip ? L"tip" : L"") << Narrow(c.access);
    }
}

TEST(PhotoListRows, EstimateAtATenthOfASecondPerPhoto)
{
    const struct {
        uint32_t photos, minutes, seconds;
    } cases[] = {{0, 0, 0},     {1, 0, 0},       {9, 0, 0},     {10, 0, 1},     {599, 0, 59},
                 {600, 1, 0},   {611, 1, 1},     {1200, 2, 0},  {1209, 2, 0},   {36000, 60, 0},
                 {35999, 59, 59}};
    for (const auto& c : cases) {
        const PhotoListEstimate estimate = EstimateForPhotos(c.photos);
        EXPECT_EQ(estimate.photos, c.photos);
        EXPECT_EQ(estimate.minutes, c.minutes) << c.photos;
        EXPECT_EQ(estimate.seconds, c.seconds) << c.photos;
    }

    std::vector<AlbumEntry> albums(3);
    albums[0].numPhotos = 1000;
    albums[1].numPhotos = 7;
    albums[2].numPhotos = 200;
    const PhotoListEstimate chosen = EstimatePhotoList(albums, {0, 2, 9});
    EXPECT_EQ(chosen.photos, 1200u) << "only the selected albums, and no index beyond the list";
    EXPECT_EQ(chosen.minutes, 2u);
    EXPECT_EQ(chosen.seconds, 0u);
}

TEST(UrlListText, OneEntryPerSelectedAlbumInTheOrderGiven)
{
    std::vector<AlbumEntry> albums(3);
    albums[0].title = L"Alpha";
    albums[0].numPhotos = 1;
    albums[0].alternateLink = L"http://x/a";
    albums[1].title = L"Beta";
    albums[1].numPhotos = 22;
    albums[1].alternateLink = L"";
    albums[2].title = L"Gamma";
    albums[2].numPhotos = 333;
    albums[2].alternateLink = L"http://x/c?a=1&b=2";
    const UrlListTexts texts =
        BuildUrlListTexts(albums, {2, 0, 1, 7}, L"%s (%d) %s\r\n", L"%s %d <a href=\"%s\">%s</a>\r\n");
    EXPECT_EQ(texts.text, L"Gamma (333) http://x/c?a=1&b=2\r\n"
                          L"Alpha (1) http://x/a\r\n"
                          L"Beta (22) \r\n");
    EXPECT_EQ(texts.html, L"Gamma 333 <a href=\"http://x/c?a=1&amp;b=2\">http://x/c?a=1&amp;b=2</a>\r\n"
                          L"Alpha 1 <a href=\"http://x/a\">http://x/a</a>\r\n"
                          L"Beta 22 <a href=\"\"></a>\r\n");
}

TEST(UrlListText, MarkupInATitleIsEscapedInTheHtmlOnly)
{
    std::vector<AlbumEntry> albums(1);
    albums[0].title = L"<script>alert(\"x\")</script> & <b>";
    albums[0].numPhotos = 2;
    albums[0].alternateLink = L"http://x/\"><i>";
    const UrlListTexts texts = BuildUrlListTexts(albums, {0}, L"%s|%d|%s", L"%s|%d|<a href=\"%s\">%s</a>");
    EXPECT_EQ(texts.text, L"<script>alert(\"x\")</script> & <b>|2|http://x/\"><i>");
    EXPECT_EQ(texts.html, L"&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; &lt;b&gt;|2|"
                          L"<a href=\"http://x/&quot;&gt;&lt;i&gt;\">http://x/&quot;&gt;&lt;i&gt;</a>");
    EXPECT_TRUE(BuildUrlListTexts(albums, {}, L"%s", L"%s").text.empty());
}
