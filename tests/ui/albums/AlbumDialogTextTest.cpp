// The decisions of the new album, photo list and URL dialogs, without a
// window: the date checks, the album time, the texts built from resource
// formats, the media description, the time estimate and the URL list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <tuple>

#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "app/ResourceText.h"
#include "base/TextFormat.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/albums/NewAlbumChecks.h"
#include "ui/photos/PhotoListRows.h"
#include "ui/albums/UrlListText.h"
#include "ui/controls/ListSort.h"

using TestEnv::Narrow;

namespace {

// A failed check puts the focus in the field it is about.
void ExpectCheck(const std::wstring& title, const std::wstring& date, UINT message, int argument = 0)
{
    SCOPED_TRACE("title '" + Narrow(title) + "' date '" + Narrow(date) + "'");
    const NewAlbumCheck check = CheckNewAlbum(title, date);
    EXPECT_EQ(check.messageId, message);
    EXPECT_EQ(check.argument, argument);
    EXPECT_EQ(check.Passed(), message == 0);
    if (message != 0)
        EXPECT_EQ(check.focusId, message == IDS_NEW_ALBUM_NO_TITLE ? IDC_NEW_ALBUM_TITLE : IDC_NEW_ALBUM_DATE);
}

} // namespace

TEST(NewAlbumChecks, TitleThenDateInTheirOrder)
{
    // The title first, even when the date is wrong too; blanks count.
    for (const wchar_t* date : {L"2012/03/24", L"2012/3/5", L""})
        ExpectCheck(L"", date, IDS_NEW_ALBUM_NO_TITLE);
    ExpectCheck(L" ", L"2012/03/24", 0);

    const struct {
        UINT message;
        std::vector<std::wstring> dates;
    } groups[] = {
        {0, {L"2012/03/05", L"2012/02/29", L"2000/02/29", L"2011/02/28", L"2012/04/30", L"2012/12/31", L"2012/10/15",
             L"2012/01/31"}},
        // Not the loose form: four digits, one or two, one or two.
        {IDS_NEW_ALBUM_DATE_FORM,
         {L"2012/0a/05", L"2012-03-05", L"20120305", L"2012/0305", L"12/03/05", L"2012/03/05 ", L""}},
        // Not the strict form (months 01 to 12, days 01 to 31, two digits
        // each), and February's 30th and 31st.
        {IDS_NEW_ALBUM_DATE_INVALID, {L"2012/3/5", L"2012/3/05", L"2012/03/5", L"2012/13/01", L"2012/00/10",
                                      L"2012/01/00", L"2012/01/32", L"2012/02/30", L"2012/02/31"}},
    };
    for (const auto& group : groups)
        for (const std::wstring& date : group.dates)
            ExpectCheck(L"t", date, group.message);

    // February's 29th outside leap years names the year; the 31st of a
    // 30-day month names the month.
    for (const auto& [date, year] : {std::pair{L"2011/02/29", 2011}, {L"1900/02/29", 1900}})
        ExpectCheck(L"t", date, IDS_NEW_ALBUM_NOT_LEAP_YEAR, year);
    for (const auto& [date, month] : {std::pair{L"2012/04/31", 4}, {L"2012/06/31", 6}, {L"2012/09/31", 9},
                                      {L"2012/11/31", 11}})
        ExpectCheck(L"t", date, IDS_NEW_ALBUM_NO_31ST, month);
}

TEST(NewAlbumChecks, GregorianLeapYears)
{
    for (int year : {1600, 1996, 2000, 2004, 2012, 2400})
        EXPECT_TRUE(IsGregorianLeapYear(year)) << year;
    for (int year : {1700, 1800, 1900, 2011, 2100, 2013})
        EXPECT_FALSE(IsGregorianLeapYear(year)) << year;
}

