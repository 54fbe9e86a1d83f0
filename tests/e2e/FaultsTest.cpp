// Faults, end to end: the real quillon.exe against a stand-in that misbehaves,
// and settings files that are not what the program wrote. Each case must leave
// the program running with a clear message or the specified result, and lose
// nothing: settings, account store and albums stay whole. A line per fault
// tells what happened. (A delete that fails among several is driven in the
// album window's own tests, against the same stand-in.)
#include "tests/e2e/ProgramFixture.h"

#include <cstdio>
#include <functional>
#include <random>

using namespace ProgramFixture;
using namespace WindowDriver;

namespace {

constexpr int kAccountLine = 1000;
constexpr int kRefresh = 1004;
constexpr int kSelectNone = 1007;
constexpr int kSelectedCount = 1035;
const char kFeedPath[] = "/data/feed/api/user/";

class Faults : public Program
{
protected:
    void Arm(const std::string& json)
    {
        ASSERT_EQ(LoopbackRequest(service, "POST", "/__control/fault", json).status, 200) << json;
    }
    void Disarm() { LoopbackRequest(service, "POST", "/__control/clear-faults"); }

    // The error box the album window shows: its text, after pressing OK.
    std::wstring TakeMessageBox(int timeoutMs = 30000)
    {
        HWND box = WaitForMessageBox(timeoutMs, process.dwProcessId);
        if (!box)
            return L"";
        const std::wstring text = ControlText(box, 0xFFFF);
        Click(box, IDOK);
        WaitGone(box, 5000);
        return text;
    }

    // The user closes the album window; the run ends as it should and the
    // files it keeps are whole.
    void CloseAndCheckFiles(HWND albums, const char* fault)
    {
        ASSERT_NE(albums, nullptr) << fault;
        EXPECT_TRUE(IsWindow(albums)) << fault << ": the album window is still there";
        Click(albums, IDCANCEL);
        EXPECT_EQ(WaitExit(), 2u) << fault;
        EXPECT_NE(TestEnv::ReadBytes(dat).find("demo@example.com\r\n"), std::string::npos) << fault;
        wchar_t value[16] = {};
        GetPrivateProfileStringW(L"ToolDlg", L"SORT_COLUMN", L"", value, 16, ini.c_str());
        EXPECT_STREQ(value, L"0") << fault << ": the album window's settings were written";
        EXPECT_EQ(StandInAlbumCount(), demoAlbums) << fault << ": no album was lost";
    }

    size_t StandInAlbumCount()
    {
        const Json state = Json::Parse(LoopbackRequest(service, "GET", "/__control/state").body);
        for (const Json& account : state["accounts"].array)
            if (account["email"].string == "demo@example.com")
                return account["albums"].array.size();
        return 0;
    }

    void Report(const char* fault, const std::string& result)
    {
        std::printf("fault: %s: %s\n", fault, result.c_str());
        std::fflush(stdout);
    }

    size_t demoAlbums = 0;
};

} // namespace

