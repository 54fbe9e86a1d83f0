// A photo list load that takes a while, from the album window against the
// stand-in's photolist data with a slow link: the progress window over the
// album window, which stays responsive; Cancel; and no window for a short
// load. In both languages.
#include "app/ResourceText.h"
#include "base/CLogSupport.h"
#include "base/TextFormat.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/albums/CPhotoLoadDlg.h"
#include "ui/albums/CToolDlg.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

std::wstring PhotoLoadTestFormat(const ScopedLanguage& language, int done, int total)
{
    return FormatText(language.String(IDS_LOAD_PROGRESS_FORMAT), {int64_t(done), int64_t(total)});
}

// What the test saw of the progress window while the load ran.
struct ProgressSeen
{
    bool progress = false; // the progress window, not another one
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool overOwner = false;
    std::wstring caption;
    std::wstring text;
    int rangeTop = 0;
};

class PhotoLoad : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Control("POST", "reset", "{\"fixture\": \"photolist\"}");
        folder = TestEnv::ScratchFolder("photo-load");
        ini = folder + L"\\quillon.ini";
        log.Open((TestEnv::Narrow(folder) + "\\quillon.log").c_str());
        client = std::make_unique<PicasaClient>(StandIn::BaseW(), StandIn::BaseW());
        client->SetLog(&log);
        ASSERT_EQ(client->Login("lists", L"lists", "t"), 0u);
    }

    // The album window, in the language of the test, on screen.
    void OpenWindow()
    {
        window = std::make_unique<CToolDlg>(*client, SettingsLocation::File(ini));
        ASSERT_NE(window->Create(nullptr), nullptr);
        ShowWindow(window->Handle(), SW_SHOW);
        ASSERT_EQ(window->RowCount(), 3);
    }

    void TearDown() override
    {
        window.reset();
        StandIn::Reset();
        log.Close();
    }

    static void Latency(int ms)
    {
        StandIn::Control("POST", "settings", "{\"latency_ms\": " + std::to_string(ms) + "}");
        StandIn::ClearRequests();
    }

    void SelectAll(bool quickMode)
    {
        for (int row = 0; row < window->RowCount(); ++row)
            window->SelectRow(row, true);
        window->SetCheck(IDC_QUICK_MODE, quickMode);
    }

    void PhotoListCommand()
    {
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(IDC_PHOTO_LIST, BN_CLICKED),
                     LPARAM(window->Item(IDC_PHOTO_LIST)));
    }

    // Reads the progress window as it stands.
    ProgressSeen Look(HWND dialog)
    {
        ProgressSeen seen;
        // Not whether it is visible yet: a step can run before the dialog's
        // loop has shown it.
        seen.progress = GetDlgItem(dialog, IDC_LOAD_PROGRESS) != nullptr;
        seen.owner = GetWindow(dialog, GW_OWNER);
        seen.ownerEnabled = IsWindowEnabled(window->Handle()) != FALSE;
        seen.caption = WindowText(dialog);
        seen.text = WindowText(GetDlgItem(dialog, IDC_LOAD_TEXT));
        seen.rangeTop = int(SendDlgItemMessageW(dialog, IDC_LOAD_PROGRESS, PBM_GETRANGE, FALSE, 0));
        RECT mine = {}, owner = {};
        GetWindowRect(dialog, &mine);
        GetWindowRect(window->Handle(), &owner);
        const POINT middle = {(mine.left + mine.right) / 2, (mine.top + mine.bottom) / 2};
        seen.overOwner = PtInRect(&owner, middle) != FALSE;
        return seen;
    }

    // True when the text is the progress line for some count of `total`.
    static bool IsProgressLine(const ScopedLanguage& language, const std::wstring& text, int total)
    {
        for (int done = 0; done <= total; ++done)
            if (text == PhotoLoadTestFormat(language, done, total))
                return true;
        return false;
    }

    size_t DetailRequests()
    {
        size_t count = 0;
        for (const Json& r : StandIn::Requests())
            if (r["path"].string.find("/photoid/") != std::string::npos)
                ++count;
        return count;
    }

    std::wstring folder;
    std::wstring ini;
    CLogSupport log;
    std::unique_ptr<PicasaClient> client;
    std::unique_ptr<CToolDlg> window;
};

} // namespace

