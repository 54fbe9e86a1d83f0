// The plain rules of a backup: file names safe on Windows and unique in
// their folder, the CSV files beside the photos, times, and which files are
// fetched again.
#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>

#include "tests/support/TestEnv.h"
#include "tests/support/TextCases.h"
#include "backup/BackupIndex.h"
#include "backup/BackupNames.h"

using namespace TextCases;
using TestEnv::Narrow;

namespace {

TEST(BackupNames, TitlesBecomeSafeFileNames)
{
    const auto name = [](const std::wstring& title) { return SafeFileName(title, L"photo"); };
    ExpectEach(name, {
        {L"IMG_0001.JPG", L"IMG_0001.JPG"}, {L"a<b>c:d\"e/f\\g|h?i*j.jpg", L"a_b_c_d_e_f_g_h_i_j.jpg"},
        {L"tab\there\x01.png", L"tab_here_.png"}, {L"桜の木.jpg", L"桜の木.jpg"},
        {L"ends with dots...", L"ends with dots"}, {L"ends with blanks . . ", L"ends with blanks"},
        {L"  leading", L"leading"},
        // Device names, with or without an extension; near misses stay.
        {L"CON", L"CON_"}, {L"con.jpg", L"con_.jpg"}, {L"Nul.tar.gz", L"Nul_.tar.gz"}, {L"COM1.mp4", L"COM1_.mp4"},
        {L"lpt9", L"lpt9_"}, {L"COM0.jpg", L"COM0.jpg"}, {L"LPT10.jpg", L"LPT10.jpg"},
        {L"CONSOLE.jpg", L"CONSOLE.jpg"}, {L"AUX .jpg", L"AUX_ .jpg"}, {L"AUXILIARY.jpg", L"AUXILIARY.jpg"},
        {L"", L"photo"}, {L"...", L"photo"}, {L"???", L"___"},
    });
}

TEST(BackupNames, LongTitlesAreShortenedBeforeTheirExtension)
{
    std::wstring faces;
    for (int i = 0; i < 80; ++i)
        faces += L"\xD83D\xDE00"; // a face, two UTF-16 units
    const struct {
        const char* what;
        std::wstring title;
        const wchar_t* ending; // kept at the end
        bool full;             // cut to the whole length allowed
    } cases[] = {
        {"a long stem", std::wstring(300, L'x') + L".jpeg", L".jpeg", true},
        // Never cut between the halves of a character outside the basic plane.
        {"characters of two units", faces + L".jpg", L".jpg", false},
        // Dots met at the cut are trimmed.
        {"dots at the cut", std::wstring(98, L'y') + L"....z", L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring name = SafeFileName(c.title, L"photo");
        const size_t ending = wcslen(c.ending);
        if (c.full) {
            EXPECT_EQ(name.size(), kMostBackupNameLength);
        }
        EXPECT_LE(name.size(), kMostBackupNameLength);
        ASSERT_GT(name.size(), ending);
        EXPECT_EQ(name.substr(name.size() - ending), c.ending);
        EXPECT_FALSE(IS_HIGH_SURROGATE(name[name.size() - ending - 1]));
        EXPECT_NE(name.back(), L'.');
    }
}

TEST(BackupNames, ExtensionsFromContentTypes)
{
    ExpectEach(ExtensionForType, {
        {L"image/jpeg", L".jpg"},      {L"IMAGE/JPEG; charset=x", L".jpg"}, {L"image/png", L".png"},
        {L"image/gif", L".gif"},       {L"video/mpeg4", L".mp4"},           {L"video/mp4", L".mp4"},
        {L"video/quicktime", L".mov"}, {L"application/x-shockwave-flash", L".flv"},
        {L"text/html", L""},           {L"", L""},
    });

    const struct {
        const wchar_t* name;
        bool has;
    } names[] = {{L"a.jpg", true},   {L"a.JPEG", true}, {L"a", false},   {L"a.", false},
                 {L".hidden", false}, {L"v1.2 final", false}, {L"a.toolong", false}, {L"x.mp4", true}};
    for (const auto& n : names)
        EXPECT_EQ(HasExtension(n.name), n.has) << Narrow(n.name);
}

TEST(BackupNames, ClashesAreNumberedInFeedOrder)
{
    const struct {
        std::vector<std::wstring> wanted, names;
    } cases[] = {
        {{L"a.jpg", L"b.jpg"}, {L"a.jpg", L"b.jpg"}},
        {{L"a.jpg", L"a.jpg", L"a.jpg"}, {L"a.jpg", L"a (2).jpg", L"a (3).jpg"}},
        {{L"a.jpg", L"A.JPG"}, {L"a.jpg", L"A (2).JPG"}},
        // The counter skips a name that a later entry has of its own.
        {{L"a.jpg", L"a.jpg", L"a (2).jpg"}, {L"a.jpg", L"a (3).jpg", L"a (2).jpg"}},
        {{L"Trip", L"Trip", L"trip"}, {L"Trip", L"Trip (2)", L"trip (3)"}},
        {{L"x.tar.gz", L"x.tar.gz"}, {L"x.tar.gz", L"x.tar (2).gz"}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UniqueNames(c.wanted), c.names);
        EXPECT_EQ(UniqueNames(c.wanted), UniqueNames(c.wanted)) << "the same from run to run";
    }
}

TEST(BackupIndex, CsvFieldsAreQuotedWhereNeeded)
{
    ExpectEach(CsvField, {
        {L"plain", L"plain"}, {L"", L""}, {L"a,b", L"\"a,b\""}, {L"say \"hi\"", L"\"say \"\"hi\"\"\""},
        {L"two\r\nlines", L"\"two\r\nlines\""}, {L"line\nfeed", L"\"line\nfeed\""}, {L" padded ", L"\" padded \""},
        {L"日本語", L"日本語"},
    });
    EXPECT_EQ(CsvLine({L"a", L"b,c", L""}), L"a,\"b,c\",\r\n");
    EXPECT_EQ(CsvFileBytes(L"桜,a\r\n"), std::string("\xEF\xBB\xBF\xE6\xA1\x9C,a\r\n"));
    EXPECT_EQ(CsvFileBytes(L""), std::string("\xEF\xBB\xBF"));
}

TEST(BackupIndex, TimesInIso8601Utc)
{
    const std::initializer_list<TextCase> times = {
        {L"2009/04/05 10:11:12", L"2009-04-05T10:11:12Z"}, {L"1969/12/31 23:59:59", L"1969-12-31T23:59:59Z"},
        {L"2009/13/05 10:11:12", L""}, {L"2009-04-05 10:11:12", L""}, {L"2009/04/05", L""}, {L"---", L""},
    };
    ExpectEach(UtcTextToIso, times);
    for (const TextCase& c : times) {
        FILETIME time{};
        EXPECT_EQ(UtcTextToFileTime(c.in, time), *c.out != 0) << Narrow(c.in);
    }
    FILETIME time{};
    ASSERT_TRUE(UtcTextToFileTime(L"1970/01/02 00:00:00", time));
    const ULONGLONG ticks = (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    EXPECT_EQ(ticks, 116444736000000000ULL + 86400ULL * 10000000ULL);

    ExpectEach(MillisToIso, {
        {L"1238925072000", L"2009-04-05T09:51:12Z"}, {L"0", L"1970-01-01T00:00:00Z"},
        {L"-86400000", L"1969-12-31T00:00:00Z"}, {L"", L""}, {L"12a", L""}, {L"-", L""},
    });
}

TEST(BackupIndex, IndexAndAlbumLines)
{
    const PhotoEntry photo{.title = L"a,b.jpg", .id = L"5001", .width = 1600, .height = 1200, .size = 123456,
                           .summary = L"caption \"quoted\"", .alternateLink = L"http://h/demo/album/photo/5001",
                           .mediaUrl = L"http://m/img/1/5001/s0/a.jpg", .timestamp = L"2009/04/05 10:11:12"};
    const std::wstring text = IndexCsvText({{L"a,b.jpg", &photo}});
    EXPECT_EQ(text,
              L"file name,photo id,title,caption,time taken,width,height,size,page address,media address\r\n"
              L"\"a,b.jpg\",5001,\"a,b.jpg\",\"caption \"\"quoted\"\"\",2009-04-05T10:11:12Z,1600,1200,123456,"
              L"http://h/demo/album/photo/5001,http://m/img/1/5001/s0/a.jpg\r\n");
    EXPECT_EQ(IndexCsvText({}).find(L"\r\n") + 2, IndexCsvText({}).size()) << "a heading line alone";

    const AlbumEntry album{.title = L"桜 2009", .id = L"42", .access = L"public", .summary = L"Spring,\nin Kyoto",
                           .location = L"Kyoto", .timestamp = L"1238925072000"};
    EXPECT_EQ(AlbumCsvText(album, 60), L"title,summary,place,access,date,album id,number of entries\r\n"
                                       L"桜 2009,\"Spring,\nin Kyoto\",Kyoto,public,2009-04-05T09:51:12Z,42,60\r\n");
}

TEST(BackupIndex, WhichFilesAreFetched)
{
    const PhotoEntry photo{.size = 5000}, unknown,
        video{.size = 9000000, .mediaType = L"video/mpeg4", .uploadedVideoType = L"MP4"};
    // A video's size is its upload's, not its rendition's.
    const std::pair<const PhotoEntry*, int64_t> lengths[] = {{&photo, 5000}, {&unknown, -1}, {&video, -1}};
    for (const auto& [entry, expected] : lengths)
        EXPECT_EQ(ExpectedLength(*entry), expected);

    // existing, expected (the feed's), recorded (the last index's): -1 none.
    const struct {
        int64_t existing, expected, recorded;
        DownloadNeed need;
    } cases[] = {
        {-1, 5000, -1, DownloadNeed::Fetch},  {-1, -1, -1, DownloadNeed::Fetch},   {5000, 5000, -1, DownloadNeed::Keep},
        {4999, 5000, -1, DownloadNeed::Fetch}, {5001, 5000, -1, DownloadNeed::Fetch}, {0, 5000, -1, DownloadNeed::Fetch},
        {0, 0, -1, DownloadNeed::Keep},
        // The feed gives no length: the last index's record decides.
        {2048, -1, -1, DownloadNeed::Fetch},  {2048, -1, 2048, DownloadNeed::Keep}, {2047, -1, 2048, DownloadNeed::Fetch},
        {-1, -1, 2048, DownloadNeed::Fetch},
        // The feed's length wins over the record.
        {2048, 5000, 2048, DownloadNeed::Fetch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NeedsDownload(c.existing, c.expected, c.recorded), c.need)
            << c.existing << " " << c.expected << " " << c.recorded;
}

TEST(BackupIndex, AnIndexIsReadBackAsItWasWritten)
{
    const std::vector<std::vector<std::wstring>> lines = {
        {L"a,b.jpg", L"say \"hi\"", L"two\r\nlines", L"", L" padded "}, {L"\u685c"}, {L"", L""}};
    std::wstring text;
    for (const auto& line : lines)
        text += CsvLine(line);
    EXPECT_EQ(CsvRows(text), lines);
    EXPECT_EQ(CsvRows(L"a,b\nc"), (std::vector<std::vector<std::wstring>>{{L"a", L"b"}, {L"c"}})) << "LF alone, no end";
    EXPECT_TRUE(CsvRows(L"").empty());

    const PhotoEntry photo{.size = 5000, .mediaUrl = L"http://m/s0/a.jpg"},
        clip{.size = 9000000, .mediaUrl = L"http://m/video/1/clip.mp4"};
    const std::string bytes =
        CsvFileBytes(IndexCsvText({{L"a, \u685c.jpg", &photo, 5000}, {L"clip.mp4", &clip, 123}, {L"gone.mp4", &clip}}));
    const std::map<std::wstring, RecordedFile> files = RecordedFiles(bytes);
    const struct {
        const wchar_t* name;
        const wchar_t* url;
        int64_t size;
    } expected[] = {{L"a, \u685c.jpg", L"http://m/s0/a.jpg", 5000},
                    {L"clip.mp4", L"http://m/video/1/clip.mp4", 123},
                    {L"gone.mp4", L"http://m/video/1/clip.mp4", 9000000}};
    ASSERT_EQ(files.size(), 3u);
    for (const auto& e : expected) {
        ASSERT_TRUE(files.count(e.name)) << Narrow(e.name);
        EXPECT_EQ(files.at(e.name).mediaUrl, e.url);
        EXPECT_EQ(files.at(e.name).size, e.size) << "the file's length where there is one, else the feed's size";
    }
    // What is no index of ours gives nothing to trust.
    for (const std::string& other : {std::string(), std::string("\xEF\xBB\xBF"), std::string("a,b\r\nc,d\r\n"),
                                     std::string("h\r\nx,1,t,c,d,1,1,big,p,m\r\n")}) {
        const auto read = RecordedFiles(other);
        EXPECT_TRUE(read.empty() || read.begin()->second.size == -1) << other;
    }
}

} // namespace
