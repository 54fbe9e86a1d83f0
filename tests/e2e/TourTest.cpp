// The whole program, driven from outside as a user works it: the album
// window's tools, its dialogs and its changes, checked through the stand-in's
// albums, the clipboard, the settings file and the log.
#include "tests/e2e/ProgramFixture.h"

#include <thread>

#include "base/TextFormat.h"
#include "res/resource.h"
#include "tests/support/DialogHarness.h"

using namespace ProgramFixture;
using namespace WindowDriver;

namespace {

enum Ids
{
    kRefresh = 1004, kSelectAllButton = 1006, kSelectNone = 1007, kByPattern = 1008, kPattern = 1009,
    kInvert = 1010, kDelete = 1011, kNewAlbum = 1012, kNewTitle = 1014, kBatchKind = 1025, kBatchCommenting = 1026,
    kBatchApply = 1027, kWholeTitle = 1019, kUrlList = 1021, kUrlText = 1022, kUrlCopy = 1023, kPhotoList = 1029,
    kPhotos = 1030, kSelectedCount = 1035, kChangeAccess = 1039, kAcceptAccess = 1042, kQuickMode = 1043,
};

// One run of the tour: an account, the language of the windows and what the
// account's albums make the steps find.
struct TourCase
{
    const char* name;
    const wchar_t* language;  // the module, as the settings file names it
    const char* module;       // "en" or "ja"
    const wchar_t* account;
    const wchar_t* pattern;   // selects `patternMatches` albums, case ignored
    int patternMatches;
    const wchar_t* copiedRow; // the start of a row that Copy must carry
    const wchar_t* photoAlbum;
    int photoCount;
    const wchar_t* newTitle;
    const wchar_t* caption;   // the album window's title
};

const TourCase kTours[] = {
    {"English", L"English", "en", L"demo@example.com", L"family", 2, L"\r\nGarden, 15, ", L"Family", 18,
     L"Tour & <album>", L"Quillon - Albums"},
    {"Japanese", L"Japanese", "ja", L"shashinka@example.com", L"\u5bcc\u58eb", 1, L"\r\n\u5bcc\u58eb\u5c71, 5, ",
     L"\u5bcc\u58eb\u5c71", 5, L"\u65c5 & <\u30a2\u30eb\u30d0\u30e0>", L"Quillon - \u30a2\u30eb\u30d0\u30e0"},
};

class Tour : public Program, public testing::WithParamInterface<TourCase>
{
protected:
    Json DemoAlbum(const std::wstring& wideTitle)
    {
        const std::string title = TestEnv::Narrow(wideTitle);
        const std::string email = TestEnv::Narrow(GetParam().account);
        const Json state = Json::Parse(LoopbackRequest(service, "GET", "/__control/state").body);
        for (const Json& account : state["accounts"].array)
            if (account["email"].string == email)
                for (const Json& album : account["albums"].array)
                    if (album["title"].string == title)
                        return album;
        return Json();
    }
    int Rows(HWND window, int list) { return int(SendDlgItemMessageW(window, list, LVM_GETITEMCOUNT, 0, 0)); }
    // The number the selection count starts with, once it shows `expected`
    // (the window acts on a posted click in its own time) or the wait is over.
    int Selected(HWND albums, int expected)
    {
        auto count = [&] { return _wtoi(ControlText(albums, kSelectedCount).c_str()); };
        WaitUntil([&] { return count() == expected; });
        return count();
    }
    // A command sent rather than posted: back once the window has handled it
    // with the work it started (the window takes no command while its work
    // runs, so a click posted then would be lost).
    static void Run(HWND albums, int id)
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(albums, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, SMTO_BLOCK, 120000, &result);
    }
    // The same on a thread of its own, for a command whose dialogs the test
    // drives meanwhile; joined, the command is done.
    static std::thread RunAside(HWND albums, int id)
    {
        return std::thread([albums, id] { Run(albums, id); });
    }
    // A key pressed on a control of the window, as the keyboard sends it
    // there: the window's own loop sees it first.
    static void Key(HWND window, int control, WPARAM key)
    {
        PostMessageW(GetDlgItem(window, control), WM_KEYDOWN, key, 0);
    }
    // How often the album list was asked for so far.
    size_t AlbumListLoads()
    {
        const Json log = Json::Parse(LoopbackRequest(service, "GET", "/__control/requests?since=0").body);
        size_t n = 0;
        for (const Json& request : log["requests"].array)
            n += request["kind"].string == "user_feed";
        return n;
    }
    // Waits until the window has no long work under way: it answers, and no
    // work keeps it disabled.
    static void WaitIdle(HWND window)
    {
        WaitUntil([&] {
            DWORD_PTR answer = 0;
            return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &answer) && IsWindowEnabled(window);
        });
    }
    // The posted click is handled before anything posted after it.
    void SelectTitle(HWND albums, const wchar_t* title)
    {
        SetControlText(albums, kPattern, title);
        SendDlgItemMessageW(albums, kWholeTitle, BM_SETCHECK, BST_CHECKED, 0);
        Click(albums, kByPattern);
    }
};

} // namespace

