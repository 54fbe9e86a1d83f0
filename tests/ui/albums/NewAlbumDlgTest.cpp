// The new album dialog from the real language modules, creating albums on
// the stand-in service through a signed-in client.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <sstream>

#include "base/TextFormat.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/albums/CNewAlbumDlg.h"

using namespace AlbumDialogTest;
using TestEnv::Narrow;

namespace {

// What the dialog's fields hold.
struct Entry
{
    std::wstring title, summary, date, location;
    LRESULT access = 1;
    bool operator==(const Entry&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Entry& e)
    {
        return out << Narrow(e.title + L"|" + e.summary + L"|" + e.date + L"|" + e.location) << "|" << e.access;
    }
};

Entry Read(HWND dialog)
{
    auto text = [&](int id) { return WindowText(GetDlgItem(dialog, id)); };
    return {text(IDC_NEW_ALBUM_TITLE), text(IDC_NEW_ALBUM_SUMMARY), text(IDC_NEW_ALBUM_DATE),
            text(IDC_NEW_ALBUM_LOCATION), SendDlgItemMessageW(dialog, IDC_ACCESS_LIST, CB_GETCURSEL, 0, 0)};
}

void Fill(HWND dialog, const Entry& entry)
{
    SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, entry.title.c_str());
    SetDlgItemTextW(dialog, IDC_NEW_ALBUM_SUMMARY, entry.summary.c_str());
    SetDlgItemTextW(dialog, IDC_NEW_ALBUM_DATE, entry.date.c_str());
    SetDlgItemTextW(dialog, IDC_NEW_ALBUM_LOCATION, entry.location.c_str());
    SendDlgItemMessageW(dialog, IDC_ACCESS_LIST, CB_SETCURSEL, WPARAM(entry.access), 0);
}

class NewAlbumDialog : public SignedIn
{
protected:
    NewAlbumDialog() : SignedIn("demo", "demo@example.com", L"demo") {}

    // Runs the dialog, fills it in and presses Create, answering `boxes`
    // message boxes; `after` sees the dialog once Create is done, which is
    // then cancelled if still open. The dialog's result.
    INT_PTR CreateWith(const Entry& entry, std::function<void(HWND)> after = {}, int boxes = 0)
    {
        ModalDriver driver;
        driver.Then([&](HWND dialog) {
            Fill(dialog, entry);
            Press(dialog, IDC_NEW_ALBUM);
            if (after)
                after(dialog);
            if (IsWindowVisible(dialog))
                Cancel(dialog);
        });
        for (int i = 0; i < boxes; ++i)
            driver.Then(Answer(seen));
        CNewAlbumDlg dialog(client, Settings());
        const INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_TRUE(driver.Unexpected().empty());
        EXPECT_EQ(driver.PendingSteps(), 0u);
        return result;
    }

    // The stand-in's record of the album (null when there is none).
    static Json Album(const std::wstring& title)
    {
        const Json account = StandIn::Account("demo");
        for (const Json& album : account["albums"].array)
            if (album["title"].string == Narrow(title))
                return album;
        return Json();
    }

    static std::string LogText(const std::wstring& text) { return UserCodePageFromWide(text); }

    std::vector<Box> seen;
};

// A new album's time through the dialog, in English only.
class NewAlbumTime : public NewAlbumDialog
{
};

} // namespace

TEST_P(NewAlbumDialog, OpensWithTodayAndTheAccessLevels)
{
    CNewAlbumDlg dialog(client, Settings());
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Read(window), (Entry{.date = TodayDateText(), .access = 1})) << "private by default";
    EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_DATE_HINT), L"");

    // The title and the place keep the platform's limit.
    HWND plain = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, window, nullptr, nullptr, nullptr);
    const LRESULT platform = SendMessageW(plain, EM_GETLIMITTEXT, 0, 0);
    DestroyWindow(plain);
    for (const auto& [id, limit] : {std::pair{IDC_NEW_ALBUM_SUMMARY, LRESULT(1024)}, {IDC_NEW_ALBUM_DATE, 10},
                                    {IDC_NEW_ALBUM_TITLE, platform}, {IDC_NEW_ALBUM_LOCATION, platform}})
        EXPECT_EQ(dialog.SendItem(id, EM_GETLIMITTEXT), limit) << id;

    std::vector<std::wstring> levels;
    for (int i = 0; i < dialog.SendItem(IDC_ACCESS_LIST, CB_GETCOUNT); ++i) {
        wchar_t item[128] = L"";
        dialog.SendItem(IDC_ACCESS_LIST, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item));
        levels.push_back(item);
    }
    EXPECT_EQ(levels, (std::vector{language.String(IDS_ACCESS_FIRST), language.String(IDS_ACCESS_FIRST + 1),
                                   language.String(IDS_ACCESS_FIRST + 2)}));

    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(GetWindowLongPtrW(dialog.Item(IDC_NEW_ALBUM), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
        << "Enter creates";
}

TEST_P(NewAlbumDialog, TellsWhatIsWrongWithTheDateWhileItIsTyped)
{
    CNewAlbumDlg dialog(client, Settings());
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    for (const auto& [date, hint] :
         {std::pair<const wchar_t*, std::wstring>{L"2012", language.String(IDS_NEW_ALBUM_DATE_FORM)},
          {L"2012/3/5", language.String(IDS_NEW_ALBUM_DATE_INVALID)},
          {L"2011/02/29", FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {2011})},
          {L"2012/04/31", FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {4})},
          {L"2012/02/29", L""}}) {
        dialog.SetItemText(IDC_NEW_ALBUM_DATE, date);
        EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_DATE_HINT), hint) << Narrow(date);
    }
    EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_NEW_ALBUM))) << "the button stays usable";
}