TEST_F(Faults, TheAlbumListFailsInEveryWayAndTheWindowSaysSo)
{
    demoAlbums = StandInAlbumCount();
    const std::string bigPage = "<html><body>" + std::string(5 * 1024 * 1024, 'x') + "</body></html>";
    const struct {
        const char* fault;
        std::string json;
        const wchar_t* shown; // a part of the message the user must see
    } cases[] = {
        {"a reset in the middle of the album feed",
         std::string("{\"path\": \"") + kFeedPath + "\", \"action\": \"reset\", \"partial\": true, \"count\": -1}", L""},
        {"a cut-short HTML page", std::string("{\"path\": \"") + kFeedPath + "\", \"action\": \"truncate_html\", \"count\": -1}",
         L"200"},
        {"a 503 with an HTML body of 5 MB",
         std::string("{\"path\": \"") + kFeedPath + "\", \"status\": 503, \"content_type\": \"text/html\", \"count\": -1, "
             "\"body\": " + JsonQuote(bigPage) + "}",
         L"503"},
        {"a feed that is not XML",
         std::string("{\"path\": \"") + kFeedPath + "\", \"status\": 200, \"content_type\": \"application/atom+xml\", "
             "\"count\": -1, \"body\": \"this is not a feed\"}",
         L"this is not a feed"},
    };
    for (const auto& c : cases) {
        SetUp();
        demoAlbums = StandInAlbumCount();
        Start();
        HWND login = LoginDialog();
        ASSERT_NE(login, nullptr) << c.fault;
        Arm(c.json);
        SetControlText(login, kAccount, L"demo@example.com");
        SetControlText(login, kPassword, L"demo");
        Click(login, IDOK);
        const std::wstring message = TakeMessageBox();
        HWND albums = AlbumWindow();
        Disarm();
        EXPECT_FALSE(message.empty()) << c.fault << ": the failure is shown";
        EXPECT_NE(message.find(c.shown), std::wstring::npos) << c.fault << ": " << TestEnv::Narrow(message);
        EXPECT_LT(message.size(), 2000u) << c.fault << ": a long reply is cut for the message";
        ASSERT_NE(albums, nullptr) << c.fault;
        EXPECT_EQ(SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0), 0) << c.fault;
        EXPECT_NE(Text(albums).find(L"could not be loaded"), std::wstring::npos)
            << c.fault << ": the title tells a failed load from an empty account";

        // With the service well again, Refresh shows every album.
        Click(albums, kRefresh);
        WaitUntil([&] { return size_t(SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0)) == demoAlbums; });
        EXPECT_EQ(size_t(SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0)), demoAlbums) << c.fault;
        CloseAndCheckFiles(albums, c.fault);
        Report(c.fault, "message shown (" + std::to_string(message.size()) + " characters), the window kept working");
        TearDown();
        process = {};
    }
}

TEST_F(Faults, SettingsAndAccountStoreFullOfGarbageStillLetTheUserIn)
{
    demoAlbums = StandInAlbumCount();
    std::mt19937 random(7);
    std::string garbage(4096, '\0');
    for (char& c : garbage)
        c = char(random());
    // Garbage first, then the lines that point the program at the stand-in.
    const std::string base = service;
    const std::string ini8 = garbage + "\r\n[Service]\r\nAccountServer=" + base + "\r\nPhotoServer=" + base +
                             "\r\n[ToolDlg]\r\nSORT_COLUMN=987654\r\nrectRight=-99999999\r\n";
    for (const auto& [path, bytes] : {std::pair{ini, ini8}, std::pair{dat, garbage}}) {
        FILE* f = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr) << "the program starts, signs in and opens the album window";
    EXPECT_EQ(size_t(SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0)), demoAlbums);
    RECT placed;
    GetWindowRect(albums, &placed);
    EXPECT_GT(placed.right - placed.left, 100) << "a placement that makes no sense is not used";
    CloseAndCheckFiles(albums, "a quillon.ini and a quillon.dat filled with garbage bytes");
    Report("a quillon.ini and a quillon.dat filled with garbage bytes", "signed in, albums shown, files rewritten");
}

TEST_F(Faults, ACopyWhileAnotherProgramHoldsTheClipboardChangesNothing)
{
    demoAlbums = StandInAlbumCount();
    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr);
    Click(albums, 1006); // select all
    // Held the way programs hold it: open on a window of their own.
    HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(holder));
    EmptyClipboard();
    const wchar_t before[] = L"held by someone else";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof before);
    memcpy(GlobalLock(block), before, sizeof before);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    // Held through the program's tries: it gives up and says so.
    PostMessageW(GetDlgItem(albums, 1003), WM_COMMAND, 32776, 0);
    const std::wstring told = TakeMessageBox();
    CloseClipboard();
    DestroyWindow(holder);
    EXPECT_FALSE(told.empty()) << "the failed copy is reported";
    EXPECT_EQ(ClipboardText(), before);
    EXPECT_EQ(SendMessageTimeoutW(albums, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr) != 0, true)
        << "the window answers";
    CloseAndCheckFiles(albums, "the clipboard held by another program during Copy");
    Report("the clipboard held by another program during Copy", "nothing copied, the user told, no hang");
}

