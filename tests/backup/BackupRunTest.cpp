// Whole backups against the stand-in's backup data: every photo and video
// under a safe name with its date and the index beside them; a second run
// that fetches only what is missing; failures, Cancel, the token rule, a
// folder that cannot be made and public-only mode.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "base/CLogSupport.h"
#include "base/ComApartment.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "tests/backup/BackupFolderTree.h"
#include "tests/support/WindowDriver.h"
#include "backup/BackupFile.h"
#include "backup/BackupIndex.h"
#include "backup/BackupNames.h"
#include "backup/BackupRun.h"
#include "service/PhotoFeed.h"

using BackupTest::PathOf;
using TestEnv::Narrow;

namespace {

const wchar_t* const kTripFolder = L"Trip _2009__ _best__";

// An album's folder is the same whatever the list's order and whichever
// albums are backed up: only the account's order decides a clash.
TEST(BackupRunRules, AlbumFoldersDependOnTheAccountAlone)
{
    const AlbumEntry trip{.title = L"Trip <2009>: \"best\"?", .id = L"1"}, first{.title = L"Same title", .id = L"2"},
        second{.title = L"same TITLE", .id = L"3"}, untitled{.id = L"77"};
    const std::vector<AlbumEntry> account = {trip, first, second, untitled};
    using Names = std::vector<std::wstring>;
    const struct
    {
        const char* what;
        std::vector<AlbumEntry> albums, account;
        Names expected;
    } cases[] = {
        {"all, in the account's order", account, account, Names{kTripFolder, L"Same title", L"same TITLE (3)", L"77"}},
        {"sorted otherwise", {second, untitled, first}, account, Names{L"same TITLE (3)", L"77", L"Same title"}},
        {"the second alone", {second}, account, Names{L"same TITLE (3)"}},
        {"the first alone", {first}, account, Names{L"Same title"}},
        {"no account list: the run's own", {second, first}, {}, Names{L"same TITLE", L"Same title (2)"}},
        {"an album the account list lacks", {AlbumEntry{.title = L"Same title", .id = L"9"}}, account,
         Names{L"Same title (9)"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AlbumFolderNames(c.albums, c.account.empty() ? c.albums : c.account), c.expected) << c.what;
    EXPECT_EQ(AlbumFolderOfItsOwn(std::wstring(100, L'a'), first), std::wstring(96, L'a') + L" (2)");
}

// A saved file's name: its type's extension where the title has none, and
// never the name of the backup's own files.
TEST(BackupRunRules, FileNamesTakeTheirTypesExtension)
{
    const auto photo = [](const wchar_t* title, const wchar_t* type) {
        return PhotoEntry{.title = title, .contentType = type};
    };
    PhotoEntry clip = photo(L"clip", L"image/jpeg");
    clip.mediaType = L"video/mp4";
    PhotoEntry uploaded = photo(L"movie", L"image/jpeg");
    uploaded.uploadedVideoType = L"MOV";
    PhotoEntry uploadedMime = photo(L"film", L"image/jpeg");
    uploadedMime.uploadedVideoType = L"video/quicktime";
    const std::vector<PhotoEntry> photos = {
        photo(L"noext", L"image/png"), photo(L"anim", L"image/gif"), photo(L"scan", L"image/bmp"),
        photo(L"shot", L"image/jpeg"), photo(L"odd", L"image/x-unknown"), photo(L"named.jpg", L"image/png"),
        photo(L"index.csv", L"image/png"), photo(L"ALBUM.CSV", L"image/png"), photo(L"index", L"image/png"),
        clip, uploaded, uploadedMime};
    EXPECT_EQ(EntryFileNames(photos),
              (std::vector<std::wstring>{L"noext.png", L"anim.gif", L"scan.bmp", L"shot.jpg", L"odd", L"named.jpg",
                                         L"index (2).csv", L"ALBUM (2).CSV", L"index.png", L"clip.mp4", L"movie.mov",
                                         L"film.mov"}));
    // A folder ends in a separator only at a drive's root.
    EXPECT_EQ(JoinPath(L"E:\\", L"Album"), L"E:\\Album");
    EXPECT_EQ(JoinPath(L"E:\\Backup", L"Album"), L"E:\\Backup\\Album");
    EXPECT_EQ(LongPath(JoinPath(FullPath(L"E:\\"), L"Album")), L"\\\\?\\E:\\Album");
}

// Every failure says why in words, never as a bare number.
TEST(BackupRunRules, FailuresSayWhy)
{
    const DialogHarness::ScopedLanguage language("en");
    const auto result = [](int status, DWORD error, int64_t received, int64_t expected) {
        BackupFileResult r;
        r.status = status;
        r.error = error;
        r.received = received;
        r.expected = expected;
        return r;
    };
    BackupFileResult tooLong = result(200, 0, 5000, 4000);
    tooLong.tooLong = true;
    BackupFileResult inTheWay = result(0, 0, 0, -1);
    inTheWay.nameInTheWay = true;
    BackupFileResult disk = result(200, ERROR_DISK_FULL, 10, 100);
    disk.outcome = BackupFileOutcome::DiskFailed;
    const struct
    {
        BackupFileResult result;
        std::vector<std::wstring> parts; // what the text must hold
    } cases[] = {
        {result(404, 0, 0, -1), {L"HTTP 404"}},
        {result(200, 0, 1234, 5678), {L"cut short", L"1234", L"5678"}},
        {result(200, ERROR_WINHTTP_CONNECTION_ERROR, 1234, 5678), {L"cut short", L"1234", L"5678"}},
        {result(0, ERROR_WINHTTP_TIMEOUT, 0, -1), {L"did not answer in time"}},
        {result(0, ERROR_WINHTTP_CANNOT_CONNECT, 0, -1), {L"connection failed", L"12029"}},
        {result(0, 0, 0, -1), {L"connection failed"}},
        {tooLong, {L"longer than the feed says", L"4000"}},
        {inTheWay, {L"folder of the same name"}},
        {disk, {L"could not be written", L"112"}},
    };
    for (const auto& c : cases) {
        const std::wstring text = BackupFailureText(c.result);
        for (const std::wstring& part : c.parts)
            EXPECT_NE(text.find(part), std::wstring::npos) << Narrow(text);
        EXPECT_EQ(text.find(L"error 0"), std::wstring::npos) << Narrow(text);
    }
}

class BackupRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Control("POST", "reset", "{\"fixture\": \"backup\"}");
        // Beside the scratch folder, which holds the backup alone: a log of
        // this test's own.
        DeleteFileW(TestEnv::Widen(logPath).c_str());
        log.Open(logPath.c_str());
        client.SetLog(&log);
        ASSERT_EQ(client.Login("backup", "backup", "t"), 0u);
        ASSERT_EQ(client.LoadAlbums(), 0u);
        // In the order the tests name them: the trip, then the album titled
        // "Same title" with 2 photos, then the one with 3.
        albums = client.GetAlbums();
        ASSERT_EQ(albums.size(), 3u);
        std::sort(albums.begin(), albums.end(), [](const AlbumEntry& a, const AlbumEntry& b) {
            return std::make_pair(a.title != L"Trip <2009>: \"best\"?", a.numPhotos) <
                   std::make_pair(b.title != L"Trip <2009>: \"best\"?", b.numPhotos);
        });
        ASSERT_EQ(albums[0].title, L"Trip <2009>: \"best\"?");
        ASSERT_EQ(albums[1].numPhotos, 2);
        DWORD result = 1;
        trip = *client.LoadPhotos(albums[0].id, 1, &result, nullptr, true);
        ASSERT_EQ(trip.size(), 9u);
        StandIn::ClearRequests();
    }

    void TearDown() override
    {
        client.SetLog(nullptr);
        StandIn::Reset();
    }

    BackupSummary Run(const std::function<bool(const BackupStatus&)>& cancelWhen = {})
    {
        BackupRun run(client, folder);
        std::atomic<bool> cancel{false};
        BackupRun::Events events;
        events.cancelled = [&] { return cancel.load(); };
        events.progress = [&](const BackupStatus& status) {
            EXPECT_LE(status.filesDone, status.files);
            EXPECT_LE(status.album, status.albums);
            if (cancelWhen && cancelWhen(status))
                cancel = true;
        };
        BackupSummary summary = run.Run(albums, events);
        feedRequests = run.FeedRequests();
        return summary;
    }

    std::map<std::wstring, int64_t> Tree() const { return BackupTest::FolderTree(folder); }

    static void ExpectNoTemporaryFile(const std::map<std::wstring, int64_t>& tree)
    {
        EXPECT_EQ(BackupTest::TemporaryFiles(tree), 0u);
    }

    static size_t Fetches(const char* kind) { return StandIn::RequestsOfKind(kind, "GET").size(); }

    std::wstring TripFile(const std::wstring& name) const { return std::wstring(kTripFolder) + L"\\" + name; }

    std::wstring folder = TestEnv::ScratchFolder("backup-run");
    std::string logPath = Narrow(folder) + ".log";
    // The reasons and the log lines in words.
    const DialogHarness::ScopedLanguage language{"en"};
    CLogSupport log;
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
    std::vector<AlbumEntry> albums;
    std::vector<PhotoEntry> trip;
    uint64_t feedRequests = 0;
};

TEST_F(BackupRunTest, AlbumsAreBackedUpWholeUnderSafeNames)
{
    const BackupSummary summary = Run();
    EXPECT_EQ(summary.downloaded, 14u);
    EXPECT_EQ(summary.alreadyThere, 0u);
    EXPECT_EQ(summary.failed, 0u);
    EXPECT_FALSE(summary.cancelled);
    EXPECT_EQ(summary.diskError, 0u);
    EXPECT_EQ(feedRequests, 3u);

    const std::map<std::wstring, int64_t> tree = Tree();
    ExpectNoTemporaryFile(tree);
    EXPECT_EQ(tree.size(), 14u + 3 * 2) << "every entry, and two index files per album";
    const std::wstring video = IsVideo(trip[8]) && trip[8].mediaType == L"video/mpeg4" ? L"clip.mp4" : L"clip.flv";
    const std::wstring names[] = {L"\u685c\u306e\u82b1.jpg", L"a_b__c_d_.jpg", L"IMG_0001.JPG", L"IMG_0001 (2).JPG",
                                  L"CON_.jpg", L"no extension.png", L"dots.gif", L"img_0001 (3).jpg", video};
    for (size_t i = 0; i < trip.size(); ++i) {
        SCOPED_TRACE(Narrow(names[i]));
        ASSERT_TRUE(tree.count(TripFile(names[i])));
        if (i < 8)
            EXPECT_EQ(tree.at(TripFile(names[i])), trip[i].size);
        else
            EXPECT_GT(tree.at(TripFile(names[i])), 0);
        FILETIME expected{}, created{}, written{};
        ASSERT_TRUE(UtcTextToFileTime(trip[i].timestamp, expected));
        ASSERT_TRUE(BackupTest::FileTimes(folder + L"\\" + TripFile(names[i]), created, written));
        EXPECT_EQ(CompareFileTime(&written, &expected), 0);
    }
    const std::wstring second = L"Same title (" + albums[2].id + L")";
    for (const std::wstring& name : {std::wstring(L"Same title\\album.csv"), second + L"\\album.csv",
                                     second + L"\\SECOND_0003.JPG"})
        EXPECT_EQ(tree.count(name), 1u) << Narrow(name);
    // A picture comes in its own type, whole.
    EXPECT_EQ(TestEnv::ReadBytes(folder + L"\\" + TripFile(L"no extension.png")).substr(0, 4), "\x89PNG");
    EXPECT_EQ(TestEnv::ReadBytes(folder + L"\\" + TripFile(L"dots.gif")).substr(0, 6), "GIF89a");

    const std::string index = TestEnv::ReadBytes(folder + L"\\" + TripFile(L"index.csv"));
    EXPECT_EQ(index.substr(0, 3), "\xEF\xBB\xBF");
    size_t lines = 0;
    for (char c : index)
        lines += c == '\n';
    EXPECT_EQ(lines, 10u);
    EXPECT_NE(index.find("\r\na_b__c_d_.jpg,"), std::string::npos) << "the file name it was saved under";
    EXPECT_NE(index.find("\"a<b>:c\"\"d?.jpg\""), std::string::npos) << "the title, quoted";
    const std::string album = TestEnv::ReadBytes(folder + L"\\" + TripFile(L"album.csv"));
    EXPECT_NE(album.find("\"Trip <2009>: \"\"best\"\"?\",\"Deer, \"\"many\"\"\",Nara,public,2009-04-30T00:00:00Z," +
                         Narrow(albums[0].id) + ",9\r\n"),
              std::string::npos)
        << album;
}

TEST_F(BackupRunTest, ASecondRunFetchesOnlyWhatIsMissing)
{
    ASSERT_EQ(Run().downloaded, 14u);
    const std::wstring video = Tree().count(TripFile(L"clip.mp4")) ? L"clip.mp4" : L"clip.flv";
    const int64_t videoLength = Tree().at(TripFile(video));
    StandIn::ClearRequests();
    BackupSummary again = Run();
    EXPECT_EQ(again.downloaded, 0u);
    EXPECT_EQ(again.alreadyThere, 14u);
    EXPECT_EQ(feedRequests, 3u) << "an unchanged backup costs its feeds";
    const std::vector<Json> requests = StandIn::Requests();
    EXPECT_EQ(requests.size(), 3u);
    for (const Json& request : requests)
        EXPECT_EQ(request["kind"].string, "album_feed") << request["method"].string << " " << request["path"].string;

    // One file gone, a photo and the video cut short by hand: those three only.
    ASSERT_TRUE(DeleteFileW((folder + L"\\" + TripFile(L"CON_.jpg")).c_str()));
    for (const std::wstring& name : {std::wstring(L"dots.gif"), video}) {
        HANDLE file = CreateFileW((folder + L"\\" + TripFile(name)).c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetFilePointer(file, 100, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    StandIn::ClearRequests();
    again = Run();
    EXPECT_EQ(again.downloaded, 3u);
    EXPECT_EQ(again.alreadyThere, 11u);
    EXPECT_EQ(Fetches("image"), 2u);
    EXPECT_EQ(Fetches("video"), 1u);
    EXPECT_EQ(Tree().at(TripFile(L"dots.gif")), trip[6].size);
    EXPECT_EQ(Tree().at(TripFile(video)), videoLength);
}

// Never a partial file under its final name: while a new copy comes and
// after it is cut short, the name holds the older file as it was. Guards
// DownloadToFile writing into TemporaryName(...) and moving that over the
// final name only once the body is whole (backup/BackupFile.cpp).
TEST_F(BackupRunTest, AFileComingOrCutShortNeverShowsPartlyUnderItsName)
{
    ASSERT_EQ(Run().downloaded, 14u);
    // An older copy of another length, so that the next run fetches it again.
    const std::string older = TestEnv::PatternBytes(100);
    const std::wstring path = TestEnv::WriteBytes(folder + L"\\" + kTripFolder, L"dots.gif", older);
    ASSERT_FALSE(path.empty());
    StandIn::Fault(R"({"path": ")" + PathOf(trip[6].mediaUrl) + R"(", "match": "exact", "action": "cut_body"})");
    // Its bytes are the only ones the run receives: the name looked at after each piece written.
    std::vector<int64_t> seen;
    const BackupSummary summary = Run([&](const BackupStatus& status) {
        if (status.bytes > 0)
            seen.push_back(ExistingFileLength(path));
        return false;
    });
    EXPECT_EQ(summary.downloaded, 0u);
    EXPECT_EQ(summary.failed, 1u);
    ASSERT_FALSE(seen.empty()) << "no piece of the body was written";
    for (int64_t length : seen)
        EXPECT_EQ(length, int64_t(older.size()));
    EXPECT_TRUE(TestEnv::ReadBytes(path) == older);
    ExpectNoTemporaryFile(Tree());
}

TEST_F(BackupRunTest, AbortCutsOffStalledDownloadsAtOnce)
{
    // One original gets no reply for 20 s, another stalls in the middle of
    // its body for 25 s; both then close, before the receive time-out (30 s)
    // could end them.
    const std::string stalled[] = {PathOf(trip[1].mediaUrl), PathOf(trip[3].mediaUrl)};
    StandIn::Fault(R"({"path": ")" + stalled[0] + R"(", "match": "exact", "action": "hang", "delay": 20})");
    StandIn::Fault(R"({"path": ")" + stalled[1] +
                   R"(", "match": "exact", "action": "cut_body", "keep": 1000, "hold": 25})");
    BackupRun run(client, folder);
    BackupSummary summary;
    std::thread worker([&] {
        const ComApartment com; // the feeds' parser
        summary = run.Run(albums, {});
    });
    // Both stalled requests are out, the second one's file is begun and the
    // other seven files of the album are saved.
    const auto stalling = [&] {
        size_t out = 0, begun = 0, saved = 0;
        for (const Json& request : StandIn::Requests())
            out += request["path"].string == stalled[0] || request["path"].string == stalled[1];
        const std::map<std::wstring, int64_t> tree = Tree();
        begun = BackupTest::TemporaryFiles(tree);
        saved = tree.size() - begun;
        return out == 2 && begun == 1 && saved == 7;
    };
    EXPECT_TRUE(WindowDriver::WaitUntil(stalling, 30000)) << [&] {
        std::string seen;
        for (const Json& request : StandIn::Requests())
            seen += request["method"].string + " " + request["path"].string + " " + request["status"].string + "\n";
        for (const auto& [name, length] : Tree())
            seen += Narrow(name) + " " + std::to_string(length) + "\n";
        return seen;
    }();
    run.Abort();
    worker.join();
    // Ended while the server still kept silent: a run that waited for it
    // would have ended only once the server closed the first (and then the
    // second, which closes later).
    EXPECT_EQ(StandIn::Unanswered(stalled[0]), 1u) << "the run waited for the server";
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.failed, 0u) << "a cancelled file is no failure";
    const std::map<std::wstring, int64_t> tree = Tree();
    ExpectNoTemporaryFile(tree);
    EXPECT_FALSE(tree.count(TripFile(L"a_b__c_d_.jpg")));
    EXPECT_FALSE(tree.count(TripFile(L"IMG_0001 (2).JPG")));
    EXPECT_EQ(summary.downloaded, 7u) << "the others of the album were saved";
}

TEST_F(BackupRunTest, FailedFilesAndAlbumsAreReportedAndTheRestGoesOn)
{
    StandIn::Fault(R"({"path": ")" + PathOf(trip[2].mediaUrl) + R"(", "match": "exact", "action": "cut_body"})");
    StandIn::Fault(R"({"path": ")" + PathOf(trip[4].mediaUrl) + R"(", "match": "exact", "status": 503})");
    StandIn::Fault(R"({"path": "/data/feed/api/user/backup/albumid/)" + Narrow(albums[1].id) +
                   R"(", "status": 500, "count": -1})");
    const BackupSummary summary = Run();
    EXPECT_EQ(summary.downloaded, 7u + 3u);
    EXPECT_EQ(summary.failed, 2u);
    EXPECT_EQ(summary.albumsFailed, 1u);
    ASSERT_EQ(summary.reasons.size(), 3u);
    const std::map<std::wstring, int64_t> tree = Tree();
    ExpectNoTemporaryFile(tree);
    EXPECT_FALSE(tree.count(TripFile(L"IMG_0001.JPG"))) << "cut short: nothing under its name";
    EXPECT_FALSE(tree.count(TripFile(L"CON_.jpg")));
    EXPECT_TRUE(tree.count(L"Same title (" + albums[2].id + L")\\index.csv")) << "the album after the failed one";
    EXPECT_FALSE(tree.count(L"Same title\\index.csv"));
    std::string reasons;
    for (const std::wstring& reason : summary.reasons)
        reasons += Narrow(reason) + "\n";
    for (const char* reason : {"IMG_0001.JPG: cut short", "CON_.jpg: the server answered HTTP 503", "Same title: ",
                               "(HTTP 500)"})
        EXPECT_NE(reasons.find(reason), std::string::npos) << reasons;
    size_t failedLines = 0;
    for (const std::string& line : ClientTest::LogLines(TestEnv::Widen(logPath)))
        failedLines += line.find("IMG_0001.JPG") != std::string::npos || line.find("CON_.jpg") != std::string::npos;
    EXPECT_EQ(failedLines, 2u);

    // The next run gets the rest.
    StandIn::Control("POST", "clear-faults");
    const BackupSummary rest = Run();
    EXPECT_EQ(rest.downloaded, 2u + 2u);
    EXPECT_EQ(rest.failed, 0u);
}

