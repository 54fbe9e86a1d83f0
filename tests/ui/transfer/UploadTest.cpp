// Upload into an album against the stand-in: the runner with its checks,
// stops and texts, and the album window's button and dropped files.
#include "base/CLogSupport.h"
#include "base/TextFormat.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/albums/AlbumWindowFixture.h"
#include "tests/ui/transfer/DropFiles.h"
#include "backup/BackupRun.h"
#include "ui/albums/CToolDlg.h"
#include "ui/transfer/UploadFileDialog.h"
#include "ui/transfer/UploadRunner.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

using TestEnv::PatternBytes;

class Upload : public AlbumWindowFixture
{
protected:
    Upload() : AlbumWindowFixture("upload") {}

    void SignIn()
    {
        AlbumWindowFixture::SignIn();
        ASSERT_EQ(client->LoadAlbums(), 0u);
        StandIn::ClearRequests();
    }
    std::wstring Write(const std::wstring& name, const std::string& bytes)
    {
        return TestEnv::WriteBytes(folder, name, bytes);
    }
    const AlbumEntry& Album(const std::wstring& title)
    {
        for (const AlbumEntry& a : client->GetAlbums())
            if (a.title == title)
                return a;
        static AlbumEntry none;
        ADD_FAILURE() << "no album " << TestEnv::Narrow(title);
        return none;
    }
    static int Photos(const std::string& title) { return int(StandIn::Album("demo", title)["numphotos"].number); }
    static size_t Posts() { return CountRequests("POST"); }
    static std::string Utf8(const std::wstring& text) { return TestEnv::Narrow(text); }
};

TEST_P(Upload, CheckedFilesGoRefusedOnesSendNothingAndEachIsLogged)
{
    SignIn();
    const std::vector<std::wstring> paths = {
        Write(L"a.jpg", PatternBytes(5000, 1)),
        Write(L"\u7d05\u8449.png", PatternBytes(7000, 2)),
        Write(L"empty.gif", ""),
        Write(L"notes.txt", "text"),
        Write(L"c.mp4", PatternBytes(9000, 3)),
        folder + L"\\missing.jpg",
    };
    std::vector<UploadProgress> seen;
    const UploadRun run = UploadIntoAlbum(*client, Album(L"Empty album"), paths, [&](const UploadProgress& p) {
        seen.push_back(p);
        return true;
    });
    EXPECT_EQ(run.Uploaded(), 3);
    EXPECT_EQ(run.Refused(), 3);
    EXPECT_EQ(run.Failed(), 0);
    EXPECT_FALSE(run.cancelled || run.stopped);
    EXPECT_EQ(Posts(), 3u);
    EXPECT_EQ(Photos("Empty album"), 3);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().files, 3u);
    EXPECT_EQ(seen.back().total, 21000u);
    EXPECT_EQ(seen.back().sent, 21000u);
    EXPECT_EQ(seen.front().name, L"a.jpg");
    EXPECT_EQ(seen.front().file, 1u);

    const std::vector<UploadCheck> checks = {UploadCheck::Ok,          UploadCheck::Ok, UploadCheck::Empty,
                                             UploadCheck::UnknownType, UploadCheck::Ok, UploadCheck::Unreadable};
    ASSERT_EQ(run.items.size(), checks.size());
    for (size_t i = 0; i < checks.size(); ++i)
        EXPECT_EQ(run.items[i].check, checks[i]) << i;

    const std::string logged = LogText();
    for (const UploadItem& item : run.items)
        EXPECT_NE(logged.find(UserCodePageFromWide(UploadLogLine(item, L"Empty album"))), std::string::npos)
            << Utf8(UploadLogLine(item, L"Empty album"));
    const std::wstring summary = UploadSummaryText(run, L"Empty album");
    EXPECT_EQ(summary.substr(0, summary.find(L"\r\n")),
              FormatText(language.String(IDS_UPLOAD_SUMMARY), {std::wstring(L"Empty album"), int64_t(3), int64_t(3),
                                                                int64_t(0)}));
    EXPECT_NE(summary.find(L"empty.gif: " + language.String(IDS_UPLOAD_EMPTY)), std::wstring::npos);
    EXPECT_NE(summary.find(L"notes.txt: " + language.String(IDS_UPLOAD_UNKNOWN_TYPE)), std::wstring::npos);
    EXPECT_EQ(summary.find(L"a.jpg"), std::wstring::npos) << "uploaded files are counted, not listed";
}