TEST_F(Faults, AFeedThatHangsLongerThanTheTimeOutIsAskedForAgain)
{
    demoAlbums = StandInAlbumCount();
    Start();
    HWND login = LoginDialog();
    ASSERT_NE(login, nullptr);
    // The first answer never comes within the 30-second receive time-out.
    Arm(std::string("{\"path\": \"") + kFeedPath + "\", \"action\": \"hang\", \"delay\": 40, \"count\": 1}");
    SetControlText(login, kAccount, L"demo@example.com");
    SetControlText(login, kPassword, L"demo");
    Click(login, IDOK);
    HWND albums = WaitForDialogWithControl(1003, 90000, process.dwProcessId);
    ASSERT_NE(albums, nullptr);
    WaitUntil([&] { return SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0) != 0; }, 90000);
    EXPECT_EQ(size_t(SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0)), demoAlbums)
        << "the second try brings the albums";
    EXPECT_EQ(WaitForMessageBox(0, process.dwProcessId), nullptr) << "no failure to report";
    CloseAndCheckFiles(albums, "a hang longer than the time-outs");
    Report("a hang longer than the time-outs", "timed out once, asked again, all albums shown");
}

TEST_F(Faults, AFeedOfTenThousandAlbumsIsShownWhole)
{
    demoAlbums = StandInAlbumCount();
    // The demo feed's head and first entry, the entry made 10,000 albums.
    const std::string feed = LoopbackRequest(service, "GET", std::string(kFeedPath) + "demo@example.com").body;
    const size_t first = feed.find("<entry"), end = feed.find("</entry>") + 8;
    ASSERT_NE(first, std::string::npos);
    const std::string entry = feed.substr(first, end - first);
    const size_t idAt = entry.find("<gphoto:id>") + 11;
    const std::string id = entry.substr(idAt, entry.find('<', idAt) - idAt);
    const size_t titleAt = entry.find("<title type='text'>") + 19;
    const std::string title = entry.substr(titleAt, entry.find('<', titleAt) - titleAt);
    std::string big = feed.substr(0, first);
    big.reserve(big.size() + 10000 * (entry.size() + 16));
    for (int i = 0; i < 10000; ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%05d", i);
        std::string one = entry;
        for (size_t at = one.find(id); at != std::string::npos; at = one.find(id, at + 1))
            one.replace(at, id.size(), "77" + std::string(number));
        for (size_t at = one.find(title); at != std::string::npos; at = one.find(title, at + 1))
            one.replace(at, title.size(), std::string("Album ") + number);
        big += one + "\n";
    }
    big += "</feed>\n";
    Arm(std::string("{\"path\": \"") + kFeedPath + "\", \"status\": 200, \"content_type\": \"application/atom+xml\", "
        "\"charset\": \"utf-8\", \"count\": -1, \"body\": " + JsonQuote(big) + "}");

    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr);
    WaitUntil([&] { return SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0) >= 10000; }, 120000);
    EXPECT_EQ(SendDlgItemMessageW(albums, 1003, LVM_GETITEMCOUNT, 0, 0), 10000);
    EXPECT_EQ(ControlText(albums, 1002).substr(0, 6), L"10000 ");
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(albums, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer), 0) << "the window answers";
    Disarm();
    CloseAndCheckFiles(albums, "a feed with 10,000 albums");
    Report("a feed with 10,000 albums", "every row shown (" + std::to_string(big.size() / 1048576) + " MB of feed)");
}

