// The new album dialog from the real language modules, creating albums on
// the stand-in service through a signed-in client.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstdlib>
#include <functional>
#include <iterator>

#include "app/ResourceText.h"
#include "base/CLogSupport.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "ui/albums/CNewAlbumDlg.h"
#include "base/TextFormat.h"

using namespace DialogHarness;

namespace {

const char kCreatePath[] = "/data/feed/api/user/demo@example.com";

void Type(HWND dialog, int id, const wchar_t* text)
{
    SetDlgItemTextW(dialog, id, text);
}

std::wstring Text(HWND dialog, int id)
{
    wchar_t text[2048] = L"";
    GetDlgItemTextW(dialog, id, text, 2048);
    return text;
}

void Click(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Runs an action from a timer on a window, so that it happens inside that
// window's modal loop after the current message (a closing box) is done.
class AfterBox
{
public:
    explicit AfterBox(std::function<void()> action) : m_action(std::move(action)) { s_current = this; }
    ~AfterBox() { s_current = nullptr; }
    void Arm(HWND window) { SetTimer(window, kTimer, 10, Fire); }

private:
    static constexpr UINT_PTR kTimer = 0x4E41;
    static void CALLBACK Fire(HWND window, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(window, id);
        if (s_current)
            s_current->m_action();
    }
    static inline AfterBox* s_current = nullptr;
    std::function<void()> m_action;
};

class NewAlbumDialog : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Reset();
        folder = TestEnv::ScratchFolder("new-album-dialog");
        ini = folder + L"\\quillon.ini";
        logPath = TestEnv::Narrow(folder) + "\\quillon.log";
        log.Open(logPath.c_str());
        client.SetLog(&log);
        ASSERT_EQ(client.Login("demo@example.com", L"demo", "t"), 0u);
        StandIn::ClearRequests();
    }

    void TearDown() override
    {
        Control("POST", "clear-faults");
        client.SetLog(nullptr);
    }

    static void Control(const std::string& method, const std::string& name)
    {
        StandIn::Control(method, name);
    }

    std::vector<Json> Creations()
    {
        std::vector<Json> posts;
        for (const Json& r : StandIn::Requests())
            if (r["method"].string == "POST" && r["kind"].string == "album_create")
                posts.push_back(r);
        return posts;
    }

    Json AlbumState(const std::string& title)
    {
        const Json account = StandIn::Account("demo");
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                return album;
        return Json();
    }

    // The log's lines without their time prefix.
    std::vector<std::string> LogLines()
    {
        std::vector<std::string> lines;
        for (const std::string& line : ClientTest::LogLines(TestEnv::Widen(logPath)))
            lines.push_back(ClientTest::WithoutTime(line));
        return lines;
    }

    static std::string LogText(const std::wstring& text) { return UserCodePageFromWide(text); }

    std::wstring folder, ini;
    std::string logPath;
    CLogSupport log;
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
};

} // namespace

TEST_P(NewAlbumDialog, OpensWithTodayAndTheAccessLevels)
{
    ScopedLanguage language(GetParam());
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_DATE), TodayDateText());
    EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_TITLE), L"");
    EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_SUMMARY), L"");
    EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_LOCATION), L"");
    EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_DATE_HINT), L"");
    EXPECT_EQ(dialog.SendItem(IDC_NEW_ALBUM_SUMMARY, EM_GETLIMITTEXT), 1024);
    EXPECT_EQ(dialog.SendItem(IDC_NEW_ALBUM_DATE, EM_GETLIMITTEXT), 10);

    ASSERT_EQ(dialog.SendItem(IDC_ACCESS_LIST, CB_GETCOUNT), 3);
    for (int i = 0; i < 3; ++i) {
        wchar_t item[128] = L"";
        dialog.SendItem(IDC_ACCESS_LIST, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(item, language.String(IDS_ACCESS_FIRST + i)) << i;
        EXPECT_NE(item[0], L'\0') << i;
    }
    EXPECT_EQ(dialog.SendItem(IDC_ACCESS_LIST, CB_GETCURSEL), 1) << "private by default";

    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_EQ(GetWindowLongPtrW(dialog.Item(IDC_NEW_ALBUM), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
        << "Enter creates";
}

TEST_P(NewAlbumDialog, TellsWhatIsWrongWithTheDateWhileItIsTyped)
{
    ScopedLanguage language(GetParam());
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    const struct {
        const wchar_t* date;
        std::wstring hint;
    } cases[] = {
        {L"2012", language.String(IDS_NEW_ALBUM_DATE_FORM)},
        {L"2012/3/5", language.String(IDS_NEW_ALBUM_DATE_INVALID)},
        {L"2011/02/29", FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {2011})},
        {L"2012/04/31", FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {4})},
        {L"2012/02/29", L""},
    };
    for (const auto& c : cases) {
        dialog.SetItemText(IDC_NEW_ALBUM_DATE, c.date);
        EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_DATE_HINT), c.hint) << TestEnv::Narrow(c.date);
    }
    EXPECT_NE(FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {2011}).find(L"2011"), std::wstring::npos);
    EXPECT_NE(FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {4}).find(L"4"), std::wstring::npos);
    EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_NEW_ALBUM))) << "the button stays usable";
}