// What stands in the folder before a photo gets its name: the backup's own
// files, another album's folder, a folder in a file's place.
TEST_F(BackupRunTest, NamesAlreadyTakenAreNeverWrittenOver)
{
    StandIn::Control("POST", "photo", R"({"id": )" + Narrow(trip[0].id) + R"(, "title": "index.csv"})");
    const std::wstring tripFolder = folder + L"\\" + kTripFolder;
    const std::wstring other = folder + L"\\Same title";
    ASSERT_TRUE(CreateDirectoryW(tripFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((tripFolder + L"\\CON_.jpg").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    const std::string othersCsv = "title,summary,place,access,date,album id,number of entries\r\n"
                                  "Same title,,,public,2001-01-01T00:00:00Z,999,1\r\n";
    TestEnv::WriteBytes(other, L"album.csv", othersCsv);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const BackupSummary summary = Run();
        EXPECT_EQ(summary.downloaded + summary.alreadyThere, 13u);
        EXPECT_EQ(summary.alreadyThere, round == 0 ? 0u : 13u);
        EXPECT_EQ(summary.failed, 1u);
        EXPECT_EQ(summary.diskError, 0u) << "a folder in a file's place stops that file alone";
        ASSERT_EQ(summary.reasons.size(), 1u);
        EXPECT_NE(summary.reasons[0].find(L"CON_.jpg: a folder of the same name"), std::wstring::npos)
            << Narrow(summary.reasons[0]);
        const std::map<std::wstring, int64_t> tree = Tree();
        EXPECT_EQ(tree.at(TripFile(L"index (2).csv")), trip[0].size) << "the photo beside the index";
        EXPECT_EQ(TestEnv::ReadBytes(tripFolder + L"\\index.csv").substr(0, 12), "\xEF\xBB\xBF" "file name");
        EXPECT_EQ(TestEnv::ReadBytes(other + L"\\album.csv"), othersCsv) << "another album's folder";
        EXPECT_EQ(tree.count(L"Same title\\index.csv"), 0u);
        for (size_t a = 1; a < 3; ++a)
            EXPECT_EQ(tree.count(L"Same title (" + albums[a].id + L")\\album.csv"), 1u);
    }
}

// An entry the feed gives no address for fails in words, without a request.
TEST_F(BackupRunTest, AnEntryWithoutAnAddressFailsInWords)
{
    StandIn::Fault(R"({"path": "/data/feed/api/user/backup/albumid/)" + Narrow(albums[1].id) +
                   R"(", "status": 200, "content_type": "application/atom+xml", "body": "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gphoto='http://schemas.google.com/photos/2007'><entry><title>lost.png</title><gphoto:id>1</gphoto:id><content type='image/png'/></entry></feed>"})");
    const BackupSummary summary = Run();
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_EQ(summary.downloaded, 9u + 3u);
    ASSERT_EQ(summary.reasons.size(), 1u);
    EXPECT_NE(summary.reasons[0].find(L"Same title\\lost.png: the service gives no address"), std::wstring::npos)
        << Narrow(summary.reasons[0]);
    EXPECT_EQ(Fetches("image") + Fetches("video"), 9u + 3u);
}