TEST_P(NewAlbumDialog, RejectedEntriesShowTheirMessageAndKeepTheDialogOpen)
{
    const struct {
        Entry entry;
        std::wstring message;
        int focus;
    } cases[] = {
        {{.title = L"", .date = L"2012/3/5"}, language.String(IDS_NEW_ALBUM_NO_TITLE), IDC_NEW_ALBUM_TITLE},
        {{.title = L"Trip", .date = L"2012/3/5"}, language.String(IDS_NEW_ALBUM_DATE_INVALID), IDC_NEW_ALBUM_DATE},
        {{.title = L"Trip", .date = L"2012.03.05"}, language.String(IDS_NEW_ALBUM_DATE_FORM), IDC_NEW_ALBUM_DATE},
        {{.title = L"Trip", .date = L"1900/02/29"},
         FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {1900}),
         IDC_NEW_ALBUM_DATE},
        {{.title = L"Trip", .date = L"2012/11/31"}, FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {11}),
         IDC_NEW_ALBUM_DATE},
    };
    // After each box: where the focus went, and whether the dialog is open.
    std::vector<std::pair<int, bool>> after;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        for (const auto& c : cases) {
            Fill(dialog, c.entry);
            Press(dialog, IDC_NEW_ALBUM);
            after.emplace_back(GetDlgCtrlID(GetFocus()), IsWindowVisible(dialog) != FALSE);
        }
        Cancel(dialog);
    });
    for (size_t i = 0; i < std::size(cases); ++i)
        driver.Then(Answer(seen));
    CNewAlbumDlg dialog(client, Settings());
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(driver.Unexpected().empty());
    ASSERT_EQ(seen.size(), std::size(cases));
    ASSERT_EQ(after.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].caption, language.String(IDS_CAPTION_NO_SELECTION));
        EXPECT_EQ(seen[i].text, cases[i].message);
        EXPECT_EQ(seen[i].icon, LoadIconW(nullptr, IDI_ERROR));
        EXPECT_EQ(after[i], std::pair(cases[i].focus, true));
    }
    EXPECT_TRUE(Requests("album_create").empty()) << "nothing was sent";
}

TEST_P(NewAlbumDialog, CreatesTheAlbumWithItsTextsIntact)
{
    const Entry entry{.title = L"Tom & Jerry <2012>",
                      .summary = L"Cats & mice\r\n<both> \"quoted\"",
                      .date = L"2012/03/24",
                      .location = L"A&B <C>",
                      .access = 0};
    EXPECT_EQ(CreateWith(entry), 1);
    const Json album = Album(entry.title);
    ASSERT_EQ(album["title"].string, Narrow(entry.title)) << "the title reached the service as typed";
    // An XML reader ends every line with LF alone.
    EXPECT_EQ(album["summary"].string, "Cats & mice\n<both> \"quoted\"");
    EXPECT_EQ(album["location"].string, Narrow(entry.location));
    EXPECT_EQ(album["access"].string, "public");
    EXPECT_EQ(Requests("album_create").size(), 1u);
    const std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), LogText(FormatText(language.String(IDS_LOG_ALBUM_CREATED), {entry.title})));
    EXPECT_NE(GetPrivateProfileIntW(L"NewAlbumDlg", L"rectRight", 0, ini.c_str()), 0) << "saved on creation";
}

TEST_P(NewAlbumDialog, FailedCreationShowsTwoBoxesAndKeepsTheFields)
{
    StandIn::Fault("{\"path\": \"/data/feed/api/user/demo@example.com\", \"method\": \"POST\", \"status\": 503, "
                   "\"body\": \"Try again later\"}");
    const Entry entry{.title = L"Summer", .summary = L"Beach", .date = L"2012/07/04", .location = L"Shonan", .access = 2};
    Entry kept;
    bool open = false;
    EXPECT_EQ(CreateWith(
                  entry,
                  [&](HWND dialog) {
                      kept = Read(dialog);
                      open = IsWindowVisible(dialog) != FALSE;
                  },
                  2),
              IDCANCEL);
    const std::wstring expected =
        FormatText(language.String(IDS_CREATE_FAILED_FORMAT), {L"503", L"Try again later"});
    EXPECT_NE(expected.find(L"Try again later"), std::wstring::npos);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, language.String(IDS_CAPTION_ERROR)) << "the plain error caption first";
    EXPECT_FALSE(seen[0].caption.empty());
    EXPECT_EQ(seen[1].caption, language.String(IDS_CAPTION_REQUEST_FAILED));
    for (const Box& box : seen) {
        EXPECT_EQ(box.text, expected);
        EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_ERROR));
    }
    EXPECT_TRUE(open);
    EXPECT_EQ(kept, entry);
    const std::vector<Json> sent = Requests("album_create");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0]["body"].string.find("<gphoto:access>protected</gphoto:access>"), std::string::npos)
        << "the third level";
    EXPECT_EQ(Album(L"Summer").kind, Json::Kind::Null);

    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector{LogText(language.String(IDS_LOG_CREATE_FAILED)),
                           LogText(FormatText(language.String(IDS_LOG_STATUS_FORMAT), {L"503"})),
                           LogText(FormatText(language.String(IDS_LOG_BODY_FORMAT), {L"Try again later"}))}));
}

