// The album window's long work off its thread, against a slow stand-in: a
// delete of two hundred albums and a refresh show their progress, the window
// answers messages meanwhile, and Cancel stops them where the issue says:
// after the request in flight for a delete (done albums stay done, the rest
// are untouched, the log says where), at once for a refresh.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "res/resource.h"
#include "tests/support/TextCases.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/albums/CToolDlg.h"

using namespace AlbumDialogTest;

namespace {

// What a helper thread saw of the window while the work ran.
struct Watch
{
    std::atomic<bool> answered{false};
    std::atomic<bool> progressed{false};
    std::wstring caption, text;
    bool ownerEnabled = true;
};

class AlbumWindowWork : public SignedIn
{
protected:
    AlbumWindowWork() : SignedIn("large", "large", L"large") {}

    void Open()
    {
        window = std::make_unique<CToolDlg>(client, Settings());
        ASSERT_NE(window->Create(nullptr), nullptr);
        ShowWindow(window->Handle(), SW_SHOW);
        ASSERT_EQ(window->RowCount(), 1000);
        driver.emplace();
        driver->Ignore(window->Handle());
        driver->DriveProgressWindows(true);
    }

    void TearDown() override
    {
        if (helper.joinable())
            helper.join();
        driver.reset();
        window.reset();
        SignedIn::TearDown();
    }

    void Command(int id)
    {
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(window->Item(id)));
    }

    // The step for the progress window: from another thread (as the system
    // asks a window whether it hangs) the album window is sent a message;
    // once `ready` holds, the progress is read and Cancel pressed: a request
    // count that shows Cancel came before the work was done shows that the
    // window answered while it ran. Later progress windows (the refresh
    // after an action) run undriven.
    ModalDriver::Step WatchAndCancel(Watch& watch, std::function<bool(const std::wstring& text)> ready)
    {
        return [this, &watch, ready](HWND dialog) {
            watch.ownerEnabled = IsWindowEnabled(window->Handle()) != FALSE;
            watch.caption = WindowText(dialog);
            driver->DriveProgressWindows(false);
            const HWND owner = window->Handle();
            helper = std::thread([&watch, ready, dialog, owner] {
                DWORD_PTR length = 0;
                watch.answered = SendMessageTimeoutW(owner, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length) != 0;
                watch.progressed = WindowDriver::WaitUntil(
                    [&] { return ready(WindowDriver::ControlText(dialog, IDC_LOAD_TEXT)); }, 20000);
                watch.text = WindowDriver::ControlText(dialog, IDC_LOAD_TEXT);
                Cancel(dialog);
            });
        };
    }

    // The albums of the large account still on the stand-in.
    size_t AlbumsLeft() { return StandIn::Account("large")["albums"].array.size(); }

    std::unique_ptr<CToolDlg> window;
    std::optional<ModalDriver> driver;
    std::thread helper;
};

} // namespace

TEST_P(AlbumWindowWork, ADeleteOfTwoHundredAlbumsCanBeWatchedAndStopped)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    // Sorted by title: Album 0001 to Album 0200.
    for (int row = 0; row < 200; ++row)
        window->SelectRow(row, true);
    StandIn::Control("POST", "settings", "{\"latency_ms\": 50}");
    StandIn::ClearRequests();

    std::vector<Box> boxes;
    Watch watch;
    driver->Then(Answer(boxes, IDYES));
    driver->Then(WatchAndCancel(watch, [this](const std::wstring& text) {
        // Three albums done: "3 of 200 albums" or later.
        const std::vector<long long> numbers = TextCases::NumbersIn(text);
        return numbers.size() == 2 && numbers[0] >= 3 && numbers[0] < 200 && numbers[1] == 200;
    }));
    Command(IDC_DELETE_ALBUMS);
    if (helper.joinable())
        helper.join();
    StandIn::Control("POST", "settings", "{\"latency_ms\": 0}");

    ASSERT_EQ(boxes.size(), 1u) << "the question only: a stop is no failure";
    EXPECT_TRUE(driver->Unexpected().empty());
    EXPECT_FALSE(watch.ownerEnabled) << "the album window takes no commands meanwhile";
    EXPECT_EQ(watch.caption, language.String(IDS_PROGRESS_DELETE));
    EXPECT_TRUE(watch.answered) << "the album window answers while the albums go";
    ASSERT_TRUE(watch.progressed) << TestEnv::Narrow(watch.text);

    // Stopped after the request in flight: every delete sent was done.
    size_t deletes = 0;
    for (const Json& request : StandIn::Requests())
        deletes += request["method"].string == "DELETE";
    EXPECT_GE(deletes, 3u);
    EXPECT_LT(deletes, 200u) << "Cancel stopped the run";
    EXPECT_EQ(AlbumsLeft(), 1000u - deletes);
    EXPECT_EQ(window->RowCount(), int(1000 - deletes)) << "the list is refreshed";
    EXPECT_EQ(window->List().CellText(0, 0), L"Album " + std::wstring(4 - std::to_wstring(deletes + 1).size(), L'0') +
                                                 std::to_wstring(deletes + 1))
        << "the first album not deleted heads the list";
    EXPECT_TRUE(IsWindowEnabled(window->Handle()));

    // The log says where it stopped: the counts, and the first album left.
    const std::string next = "Album " + std::string(4 - std::to_string(deletes + 1).size(), '0') +
                             std::to_string(deletes + 1);
    bool said = false;
    for (const std::string& line : LogLines())
        said |= line.size() > next.size() && line.compare(line.size() - next.size(), next.size(), next) == 0 &&
                line.find(std::to_string(deletes)) != std::string::npos && line.find("200") != std::string::npos;
    EXPECT_TRUE(said) << next;
}

TEST_P(AlbumWindowWork, ASlowRefreshCanBeWatchedAndStoppedAndTheNextOneWorks)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    // Ten pages of a hundred albums, each a while in coming.
    StandIn::Control("POST", "settings", "{\"latency_ms\": 300, \"page_size\": 100}");
    StandIn::ClearRequests();
    Watch watch;
    driver->Then(WatchAndCancel(watch, [this](const std::wstring& text) {
        return text == language.String(IDS_PROGRESS_WAITING);
    }));
    Command(IDC_REFRESH);
    if (helper.joinable())
        helper.join();
    StandIn::Control("POST", "settings", "{\"latency_ms\": 0}");

    EXPECT_TRUE(driver->Unexpected().empty()) << "a stopped refresh is no failure to report";
    EXPECT_EQ(watch.caption, language.String(IDS_PROGRESS_REFRESH));
    EXPECT_TRUE(watch.answered);
    EXPECT_TRUE(watch.progressed) << TestEnv::Narrow(watch.text);
    EXPECT_LT(Requests("user_feed").size(), 10u) << "no page asked for after Cancel";
    EXPECT_TRUE(window->LastRefreshFailed());
    EXPECT_EQ(window->RowCount(), 0);
    EXPECT_TRUE(IsWindowEnabled(window->Handle()));

    // The client takes requests again: the next refresh lists the albums.
    Command(IDC_REFRESH);
    EXPECT_FALSE(window->LastRefreshFailed());
    EXPECT_EQ(window->RowCount(), 1000);
    EXPECT_TRUE(driver->Unexpected().empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, AlbumWindowWork, ::testing::Values("en", "ja"));