TEST_P(NewAlbumDialog, RejectedEntriesShowTheirMessageAndKeepTheDialogOpen)
{
    ScopedLanguage language(GetParam());
    const struct {
        const wchar_t* title;
        const wchar_t* date;
        std::wstring message;
        int focus;
    } cases[] = {
        {L"", L"2012/3/5", language.String(IDS_NEW_ALBUM_NO_TITLE), IDC_NEW_ALBUM_TITLE},
        {L"Trip", L"2012/3/5", language.String(IDS_NEW_ALBUM_DATE_INVALID), IDC_NEW_ALBUM_DATE},
        {L"Trip", L"2012.03.05", language.String(IDS_NEW_ALBUM_DATE_FORM), IDC_NEW_ALBUM_DATE},
        {L"Trip", L"1900/02/29", FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {1900}),
         IDC_NEW_ALBUM_DATE},
        {L"Trip", L"2012/11/31", FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {11}), IDC_NEW_ALBUM_DATE},
    };
    const size_t count = std::size(cases);
    struct Seen
    {
        std::wstring caption, text;
        bool dialogOpen = false;
        int focus = 0;
    };
    std::vector<Seen> seen;
    HWND dialogWindow = nullptr;
    size_t current = 0;
    auto enter = [&](size_t i) {
        Type(dialogWindow, IDC_NEW_ALBUM_TITLE, cases[i].title);
        Type(dialogWindow, IDC_NEW_ALBUM_DATE, cases[i].date);
        Click(dialogWindow, IDC_NEW_ALBUM);
    };
    // Runs in the dialog's loop once a box has gone: where the focus went,
    // then the next case.
    AfterBox afterBox([&] {
        seen.back().focus = GetDlgCtrlID(GetFocus());
        if (++current < count)
            enter(current);
        else
            PostMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });

    ModalDriver driver;
    driver.Then([&](HWND window) {
        dialogWindow = window;
        enter(0);
    });
    for (size_t i = 0; i < count; ++i)
        driver.Then([&](HWND box) {
            seen.push_back(Seen{WindowText(box), MessageBoxText(box), IsWindow(dialogWindow) != FALSE, 0});
            EndDialog(box, IDOK);
            afterBox.Arm(dialogWindow);
        });
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    ASSERT_EQ(seen.size(), count);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(seen[i].caption, language.String(IDS_CAPTION_NO_SELECTION)) << i;
        EXPECT_EQ(seen[i].text, cases[i].message) << i;
        EXPECT_TRUE(seen[i].dialogOpen) << i;
        EXPECT_EQ(seen[i].focus, cases[i].focus) << i;
    }
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_TRUE(Creations().empty()) << "nothing was sent";
}