TEST_P(Tour, EveryToolAndChangeOfTheAlbumWindow)
{
    const TourCase& tour = GetParam();
    const std::wstring title = tour.newTitle;
    WritePrivateProfileStringW(L"Generic", L"Language", tour.language, ini.c_str());
    Start();
    HWND albums = SignIn(tour.account, L"demo");
    ASSERT_NE(albums, nullptr);
    DialogHarness::ScopedLanguage module(tour.module);
    EXPECT_EQ(Text(albums), tour.caption) << "the window in the module's language";
    const int all = Rows(albums, 1003);
    ASSERT_GT(all, 1);

    // Refresh and the selection tools.
    // Refresh by F5 on a button; Escape leaves the window open; Enter in
    // the pattern box selects.
    const size_t loads = AlbumListLoads();
    Key(albums, kSelectAllButton, VK_F5);
    WaitUntil([&] { return AlbumListLoads() > loads; });
    WaitIdle(albums);
    EXPECT_EQ(Rows(albums, 1003), all);
    Key(albums, 1003, VK_ESCAPE);
    SetControlText(albums, kPattern, tour.pattern);
    SendDlgItemMessageW(albums, 1034, BM_SETCHECK, BST_CHECKED, 0); // ignore case
    Key(albums, kPattern, VK_RETURN);
    EXPECT_EQ(Selected(albums, tour.patternMatches), tour.patternMatches);
    EXPECT_TRUE(IsWindowVisible(albums)) << "Escape did not close the album window";
    Click(albums, kInvert);
    EXPECT_EQ(Selected(albums, all - tour.patternMatches), all - tour.patternMatches);
    Click(albums, kSelectNone);
    EXPECT_EQ(Selected(albums, 0), 0);
    Click(albums, kSelectAllButton);
    EXPECT_EQ(Selected(albums, all), all);

    // Copy offers text and an HTML table.
    EXPECT_NE(CopyFromList(albums).find(tour.copiedRow), std::wstring::npos);
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"HTML Format")));

    // A new album, its access changed through the dialog, commenting off.
    std::thread command = RunAside(albums, kNewAlbum);
    HWND create = WaitForDialogWithControl(kNewTitle, 20000, process.dwProcessId);
    if (create) {
        SetControlText(create, kNewTitle, title);
        Click(create, kNewAlbum);
        WaitGone(create, 20000);
    }
    command.join(); // created and refreshed
    ASSERT_NE(create, nullptr);
    ASSERT_NE(DemoAlbum(title).kind, Json::Kind::Null) << "created, with its title intact";
    EXPECT_EQ(Rows(albums, 1003), all + 1) << "the window refreshed";
    SelectTitle(albums, title.c_str());
    EXPECT_EQ(Selected(albums, 1), 1);
    command = RunAside(albums, kChangeAccess);
    HWND access = WaitForDialogWithControl(kAcceptAccess, 20000, process.dwProcessId);
    if (access) {
        SendDlgItemMessageW(access, 1018, CB_SETCURSEL, 2, 0); // protected
        Click(access, kAcceptAccess);
        WaitGone(access, 20000);
    }
    command.join();
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(DemoAlbum(title)["access"].string, "protected");
    SendDlgItemMessageW(albums, kBatchKind, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageW(albums, kBatchCommenting, CB_SETCURSEL, 1, 0);
    Run(albums, kBatchApply);
    auto commenting = [&] { return DemoAlbum(title)["commenting"]; };
    EXPECT_EQ(commenting().kind, Json::Kind::Bool);
    EXPECT_FALSE(commenting().boolean);

    // Its web address, copied from the URL list.
    Click(albums, kUrlList);
    HWND urls = WaitForDialogWithControl(kUrlText, 20000, process.dwProcessId);
    ASSERT_NE(urls, nullptr);
    ClearClipboard();
    Click(urls, kUrlCopy);
    EXPECT_NE(WaitClipboard().find(title), std::wstring::npos);
    Click(urls, IDCANCEL);
    ASSERT_TRUE(WaitGone(urls, 10000));

    // The photo list, in quick mode and with details (too few photos to be
    // worth the estimate question).
    SelectTitle(albums, tour.photoAlbum);
    for (bool quick : {true, false}) {
        SendDlgItemMessageW(albums, kQuickMode, BM_SETCHECK, quick ? BST_CHECKED : BST_UNCHECKED, 0);
        // Enter on the list, and the button.
        if (quick)
            Key(albums, 1003, VK_RETURN);
        else
            Click(albums, kPhotoList);
        HWND photos = WaitForDialogWithControl(kPhotos, 30000, process.dwProcessId);
        ASSERT_NE(photos, nullptr) << (quick ? "quick" : "with details");
        EXPECT_EQ(Rows(photos, kPhotos), tour.photoCount);
        Click(photos, IDCANCEL);
        ASSERT_TRUE(WaitGone(photos, 10000));
    }

    // The album goes again, after the confirmation.
    SelectTitle(albums, title.c_str());
    command = RunAside(albums, kDelete);
    HWND confirm = WaitForMessageBox(20000, process.dwProcessId);
    if (confirm)
        Click(confirm, IDYES);
    command.join();
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(DemoAlbum(title).kind, Json::Kind::Null);

    Click(albums, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);
    wchar_t value[16] = {};
    GetPrivateProfileStringW(L"ToolDlg", L"QuickMode", L"", value, 16, ini.c_str());
    EXPECT_STREQ(value, L"0");
    EXPECT_EQ(TestEnv::ReadBytes(dat), TestEnv::Narrow(tour.account) + "\r\n");
    // The log lines, in the module's words and the user's code page.
    auto logLine = [&](UINT id, const std::vector<TextArg>& args) {
        const std::wstring line = FormatText(module.String(id), args) + L"\r\n";
        std::string bytes(line.size() * 4 + 1, '\0');
        bytes.resize(size_t(WideCharToMultiByte(CP_ACP, 0, line.c_str(), int(line.size()), bytes.data(),
                                                int(bytes.size()), nullptr, nullptr)));
        return bytes;
    };
    const std::string text = TestEnv::ReadBytes(log);
    EXPECT_NE(text.find("Login : Success, Account = " + TestEnv::Narrow(tour.account)), std::string::npos);
    EXPECT_NE(text.find(logLine(IDS_LOG_DELETED, {title})), std::string::npos) << text;
    EXPECT_NE(text.find(logLine(IDS_LOG_ACCESS_CHANGED, {module.String(IDS_ACCESS_PRIVATE),
                                                          module.String(IDS_ACCESS_PROTECTED), title})),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Languages, Tour, testing::ValuesIn(kTours),
                         [](const testing::TestParamInfo<TourCase>& info) { return std::string(info.param.name); });