// A server whose album list links on to a new page every time, with a total
// of three albums: the program reads no more pages than that total allows,
// says why it stopped, and lets the user go on.
TEST_F(Faults, ANextLinkThatIsNewOnEveryPageStopsWithAMessage)
{
    demoAlbums = StandInAlbumCount();
    const std::string path = std::string(kFeedPath) + "demo@example.com";
    const std::string feed =
        "<?xml version='1.0' encoding='UTF-8'?><feed xmlns='http://www.w3.org/2005/Atom' "
        "xmlns:gphoto='http://schemas.google.com/photos/2007' xmlns:openSearch='http://a9.com/-/spec/opensearch/1.1/'>"
        "<openSearch:totalResults>3</openSearch:totalResults><openSearch:itemsPerPage>1</openSearch:itemsPerPage>"
        "<link rel='next' href='" + service + path + "?start-index={next}'/>"
        "<entry><title>Page {hit}</title><gphoto:id>{hit}</gphoto:id></entry></feed>";
    Arm("{\"path\": \"" + path + "\", \"match\": \"exact\", \"count\": -1, \"numbered\": true, \"status\": 200, "
        "\"content_type\": \"application/atom+xml\", \"charset\": \"UTF-8\", \"body\": " + JsonQuote(feed) + "}");
    LoopbackRequest(service, "POST", "/__control/clear-requests");
    Start();
    HWND login = LoginDialog();
    ASSERT_NE(login, nullptr);
    SetControlText(login, kAccount, L"demo@example.com");
    SetControlText(login, kPassword, L"demo");
    Click(login, IDOK);
    const std::wstring text = TakeMessageBox();
    HWND albums = AlbumWindow();
    ASSERT_NE(albums, nullptr);
    EXPECT_NE(text.find(L"start-index=6"), std::wstring::npos) << "the link it did not follow";
    const Json counters = Json::Parse(LoopbackRequest(service, "GET", "/__control/counters").body);
    EXPECT_EQ(counters["by_kind"]["user_feed"].Int(), 5) << "three pages and the slack, then no more";
    EXPECT_EQ(SendDlgItemMessageW(albums, kAlbumList, LVM_GETITEMCOUNT, 0, 0), 0) << "nothing that looks whole";
    Disarm();
    CloseAndCheckFiles(albums, "a next link that is new on every page");
    Report("a next link that is new on every page", "stopped after 5 pages with a message");
}

// A title of 100,000 characters once overflowed the stack of Select by
// pattern; now it is matched like any other.
TEST_F(Faults, ATitleOfAHundredThousandCharactersIsSelectedByPattern)
{
    demoAlbums = StandInAlbumCount();
    const std::string path = std::string(kFeedPath) + "demo@example.com";
    std::string feed = LoopbackRequest(service, "GET", path).body;
    const size_t titleAt = feed.find("<title type='text'>", feed.find("<entry")) + 19;
    ASSERT_NE(titleAt, std::string::npos + 19);
    feed.replace(titleAt, feed.find('<', titleAt) - titleAt, std::string(100000, 'x') + "needle");
    Arm("{\"path\": \"" + path + "\", \"match\": \"exact\", \"count\": -1, \"status\": 200, "
        "\"content_type\": \"application/atom+xml\", \"charset\": \"UTF-8\", \"body\": " + JsonQuote(feed) + "}");
    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendDlgItemMessageW(albums, kAlbumList, LVM_GETITEMCOUNT, 0, 0) > 0; }))
        << "the albums are listed";
    // The last pattern needs back-references: too long a title for those is
    // no match; the others pick the album.
    const std::pair<const wchar_t*, int> patterns[] = {{L"needle", 1}, {L"x+needle", 1}, {L"(x)\\1needle", 0}};
    for (const auto& [pattern, selected] : patterns) {
        SetControlText(albums, 1009, pattern);
        // Sent, not posted: it returns once the selection is made.
        DWORD_PTR answer = 0;
        ASSERT_NE(SendMessageTimeoutW(albums, WM_COMMAND, MAKEWPARAM(1008, BN_CLICKED), LPARAM(GetDlgItem(albums, 1008)),
                                      SMTO_ABORTIFHUNG, 60000, &answer),
                  0)
            << TestEnv::Narrow(pattern) << ": the window answers";
        ASSERT_EQ(WaitForSingleObject(process.hProcess, 0), DWORD(WAIT_TIMEOUT)) << "the program is still there";
        EXPECT_EQ(SendDlgItemMessageW(albums, kAlbumList, LVM_GETSELECTEDCOUNT, 0, 0), selected)
            << TestEnv::Narrow(pattern);
    }
    Disarm();
    CloseAndCheckFiles(albums, "a title of 100,000 characters");
    Report("a title of 100,000 characters", "selected by pattern, no crash");
}

