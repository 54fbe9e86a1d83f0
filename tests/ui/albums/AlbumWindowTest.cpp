// The album window against the stand-in service: the list, its persisted
// state, the selection tools and the album actions, in both languages.
#include "app/CIniFile.h"
#include "base/CLogSupport.h"
#include "base/TextFormat.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/albums/AlbumWindowFixture.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/albums/CToolDlg.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <set>

#include <gtest/gtest.h>

using namespace DialogHarness;

// ---------------------------------------------------------------------------
// What the window shows, without a window
// ---------------------------------------------------------------------------

TEST(AlbumWindowText, QuotaLineSizeAndAccessTexts)
{
    ScopedLanguage language("en");
    EXPECT_EQ(QuotaLine(L"me", false, 1073741824LL, 2LL * 1073741824LL), L"me  ( 1.000GB / 2.0GB, 50.0% )");
    // Beyond 32 bits, and a limit of 0 without a division by zero.
    EXPECT_EQ(QuotaLine(L"me", false, 6LL * 1073741824LL, 8LL * 1073741824LL), L"me  ( 6.000GB / 8.0GB, 75.0% )");
    EXPECT_EQ(QuotaLine(L"me", false, 536870912LL, 0), L"me  ( 0.500GB / 0.0GB, ---.-% )");
    EXPECT_EQ(QuotaLine(L"me", true, 5, 10), L"me  ( ---.-GB / ---.-GB  ---.-% )");

    EXPECT_EQ(AlbumSizeText(3 * 1048576 + 1048575, false), L"3.0") << "whole megabytes, as unsigned";
    EXPECT_EQ(AlbumSizeText(-5, false), L"0.0");
    EXPECT_EQ(AlbumSizeText(6LL * 1073741824LL, false), L"6144.0");
    EXPECT_EQ(AlbumSizeText(1048576, true), L"-----");

    EXPECT_EQ(AccessLevelText(L"PUBLIC"), language.String(IDS_ACCESS_PUBLIC));
    EXPECT_EQ(AccessLevelText(L"protected"), language.String(IDS_ACCESS_PROTECTED));
    EXPECT_EQ(AccessLevelText(L""), language.String(IDS_ACCESS_NONE));
    EXPECT_EQ(AccessLevelText(L"friends-only"), L"friends-only") << "never the album count format";
}

TEST(AlbumWindowText, PublishedDaysMakeTheMonthMasks)
{
    int y = 0, m = 0, d = 0;
    EXPECT_TRUE(PublishedDay(L"2009/06/14 08:12:40", y, m, d));
    EXPECT_EQ(y * 10000 + m * 100 + d, 20090614);
    EXPECT_FALSE(PublishedDay(L"June 14, 2009", y, m, d));
    EXPECT_FALSE(PublishedDay(L"2009-06-14", y, m, d));

    const std::vector<std::wstring> published = {L"2009/06/14 08:12:40", L"2009/06/14 19:47:05", L"2009/07/01 00:00:00",
                                                 L"2010/01/31 10:00:00", L"bad", L"2009/06/40 00:00:00"};
    const auto masks = DayStateMasks(published, 2009, 5, 10); // May 2009 to February 2010
    ASSERT_EQ(masks.size(), 10u);
    EXPECT_EQ(masks[0], 0u);
    EXPECT_EQ(masks[1], 1u << 13);
    EXPECT_EQ(masks[2], 1u);
    EXPECT_EQ(masks[8], 1u << 30) << "January carried into the next year";
    EXPECT_EQ(masks[9], 0u);
}

TEST(AlbumWindowText, PatternsMessagesAndScrolling)
{
    EXPECT_EQ(SelectionPattern(L"a.b", true), L"a.b");
    EXPECT_EQ(SelectionPattern(L"a.b", false), L".*a.b.*");
    EXPECT_EQ(ClipForMessage(std::wstring(10, L'x'), 10), std::wstring(10, L'x'));
    EXPECT_EQ(ClipForMessage(std::wstring(2000, L'x')), std::wstring(1000, L'x') + L"\u2026");
    EXPECT_EQ(ClipForMessage(std::wstring(9, L'x') + L"\U0001F600", 10), std::wstring(9, L'x') + L"\u2026");
    EXPECT_EQ(ScrollTargetRow(3, 10, 100), 12);
    EXPECT_EQ(ScrollTargetRow(95, 10, 100), 99);
}