TEST_F(BackupRunTest, CancelLeavesOnlyCompleteFiles)
{
    const BackupSummary summary = Run([](const BackupStatus& status) { return status.filesDone >= 3; });
    EXPECT_TRUE(summary.cancelled);
    EXPECT_LT(summary.downloaded, 14u);
    const std::map<std::wstring, int64_t> tree = Tree();
    ExpectNoTemporaryFile(tree);
    std::set<int64_t> sizes;
    for (const PhotoEntry& photo : trip)
        sizes.insert(photo.size);
    for (const auto& [name, length] : tree) {
        if (name.find(L".csv") == std::wstring::npos && name.find(L"clip.") == std::wstring::npos) {
            EXPECT_TRUE(sizes.count(length)) << Narrow(name) << " is whole";
        }
    }
    const BackupSummary rest = Run();
    EXPECT_EQ(rest.downloaded + rest.alreadyThere, 14u);
    EXPECT_EQ(rest.alreadyThere, summary.downloaded);
}

// A Cancel counts only where it left work undone: one pressed as the last
// file came in leaves a complete backup.
TEST_F(BackupRunTest, ACancelAfterTheWorkIsDoneIsNoCancel)
{
    const struct {
        const char* what;
        std::function<bool(const BackupStatus&)> cancelWhen;
        bool cancelled;
        uint64_t downloaded;
    } cases[] = {
        {"once the last album's last file is in",
         [](const BackupStatus& s) { return s.album == s.albums && s.files > 0 && s.filesDone == s.files; }, false,
         14},
        {"once the first album's last file is in",
         [](const BackupStatus& s) { return s.album == 1 && s.files > 0 && s.filesDone == s.files; }, true, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const BackupSummary summary = Run(c.cancelWhen);
        EXPECT_EQ(summary.cancelled, c.cancelled);
        EXPECT_EQ(summary.downloaded, c.downloaded);
        EXPECT_EQ(summary.failed, 0u);
        folder = TestEnv::ScratchFolder("backup-run-cancel-" + std::to_string(&c - cases));
    }
}

TEST_F(BackupRunTest, TheTokenGoesOnlyToThePhotoServer)
{
    StandIn::Control("POST", "settings", "{\"media_host\": \"127.0.0.1\"}");
    EXPECT_EQ(Run().downloaded, 14u);
    size_t media = 0, feeds = 0;
    for (const Json& request : StandIn::Requests()) {
        const std::string kind = request["kind"].string;
        const std::string host = StandIn::HeaderValue(request, "Host");
        if (kind == "image" || kind == "video") {
            ++media;
            EXPECT_EQ(host.rfind("127.0.0.1:", 0), 0u) << host;
            EXPECT_FALSE(StandIn::HasHeader(request, "Authorization")) << request["path"].string;
        } else if (kind == "album_feed") {
            ++feeds;
            EXPECT_TRUE(StandIn::HasHeader(request, "Authorization"));
        }
    }
    EXPECT_EQ(media, 14u);
    EXPECT_EQ(feeds, 3u);
}

TEST_F(BackupRunTest, APathThatCannotBeMadeStopsWithNothingWritten)
{
    // The chosen folder is a file: no album folder can be made in it.
    const std::wstring blocker = folder + L"\\blocker";
    HANDLE file = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    BackupRun run(client, blocker);
    const BackupSummary summary = run.Run(albums, {});
    EXPECT_NE(summary.diskError, 0u);
    EXPECT_EQ(summary.diskPath, blocker + L"\\" + kTripFolder);
    EXPECT_EQ(summary.downloaded, 0u);
    EXPECT_EQ(Tree().size(), 1u);
    EXPECT_EQ(Fetches("image"), 0u);
}

TEST_F(BackupRunTest, PublicAlbumsNeedNoSignIn)
{
    PicasaClient guest{StandIn::BaseW(), StandIn::BaseW()};
    ASSERT_EQ(guest.OpenPublicSession("backup", ""), 0u);
    ASSERT_EQ(guest.LoadAlbums(), 0u);
    const std::vector<AlbumEntry> publicAlbums = guest.GetAlbums();
    ASSERT_EQ(publicAlbums.size(), 2u);
    StandIn::ClearRequests();
    BackupRun run(guest, folder);
    const BackupSummary summary = run.Run(publicAlbums, {});
    EXPECT_EQ(summary.downloaded, 9u + 2u);
    for (const Json& request : StandIn::Requests())
        EXPECT_FALSE(StandIn::HasHeader(request, "Authorization")) << request["path"].string;
}

} // namespace
