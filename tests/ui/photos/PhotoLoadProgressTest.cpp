// A photo list load that takes a while, from the album window against the
// stand-in's photolist data with a slow link: the progress window over the
// album window, which stays responsive; Cancel; and no window for a short
// load. In both languages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "res/resource.h"
#include "tests/support/TextCases.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/albums/CToolDlg.h"

using namespace AlbumDialogTest;

namespace {

// What the test saw of the progress window while the load ran.
struct ProgressSeen
{
    bool progress = false; // the progress window, not another one
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool overOwner = false;
    std::wstring caption, text;
    int rangeTop = 0;
};

class PhotoLoad : public SignedIn
{
protected:
    PhotoLoad() : SignedIn("photolist", "lists", L"lists") {}

    // The album window on screen with every album selected, the stand-in
    // slowed down, and the driver for the next window.
    void Open(bool quickMode, int latencyMs)
    {
        window = std::make_unique<CToolDlg>(client, Settings());
        ASSERT_NE(window->Create(nullptr), nullptr);
        ShowWindow(window->Handle(), SW_SHOW);
        ASSERT_EQ(window->RowCount(), 3);
        for (int row = 0; row < window->RowCount(); ++row)
            window->SelectRow(row, true);
        window->SetCheck(IDC_QUICK_MODE, quickMode);
        StandIn::Control("POST", "settings", "{\"latency_ms\": " + std::to_string(latencyMs) + "}");
        StandIn::ClearRequests();
        // Hooked only now: the album window is no dialog to drive.
        driver.emplace();
        driver->DriveProgressWindows(true);
        driver->Ignore(window->Handle());
        // Nine photos' details are not worth a question: none comes.
    }

