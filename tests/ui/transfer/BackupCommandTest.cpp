// The album window's "Back up..." command in both languages: its texts, the
// checks it shares with the other album commands, and a backup run from the
// window with its progress window, Cancel and summary box.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>
#include <utility>

#include "app/CIniFile.h"
#include "base/TextFormat.h"
#include "res/resource.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/albums/AlbumWindowFixture.h"
#include "tests/backup/BackupFolderTree.h"
#include "ui/transfer/BackupCommand.h"
#include "backup/BackupFile.h"

using namespace DialogHarness;
using TestEnv::Narrow;

namespace {

TEST(BackupTexts, MegabytesProgressAndSummary)
{
    const struct {
        uint64_t bytes;
        const wchar_t* text;
    } sizes[] = {{0, L"0.0"}, {52428, L"0.0"}, {52429, L"0.1"}, {1048576, L"1.0"}, {12898534, L"12.3"},
                 {10737418240ULL, L"10240.0"}};
    for (const auto& s : sizes)
        EXPECT_EQ(MegabytesText(s.bytes), s.text) << s.bytes;

    ScopedLanguage language("en");
    BackupStatus status;
    status.album = 2;
    status.albums = 3;
    status.filesDone = 4;
    status.files = 9;
    status.bytes = 3 * 1048576;
    status.current = L"\u685c.jpg";
    status.albumTitle = L"Trip";
    // The album's megabytes so far, of all its feed gives; without sizes in
    // the feed, the megabytes so far alone.
    status.albumBytes = 55050240;
    status.albumTotal = 146800640;
    EXPECT_EQ(BackupProgressText(status), L"Trip (album 2 of 3)\nFile 4 of 9, 52.5 of 140.0 MB\n\u685c.jpg");
    status.albumTotal = 0;
    status.albumBytes = 3 * 1048576;
    status.albumTitle = L"50% %s";
    EXPECT_EQ(BackupProgressText(status), L"50% %s (album 2 of 3)\nFile 4 of 9, 3.0 MB\n\u685c.jpg");

    // The first line says how the run ended; the counts follow.
    BackupSummary clean;
    clean.downloaded = 12;
    clean.alreadyThere = 2;
    EXPECT_EQ(BackupSummaryText(clean), L"Backup finished.\n\nDownloaded: 12\nAlready there: 2\nFailed: 0");
    // Where the files went, after the counts.
    EXPECT_EQ(BackupSummaryText(clean, L"E:\\Backup"),
              L"Backup finished.\n\nDownloaded: 12\nAlready there: 2\nFailed: 0\n\nThe albums are in E:\\Backup");
    EXPECT_EQ(BackupSummaryIcon(clean), UINT(MB_ICONINFORMATION));

    BackupSummary troubled = clean;
    troubled.failed = 1;
    troubled.albumsFailed = 1;
    troubled.reasons = {L"Trip\\a.jpg: HTTP 503", L"Other: HTTP 500"};
    troubled.cancelled = true;
    const std::wstring text = BackupSummaryText(troubled);
    EXPECT_EQ(text.rfind(L"Backup cancelled.\n\nDownloaded: 12", 0), 0u) << Narrow(text);
    for (const std::wstring& part : {troubled.reasons[0], troubled.reasons[1], std::wstring(L"First failures:"),
                                     std::wstring(L"Run it again into the same folder")})
        EXPECT_NE(text.find(part), std::wstring::npos) << Narrow(part);
    EXPECT_EQ(text.find(L"finished"), std::wstring::npos) << "a cancelled backup did not finish";
    EXPECT_EQ(BackupSummaryIcon(troubled), UINT(MB_ICONWARNING));

    BackupSummary full;
    full.diskError = ERROR_DISK_FULL;
    full.diskPath = L"E:\\Backup\\Trip\\a.jpg";
    full.cancelled = true;
    const std::wstring stopped = BackupSummaryText(full);
    EXPECT_EQ(stopped.rfind(L"The backup stopped: E:\\Backup\\Trip\\a.jpg could not be written.", 0), 0u)
        << Narrow(stopped);
    EXPECT_NE(stopped.find(L"(112)"), std::wstring::npos);
    EXPECT_EQ(stopped.find(L"finished"), std::wstring::npos);
    EXPECT_EQ(BackupSummaryIcon(full), UINT(MB_ICONERROR));
}

class BackupCommand : public AlbumWindowFixture
{
protected:
    BackupCommand() : AlbumWindowFixture("backup-command", "backup") {}
    void SetUp() override
    {
        AlbumWindowFixture::SetUp();
        target = folder + L"\\target";
    }
    void TearDown() override
    {
        AlbumWindowFixture::TearDown();
        StandIn::Reset();
    }