// ---------------------------------------------------------------------------
// The window against the stand-in
// ---------------------------------------------------------------------------
namespace {

class AlbumWindow : public AlbumWindowFixture
{
protected:
    AlbumWindow() : AlbumWindowFixture("album-window") {}

    std::wstring IniValue(const wchar_t* key)
    {
        wchar_t value[64] = {};
        GetPrivateProfileStringW(CToolDlg::kSection, key, L"", value, 64, ini.c_str());
        return value;
    }
    static Json DemoAlbum(const std::string& title) { return StandIn::Album("demo", title); }
    std::string EditPath(const std::wstring& title)
    {
        for (const AlbumEntry& album : client->GetAlbums())
            if (album.title == title) {
                const std::string url = TestEnv::Narrow(album.editLink);
                return url.substr(url.find('/', url.find("//") + 2));
            }
        return "";
    }
};

} // namespace

TEST_P(AlbumWindow, FirstRunShowsTheAlbumsAndClosingKeepsTheSettingsForTheNextRun)
{
    SignIn();
    HWND handle = Open();
    const size_t albums = StandIn::Account("demo")["albums"].array.size();
    EXPECT_EQ(window->RowCount(), int(albums));
    EXPECT_EQ(window->ItemText(IDC_ALBUM_COUNT), FormatText(language.String(IDS_COUNT_ALBUMS), {int64_t(albums)}));
    EXPECT_NE(window->ItemText(IDC_ACCOUNT).find(L"demo@example.com  ( "), std::wstring::npos);
    EXPECT_TRUE(window->IsChecked(IDC_QUICK_MODE));
    EXPECT_EQ(window->List().SortColumn(), 0);
    EXPECT_FALSE(window->List().IsSortDescending());
    for (int row = 1; row < window->RowCount(); ++row)
        EXPECT_LE(CompareStringW(LOCALE_USER_DEFAULT, 0, window->List().CellText(row - 1, 0).c_str(), -1,
                                 window->List().CellText(row, 0).c_str(), -1),
                  CSTR_EQUAL);
    EXPECT_FALSE(window->List().GetCellLinkUrl(0, 7).empty());

    window->List().SortByColumn(1, true);
    window->SetCheck(IDC_IGNORE_CASE, true);
    window->SetCheck(IDC_QUICK_MODE, false);
    SendMessageW(handle, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(window->Result(), 2);
    EXPECT_FALSE(client->IsSignedIn()) << "closing signs out";
    EXPECT_EQ(IniValue(L"SORT_COLUMN"), L"1");
    EXPECT_EQ(IniValue(L"SORT_DESCENDING"), L"1");
    EXPECT_EQ(IniValue(L"IGNORE_CASE_SENSITIVE"), L"1");
    EXPECT_EQ(IniValue(L"QuickMode"), L"0");
    EXPECT_NE(IniValue(L"rectRight"), L"");

    SignIn();
    Open();
    EXPECT_EQ(window->List().SortColumn(), 1);
    EXPECT_TRUE(window->List().IsSortDescending());
    EXPECT_TRUE(window->IsChecked(IDC_IGNORE_CASE));
    EXPECT_FALSE(window->IsChecked(IDC_QUICK_MODE));
    for (int row = 1; row < window->RowCount(); ++row)
        EXPECT_GE(_wtoi(window->List().CellText(row - 1, 1).c_str()), _wtoi(window->List().CellText(row, 1).c_str()));
}

TEST_P(AlbumWindow, RefreshKeepsTheSortAndTheSelectionByAlbumId)
{
    SignIn();
    Open();
    window->List().SortByColumn(1, true);
    Select({L"Family", L"Garden"});
    const auto before = SelectedTitles();
    Command(IDC_REFRESH);
    EXPECT_EQ(SelectedTitles(), before);
    EXPECT_EQ(window->List().SortColumn(), 1);
    EXPECT_TRUE(window->List().IsSortDescending());
    EXPECT_EQ(window->ItemText(IDC_SELECTED_COUNT).substr(0, 2), L"2 ");
}

TEST_P(AlbumWindow, PublicOnlyShowsDashesAndOffersNoChanges)
{
    ASSERT_EQ(client->OpenPublicSession("demo@example.com", ""), 0u);
    Open();
    EXPECT_NE(window->ItemText(IDC_ACCOUNT).find(L"( ---.-GB / ---.-GB  ---.-% )"), std::wstring::npos);
    ASSERT_GT(window->RowCount(), 0);
    for (int row = 0; row < window->RowCount(); ++row)
        EXPECT_EQ(window->List().CellText(row, 2), L"-----");
    for (int id : {IDC_NEW_ALBUM, IDC_DELETE_ALBUMS, IDC_CHANGE_ACCESS, IDC_UPLOAD})
        EXPECT_FALSE(IsWindowEnabled(window->Item(id))) << id;
    EXPECT_TRUE(IsWindowEnabled(window->Item(IDC_BATCH_APPLY)));
}

TEST_P(AlbumWindow, TheCalendarMarksAndSelectsTheDaysOfAlbums)
{
    SignIn();
    HWND handle = Open();
    NMDAYSTATE request = {};
    MONTHDAYSTATE states[3] = {};
    request.nmhdr = {window->Item(IDC_CALENDAR), UINT_PTR(IDC_CALENDAR), kCalendarGetDayState};
    request.stStart.wYear = 2009;
    request.stStart.wMonth = 6;
    request.cDayState = 3;
    request.prgDayState = states;
    SendMessageW(handle, WM_NOTIFY, IDC_CALENDAR, LPARAM(&request));
    EXPECT_EQ(states[0], (1u << 13)) << "14 June: Paris & Rome and Garden";
    EXPECT_EQ(states[1], 1u << 3) << "4 July: Videos";
    EXPECT_EQ(states[2], 1u << 15) << "16 August: Hokkaido summer";

    auto pick = [&](WORD year, WORD month, WORD day) {
        NMSELCHANGE change = {};
        change.nmhdr = {window->Item(IDC_CALENDAR), UINT_PTR(IDC_CALENDAR), MCN_SELECT};
        change.stSelStart = {year, month, 0, day};
        change.stSelEnd = change.stSelStart;
        SendMessageW(handle, WM_NOTIFY, IDC_CALENDAR, LPARAM(&change));
    };
    Select({L"Family"});
    pick(2009, 6, 14);
    EXPECT_EQ(SelectedTitles(), (std::set<std::wstring>{L"Paris & Rome <2009>", L"Garden"}));
    pick(2009, 6, 15);
    EXPECT_EQ(SelectedTitles(), (std::set<std::wstring>{L"Paris & Rome <2009>", L"Garden"})) << "no album that day";
}

TEST_P(AlbumWindow, TheCalendarOpensOnTheNewestAlbumAndARefreshKeepsTheUsersMonth)
{
    SignIn();
    Open();
    std::wstring newest; // "YYYY/MM/DD" sorts as the days do
    for (const AlbumEntry& album : client->GetAlbums())
        newest = std::max(newest, album.published.substr(0, 10));
    ASSERT_EQ(newest.size(), 10u);
    SYSTEMTIME shown = {};
    MonthCal_GetCurSel(window->Item(IDC_CALENDAR), &shown);
    wchar_t text[16] = {};
    swprintf(text, 16, L"%04u/%02u/%02u", shown.wYear, shown.wMonth, shown.wDay);
    EXPECT_EQ(text, newest);

    SYSTEMTIME chosen = {};
    chosen.wYear = 2001;
    chosen.wMonth = 2;
    chosen.wDay = 3;
    MonthCal_SetCurSel(window->Item(IDC_CALENDAR), &chosen);
    Command(IDC_REFRESH);
    MonthCal_GetCurSel(window->Item(IDC_CALENDAR), &shown);
    EXPECT_EQ(shown.wYear, 2001);
    EXPECT_EQ(shown.wMonth, 2);
}

// However wide the language's font and the screen's DPI make the calendar,
// it shows whole inside the window and covers none of the album buttons, as
// the window opens and at its smallest.
TEST_P(AlbumWindow, TheCalendarShowsWholeBesideTheAlbumButtons)
{
    SignIn();
    Open();
    const auto rectOf = [&](int id) {
        RECT r = {};
        GetWindowRect(window->Item(id), &r);
        MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    for (const bool smallest : {false, true}) {
        const char* size = smallest ? "at its smallest" : "as opened";
        if (smallest) // the minimum tracking size holds the window
            SetWindowPos(window->Handle(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT calendar = rectOf(IDC_CALENDAR);
        RECT needed = {};
        MonthCal_GetMinReqRect(window->Item(IDC_CALENDAR), &needed);
        EXPECT_GE(calendar.right - calendar.left, needed.right - needed.left) << size;
        RECT client = {}, inside = {};
        GetClientRect(window->Handle(), &client);
        IntersectRect(&inside, &calendar, &client);
        EXPECT_TRUE(EqualRect(&inside, &calendar))
            << size << ": the calendar (" << calendar.left << "," << calendar.top << ")-(" << calendar.right << ","
            << calendar.bottom << ") is cut by the window's edge (" << client.right << "x" << client.bottom << ")";
        for (const int id : {IDC_REFRESH, IDC_NEW_ALBUM, IDC_DELETE_ALBUMS, IDC_CHANGE_ACCESS, IDC_PHOTO_LIST,
                             IDC_URL_LIST, IDC_UPLOAD, IDC_ALBUM_PROPERTIES, IDC_BACKUP, IDCANCEL}) {
            const RECT button = rectOf(id);
            RECT overlap = {};
            EXPECT_FALSE(IntersectRect(&overlap, &calendar, &button)) << size << ": the calendar covers button " << id;
        }
    }
}

TEST_P(AlbumWindow, SelectionTools)
{
    SignIn();
    Open();
    const int rows = window->RowCount();
    Command(IDC_SELECT_ALL);
    EXPECT_EQ(int(SelectedTitles().size()), rows);
    Command(IDC_SELECT_NONE);
    EXPECT_TRUE(SelectedTitles().empty());
    Select({L"Family"});
    Command(IDC_INVERT_SELECTION);
    EXPECT_EQ(int(SelectedTitles().size()), rows - 1);
    EXPECT_FALSE(SelectedTitles().count(L"Family"));

    struct Case
    {
        const wchar_t* text;
        bool whole, ignoreCase;
        std::set<std::wstring> titles;
    };
    const Case cases[] = {
        {L"", false, true, {}},
        {L"family", false, false, {L"Old family photos"}},
        {L"family", false, true, {L"Family", L"Old family photos"}},
        {L"family", true, true, {L"Family"}},
        {L"Paris & Rome <2009>", true, false, {L"Paris & Rome <2009>"}},
        {L"\u685c.*", true, false, {L"\u685c 2009"}},
    };
    for (const Case& c : cases) {
        window->SetItemText(IDC_PATTERN, c.text);
        window->SetCheck(IDC_WHOLE_TITLE, c.whole);
        window->SetCheck(IDC_IGNORE_CASE, c.ignoreCase);
        Command(IDC_SELECT_BY_PATTERN);
        EXPECT_EQ(SelectedTitles(), c.titles) << TestEnv::Narrow(c.text);
    }

    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::wstring message;
    driver.Then([&](HWND box) {
        message = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    window->SetItemText(IDC_PATTERN, L"[unclosed");
    Command(IDC_SELECT_BY_PATTERN);
    EXPECT_FALSE(message.empty()) << "an invalid pattern is explained";
    EXPECT_TRUE(SelectedTitles().empty());
    EXPECT_TRUE(IsWindow(window->Handle()));
}

TEST_P(AlbumWindow, DeleteStopsAtTheFirstFailureAndRefreshes)
{
    SignIn();
    Open();
    // Rows sorted by title: Family, Garden, Hokkaido summer.
    StandIn::Fault("{\"path\": \"" + EditPath(L"Garden") + "\", \"method\": \"DELETE\", \"status\": 500, "
                   "\"body\": \"disk on fire\"}");
    Select({L"Family", L"Garden", L"Hokkaido summer"});

    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::vector<std::wstring> boxes;
    driver.Then([&](HWND box) {
        boxes.push_back(MessageBoxText(box));
        PostMessageW(box, WM_COMMAND, IDYES, 0);
    });
    driver.Then([&](HWND box) {
        boxes.push_back(MessageBoxText(box));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    // Counted before the delete: the refresh after it lists what is left.
    int64_t photos = 0;
    for (const AlbumEntry& album : client->GetAlbums())
        if (album.title == L"Family" || album.title == L"Garden" || album.title == L"Hokkaido summer")
            photos += album.numPhotos;
    EXPECT_GT(photos, 1);
    Command(IDC_DELETE_ALBUMS);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], FormatText(language.String(IDS_CONFIRM_DELETE_FORMAT),
                                   {FormatText(language.String(IDS_COUNT_ALBUMS), {int64_t(3)}),
                                    FormatText(language.String(IDS_COUNT_PHOTOS), {photos})}));
    EXPECT_NE(boxes[1].find(L"Garden"), std::wstring::npos) << TestEnv::Narrow(boxes[1]);
    for (const std::wstring& caption : driver.Unexpected())
        ADD_FAILURE() << "unexpected window: " << TestEnv::Narrow(caption);
    EXPECT_NE(boxes[1].find(L"500"), std::wstring::npos);
    EXPECT_NE(boxes[1].find(L"disk on fire"), std::wstring::npos);
    EXPECT_TRUE(driver.Unexpected().empty());

    EXPECT_EQ(DemoAlbum("Family").kind, Json::Kind::Null) << "deleted";
    EXPECT_NE(DemoAlbum("Garden").kind, Json::Kind::Null);
    EXPECT_NE(DemoAlbum("Hokkaido summer").kind, Json::Kind::Null) << "not touched after the failure";
    EXPECT_EQ(RowOf(L"Family"), -1) << "refreshed";
    EXPECT_EQ(SelectedTitles(), (std::set<std::wstring>{L"Garden", L"Hokkaido summer"}));
    const std::string logged = LogText();
    EXPECT_NE(logged.find(": Family\r\n"), std::string::npos) << "the deletion is logged";
    EXPECT_NE(logged.find(": Garden\r\n"), std::string::npos) << "and so is the failure";
    EXPECT_EQ(logged.find("Hokkaido summer"), std::string::npos);
    EXPECT_NE(logged.find("disk on fire"), std::string::npos);
}

// A delete whose answer was lost may have been done: the user is told that
// the outcome is unknown, not that it failed, and the list shows what is so.
TEST_P(AlbumWindow, ADeleteWhoseAnswerWasLostSaysTheOutcomeIsUnknown)
{
    SignIn();
    Open();
    StandIn::Fault("{\"path\": \"" + EditPath(L"Garden") + "\", \"method\": \"DELETE\", \"action\": \"reset\"}");
    Select({L"Garden", L"Hokkaido summer"});
    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::vector<std::wstring> boxes;
    for (const int answer : {IDYES, IDOK})
        driver.Then([&boxes, answer](HWND box) {
            boxes.push_back(MessageBoxText(box));
            PostMessageW(box, WM_COMMAND, answer, 0);
        });
    Command(IDC_DELETE_ALBUMS);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], FormatText(language.String(IDS_OUTCOME_UNKNOWN_FORMAT), {std::wstring(L"Garden")}));
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(CountRequests("DELETE"), 1u) << "not sent again, and the next album not touched";
    EXPECT_NE(DemoAlbum("Hokkaido summer").kind, Json::Kind::Null);
}

TEST_P(AlbumWindow, NoInTheConfirmationSendsNothing)
{
    SignIn();
    Open();
    Select({L"Family"});
    StandIn::ClearRequests();
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.Then([](HWND box) { PostMessageW(box, WM_COMMAND, IDNO, 0); });
    Command(IDC_DELETE_ALBUMS);
    EXPECT_EQ(CountRequests("DELETE"), 0u);
    EXPECT_EQ(CountRequests("GET"), 0u) << "no refresh either";
    EXPECT_NE(RowOf(L"Family"), -1);
}

TEST_P(AlbumWindow, ChangesOfAccessAndCommenting)
{
    SignIn();
    Open();
    // The change-access dialog accepted at once makes the albums private.
    Select({L"Hokkaido summer"});
    ModalDriver driver;
    driver.Ignore(window->Handle());
    int items = 0;
    driver.Then([&](HWND dialog) {
        items = int(SendDlgItemMessageW(dialog, IDC_ACCESS_LIST, CB_GETCOUNT, 0, 0));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ACCEPT_ACCESS, BN_CLICKED), 0);
    });
    Command(IDC_CHANGE_ACCESS);
    EXPECT_EQ(items, 3);
    EXPECT_EQ(DemoAlbum("Hokkaido summer")["access"].string, "private");
    EXPECT_EQ(window->List().CellText(RowOf(L"Hokkaido summer"), 5), language.String(IDS_ACCESS_PRIVATE));

    // The batch change with commenting off.
    window->SendItem(IDC_BATCH_KIND, CB_SETCURSEL, 1);
    Command(IDC_BATCH_KIND, CBN_SELCHANGE);
    auto shown = [&](int id) { return (GetWindowLongPtrW(window->Item(id), GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_TRUE(shown(IDC_BATCH_COMMENTING));
    EXPECT_FALSE(shown(IDC_ACCESS_LIST));
    window->SendItem(IDC_BATCH_COMMENTING, CB_SETCURSEL, 1);
    Command(IDC_BATCH_APPLY);
    EXPECT_FALSE(DemoAlbum("Hokkaido summer")["commenting"].boolean);
    const std::string logged = LogText();
    const size_t line = logged.rfind("Hokkaido summer");
    ASSERT_NE(line, std::string::npos);
    const std::string last = logged.substr(logged.rfind('\n', line) + 1, line - logged.rfind('\n', line));
    EXPECT_NE(last.find("true"), std::string::npos) << last;
    EXPECT_NE(last.find("false"), std::string::npos) << "the new value, false, is logged: " << last;
    EXPECT_TRUE(driver.Unexpected().empty());
}

TEST_P(AlbumWindow, CommandsWithoutRowsOrSelectionExplainThemselves)
{
    SignIn();
    Open();
    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::vector<std::wstring> captions;
    const int commands[] = {IDC_DELETE_ALBUMS, IDC_CHANGE_ACCESS, IDC_BATCH_APPLY, IDC_URL_LIST, IDC_PHOTO_LIST};
    for (int command : commands) {
        driver.Then([&](HWND box) {
            captions.push_back(WindowText(box));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        Command(command);
    }
    EXPECT_EQ(captions, std::vector<std::wstring>(std::size(commands), language.String(IDS_CAPTION_NO_SELECTION)));

    // With a selection the web addresses open in their own dialog.
    Select({L"Garden", L"Family"});
    std::wstring shown;
    driver.Then([&](HWND dialog) {
        wchar_t text[4096] = {};
        GetDlgItemTextW(dialog, 1022, text, 4096);
        shown = text;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    Command(IDC_URL_LIST);
    EXPECT_LT(shown.find(L"Family"), shown.find(L"Garden")) << "in list order: " << TestEnv::Narrow(shown);
    EXPECT_TRUE(driver.Unexpected().empty());
}

TEST_P(AlbumWindow, UploadWithoutAnAlbumDumpAboutAndKeys)
{
    SignIn();
    Open();
    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::vector<std::wstring> seen;
    const size_t albums = client->GetAlbums().size();
    // Upload's request for one album, then one dump box per album, then the about box.
    for (size_t i = 0; i < 1 + albums + 1; ++i)
        driver.Then([&](HWND box) {
            seen.push_back(WindowText(box) + L"|" + MessageBoxText(box) + L"|" +
                           std::to_wstring(GetDlgItem(box, IDC_LOG_PATH) != nullptr));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
    Command(IDC_UPLOAD);
    Command(IDC_DEBUG_DUMP);
    Command(ID_APP_ABOUT);
    ASSERT_EQ(seen.size(), albums + 2);
    EXPECT_EQ(seen[0], language.String(IDS_CAPTION_UPLOAD) + L"|" + language.String(IDS_UPLOAD_ONE_ALBUM) + L"|0");
    EXPECT_FALSE(language.String(IDS_UPLOAD_ONE_ALBUM).empty());
    const AlbumEntry& first = client->GetAlbums()[0];
    EXPECT_EQ(seen[1], L"debug|" + first.title + L", , " + first.access + L", " + first.commentingEnabled + L", , " +
                           first.id + L"|0");
    EXPECT_EQ(seen.back().substr(seen.back().size() - 2), L"|1") << "the about box with its log line";

    // F5 in the list refreshes; Delete asks first.
    StandIn::ClearRequests();
    SendMessageW(window->List().Handle(), WM_KEYDOWN, VK_F5, 0);
    PumpMessages(window->Handle());
    EXPECT_EQ(CountRequests("GET"), 1u);
    Select({L"Family"});
    std::wstring asked;
    driver.Then([&](HWND box) {
        asked = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    SendMessageW(window->List().Handle(), WM_KEYDOWN, VK_DELETE, 0);
    PumpMessages(window->Handle());
    // One album is asked about by its title.
    EXPECT_NE(asked.find(L"Family"), std::wstring::npos) << TestEnv::Narrow(asked);
    EXPECT_NE(asked.find(std::to_wstring(PhotosOf(L"Family"))), std::wstring::npos) << TestEnv::Narrow(asked);
    EXPECT_EQ(CountRequests("DELETE"), 0u);
}

TEST_P(AlbumWindow, PropertiesNeedOneAlbum)
{
    SignIn();
    Open();
    const auto twoSelected = [&] {
        Select({L"Garden", L"Family"});
        Command(IDC_ALBUM_PROPERTIES);
    };
    const std::vector<std::wstring> seen = AnsweredBoxes({[&] { Command(IDC_ALBUM_PROPERTIES); }, twoSelected});
    const std::wstring caption = language.String(IDS_CAPTION_NO_SELECTION);
    EXPECT_EQ(seen, (std::vector<std::wstring>{caption + L"|" + language.String(IDS_NO_SELECTION_PROPERTIES),
                                               caption + L"|" + language.String(IDS_PROPERTIES_ONE_ALBUM)}));
}

TEST_P(AlbumWindow, PublicOnlyOffersNoProperties)
{
    ASSERT_EQ(client->OpenPublicSession("demo@example.com", ""), 0u);
    Open();
    EXPECT_FALSE(IsWindowEnabled(window->Item(IDC_ALBUM_PROPERTIES)));
    Select({L"Hokkaido summer"});
    // Neither the key nor the menu's command opens the dialog.
    ModalDriver none;
    none.Ignore(window->Handle());
    SendMessageW(window->List().Handle(), WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
    SendMessageW(window->List().Handle(), WM_COMMAND, IDC_ALBUM_PROPERTIES, 0);
    PumpMessages(window->Handle());
    for (const std::wstring& caption : none.Unexpected())
        ADD_FAILURE() << "opened: " << TestEnv::Narrow(caption);
    EXPECT_EQ(CountRequests("PATCH"), 0u);
}

TEST_P(AlbumWindow, PropertiesFromTheKeyTheMenuAndTheButtonKeepSortAndSelection)
{
    SignIn();
    Open();
    window->List().SortByColumn(1, true);
    Select({L"Garden"});
    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::vector<std::wstring> opened;
    // Alt+Enter in the list: a rename.
    driver.Then([&](HWND dialog) {
        opened.push_back(WindowText(GetDlgItem(dialog, IDC_NEW_ALBUM_TITLE)));
        SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Garden & pond");
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    SendMessageW(window->List().Handle(), WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
    PumpMessages(window->Handle());
    EXPECT_EQ(SelectedTitles(), (std::set<std::wstring>{L"Garden & pond"})) << "the same album, renamed";
    EXPECT_EQ(window->List().SortColumn(), 1);
    EXPECT_TRUE(window->List().IsSortDescending());
    EXPECT_EQ(DemoAlbum("Garden & pond")["location"].string, "");
    const std::wstring logged = FormatText(language.String(IDS_LOG_ALBUM_EDITED),
                                           {std::wstring(L"Garden"), language.String(IDS_FIELD_TITLE)});
    EXPECT_NE(LogText().find(UserCodePageFromWide(logged)), std::string::npos);

    // The context menu's item, then the button: each opens the dialog.
    for (int i = 0; i < 2; ++i)
        driver.Then([&](HWND dialog) {
            opened.push_back(WindowText(GetDlgItem(dialog, IDC_NEW_ALBUM_TITLE)));
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
    SendMessageW(window->List().Handle(), WM_COMMAND, IDC_ALBUM_PROPERTIES, 0);
    PumpMessages(window->Handle());
    Command(IDC_ALBUM_PROPERTIES);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"Garden", L"Garden & pond", L"Garden & pond"}));
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(CountRequests("PATCH"), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, AlbumWindow, ::testing::Values("en", "ja"));