TEST_P(Upload, AnAnswerForEveryFileStopsTheRest)
{
    SignIn();
    const std::string feed = TestEnv::Narrow(client->AlbumFeedUrl(Album(L"Empty album").id)).substr(StandIn::Base().size());
    StandIn::Fault("{\"path\": \"" + feed + "\", \"method\": \"POST\", \"status\": 403, \"body\": \"Quota exceeded\"}");
    const UploadRun run = UploadIntoAlbum(*client, Album(L"Empty album"),
                                          {Write(L"1.jpg", "a"), Write(L"2.jpg", "b"), Write(L"3.jpg", "c")}, nullptr);
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(Posts(), 1u);
    ASSERT_EQ(run.items.size(), 3u);
    EXPECT_EQ(run.items[0].end, UploadEnd::QuotaFull);
    EXPECT_EQ(run.items[1].end, UploadEnd::NotSent);
    EXPECT_EQ(UploadReason(run.items[0]), language.String(IDS_UPLOAD_QUOTA_FULL));
    EXPECT_EQ(UploadReason(run.items[2]), language.String(IDS_UPLOAD_STOPPED));
    EXPECT_EQ(run.Failed(), 3);
}

TEST_P(Upload, StoppingBeforeTheSecondFileSendsNoMore)
{
    SignIn();
    const UploadRun run = UploadIntoAlbum(*client, Album(L"Empty album"),
                                          {Write(L"1.jpg", "a"), Write(L"2.jpg", "b"), Write(L"3.jpg", "c")},
                                          [](const UploadProgress& p) { return p.file < 2; });
    EXPECT_TRUE(run.cancelled);
    EXPECT_EQ(run.Uploaded(), 1);
    EXPECT_EQ(Posts(), 1u);
    EXPECT_EQ(run.items[2].end, UploadEnd::Cancelled);
    EXPECT_EQ(Photos("Empty album"), 1);
}

// A Cancel counts only where it left a file unsent.
class UploadCancel : public Upload
{
};

TEST_P(UploadCancel, ACancelAsTheLastFileGoesOutIsNoCancel)
{
    SignIn();
    const UploadRun run = UploadIntoAlbum(*client, Album(L"Empty album"),
                                          {Write(L"1.jpg", "a"), Write(L"2.jpg", "b"), Write(L"3.jpg", "c")},
                                          [](const UploadProgress& p) { return !(p.file == 3 && p.sent == 3); });
    EXPECT_FALSE(run.cancelled);
    EXPECT_EQ(run.Uploaded(), 3);
    EXPECT_EQ(Photos("Empty album"), 3);
}

INSTANTIATE_TEST_SUITE_P(English, UploadCancel, ::testing::Values("en"));