    std::vector<AlbumEntry> SelectedAlbumEntries()
    {
        std::vector<AlbumEntry> albums;
        for (size_t index : window->SelectedAlbums())
            albums.push_back(client->GetAlbums()[index]);
        return albums;
    }
    size_t FilesUnder(const std::wstring& path, bool* temporary) const
    {
        const std::map<std::wstring, int64_t> tree = BackupTest::FolderTree(path);
        *temporary = *temporary || BackupTest::TemporaryFiles(tree) > 0;
        return tree.size();
    }

    std::wstring target;
};

TEST_P(BackupCommand, WithoutASelectionItSaysSoFromTheButtonAndTheMenu)
{
    ASSERT_EQ(client->Login("backup", "backup", "t"), 0u);
    Open();
    // The list's context menu sends its command through the list.
    const auto fromTheMenu = [&] { SendMessageW(window->List().Handle(), WM_COMMAND, IDC_BACKUP, 0); };
    const std::vector<std::wstring> seen = AnsweredBoxes({[&] { Command(IDC_BACKUP); }, fromTheMenu});
    const std::wstring expected =
        language.String(IDS_CAPTION_NO_SELECTION) + L"|" + language.String(IDS_NO_SELECTION_BACKUP);
    EXPECT_EQ(seen, (std::vector<std::wstring>{expected, expected}));
    EXPECT_TRUE(IsWindowEnabled(window->Item(IDC_BACKUP)));
}

TEST_P(BackupCommand, APublicOnlyBackupEndsWithItsSummary)
{
    ASSERT_EQ(client->OpenPublicSession("backup", ""), 0u);
    Open();
    EXPECT_TRUE(IsWindowEnabled(window->Item(IDC_BACKUP))) << "public albums need no sign-in";
    SelectAll();
    ASSERT_EQ(window->SelectedAlbums().size(), 2u);
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::wstring summaryText;
    // The summary's button opens the folder the albums went into.
    std::vector<std::wstring> opened;
    SetBackupFolderOpener([&](HWND, const std::wstring& folder) { opened.push_back(folder); });
    driver.Then([&](HWND box) {
        summaryText = WindowText(box) + L"|" + MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_MESSAGE_ACTION, BN_CLICKED), LPARAM(GetDlgItem(box, IDC_MESSAGE_ACTION)));
    });
    const BackupSummary summary = RunBackupInto(window->Handle(), *client, SelectedAlbumEntries(), target);
    SetBackupFolderOpener(nullptr);
    EXPECT_EQ(summary.downloaded, 11u);
    EXPECT_EQ(summaryText, language.String(IDS_CAPTION_BACKUP) + L"|" + BackupSummaryText(summary, target));
    EXPECT_EQ(opened, std::vector<std::wstring>{target});
    bool temporary = false;
    EXPECT_EQ(FilesUnder(target, &temporary), 11u + 2 * 2);
    EXPECT_FALSE(temporary);
    for (const Json& request : StandIn::Requests())
        EXPECT_FALSE(StandIn::HasHeader(request, "Authorization"));
}