TEST(NewAlbumChecks, TodayIsWrittenYearMonthDay)
{
    const AlbumDay day = ParseAlbumDay(L"2012/03/24");
    EXPECT_EQ(std::tie(day.year, day.month, day.day), std::make_tuple(2012, 3, 24));

    SYSTEMTIME now = {};
    GetLocalTime(&now);
    const std::wstring today = TodayDateText();
    ASSERT_EQ(today.size(), 10u) << Narrow(today);
    EXPECT_TRUE(CheckAlbumDate(today).Passed()) << Narrow(today);
    const AlbumDay parsed = ParseAlbumDay(today);
    EXPECT_EQ(parsed.year, now.wYear);
    EXPECT_EQ(parsed.month, now.wMonth);
}

TEST(NewAlbumChecks, AlbumTimeIsFourInTheAfternoonOfTheDayAndNeverBefore1970)
{
    // Whatever the zone: the time falls on the day at 16:00 local time.
    int64_t seconds = 0;
    ASSERT_TRUE(AlbumTimeSeconds(AlbumDay{2012, 3, 24}, seconds));
    const uint64_t intervals = uint64_t(seconds) * 10000000ull + 116444736000000000ull;
    const FILETIME utc = {DWORD(intervals), DWORD(intervals >> 32)};
    SYSTEMTIME utcTime = {}, local = {};
    ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcTime));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local));
    EXPECT_EQ(std::tie(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute),
              std::make_tuple(2012, 3, 24, 16, 0));
    EXPECT_EQ(AlbumTimeOrNow(L"2012/03/24"), seconds);

    seconds = -7;
    for (const AlbumDay& day : {AlbumDay{1969, 7, 20}, AlbumDay{1955, 5, 5}, AlbumDay{0, 1, 1}})
        EXPECT_FALSE(AlbumTimeSeconds(day, seconds)) << day.year;
    EXPECT_EQ(seconds, -7) << "left alone";
    // 16:00 on the first day of 1970 is after the epoch in every zone.
    EXPECT_TRUE(AlbumTimeSeconds(AlbumDay{1970, 1, 1}, seconds));
    EXPECT_GT(seconds, 0);
    const int64_t before = CurrentTimeSeconds();
    const int64_t now = AlbumTimeOrNow(L"1969/07/20");
    EXPECT_GE(now, before);
    EXPECT_LE(now, CurrentTimeSeconds());
}