    void TearDown() override
    {
        driver.reset();
        window.reset();
        SignedIn::TearDown();
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

    // True when the text is the progress line for some count of `total`:
    // "3 of 9 photos".
    static bool IsProgressLine(const std::wstring& text, int total)
    {
        const std::vector<long long> numbers = TextCases::NumbersIn(text);
        return numbers.size() == 2 && numbers[0] >= 0 && numbers[0] <= total && numbers[1] == total;
    }

    std::unique_ptr<CToolDlg> window;
    std::optional<ModalDriver> driver;
};

} // namespace

TEST_P(PhotoLoad, CancelEndsTheLoadWithNoListAndNoChange)
{
    ASSERT_NO_FATAL_FAILURE(Open(false, 300));
    const std::wstring caption = WindowText(window->Handle());
    std::vector<std::wstring> ids;
    for (const AlbumEntry& album : client.GetAlbums())
        ids.push_back(album.id);

    ProgressSeen seen;
    std::atomic<bool> answered{false}, visible{false};
    std::atomic<DWORD> cancelledAt{0};
    std::thread helper;
    driver->Then([&](HWND dialog) {
        seen = Look(dialog);
        const HWND owner = window->Handle();
        // From another thread, as the system asks a window whether it
        // hangs; this thread is in the progress window's loop meanwhile.
        helper = std::thread([&, dialog, owner] {
            DWORD_PTR length = 0;
            answered = SendMessageTimeoutW(owner, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 2000, &length) != 0;
            visible = WindowDriver::WaitUntil([dialog] { return IsWindowVisible(dialog) != FALSE; }, 10000);
            cancelledAt = GetTickCount();
            Cancel(dialog);
        });
    });
    const DWORD started = GetTickCount();
    PhotoListCommand();
    if (helper.joinable())
        helper.join();

    ASSERT_TRUE(seen.progress) << "a slow load shows its progress";
    EXPECT_TRUE(visible);
    EXPECT_EQ(seen.owner, window->Handle());
    EXPECT_TRUE(seen.overOwner);
    EXPECT_FALSE(seen.ownerEnabled) << "the album window takes no commands meanwhile";
    EXPECT_FALSE(seen.caption.empty());
    EXPECT_TRUE(IsProgressLine(seen.text, 9)) << TestEnv::Narrow(seen.text);
    EXPECT_EQ(seen.rangeTop, 9);
    // Cancel came after the answer: the load stopping early (below) shows
    // that the window answered while the photos loaded.
    EXPECT_TRUE(answered) << "the album window answers while the photos load";

    ASSERT_NE(cancelledAt.load(), 0u);
    EXPECT_GE(cancelledAt.load() - started, CProgressDlg::kShowAfterMs);
    EXPECT_EQ(driver->PendingSteps(), 0u);
    EXPECT_TRUE(driver->Unexpected().empty()) << "no photo list after Cancel";

    // Nothing changed: the album window, the client's albums, the settings.
    EXPECT_TRUE(IsWindowEnabled(window->Handle()));
    EXPECT_EQ(WindowText(window->Handle()), caption);
    EXPECT_EQ(window->RowCount(), 3);
    EXPECT_EQ(window->SelectedAlbums().size(), 3u);
    std::vector<std::wstring> after;
    for (const AlbumEntry& album : client.GetAlbums())
        after.push_back(album.id);
    EXPECT_EQ(after, ids);
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_COLUMN", -1, ini.c_str()), -1)
        << "the photo list never opened";
    const size_t requests = StandIn::Requests().size();
    EXPECT_LT(Requests("photo_feed").size(), 9u) << "the load stopped early";
    for (const Json& r : StandIn::Requests())
        EXPECT_EQ(r["method"].string, "GET");
    // Nothing to wait for here: a while is watched for a request that must
    // not come (a busy machine can only hide such a request, never fail it).
    EXPECT_FALSE(WindowDriver::WaitUntil([&] { return StandIn::Requests().size() != requests; }, 400))
        << "no request after the end";
}

TEST_P(PhotoLoad, ProgressRunsToTheEndAndThePhotoListOpens)
{
    ASSERT_NO_FATAL_FAILURE(Open(false, 250));
    ProgressSeen seen;
    std::vector<std::wstring> views;
    driver->Then([&](HWND dialog) { seen = Look(dialog); });
    driver->Then([&](HWND dialog) {
        views = ListTest::Column(GetDlgItem(dialog, IDC_PHOTOS), 3);
        Cancel(dialog);
    });
    PhotoListCommand();

    EXPECT_TRUE(seen.progress);
    EXPECT_TRUE(IsProgressLine(seen.text, 9)) << TestEnv::Narrow(seen.text);
    EXPECT_EQ(driver->PendingSteps(), 0u) << "the progress window closed itself, then the list opened";
    EXPECT_TRUE(driver->Unexpected().empty());
    EXPECT_EQ(views.size(), 9u);
    for (const std::wstring& count : views)
        EXPECT_GE(_wtoi(count.c_str()), 0) << "every photo's details arrived";
    EXPECT_EQ(Requests("photo_feed").size(), 9u);
    EXPECT_TRUE(Requests("user_feed").empty()) << "the album list is not loaded again";
    EXPECT_TRUE(IsWindowEnabled(window->Handle()));
}

TEST_P(PhotoLoad, AShortLoadShowsNoProgressWindow)
{
    // One album list request a tenth of a second slow.
    ASSERT_NO_FATAL_FAILURE(Open(true, 100));
    window->SelectRow(1, false);
    window->SelectRow(2, false);
    bool progressFirst = true;
    driver->Then([&](HWND dialog) {
        progressFirst = GetDlgItem(dialog, IDC_LOAD_PROGRESS) != nullptr;
        Cancel(dialog);
    });
    const DWORD started = GetTickCount();
    PhotoListCommand();
    EXPECT_FALSE(progressFirst) << "the photo list is the first window to open";
    EXPECT_EQ(driver->PendingSteps(), 0u);
    EXPECT_TRUE(driver->Unexpected().empty());
    EXPECT_GE(GetTickCount() - started, 100u);
}

// Task Manager's End task, or taskkill without /F, sends WM_CLOSE to the
// album window while the photos load: the load stops first, and only then
// does the client sign out. No request goes out without the token, and no
// photo list opens after the window has gone.
TEST_P(PhotoLoad, ClosingTheWindowDuringALoadStopsTheLoadBeforeSigningOut)
{
    ASSERT_NO_FATAL_FAILURE(Open(true, 300));
    const HWND albums = window->Handle();
    size_t askedBeforeTheClose = 0;
    driver->Then([&](HWND) {
        askedBeforeTheClose = Requests("album_feed").size();
        PostMessageW(albums, WM_CLOSE, 0, 0);
    });
    PhotoListCommand();

    EXPECT_FALSE(IsWindow(albums)) << "closed once the load had ended";
    EXPECT_FALSE(client.IsSignedIn());
    EXPECT_EQ(driver->PendingSteps(), 0u) << "the progress window came";
    EXPECT_TRUE(driver->Unexpected().empty()) << "no photo list after the close";
    const std::vector<Json> feeds = Requests("album_feed");
    // At most the one under way when the close came, however slow the
    // machine: the albums after it are not asked for.
    EXPECT_LE(feeds.size(), askedBeforeTheClose + 1);
    for (const Json& request : StandIn::Requests())
        EXPECT_FALSE(request["headers"]["Authorization"].string.empty()) << request["path"].string;
}

// Cancel is asked before every album's first request: in quick mode, where
// no details request looks at it, the albums after it are not asked for.
TEST_P(PhotoLoad, CancelInQuickModeAsksForNoFurtherAlbum)
{
    ASSERT_NO_FATAL_FAILURE(Open(true, 300));
    size_t requestsAtCancel = 0;
    driver->Then([&](HWND dialog) {
        requestsAtCancel = Requests("album_feed").size();
        Cancel(dialog);
    });
    PhotoListCommand();
    EXPECT_EQ(driver->PendingSteps(), 0u);
    EXPECT_TRUE(driver->Unexpected().empty()) << "no photo list after Cancel";
    EXPECT_LE(Requests("album_feed").size(), requestsAtCancel + 1) << "at most the request in flight";
    EXPECT_LT(Requests("album_feed").size(), 3u);
}

// A server that never answers. Cancel stops the request in flight and it
// is not tried again, nor is any album after it asked for. (The request's
// wait ends at the receive time-out, so the bound here is one time-out,
// where before it was three tries of every album that was left.)
TEST_P(PhotoLoad, CancelAgainstAServerThatNeverAnswersIsNotTriedAgain)
{
    ASSERT_NO_FATAL_FAILURE(Open(true, 0));
    client.Transport().timeouts.receive = 2000;
    StandIn::Fault("{\"path\": \"/data/feed/api/user/\", \"action\": \"hang\", \"delay\": 20, \"count\": -1}");
    driver->Then([&](HWND dialog) { Cancel(dialog); });
    PhotoListCommand();
    // Ended while the stand-in still kept silent (20 s): by the Cancel, or
    // under Wine at the client's own time-out, not by the server.
    EXPECT_EQ(StandIn::Unanswered("/data/feed/api/user/"), 1u) << "the load waited for the server";
    EXPECT_EQ(driver->PendingSteps(), 0u) << "the progress window came";
    EXPECT_TRUE(driver->Unexpected().empty()) << "no photo list after Cancel";
    EXPECT_EQ(Requests("album_feed").size(), 1u) << "no second try and no second album";
    EXPECT_TRUE(IsWindowEnabled(window->Handle()));
    client.Transport().timeouts.receive = WinHttpClient::Timeouts{}.receive;
}

// An album whose second page fails is no empty album: the user is told which
// albums could not be read, and the list shows the others.
TEST_P(PhotoLoad, AnAlbumWhosePageFailsIsNamedAndNotShownAsEmpty)
{
    ASSERT_NO_FATAL_FAILURE(Open(true, 0));
    std::wstring failing;
    for (const AlbumEntry& album : client.GetAlbums())
        if (album.title == L"Three photos")
            failing = album.id;
    ASSERT_FALSE(failing.empty());
    StandIn::Control("POST", "settings", "{\"page_size\": 2}");
    StandIn::Fault("{\"path\": \"/data/feed/api/user/lists/albumid/" + TestEnv::Narrow(failing) +
                   "\", \"status\": 500, \"body\": \"page two is gone\", \"skip\": 1}");
    std::wstring message;
    int rows = -1;
    driver->Then([&](HWND box) {
        message = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    driver->Then([&](HWND dialog) {
        rows = int(SendDlgItemMessageW(dialog, IDC_PHOTOS, LVM_GETITEMCOUNT, 0, 0));
        Cancel(dialog);
    });
    PhotoListCommand();
    EXPECT_EQ(driver->PendingSteps(), 0u);
    EXPECT_NE(message.find(L"Three photos"), std::wstring::npos) << TestEnv::Narrow(message);
    EXPECT_EQ(message.find(L"Two photos"), std::wstring::npos);
    EXPECT_EQ(rows, 2 + 4) << "the two albums that could be read";
}

INSTANTIATE_TEST_SUITE_P(Languages, PhotoLoad, ::testing::Values("en", "ja"));