TEST_P(PhotoLoad, CancelEndsWithinASecondWithNoListAndNoChange)
{
    ScopedLanguage language(GetParam());
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    SelectAll(false);
    const std::wstring caption = WindowText(window->Handle());
    std::vector<std::wstring> ids;
    for (const AlbumEntry& album : client->GetAlbums())
        ids.push_back(album.id);
    Latency(300);

    ProgressSeen seen;
    std::atomic<bool> answered{false};
    std::atomic<bool> visible{false};
    std::atomic<DWORD> answerMs{0};
    std::atomic<DWORD> cancelledAt{0};
    std::thread helper;
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.Then([&](HWND box) { PostMessageW(box, WM_COMMAND, IDYES, 0); });
    driver.Then([&](HWND dialog) {
        seen = Look(dialog);
        const HWND owner = window->Handle();
        // From another thread, as the system asks a window whether it
        // hangs; this thread is in the progress window's loop meanwhile.
        helper = std::thread([&, dialog, owner] {
            DWORD_PTR length = 0;
            const DWORD start = GetTickCount();
            answered = SendMessageTimeoutW(owner, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 2000, &length) != 0;
            answerMs = GetTickCount() - start;
            Sleep(150);
            visible = IsWindowVisible(dialog) != FALSE;
            cancelledAt = GetTickCount();
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
    });
    const DWORD started = GetTickCount();
    PhotoListCommand();
    const DWORD ended = GetTickCount();
    if (helper.joinable())
        helper.join();

    ASSERT_TRUE(seen.progress) << "a slow load shows its progress";
    EXPECT_TRUE(visible);
    EXPECT_EQ(seen.owner, window->Handle());
    EXPECT_TRUE(seen.overOwner);
    EXPECT_FALSE(seen.ownerEnabled) << "the album window takes no commands meanwhile";
    EXPECT_FALSE(seen.caption.empty());
    EXPECT_TRUE(IsProgressLine(language, seen.text, 9)) << TestEnv::Narrow(seen.text);
    EXPECT_EQ(seen.rangeTop, 9);
    EXPECT_TRUE(answered) << "the album window answers while the photos load";
    EXPECT_LT(answerMs.load(), 500u);

    ASSERT_NE(cancelledAt.load(), 0u);
    EXPECT_GE(cancelledAt.load() - started, CPhotoLoadDlg::kShowAfterMs);
    EXPECT_LT(ended - cancelledAt.load(), 1000u) << "done once the requests under way are back";
    EXPECT_EQ(driver.PendingSteps(), 0u);
    EXPECT_TRUE(driver.Unexpected().empty()) << "no photo list after Cancel";

    // Nothing changed: the album window, the client's albums, the settings.
    EXPECT_TRUE(IsWindowEnabled(window->Handle()));
    EXPECT_EQ(WindowText(window->Handle()), caption);
    EXPECT_EQ(window->RowCount(), 3);
    EXPECT_EQ(window->SelectedAlbums().size(), 3u);
    std::vector<std::wstring> after;
    for (const AlbumEntry& album : client->GetAlbums())
        after.push_back(album.id);
    EXPECT_EQ(after, ids);
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_COLUMN", -1, ini.c_str()), -1)
        << "the photo list never opened";
    const size_t requests = StandIn::Requests().size();
    EXPECT_LT(DetailRequests(), 9u) << "the load stopped early";
    for (const Json& r : StandIn::Requests())
        EXPECT_EQ(r["method"].string, "GET");
    Sleep(400);
    EXPECT_EQ(StandIn::Requests().size(), requests) << "no request after the end";
}

TEST_P(PhotoLoad, ProgressRunsToTheEndAndThePhotoListOpens)
{
    ScopedLanguage language(GetParam());
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    SelectAll(false);
    Latency(250);

    ProgressSeen seen;
    int rows = -1;
    std::vector<std::wstring> views;
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.Then([&](HWND box) { PostMessageW(box, WM_COMMAND, IDYES, 0); });
    driver.Then([&](HWND dialog) { seen = Look(dialog); });
    driver.Then([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_PHOTOS);
        rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            wchar_t text[32] = L"";
            LVITEMW item = {};
            item.iSubItem = 3;
            item.pszText = text;
            item.cchTextMax = 32;
            SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
            views.push_back(text);
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    PhotoListCommand();

    EXPECT_TRUE(seen.progress);
    EXPECT_TRUE(IsProgressLine(language, seen.text, 9)) << TestEnv::Narrow(seen.text);
    EXPECT_EQ(driver.PendingSteps(), 0u) << "the progress window closed itself, then the list opened";
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(rows, 9);
    for (const std::wstring& count : views)
        EXPECT_GE(_wtoi(count.c_str()), 0) << "every photo's details arrived";
    EXPECT_EQ(DetailRequests(), 9u);
    EXPECT_TRUE(IsWindowEnabled(window->Handle()));
}

TEST_P(PhotoLoad, AShortLoadShowsNoProgressWindow)
{
    ScopedLanguage language(GetParam());
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    SelectAll(true);
    // One album list request a tenth of a second slow.
    window->SelectRow(1, false);
    window->SelectRow(2, false);
    Latency(100);

    bool progressFirst = true;
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.Then([&](HWND dialog) {
        progressFirst = GetDlgItem(dialog, IDC_LOAD_PROGRESS) != nullptr;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    const DWORD started = GetTickCount();
    PhotoListCommand();
    EXPECT_FALSE(progressFirst) << "the photo list is the first window to open";
    EXPECT_EQ(driver.PendingSteps(), 0u);
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_GE(GetTickCount() - started, 100u);
}

namespace {

class PhotoLoadText : public ::testing::TestWithParam<const char*>
{
};

} // namespace

TEST_P(PhotoLoadText, TheProgressLinesFitTheirControl)
{
    ScopedLanguage language(GetParam());
    CDialogBase dialog(IDD_PHOTO_LOAD);
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    HWND text = dialog.Item(IDC_LOAD_TEXT);
    RECT box = {};
    GetClientRect(text, &box);
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    for (const std::wstring& line : {CPhotoLoadDlg::ProgressText(4294967295u, 4294967295u),
                                     CPhotoLoadDlg::ProgressText(0, 0), language.String(IDS_LOAD_CANCELLING)}) {
        RECT need = {0, 0, 0, 0};
        DrawTextW(dc, line.c_str(), int(line.size()), &need, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        EXPECT_LE(need.right, box.right) << TestEnv::Narrow(line);
        EXPECT_LE(need.bottom, box.bottom) << TestEnv::Narrow(line);
    }
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    EXPECT_EQ(CPhotoLoadDlg::ProgressText(12, 9), PhotoLoadTestFormat(language, 12, 12))
        << "never more done than in all";
    EXPECT_EQ(CPhotoLoadDlg::ProgressText(3, 9), PhotoLoadTestFormat(language, 3, 9));
}

INSTANTIATE_TEST_SUITE_P(Languages, PhotoLoad, ::testing::Values("en", "ja"));
INSTANTIATE_TEST_SUITE_P(Languages, PhotoLoadText, ::testing::Values("en", "ja"));