TEST_P(NewAlbumDialog, CreatesTheAlbumWithItsTextsIntact)
{
    ScopedLanguage language(GetParam());
    const std::wstring title = L"Tom & Jerry <2012>";
    const std::wstring summary = L"Cats & mice\r\n<both> \"quoted\"";
    const std::wstring location = L"A&B <C>";
    ModalDriver driver;
    driver.Then([&](HWND window) {
        Type(window, IDC_NEW_ALBUM_TITLE, title.c_str());
        Type(window, IDC_NEW_ALBUM_SUMMARY, summary.c_str());
        Type(window, IDC_NEW_ALBUM_LOCATION, location.c_str());
        Type(window, IDC_NEW_ALBUM_DATE, L"2012/03/24");
        SendDlgItemMessageW(window, IDC_ACCESS_LIST, CB_SETCURSEL, 0, 0);
        Click(window, IDC_NEW_ALBUM);
    });
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    EXPECT_EQ(dialog.DoModal(nullptr), 1);
    EXPECT_TRUE(driver.Unexpected().empty());

    const Json album = AlbumState(TestEnv::Narrow(title));
    ASSERT_EQ(album["title"].string, TestEnv::Narrow(title)) << "the title reached the service as typed";
    // An XML reader ends every line with LF alone.
    EXPECT_EQ(album["summary"].string, "Cats & mice\n<both> \"quoted\"");
    EXPECT_EQ(album["location"].string, TestEnv::Narrow(location));
    EXPECT_EQ(album["access"].string, "public");
    ASSERT_EQ(Creations().size(), 1u);

    const std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), LogText(FormatText(language.String(IDS_LOG_ALBUM_CREATED), {title})));
    // Saved after the creation.
    EXPECT_NE(GetPrivateProfileIntW(L"NewAlbumDlg", L"rectRight", 0, ini.c_str()), 0);
}