TEST(PhotoListRows, MediaDescriptions)
{
    auto clip = [](const wchar_t* type, int width, int height, int seconds) {
        return PhotoEntry{.mediaUrl = L"http://h/v.mp4", .mediaType = type, .mediaWidth = width, .mediaHeight = height,
                          .uploadedVideoDuration = seconds};
    };
    const struct {
        PhotoEntry photo;
        std::wstring expected;
    } cases[] = {
        {PhotoEntry{.mediaUrl = L"http://h/s0/a.png"}, L"Photo"},
        {PhotoEntry{}, L""}, // no address in the feed
        {clip(L"video/mpeg4", 640, 480, 5), L"Video ( 640x 480, 5[Sec] ,MPEG4)"},
        {clip(L"application/x-shockwave-flash", 1280, 720, 35), L"Video (1280x 720, 35[Sec] ,FLV)"},
        {clip(L"video/quicktime", 320, 240, 12), L"Video ( 320x 240, 12[Sec])"},
        // Exact names only.
        {clip(L"Video/MPEG4", 640, 480, 5), L"Video ( 640x 480, 5[Sec])"},
        {clip(L"application/x-shockwave-flash ", 640, 480, 5), L"Video ( 640x 480, 5[Sec])"},
        {clip(L"video/mpeg4", 12345, 7, 0), L"Video (12345x   7, 0[Sec] ,MPEG4)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MediaDescription(c.photo, L"Photo", L"Video"), c.expected) << Narrow(c.photo.mediaType);
}

TEST(PhotoListRows, CellsOfARow)
{
    EXPECT_EQ(PhotoNumberText(1, 1), L"00001 - 0001");
    EXPECT_EQ(PhotoNumberText(2, 1000), L"00002 - 1000");
    EXPECT_EQ(PhotoNumberText(12, 34567), L"00012 - 34567");
    // Text order is album order, then photo order.
    EXPECT_LT(PhotoNumberText(1, 999), PhotoNumberText(2, 1));
    EXPECT_LT(PhotoNumberText(1, 9), PhotoNumberText(1, 10));

    const AlbumEntry album{.title = L"Trip"};
    const PhotoEntry photo{.sequence = 3, .title = L"IMG_0003.JPG", .id = L"5500000000000000001", .width = 4000,
                           .height = 3000, .size = 2345678, .viewCount = -1, .commentCount = 4, .starredTotal = 2,
                           .summary = L"At the sea", .alternateLink = L"http://example.com/page",
                           .mediaUrl = L"http://example.com/s0/IMG_0003.JPG", .timestamp = L"2012/03/24 07:00:00"};
    EXPECT_EQ(PhotoRowCells(album, 2, photo, false, L"P", L"V"),
              (std::vector<std::wstring>{L"Trip", L"00002 - 0003", L"IMG_0003.JPG", L"-1", L"4", L"2",
                                         L"2012/03/24 07:00:00", L"4000", L"3000", L"2345678", L"At the sea",
                                         L"5500000000000000001", L"http://example.com/page", L"P"}));
    const std::vector<std::wstring> quick = PhotoRowCells(album, 2, photo, true, L"P", L"V");
    EXPECT_EQ(std::vector<std::wstring>(quick.begin() + 3, quick.begin() + 6), std::vector<std::wstring>(3, L"-----"));
    EXPECT_EQ(quick[9], L"2345678");
}

TEST(PhotoListRows, ColumnTable)
{
    using AlbumDialogTest::kPhotoHeaders, AlbumDialogTest::kPhotoNumbers;
    for (int i = 0; i < kPhotoListColumnCount; ++i) {
        EXPECT_EQ(kPhotoListColumns[i].headerId, kPhotoHeaders[i]) << i;
        EXPECT_EQ(kPhotoListColumns[i].format == LVCFMT_RIGHT, kPhotoNumbers[i]) << i;
        EXPECT_EQ(kPhotoListColumns[i].sortType, kPhotoNumbers[i] ? SortLong : SortText) << i;
    }
}

TEST(PhotoListRows, TooltipForAlbumsNotOpenToEveryone)
{
    for (const auto& [access, tip] :
         {std::pair{L"public", false}, {L"PRIVATE", false}, {L"protected", true}, {L"", true}, {L"shared", true}})
        EXPECT_EQ(PhotoLinkTooltip(AlbumEntry{.access = access}, L"tip"), tip ? L"tip" : L"") << Narrow(access);
}

TEST(PhotoListRows, EstimateAtATenthOfASecondPerPhoto)
{
    const struct {
        uint32_t photos, minutes, seconds;
    } cases[] = {{0, 0, 0},   {1, 0, 0},    {9, 0, 0},    {10, 0, 1},     {599, 0, 59},    {600, 1, 0},
                 {611, 1, 1}, {1200, 2, 0}, {1209, 2, 0}, {36000, 60, 0}, {35999, 59, 59}};
    for (const auto& c : cases) {
        const PhotoListEstimate estimate = EstimateForPhotos(c.photos);
        EXPECT_EQ(std::tie(estimate.photos, estimate.minutes, estimate.seconds),
                  std::tie(c.photos, c.minutes, c.seconds));
    }
    const std::vector<AlbumEntry> albums = {{.numPhotos = 1000}, {.numPhotos = 7}, {.numPhotos = 200}};
    const PhotoListEstimate chosen = EstimatePhotoList(albums, {0, 2, 9});
    // Only the selected albums, and no index beyond the list.
    EXPECT_EQ(std::tie(chosen.photos, chosen.minutes, chosen.seconds), std::make_tuple(1200u, 2u, 0u));
}

TEST(UrlListText, OneEntryPerSelectedAlbumInTheOrderGivenMarkupEscapedInTheHtmlOnly)
{
    const UrlListTexts texts = BuildUrlListTexts(AlbumDialogTest::UrlAlbums(), {2, 0, 1, 7}, L"%s (%d) %s\r\n",
                                                 L"%s %d <a href=\"%s\">%s</a>\r\n");
    EXPECT_EQ(texts.text, L"No page (0) \r\n"
                          L"Beach (9) http://localhost/friend/Beach\r\n"
                          L"<b>Paris</b> & \"Rome\" (28) http://localhost/demo/ParisRome?x=1&y=2\"><i>\r\n");
    const std::wstring link = L"http://localhost/demo/ParisRome?x=1&amp;y=2&quot;&gt;&lt;i&gt;";
    EXPECT_EQ(texts.html, L"No page 0 <a href=\"\"></a>\r\n"
                          L"Beach 9 <a href=\"http://localhost/friend/Beach\">http://localhost/friend/Beach</a>\r\n"
                          L"&lt;b&gt;Paris&lt;/b&gt; &amp; &quot;Rome&quot; 28 <a href=\"" +
                              link + L"\">" + link + L"</a>\r\n");
    const UrlListTexts none = BuildUrlListTexts(AlbumDialogTest::UrlAlbums(), {}, L"%s", L"%s");
    EXPECT_TRUE(none.text.empty() && none.html.empty());
}

// An address that is no web page is listed as text: the pasted HTML makes no
// link of it, in either language module's entry format.
TEST(UrlListText, AnAddressThatIsNoWebPageIsNoLinkInTheHtml)
{
    std::vector<AlbumEntry> albums(2);
    albums[0].title = L"Run";
    albums[0].alternateLink = L"C:\\windows\\system32\\notepad.exe";
    albums[1].title = L"Search";
    albums[1].alternateLink = L"search-ms:query=x";
    for (const wchar_t* format : {L"%s %d <a href=\"%s\">%s</a>\r\n", L"%s (photos: %d)<br>\r\n<a href=\"%s\">%s</a><br>"}) {
        const UrlListTexts texts = BuildUrlListTexts(albums, {0, 1}, L"%s %d %s\r\n", format);
        EXPECT_EQ(texts.html.find(L"href"), std::wstring::npos) << TestEnv::Narrow(texts.html);
        EXPECT_NE(texts.html.find(L"C:\\windows\\system32\\notepad.exe"), std::wstring::npos);
        EXPECT_NE(texts.html.find(L"search-ms:query=x"), std::wstring::npos);
    }
    // A format without the anchor the modules use still gets no address in an href.
    const UrlListTexts odd = BuildUrlListTexts(albums, {1}, L"%s", L"%s %d <a  href='%s'>%s</a>");
    EXPECT_EQ(odd.html.find(L"search-ms"), odd.html.rfind(L"search-ms"));
}

TEST(CountTexts, OneAndManyReadRightInEnglishAndJapanese)
{
    {
        DialogHarness::ScopedLanguage english("en");
        const struct
        {
            int64_t count;
            const wchar_t* albums;
            const wchar_t* photos;
        } cases[] = {{0, L"0 albums", L"0 photos"}, {1, L"1 album", L"1 photo"}, {12, L"12 albums", L"12 photos"}};
        for (const auto& c : cases) {
            EXPECT_EQ(CountText(IDS_COUNT_ALBUM, IDS_COUNT_ALBUMS, c.count), c.albums);
            EXPECT_EQ(CountText(IDS_COUNT_PHOTO, IDS_COUNT_PHOTOS, c.count), c.photos);
        }
        EXPECT_EQ(DeleteQuestion(1, 12), L"Delete 1 album with 12 photos? This cannot be undone.");
        // One album by its title, which is shown as it is.
        const struct {
            const wchar_t* title;
            int64_t photos;
            const wchar_t* question;
        } one[] = {
            {L"Family", 12, L"Delete the album \"Family\" with 12 photos? This cannot be undone."},
            {L"100% %s \"x\"", 1, L"Delete the album \"100% %s \"x\"\" with 1 photo? This cannot be undone."},
            {L"", 0, L"Delete the album \"\" with 0 photos? This cannot be undone."},
        };
        for (const auto& c : one)
            EXPECT_EQ(DeleteQuestion(c.title, c.photos), c.question) << TestEnv::Narrow(c.title);
        EXPECT_EQ(english.String(IDS_CAPTION_NO_SELECTION), L"Albums");
    }
    DialogHarness::ScopedLanguage japanese("ja");
    EXPECT_EQ(DeleteQuestion(3, 1),
              L"\u30a2\u30eb\u30d0\u30e0 3 \u4ef6\u3068\u5199\u771f 1 \u679a\u3092\u524a\u9664\u3057\u307e\u3059\u304b"
              L"\uff1f \u5143\u306b\u623b\u3059\u3053\u3068\u306f\u3067\u304d\u307e\u305b\u3093\u3002");
}

TEST(CalendarStart, TheNewestReadableDayWins)
{
    SYSTEMTIME day = {};
    EXPECT_FALSE(NewestPublishedDay({}, day));
    EXPECT_FALSE(NewestPublishedDay({L"", L"not a date"}, day));
    ASSERT_TRUE(NewestPublishedDay({L"2009/06/14 10:00:00", L"2012/03/24 08:00:00", L"junk", L"2011/12/31 23:59:59"}, day));
    EXPECT_EQ(day.wYear, 2012);
    EXPECT_EQ(day.wMonth, 3);
    EXPECT_EQ(day.wDay, 24);
    ASSERT_TRUE(NewestPublishedDay({L"2012/03/24 08:00:00", L"2012/03/25 00:00:00"}, day));
    EXPECT_EQ(day.wDay, 25);
}

// The photo list asks only about loads of more than ten seconds, and says
// how long in words; its title names what it lists.
TEST(PhotoListRows, TheQuestionInWordsAndTheTitle)
{
    DialogHarness::ScopedLanguage english("en");
    const struct
    {
        uint32_t seconds;
        const wchar_t* words;
    } times[] = {{0, L"about 10 seconds"},  {11, L"about 10 seconds"},  {44, L"about 40 seconds"},
                 {55, L"about 1 minute"},   {89, L"about 1 minute"},    {90, L"about 2 minutes"},
                 {120, L"about 2 minutes"}, {3569, L"about 59 minutes"}, {3570, L"about 1 hour"},
                 {5400, L"about 2 hours"}};
    for (const auto& t : times)
        EXPECT_EQ(DurationText(t.seconds), t.words) << t.seconds;
    for (const auto& [photos, asked] : {std::pair{100u, false}, {109u, false}, {110u, true}, {600u, true}})
        EXPECT_EQ(EstimateWorthAsking(EstimateForPhotos(photos)), asked) << photos;

    std::vector<PhotoListAlbum> albums(1);
    albums[0].album.title = L"Garden";
    albums[0].photos = std::make_unique<std::vector<PhotoEntry>>(15);
    EXPECT_EQ(PhotoListCaption(L"Photos", albums), L"Photos - Garden, 15 photos");
    albums.resize(3);
    albums[1].photos = std::make_unique<std::vector<PhotoEntry>>(1);
    EXPECT_EQ(PhotoListCaption(L"Photos", albums), L"Photos - 3 albums, 16 photos") << "an unread album adds none";
    DialogHarness::ScopedLanguage japanese("ja");
    EXPECT_EQ(DurationText(150), L"\u7d04 3 \u5206");
}