// A photo server that never answers: Cancel in the progress window stops
// the request, tries nothing again and asks for no further album. (The
// request is left behind to its receive time-out; the window does not wait.)
TEST_F(Faults, CancelAgainstAPhotoServerThatNeverAnswersTriesNothingAgain)
{
    demoAlbums = StandInAlbumCount();
    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendDlgItemMessageW(albums, kAlbumList, LVM_GETITEMCOUNT, 0, 0) > 0; }))
        << "the albums are listed";
    Arm(std::string("{\"path\": \"") + kFeedPath + "demo@example.com/albumid/\", \"action\": \"hang\", "
        "\"delay\": 90, \"count\": -1}");
    LoopbackRequest(service, "POST", "/__control/clear-requests");
    Click(albums, kSelectAll);
    PostMessageW(albums, WM_COMMAND, MAKEWPARAM(1029, BN_CLICKED), 0);
    HWND progress = WaitForDialogWithControl(1046, 30000, process.dwProcessId);
    ASSERT_NE(progress, nullptr) << "the progress window";
    const DWORD cancelled = GetTickCount();
    PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitGone(progress, 60000));
    const DWORD waited = GetTickCount() - cancelled;
    const Json counters = Json::Parse(LoopbackRequest(service, "GET", "/__control/counters").body);
    EXPECT_EQ(counters["by_kind"]["album_feed"].Int(), 1) << "no second try, no second album";
    EXPECT_EQ(WaitForMessageBox(0, process.dwProcessId), nullptr) << "a stop is no failure to report";
    Disarm();
    CloseAndCheckFiles(albums, "a photo server that never answers");
    Report("a photo server that never answers", "Cancel after " + std::to_string(waited) + " ms, one request");
}

// A refresh against a feed that stalls: Cancel gives the window back while
// the server still holds the request (a stall of 20 s, well inside the
// 30-second receive time-out that the request alone would wait out).
TEST_F(Faults, CancelDuringARefreshAgainstAStalledFeedReturnsTheWindowBeforeTheServerLetsGo)
{
    demoAlbums = StandInAlbumCount();
    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendDlgItemMessageW(albums, kAlbumList, LVM_GETITEMCOUNT, 0, 0) > 0; }))
        << "the albums are listed";
    Arm(std::string("{\"path\": \"") + kFeedPath + "\", \"action\": \"hang\", \"delay\": 20, \"count\": 1}");
    LoopbackRequest(service, "POST", "/__control/clear-requests");
    PostMessageW(albums, WM_COMMAND, MAKEWPARAM(kRefresh, BN_CLICKED), 0);
    HWND progress = WaitForDialogWithControl(1046, 30000, process.dwProcessId);
    ASSERT_NE(progress, nullptr) << "the progress window";
    // The feed's request is held by the server, unanswered.
    const auto heldFeeds = [&] {
        size_t held = 0;
        const Json log = Json::Parse(LoopbackRequest(service, "GET", "/__control/requests").body);
        for (const Json& entry : log["requests"].array)
            held += entry["kind"].string == "user_feed" && entry["status"].kind == Json::Kind::Null ? 1 : 0;
        return held;
    };
    ASSERT_TRUE(WaitUntil([&] { return heldFeeds() == 1; })) << "the feed reached the server";
    PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitGone(progress, 60000));
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(albums, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer)) << "the window answers";
    EXPECT_EQ(heldFeeds(), 1u) << "the window waited for the server to let go";
    const Json counters = Json::Parse(LoopbackRequest(service, "GET", "/__control/counters").body);
    EXPECT_EQ(counters["by_kind"]["user_feed"].Int(), 1) << "nothing tried again";
    EXPECT_EQ(WaitForMessageBox(0, process.dwProcessId), nullptr) << "a stop is no failure to report";
    Disarm();
    CloseAndCheckFiles(albums, "a refresh against a feed that stalls");
    Report("a refresh against a feed that stalls", "Cancel gave the window back while the server held the feed");
}