TEST_P(NewAlbumDialog, FailedCreationShowsTwoBoxesAndKeepsTheFields)
{
    ScopedLanguage language(GetParam());
    StandIn::Fault("{\"path\": \"" + std::string(kCreatePath) +
                   "\", \"method\": \"POST\", \"status\": 503, \"body\": \"Try again later\"}");
    const std::wstring expected =
        FormatText(language.String(IDS_CREATE_FAILED_FORMAT), {L"503", L"Try again later"});
    std::vector<std::wstring> captions, texts;
    std::vector<std::wstring> fieldsAfter;
    bool openAfter = false;
    HWND dialogWindow = nullptr;
    AfterBox afterBoxes([&] {
        openAfter = IsWindow(dialogWindow) != FALSE;
        for (int id : {IDC_NEW_ALBUM_TITLE, IDC_NEW_ALBUM_SUMMARY, IDC_NEW_ALBUM_DATE, IDC_NEW_ALBUM_LOCATION})
            fieldsAfter.push_back(Text(dialogWindow, id));
        fieldsAfter.push_back(std::to_wstring(SendDlgItemMessageW(dialogWindow, IDC_ACCESS_LIST, CB_GETCURSEL, 0, 0)));
        PostMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    ModalDriver driver;
    driver.Then([&](HWND window) {
        dialogWindow = window;
        Type(window, IDC_NEW_ALBUM_TITLE, L"Summer");
        Type(window, IDC_NEW_ALBUM_SUMMARY, L"Beach");
        Type(window, IDC_NEW_ALBUM_LOCATION, L"Shonan");
        Type(window, IDC_NEW_ALBUM_DATE, L"2012/07/04");
        SendDlgItemMessageW(window, IDC_ACCESS_LIST, CB_SETCURSEL, 2, 0);
        Click(window, IDC_NEW_ALBUM);
    });
    for (int i = 0; i < 2; ++i)
        driver.Then([&, i](HWND box) {
            captions.push_back(WindowText(box));
            texts.push_back(MessageBoxText(box));
            EndDialog(box, IDOK);
            if (i == 1)
                afterBoxes.Arm(dialogWindow);
        });
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(driver.Unexpected().empty());

    ASSERT_EQ(captions.size(), 2u);
    EXPECT_EQ(captions[0], L"\u30a8\u30e9\u30fc") << "the built-in caption first";
    EXPECT_EQ(captions[1], language.String(IDS_CAPTION_REQUEST_FAILED));
    EXPECT_EQ(texts[0], expected);
    EXPECT_EQ(texts[1], expected);
    EXPECT_NE(expected.find(L"Try again later"), std::wstring::npos);
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(fieldsAfter, (std::vector<std::wstring>{L"Summer", L"Beach", L"2012/07/04", L"Shonan", L"2"}));
    EXPECT_EQ(Creations().size(), 1u);
    EXPECT_TRUE(AlbumState("Summer").kind == Json::Kind::Null);

    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    const std::vector<std::string> last(lines.end() - 3, lines.end());
    EXPECT_EQ(last[0], LogText(language.String(IDS_LOG_CREATE_FAILED)));
    EXPECT_EQ(last[1], LogText(FormatText(language.String(IDS_LOG_STATUS_FORMAT), {L"503"})));
    EXPECT_EQ(last[2], LogText(FormatText(language.String(IDS_LOG_BODY_FORMAT), {L"Try again later"})));
}

TEST_P(NewAlbumDialog, CancelSavesThePlacementAndSendsNothing)
{
    ScopedLanguage language(GetParam());
    ModalDriver driver;
    SIZE size = {};
    driver.Then([&](HWND window) {
        Type(window, IDC_NEW_ALBUM_TITLE, L"Not wanted");
        RECT r = {};
        GetWindowRect(window, &r);
        size = {r.right - r.left + 50, r.bottom - r.top + 40};
        SetWindowPos(window, nullptr, 40, 30, size.cx, size.cy, SWP_NOZORDER);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(Creations().empty());
    EXPECT_EQ(GetPrivateProfileIntW(L"NewAlbumDlg", L"rectLeft", -1, ini.c_str()), 40);
    EXPECT_EQ(GetPrivateProfileIntW(L"NewAlbumDlg", L"rectRight", -1, ini.c_str()), 40 + size.cx);

    // The next opening comes back there.
    RECT placed = {};
    ModalDriver again;
    again.Then([&](HWND window) {
        GetWindowRect(window, &placed);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    CNewAlbumDlg second(client, SettingsLocation::File(ini));
    EXPECT_EQ(second.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.right - placed.left, size.cx);
}

TEST_P(NewAlbumDialog, GrowingTheWindowMovesTheFieldsBelowTheDescription)
{
    ScopedLanguage language(GetParam());
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    auto rectOf = [&](int id) {
        RECT r = {};
        GetWindowRect(dialog.Item(id), &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const int ids[] = {IDC_NEW_ALBUM_TITLE, IDC_NEW_ALBUM_SUMMARY, IDC_NEW_ALBUM_DATE, IDC_NEW_ALBUM_LOCATION,
                       IDC_ACCESS_LIST, IDC_NEW_ALBUM, IDCANCEL, IDC_NEW_ALBUM_FRAME, IDC_NEW_ALBUM_DATE_HINT};
    std::vector<RECT> before;
    for (int id : ids)
        before.push_back(rectOf(id));
    RECT window0 = {};
    GetWindowRect(window, &window0);
    SetWindowPos(window, nullptr, 0, 0, window0.right - window0.left + 100, window0.bottom - window0.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER);
    const struct {
        int dx, dy, dw, dh;
    } expected[] = {
        {0, 0, 100, 0},    // title: wider
        {0, 0, 100, 60},   // description: wider and taller
        {0, 60, 0, 0},     // date: down
        {0, 60, 0, 0},     // location: down
        {0, 60, 0, 0},     // access: down
        {100, 60, 0, 0},   // create: with the corner
        {100, 60, 0, 0},   // cancel: with the corner
        {0, 0, 100, 60},   // frame: wider and taller
        {0, 60, 100, 0},   // date hint: down and wider
    };
    for (size_t i = 0; i < std::size(ids); ++i) {
        const RECT after = rectOf(ids[i]);
        EXPECT_EQ(after.left - before[i].left, expected[i].dx) << ids[i];
        EXPECT_EQ(after.top - before[i].top, expected[i].dy) << ids[i];
        EXPECT_EQ((after.right - after.left) - (before[i].right - before[i].left), expected[i].dw) << ids[i];
        EXPECT_EQ((after.bottom - after.top) - (before[i].bottom - before[i].top), expected[i].dh) << ids[i];
    }
    // Never smaller than it opened.
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, window0.right - window0.left);
    EXPECT_EQ(info.ptMinTrackSize.y, window0.bottom - window0.top);
}

TEST_P(NewAlbumDialog, ADayBefore1970IsSentAsTheCurrentTime)
{
    ScopedLanguage language(GetParam());
    ModalDriver driver;
    driver.Then([&](HWND window) {
        Type(window, IDC_NEW_ALBUM_TITLE, L"Moon landing");
        Type(window, IDC_NEW_ALBUM_DATE, L"1969/07/20");
        Click(window, IDC_NEW_ALBUM);
    });
    const int64_t before = CurrentTimeSeconds();
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    EXPECT_EQ(dialog.DoModal(nullptr), 1);
    const int64_t after = CurrentTimeSeconds();
    const Json album = AlbumState("Moon landing");
    ASSERT_NE(album.kind, Json::Kind::Null);
    EXPECT_GE(album["timestamp"].Int(), before * 1000);
    EXPECT_LE(album["timestamp"].Int(), (after + 1) * 1000);
}

INSTANTIATE_TEST_SUITE_P(Languages, NewAlbumDialog, ::testing::Values("en", "ja"));

namespace {

// "2012/03/24=1332619200,2012/01/15=1326661200": the album times a zone
// expects, from the test's own ctest entry.
std::vector<std::pair<std::wstring, int64_t>> ExpectedAlbumTimes()
{
    std::vector<std::pair<std::wstring, int64_t>> times;
    std::stringstream list(TestEnv::Var("QUILLON_EXPECT_ALBUM_TIMES"));
    std::string item;
    while (std::getline(list, item, ',')) {
        const size_t equals = item.find('=');
        if (equals != std::string::npos)
            times.emplace_back(TestEnv::Widen(item.substr(0, equals)), std::stoll(item.substr(equals + 1)));
    }
    return times;
}

} // namespace

// Run under TZ=Asia/Tokyo and TZ=America/New_York by their own ctest
// entries; elsewhere only when the computer keeps UTC, where 16:00 local is
// 16:00 UTC.
TEST(NewAlbumTime, SixteenHundredLocalTimeReachesTheService)
{
    TIME_ZONE_INFORMATION zone{};
    const DWORD kind = GetTimeZoneInformation(&zone);
    std::vector<std::pair<std::wstring, int64_t>> expected = ExpectedAlbumTimes();
    const std::string expectBias = TestEnv::Var("QUILLON_EXPECT_TZ_BIAS");
    if (!expectBias.empty()) {
        ASSERT_EQ(zone.Bias, std::stol(expectBias)) << "the zone of this run is not the one it is for";
        ASSERT_FALSE(expected.empty());
    } else if (zone.Bias == 0 && kind != TIME_ZONE_ID_DAYLIGHT && zone.DaylightDate.wMonth == 0) {
        expected = {{L"2012/03/24", 1332604800}};
    } else {
        GTEST_SKIP() << "not in a zone this test knows";
    }
    // Every day through the conversion; the first one also through the dialog.
    for (const auto& [date, seconds] : expected) {
        int64_t converted = 0;
        ASSERT_TRUE(AlbumTimeSeconds(ParseAlbumDay(date), converted)) << TestEnv::Narrow(date);
        EXPECT_EQ(converted, seconds) << TestEnv::Narrow(date);
    }

    ScopedLanguage language("en");
    StandIn::Reset();
    PicasaClient client(StandIn::BaseW(), StandIn::BaseW());
    ASSERT_EQ(client.Login("demo@example.com", L"demo", "t"), 0u);
    StandIn::ClearRequests();
    const std::wstring ini = TestEnv::ScratchFolder("new-album-time") + L"\\quillon.ini";
    ModalDriver driver;
    driver.Then([&](HWND window) {
        Type(window, IDC_NEW_ALBUM_TITLE, L"Zone");
        Type(window, IDC_NEW_ALBUM_DATE, expected[0].first.c_str());
        Click(window, IDC_NEW_ALBUM);
    });
    CNewAlbumDlg dialog(client, SettingsLocation::File(ini));
    ASSERT_EQ(dialog.DoModal(nullptr), 1);
    std::string body;
    for (const Json& r : StandIn::Requests())
        if (r["kind"].string == "album_create")
            body = r["body"].string;
    const std::string stamp = "<gphoto:timestamp>" + std::to_string(expected[0].second * 1000) + "</gphoto:timestamp>";
    EXPECT_NE(body.find(stamp), std::string::npos) << body;
    StandIn::Reset();
}