TEST_P(BackupCommand, CancelInTheProgressWindowKeepsOnlyWholeFilesAndTheNextRunGetsTheRest)
{
    ASSERT_EQ(client->Login("backup", "backup", "t"), 0u);
    Open();
    SelectAll();
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    // Slow enough for the progress window to show, and one original that
    // never comes: Cancel must not wait for it.
    StandIn::Control("POST", "settings", "{\"latency_ms\": 400}");
    StandIn::Fault(R"({"path": "/img/", "action": "hang", "delay": 90})");
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.DriveProgressWindows(true);
    std::wstring progressCaption;
    driver.Then([&](HWND progress) {
        progressCaption = WindowText(progress);
        // Once the original that never comes is asked for.
        EXPECT_TRUE(WindowDriver::WaitUntil([] { return !StandIn::RequestsOfKind("image").empty(); }));
        PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    std::wstring summaryText;
    driver.Then([&](HWND box) {
        summaryText = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const BackupSummary cancelled = RunBackupInto(window->Handle(), *client, SelectedAlbumEntries(), target);
    StandIn::Control("POST", "settings", "{\"latency_ms\": 0}");
    StandIn::Control("POST", "clear-faults");
    EXPECT_EQ(progressCaption, language.String(IDS_PROGRESS_BACKUP));
    // The next run's progress window, if the machine is slow enough to show
    // it, is not for the driver to cancel.
    driver.DriveProgressWindows(false);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_LT(cancelled.downloaded, 14u);
    EXPECT_NE(summaryText.find(language.String(IDS_BACKUP_CANCELLED)), std::wstring::npos);
    bool temporary = false;
    FilesUnder(target, &temporary);
    EXPECT_FALSE(temporary);

    const BackupSummary rest = RunBackupInto(window->Handle(), *client, SelectedAlbumEntries(), target, nullptr, true);
    EXPECT_FALSE(rest.cancelled);
    EXPECT_EQ(rest.downloaded + rest.alreadyThere, 14u);
    EXPECT_EQ(rest.alreadyThere, cancelled.downloaded);
    EXPECT_EQ(FilesUnder(target, &temporary), 14u + 3 * 2);
    EXPECT_TRUE(driver.Unexpected().empty());
}

// The album window closed during a backup: the backup stops and no
// summary box holds the closing up.
TEST_P(BackupCommand, ClosingTheWindowDuringABackupShowsNoSummary)
{
    ASSERT_EQ(client->Login("backup", "backup", "t"), 0u);
    Open();
    SelectAll();
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    StandIn::Control("POST", "settings", "{\"latency_ms\": 400}");
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.DriveProgressWindows(true);
    bool closing = false;
    driver.Then([&](HWND progress) {
        // What the window's Close does while work runs.
        closing = true;
        PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    const BackupSummary summary =
        RunBackupInto(window->Handle(), *client, SelectedAlbumEntries(), target, nullptr, false, &closing);
    StandIn::Control("POST", "settings", "{\"latency_ms\": 0}");
    EXPECT_TRUE(summary.cancelled);
    EXPECT_TRUE(closing);
    EXPECT_TRUE(driver.Unexpected().empty()) << "a box came up while the window closed";
}

TEST_P(BackupCommand, ThePickerOffersTheLastFolderAndTheChosenOneIsKept)
{
    ASSERT_EQ(client->OpenPublicSession("backup", ""), 0u);
    Open();
    SelectAll();
    const std::wstring last = folder + L"\\last", other = folder + L"\\other";
    ASSERT_TRUE(CreateDirectoryW(last.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    const CIniFile settings(SettingsLocation::File(ini));
    ASSERT_TRUE(settings.WriteString(kBackupSection, kBackupFolderKey, last.c_str()));
    // "." typed takes the folder the picker shows: the one kept; then
    // another folder typed in.
    for (const auto& [typed, chosen] : {std::pair{std::wstring(L"."), last}, std::pair{other, other}}) {
        SCOPED_TRACE(Narrow(chosen));
        bool picked = false, summary = false;
        std::thread user([&, typed = typed] {
            using namespace WindowDriver;
            HWND picker = WaitForWindowTitled(language.String(IDS_BACKUP_PICK_TITLE), 30000, GetCurrentProcessId());
            picked = picker && PickFolder(picker, typed, 30000);
            HWND box = WaitForMessageBox(120000, GetCurrentProcessId());
            summary = box && Click(box, IDOK);
        });
        RunBackupCommand(window->Handle(), *client, window->SelectedAlbums(), SettingsLocation::File(ini));
        user.join();
        EXPECT_TRUE(picked);
        EXPECT_TRUE(summary);
        EXPECT_EQ(Narrow(settings.ReadString(kBackupSection, kBackupFolderKey, L"", 32767)), Narrow(chosen));
        bool temporary = false;
        EXPECT_EQ(FilesUnder(chosen, &temporary), 11u + 2 * 2) << "the backup went into the folder picked";
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, BackupCommand, ::testing::Values("en", "ja"));

} // namespace