TEST_P(Upload, ADropOnARowUploadsIntoThatAlbumAndOffTheRowsAsks)
{
    SignIn();
    ASSERT_NE(Open(), nullptr);
    const int row = RowOf(L"Garden");
    ASSERT_GE(row, 0);
    const int before = Photos("Garden");
    RECT cell = {};
    cell.left = LVIR_LABEL;
    SendMessageW(window->List().Handle(), LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
    POINT at = {cell.left + 5, (cell.top + cell.bottom) / 2};
    MapWindowPoints(window->List().Handle(), window->Handle(), &at, 1);

    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::wstring summary;
    driver.Then([&](HWND box) {
        summary = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    // A folder among the dropped paths is not sent: it counts as refused.
    SendMessageW(window->Handle(), WM_DROPFILES,
                 WPARAM(MakeDrop(at, {Write(L"drop.jpg", PatternBytes(3000, 4)), folder})), 0);
    EXPECT_EQ(Photos("Garden"), before + 1);
    EXPECT_EQ(Posts(), 1u);
    EXPECT_EQ(summary.substr(0, summary.find(L"\r\n")),
              FormatText(language.String(IDS_UPLOAD_SUMMARY),
                         {std::wstring(L"Garden"), int64_t(1), int64_t(1), int64_t(0)}));
    EXPECT_NE(summary.find(L": " + language.String(IDS_UPLOAD_FOLDER)), std::wstring::npos);

    // Off the rows with no album selected: the window says where to drop.
    std::wstring asked;
    driver.Then([&](HWND box) {
        asked = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(window->Handle(), WM_DROPFILES, WPARAM(MakeDrop({2, 2}, {Write(L"x.jpg", "x")})), 0);
    EXPECT_EQ(asked, language.String(IDS_UPLOAD_DROP_TARGET));
    EXPECT_EQ(Posts(), 1u);
    EXPECT_TRUE(driver.Unexpected().empty());
}

TEST_P(Upload, WhatWasUploadedComesBackByteIdenticalThroughABackup)
{
    SignIn();
    const std::vector<std::pair<std::wstring, std::string>> files = {
        {L"IMG_0100.JPG", PatternBytes(400000, 8)},
        {L"\u7d05\u8449.png", PatternBytes(130000, 9)},
        {L"anim.gif", PatternBytes(70000, 11)},
        {L"scan.bmp", PatternBytes(90000, 12)},
        {L"clip.mp4", PatternBytes(2u << 20, 10)},
    };
    const std::wstring sent = TestEnv::ScratchFolder("upload-round-trip");
    std::vector<std::wstring> paths;
    for (const auto& f : files)
        paths.push_back(TestEnv::WriteBytes(sent, f.first, f.second));
    ASSERT_EQ(UploadIntoAlbum(*client, Album(L"Empty album"), paths, nullptr).Uploaded(), 5);

    ASSERT_EQ(client->LoadAlbums(), 0u);
    const std::wstring backup = TestEnv::ScratchFolder("upload-round-trip-backup");
    BackupRun run(*client, backup);
    const BackupSummary summary = run.Run({Album(L"Empty album")}, {});
    EXPECT_EQ(summary.downloaded, 5u);
    EXPECT_EQ(summary.failed, 0u);
    for (const auto& f : files) {
        SCOPED_TRACE(Utf8(f.first));
        EXPECT_TRUE(TestEnv::ReadBytes(backup + L"\\Empty album\\" + f.first) == f.second);
    }
}

class UploadFaults : public Upload // in English only
{
};

// 1,000 files not uploaded made a summary box 13,000 px tall, OK off the screen.
TEST_P(UploadFaults, AThousandFilesNotUploadedMakeASummaryThatFitsTheScreen)
{
    SignIn();
    ASSERT_NE(Open(), nullptr);
    SelectOnly({L"Garden"});
    std::vector<std::wstring> paths;
    for (int i = 1; i <= 1000; ++i)
        paths.push_back(folder + L"\\note" + std::to_wstring(i) + L".txt"); // refused by its type
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.Then([](HWND dialog) {
        RECT box = {}, screen = {};
        GetWindowRect(dialog, &box);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
        EXPECT_TRUE(box.top >= screen.top && box.bottom <= screen.bottom) << box.bottom - box.top << " px tall";
        EXPECT_NE(MessageBoxText(dialog).find(L"\r\nnote10.txt: not a type of photo or video the service takes\r\n"
                                              L"and 990 more (see the log)"),
                  std::wstring::npos);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(window->Handle(), WM_DROPFILES, WPARAM(MakeDrop({2, 2}, paths)), 0);
    EXPECT_EQ(driver.PendingSteps(), 0u);
}

// A dropped folder was ignored without a word (one among files: in
// ADropOnARowUploadsIntoThatAlbumAndOffTheRowsAsks; one alone is uploaded
// as a folder, in FolderUploadTest).
TEST_P(UploadFaults, FoldersAloneAreNotUploadedAndSaySo)
{
    SignIn();
    ASSERT_NE(Open(), nullptr);
    SelectOnly({L"Garden"});
    const std::wstring second = TestEnv::ScratchFolder("upload-second-folder");
    const HDROP drop = MakeDrop({2, 2}, {folder, second});
    EXPECT_EQ(AnsweredBoxes({[&] { SendMessageW(window->Handle(), WM_DROPFILES, WPARAM(drop), 0); }}),
              std::vector<std::wstring>{L"Upload|Drop one folder at a time: its photos and videos go into an album."});
    EXPECT_EQ(Posts(), 0u);
}

// A safety check needs no second language.
class UploadSafety : public Upload
{
};

// A lost answer (the whole file went out, no reply came in time): the
// service may have kept the file, so it is not sent again. Guards the end of
// WinHttpUpload::SendFile once the body is out ("no second try") and the one
// client.UploadFile per file in UploadIntoAlbum.
TEST_P(UploadSafety, AFileWhoseAnswerIsLostIsSentOnce)
{
    SignIn();
    const std::string feed = TestEnv::Narrow(client->AlbumFeedUrl(Album(L"Empty album").id)).substr(StandIn::Base().size());
    // Once: a second try would be answered.
    StandIn::Fault("{\"path\": \"" + feed + "\", \"method\": \"POST\", \"action\": \"hang\", \"delay\": 10}");
    client->Transport().timeouts.receive = 1000;
    const UploadRun run = UploadIntoAlbum(*client, Album(L"Empty album"), {Write(L"lost.jpg", PatternBytes(5000, 1))}, nullptr);
    ASSERT_EQ(run.items.size(), 1u);
    EXPECT_EQ(run.items[0].end, UploadEnd::OutcomeUnknown);
    EXPECT_EQ(Posts(), 1u);
    EXPECT_EQ(Photos("Empty album"), 0);
}

TEST(UploadFolders, TheFolderOfAPath)
{
    EXPECT_EQ(UploadFolderOf(L"C:\\a\\b.jpg"), L"C:\\a");
    EXPECT_EQ(UploadFolderOf(L"Z:/x/y.png"), L"Z:/x");
    EXPECT_EQ(UploadFolderOf(L"b.jpg"), L"");
}

} // namespace

INSTANTIATE_TEST_SUITE_P(BothLanguages, Upload, ::testing::Values("en", "ja"));
INSTANTIATE_TEST_SUITE_P(English, UploadFaults, ::testing::Values("en"));
INSTANTIATE_TEST_SUITE_P(English, UploadSafety, ::testing::Values("en"));