// The request went out and its answer was lost: the album may be there. The
// user is told that the outcome is unknown, and the dialog closes as after a
// success (the album window loads its list again) instead of inviting a
// second Create that would make a second album.
TEST_P(NewAlbumDialog, ALostAnswerSaysTheOutcomeIsUnknownAndClosesTheDialog)
{
    StandIn::Fault("{\"path\": \"/data/feed/api/user/demo@example.com\", \"method\": \"POST\", \"action\": \"reset\"}");
    const Entry entry{.title = L"Lost", .summary = L"", .date = L"2012/07/04", .location = L"", .access = 0};
    EXPECT_EQ(CreateWith(entry, {}, 1), 1) << "closed for the list to be loaded again";
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, language.String(IDS_CREATE_OUTCOME_UNKNOWN));
    EXPECT_EQ(seen[0].icon, LoadIconW(nullptr, IDI_WARNING));
    EXPECT_EQ(Requests("album_create").size(), 1u) << "sent once, never again";
    const std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], LogText(language.String(IDS_LOG_CREATE_FAILED)));
}

TEST_P(NewAlbumDialog, CancelEscapeAndCloseBoxSaveThePlacementAndSendNothing)
{
    const auto typed = [](std::function<void(HWND)> end) {
        return [end](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Not wanted");
            end(dialog);
        };
    };
    EachWayEndsWhereItWasLeft(
        {typed(Cancel),
         typed([](HWND dialog) { PostMessageW(GetDlgItem(dialog, IDC_NEW_ALBUM_TITLE), WM_KEYDOWN, VK_ESCAPE, 0); }),
         typed([](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); })},
        [&] { return CNewAlbumDlg(client, Settings()).DoModal(nullptr); }, L"NewAlbumDlg", ini, true);
    EXPECT_TRUE(Requests("album_create").empty());
}

TEST_P(NewAlbumDialog, ADayBefore1970IsSentAsTheCurrentTime)
{
    const int64_t before = CurrentTimeSeconds();
    EXPECT_EQ(CreateWith({.title = L"Moon landing", .date = L"1969/07/20"}), 1);
    const int64_t after = CurrentTimeSeconds();
    const Json album = Album(L"Moon landing");
    ASSERT_NE(album.kind, Json::Kind::Null);
    EXPECT_GE(album["timestamp"].Int(), before * 1000);
    EXPECT_LE(album["timestamp"].Int(), (after + 1) * 1000);
    EXPECT_EQ(album["access"].string, "private") << "the level chosen at the start";
}

INSTANTIATE_TEST_SUITE_P(Languages, NewAlbumDialog, ::testing::Values("en", "ja"));

// Run under TZ=Asia/Tokyo and TZ=America/New_York by their own ctest
// entries, which name the album times they expect as
// "2012/03/24=1332619200,2012/01/15=1326661200"; elsewhere only when the
// computer keeps UTC, where 16:00 local is 16:00 UTC.
TEST_P(NewAlbumTime, SixteenHundredLocalTimeReachesTheService)
{
    TIME_ZONE_INFORMATION zone{};
    const DWORD kind = GetTimeZoneInformation(&zone);
    std::vector<std::pair<std::wstring, int64_t>> expected;
    std::stringstream list(TestEnv::Var("QUILLON_EXPECT_ALBUM_TIMES"));
    for (std::string item; std::getline(list, item, ',');)
        if (const size_t equals = item.find('='); equals != std::string::npos)
            expected.emplace_back(TestEnv::Widen(item.substr(0, equals)), std::stoll(item.substr(equals + 1)));
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
        ASSERT_TRUE(AlbumTimeSeconds(ParseAlbumDay(date), converted)) << Narrow(date);
        EXPECT_EQ(converted, seconds) << Narrow(date);
    }
    ASSERT_EQ(CreateWith({.title = L"Zone", .date = expected[0].first}), 1);
    const std::vector<Json> sent = Requests("album_create");
    ASSERT_EQ(sent.size(), 1u);
    const std::string stamp = "<gphoto:timestamp>" + std::to_string(expected[0].second * 1000) + "</gphoto:timestamp>";
    EXPECT_NE(sent[0]["body"].string.find(stamp), std::string::npos) << sent[0]["body"].string;
}

// No name of its own, so that the zone runs' filter NewAlbumTime.* finds it.
INSTANTIATE_TEST_SUITE_P(, NewAlbumTime, ::testing::Values("en"));
