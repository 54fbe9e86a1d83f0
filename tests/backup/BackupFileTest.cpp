// One file of a backup fetched into its folder against the stand-in: the
// original whole and dated, or nothing at all when the server fails, the
// download is cut short, the run is stopped or the folder cannot be
// written; and the paths it uses.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "http/WinHttpDownload.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TextCases.h"
#include "tests/backup/BackupFolderTree.h"
#include "backup/BackupFile.h"
#include "backup/BackupIndex.h"
#include "backup/BackupNames.h"
#include "service/PhotoFeed.h"

using BackupTest::PathOf;
using TestEnv::Narrow;
using TextCases::ExpectEach;

namespace {

TEST(BackupPaths, LongPathsAndTemporaryNames)
{
    ExpectEach(LongPath, {
        {L"C:\\Backup\\a.jpg", L"\\\\?\\C:\\Backup\\a.jpg"},
        {L"\\\\server\\share\\a.jpg", L"\\\\?\\UNC\\server\\share\\a.jpg"},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
    });
    // What a picker may give, made whole before it goes into the long form.
    ExpectEach(FullPath,
               {{L"C:\\Backup\\.", L"C:\\Backup"}, {L"C:\\Backup\\a\\..\\b", L"C:\\Backup\\b"}, {L"C:\\Backup", L"C:\\Backup"}});
    EXPECT_EQ(TemporaryName(L"a.jpg"), L"a.jpg.quillon-part");
    EXPECT_FALSE(HasExtension(TemporaryName(L"a"))) << "no saved file ends as a temporary one does";
}

class BackupFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Reset();
        ASSERT_EQ(client.Login("demo", "demo", "t"), 0u);
        ASSERT_EQ(client.LoadAlbums(), 0u);
        for (const AlbumEntry& album : client.GetAlbums()) {
            if (album.title == L"\u685c 2009")
                photos = Load(album.id);
            if (album.title == L"Videos")
                videos = Load(album.id);
        }
        ASSERT_GE(photos.size(), 4u);
        ASSERT_FALSE(videos.empty());
        StandIn::ClearRequests();
    }

    void TearDown() override { StandIn::Reset(); }

    std::vector<PhotoEntry> Load(const std::wstring& albumId)
    {
        DWORD result = 1;
        auto list = client.LoadPhotos(albumId, 1, &result, nullptr, true);
        EXPECT_EQ(result, 0u);
        return *list;
    }

    BackupFileJob JobFor(const PhotoEntry& photo, const std::wstring& name)
    {
        BackupFileJob job;
        job.url = photo.mediaUrl;
        job.headers = client.Access().HeadersFor(photo.mediaUrl);
        job.folder = folder;
        job.fileName = name;
        job.expectedLength = ExpectedLength(photo);
        job.hasTime = UtcTextToFileTime(photo.timestamp, job.time);
        return job;
    }

    BackupFileResult Download(const BackupFileJob& job)
    {
        int64_t heard = 0;
        BackupFileResult result = DownloadToFile(http, job, stop, [&](int64_t n) { heard += n; });
        if (result.outcome == BackupFileOutcome::Saved) {
            EXPECT_EQ(heard, result.received);
        }
        return result;
    }

    // The names in the test's folder.
    std::vector<std::wstring> Files() const
    {
        std::vector<std::wstring> names;
        for (const auto& entry : BackupTest::FolderTree(folder))
            names.push_back(entry.first);
        return names;
    }

    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
    std::vector<PhotoEntry> photos, videos;
    WinHttpDownload http;
    std::atomic<bool> stop{false};
    std::wstring folder = TestEnv::ScratchFolder("backup-file");
};

TEST_F(BackupFile, AnOriginalIsSavedWholeAndDated)
{
    for (size_t i = 0; i < 3; ++i) {
        const PhotoEntry& photo = photos[i];
        SCOPED_TRACE(Narrow(photo.title));
        const std::wstring name = L"photo" + std::to_wstring(i) + L".png";
        const BackupFileJob job = JobFor(photo, name);
        ASSERT_TRUE(job.hasTime);
        const BackupFileResult result = Download(job);
        EXPECT_EQ(result.outcome, BackupFileOutcome::Saved);
        EXPECT_EQ(result.status, 200);
        EXPECT_EQ(ExistingFileLength(folder + L"\\" + name), int64_t(photo.size));
        const std::string bytes = TestEnv::ReadBytes(folder + L"\\" + name);
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

        FILETIME created{}, written{};
        ASSERT_TRUE(BackupTest::FileTimes(folder + L"\\" + name, created, written));
        EXPECT_EQ(CompareFileTime(&written, &job.time), 0);
        EXPECT_EQ(CompareFileTime(&created, &job.time), 0);
    }
    EXPECT_EQ(Files().size(), 3u) << "no temporary file left";
}

TEST_F(BackupFile, AVideoRenditionIsAsLongAsItsReplyAnnounced)
{
    const PhotoEntry* video = nullptr;
    for (const PhotoEntry& entry : videos)
        if (IsVideo(entry))
            video = &entry;
    ASSERT_NE(video, nullptr);
    const BackupFileResult result = Download(JobFor(*video, L"clip.mp4"));
    EXPECT_EQ(result.outcome, BackupFileOutcome::Saved);
    EXPECT_GT(result.expected, 0);
    EXPECT_EQ(ExistingFileLength(folder + L"\\clip.mp4"), result.expected);
}

TEST_F(BackupFile, AFailureLeavesNothingBehind)
{
    const struct {
        const char* what;
        std::string fault; // armed on the original's path
        int status;
    } cases[] = {
        {"server error", R"("status": 503)", 503},
        {"not found", R"("status": 404, "body": "gone")", 404},
        {"cut short", R"("action": "cut_body", "keep": 5000)", 200},
        {"cut before the body", R"("action": "cut_body", "keep": 0)", 200},
        // Twice: a client may send again on a fresh connection what a reset
        // kept-alive one lost.
        {"reset", R"("action": "reset", "count": 2)", 0},
    };
    const PhotoEntry& photo = photos[0];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A fault the case before left unused would take this case's request.
        StandIn::Control("POST", "clear-faults");
        StandIn::Fault(R"({"path": ")" + PathOf(photo.mediaUrl) + R"(", "match": "exact", )" + c.fault + "}");
        const BackupFileResult result = Download(JobFor(photo, L"a.png"));
        EXPECT_EQ(result.outcome, BackupFileOutcome::Failed);
        EXPECT_EQ(result.status, c.status);
        EXPECT_TRUE(Files().empty());
    }
    // A cut-short download over an older file leaves the older file as it was.
    StandIn::Control("POST", "clear-faults");
    ASSERT_EQ(Download(JobFor(photos[1], L"a.png")).outcome, BackupFileOutcome::Saved);
    const std::string before = TestEnv::ReadBytes(folder + L"\\a.png");
    StandIn::Fault(R"({"path": ")" + PathOf(photo.mediaUrl) + R"(", "match": "exact", "action": "cut_body"})");
    EXPECT_EQ(Download(JobFor(photo, L"a.png")).outcome, BackupFileOutcome::Failed);
    EXPECT_TRUE(TestEnv::ReadBytes(folder + L"\\a.png") == before);
    EXPECT_EQ(Files(), std::vector<std::wstring>{L"a.png"});
}

TEST_F(BackupFile, AStopMidWayLeavesNothingBehind)
{
    const PhotoEntry& photo = photos[0];
    int64_t heard = 0;
    // Stopped as soon as the first piece is written.
    const BackupFileResult result = DownloadToFile(http, JobFor(photo, L"a.png"), stop, [&](int64_t n) {
        heard += n;
        stop = true;
    });
    EXPECT_EQ(result.outcome, BackupFileOutcome::Stopped);
    EXPECT_GT(heard, 0);
    EXPECT_LT(heard, int64_t(photo.size));
    EXPECT_TRUE(Files().empty());
    // Stopped before it starts: no request at all.
    StandIn::ClearRequests();
    EXPECT_EQ(Download(JobFor(photo, L"b.png")).outcome, BackupFileOutcome::Stopped);
    EXPECT_TRUE(StandIn::Requests().empty());
}

TEST_F(BackupFile, AFolderThatCannotBeWrittenStopsTheRun)
{
    BackupFileJob job = JobFor(photos[0], L"a.png");
    job.folder = folder + L"\\missing";
    const BackupFileResult result = Download(job);
    EXPECT_EQ(result.outcome, BackupFileOutcome::DiskFailed);
    EXPECT_EQ(result.error, DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(Files().empty());
}

TEST_F(BackupFile, LongPathsWork)
{
    std::wstring deep = folder;
    for (int i = 0; i < 4; ++i) {
        deep += L"\\" + std::wstring(90, wchar_t(L'a' + i));
        ASSERT_TRUE(CreateDirectoryW(LongPath(deep).c_str(), nullptr)) << GetLastError();
    }
    ASSERT_GT(deep.size(), size_t(MAX_PATH));
    BackupFileJob job = JobFor(photos[0], std::wstring(95, L'p') + L".png");
    job.folder = deep;
    EXPECT_EQ(Download(job).outcome, BackupFileOutcome::Saved);
    EXPECT_EQ(ExistingFileLength(deep + L"\\" + job.fileName), int64_t(photos[0].size));
    // The scratch folder's clean-up takes them away, and a file under a
    // device's name (as a broken name rule would leave) that only the long
    // form reaches: no later test finds them.
    const HANDLE device =
        CreateFileW(LongPath(folder + L"\\CON.jpg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    CloseHandle(device);
    TestEnv::ScratchFolder("backup-file");
    EXPECT_TRUE(Files().empty());
}

} // namespace

// A reply that runs past the length it may have is cut off there, whether
// it announces its length or not: nothing of it reaches the folder.
TEST(BackupFileLimits, AReplyLongerThanItMayBeStopsThere)
{
    ScriptedServer server;
    const int64_t body = 4 << 20;
    ASSERT_TRUE(server.Script("/announced", R"([{"status": 200, "body_repeat": ["x", 4194304]}])"));
    ASSERT_TRUE(server.Script("/endless", R"([{"status": 200, "action": "chunked", "chunk": 8192,
                                              "body_repeat": ["x", 4194304]}])"));
    const struct
    {
        const char* what;
        const char* path;
        int64_t expected, most;
    } cases[] = {
        {"longer than the feed says, announced", "/announced", 100000, kMostBackupFileBytes},
        {"longer than the feed says, without a length", "/endless", 100000, kMostBackupFileBytes},
        {"no length anywhere: the ceiling", "/endless", -1, 100000},
    };
    const std::wstring folder = TestEnv::ScratchFolder("backup-limits");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BackupFileJob job;
        job.url = TestEnv::Widen(server.HttpBase() + c.path);
        job.folder = folder;
        job.fileName = L"a.jpg";
        job.expectedLength = c.expected;
        job.mostLength = c.most;
        WinHttpDownload http;
        const std::atomic<bool> stop{false};
        const BackupFileResult result = DownloadToFile(http, job, stop, {});
        EXPECT_EQ(result.outcome, BackupFileOutcome::Failed);
        EXPECT_TRUE(result.tooLong);
        EXPECT_LT(result.received, body / 2) << "read on past the limit";
        EXPECT_TRUE(BackupTest::FolderTree(folder).empty());
    }
}
