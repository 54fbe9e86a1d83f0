// The album properties dialog from the real language modules, changing
// albums on the stand-in service through a signed-in client.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/TextFormat.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/albums/AlbumEdit.h"
#include "ui/albums/CEditAlbumDlg.h"
#include "ui/albums/NewAlbumChecks.h"

using namespace AlbumDialogTest;
using TestEnv::Narrow;

// ---------------------------------------------------------------------------
// What the dialog shows and sends, without a window
// ---------------------------------------------------------------------------

TEST(AlbumEdit, TheDateIsTheLocalDayOfTheTimestamp)
{
    for (const AlbumDay day : {AlbumDay{2012, 3, 24}, AlbumDay{1999, 12, 31}, AlbumDay{2009, 7, 4}, AlbumDay{1970, 1, 2}}) {
        int64_t seconds = 0;
        ASSERT_TRUE(AlbumTimeSeconds(day, seconds));
        wchar_t expected[16];
        swprintf(expected, 16, L"%04d/%02d/%02d", day.year, day.month, day.day);
        EXPECT_EQ(AlbumDateText(std::to_wstring(seconds * 1000)), expected);
        EXPECT_EQ(AlbumDateText(std::to_wstring(seconds * 1000 + 999)), expected) << "milliseconds do not matter";
    }
    EXPECT_EQ(AlbumDateText(L"-86400000").substr(0, 9), L"1969/12/3") << "before 1970 too";
    for (const wchar_t* notANumber : {L"", L"abc", L"12x", L" ", L"99999999999999999999999"})
        EXPECT_EQ(AlbumDateText(notANumber), L"") << Narrow(notANumber);
}

TEST(AlbumEdit, FieldsOfAnAlbumAndWhatChanged)
{
    AlbumEntry album;
    album.title = L"Garden";
    album.summary = L"Roses";
    album.location = L"Home";
    album.access = L"protected";
    album.commentingEnabled = L"true";
    album.published = L"2009/06/14 19:47:05";
    const AlbumEditFields opened = AlbumEditFieldsOf(album);
    EXPECT_EQ(opened, (AlbumEditFields{L"Garden", L"Roses", L"Home", L"2009/06/14", 2, true}))
        << "without a timestamp the day it was published";
    album.access = L"";
    album.commentingEnabled = L"";
    album.published = L"";
    const AlbumEditFields bare = AlbumEditFieldsOf(album);
    EXPECT_EQ(bare.access, -1);
    EXPECT_FALSE(bare.commenting);
    EXPECT_EQ(bare.date, TodayDateText());

    int64_t march24 = 0;
    ASSERT_TRUE(AlbumTimeSeconds({2012, 3, 24}, march24));
    const auto with = [&](auto change) {
        AlbumEditFields fields = opened;
        change(fields);
        return ChangedAlbumFields(opened, fields);
    };
    const struct {
        AlbumChanges changes;
        std::vector<UINT> names;
    } cases[] = {
        {with([](AlbumEditFields&) {}), {}},
        {with([](AlbumEditFields& f) { f.title = L"Garden & pond"; }), {IDS_FIELD_TITLE}},
        {with([](AlbumEditFields& f) { f.date = L"2012/03/24"; }), {IDS_FIELD_DATE}},
        {with([](AlbumEditFields& f) { f.access = -1; }), {}},
        {with([](AlbumEditFields& f) {
             f.summary = L"";
             f.location = L"Kyoto";
             f.access = 0;
             f.commenting = false;
         }),
         {IDS_FIELD_SUMMARY, IDS_FIELD_LOCATION, IDS_FIELD_ACCESS, IDS_FIELD_COMMENTING}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangedFieldNames(c.changes), c.names);
    EXPECT_EQ(cases[1].changes.title, std::optional<std::wstring>(L"Garden & pond"));
    EXPECT_EQ(cases[2].changes.timestampSeconds, std::optional<int64_t>(march24)) << "16:00 local time of the day";
    EXPECT_EQ(cases[4].changes.summary, std::optional<std::wstring>(L""));
    EXPECT_EQ(cases[4].changes.access, std::optional<std::wstring>(L"public"));
    EXPECT_EQ(cases[4].changes.commentingEnabled, std::optional<bool>(false));
}

// ---------------------------------------------------------------------------
// The dialog against the stand-in
// ---------------------------------------------------------------------------
namespace {

class EditAlbumDialog : public SignedIn
{
protected:
    EditAlbumDialog() : SignedIn("demo", "demo@example.com", L"demo") {}

    void SetUp() override
    {
        SignedIn::SetUp();
        ASSERT_EQ(client.LoadAlbums(), 0u);
        StandIn::ClearRequests();
    }

    AlbumEntry Album(const std::wstring& title)
    {
        for (const AlbumEntry& a : client.GetAlbums())
            if (a.title == title)
                return a;
        ADD_FAILURE() << "no album " << Narrow(title);
        return AlbumEntry();
    }

    static Json State(const std::string& title)
    {
        const Json account = StandIn::Account("demo"); // kept: the loop reads into it
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                return album;
        return Json();
    }

    static std::vector<Json> Patches()
    {
        std::vector<Json> found;
        for (const Json& r : StandIn::Requests())
            if (r["method"].string == "PATCH")
                found.push_back(r);
        return found;
    }

    // Runs the dialog on the album; `steps` work it (the first gets the
    // dialog, later ones the boxes it opens). The dialog's result.
    INT_PTR Run(const std::wstring& title, std::vector<ModalDriver::Step> steps)
    {
        ModalDriver driver;
        for (ModalDriver::Step& step : steps)
            driver.Then(std::move(step));
        CEditAlbumDlg dialog(client, Album(title), Settings(), [this] {
            ++refreshes;
            return client.LoadAlbums() == ERROR_SUCCESS;
        });
        const INT_PTR result = dialog.DoModal(nullptr);
        EXPECT_TRUE(driver.Unexpected().empty());
        EXPECT_EQ(driver.PendingSteps(), 0u);
        return result;
    }

    bool Logged(const std::wstring& line) const
    {
        const std::string wanted = UserCodePageFromWide(line);
        for (const std::string& logged : LogLines())
            if (logged == wanted)
                return true;
        return false;
    }

    int refreshes = 0;
    std::vector<Box> seen;
};

const std::string kEntryStart = "<entry xmlns='http://www.w3.org/2005/Atom'\n"
                                "    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n";

} // namespace

TEST_P(EditAlbumDialog, OpensWithTheAlbumsValues)
{
    const AlbumEntry album = Album(L"Paris & Rome <2009>");
    CEditAlbumDlg dialog(client, album, Settings());
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    const Json state = State("Paris & Rome <2009>");
    EXPECT_EQ(dialog.Fields(), (AlbumEditFields{L"Paris & Rome <2009>", L"Two cities, \"one\" trip", L"Paris & Rome",
                                                AlbumDateText(std::to_wstring(state["timestamp"].Int())), 0, true}));
    EXPECT_EQ(dialog.ItemText(IDC_NEW_ALBUM_DATE_HINT), L"");
    EXPECT_EQ(dialog.SendItem(IDC_ACCESS_LIST, CB_GETCOUNT), 3);
    EXPECT_EQ(dialog.SendItem(IDC_NEW_ALBUM_SUMMARY, EM_GETLIMITTEXT), 1024);
    EXPECT_EQ(dialog.SendItem(IDC_NEW_ALBUM_DATE, EM_GETLIMITTEXT), 10);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_EQ(GetWindowLongPtrW(dialog.Item(IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "Enter sends";

    CEditAlbumDlg garden(client, Album(L"Garden"), Settings());
    ASSERT_NE(garden.Create(nullptr), nullptr);
    EXPECT_EQ(garden.Fields().access, 1);
    EXPECT_FALSE(garden.Fields().commenting);
    EXPECT_EQ(garden.Fields().location, L"");
}

TEST_P(EditAlbumDialog, ARenameWithMarkupAndJapaneseArrivesIntact)
{
    const std::wstring title = L"Tom & Jerry <\u5bcc\u58eb\u5c71>"; // 富士山
    const AlbumEntry album = Album(L"Garden");
    EXPECT_EQ(Run(L"Garden",
                  {[&](HWND dialog) {
                      SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, title.c_str());
                      SetDlgItemTextW(dialog, IDC_NEW_ALBUM_LOCATION, L"R&D <lab>");
                      CheckDlgButton(dialog, IDC_EDIT_ALBUM_COMMENTING, BST_CHECKED);
                      Press(dialog, IDOK);
                  }}),
              1);
    const std::vector<Json> patches = Patches();
    ASSERT_EQ(patches.size(), 1u) << "one request for all the fields";
    EXPECT_EQ(StandIn::HeaderValue(patches[0], "If-Match"), Narrow(album.etag));
    const Json state = State(Narrow(title));
    EXPECT_EQ(state["location"].string, "R&D <lab>");
    EXPECT_TRUE(state["commenting"].boolean);
    EXPECT_EQ(state["access"].string, "private") << "not sent, not changed";
    std::wstring fields = language.String(IDS_FIELD_TITLE) + L", " + language.String(IDS_FIELD_LOCATION) + L", " +
                          language.String(IDS_FIELD_COMMENTING);
    EXPECT_TRUE(Logged(FormatText(language.String(IDS_LOG_ALBUM_EDITED), {std::wstring(L"Garden"), fields})));
    EXPECT_EQ(refreshes, 0) << "the owner refreshes after the dialog";
}

TEST_P(EditAlbumDialog, OnlyAChangedDateSendsOnlyTheTimestamp)
{
    int64_t seconds = 0;
    ASSERT_TRUE(AlbumTimeSeconds({2012, 3, 24}, seconds));
    EXPECT_EQ(Run(L"Hokkaido summer",
                  {[&](HWND dialog) {
                      SetDlgItemTextW(dialog, IDC_NEW_ALBUM_DATE, L"2012/03/24");
                      Press(dialog, IDOK);
                  }}),
              1);
    const std::vector<Json> patches = Patches();
    ASSERT_EQ(patches.size(), 1u);
    EXPECT_EQ(patches[0]["body"].string, kEntryStart + "  <gphoto:timestamp>" + std::to_string(seconds * 1000) +
                                             "</gphoto:timestamp>\n</entry>\n");
    EXPECT_EQ(State("Hokkaido summer")["timestamp"].Int(), seconds * 1000);
    EXPECT_TRUE(Logged(FormatText(language.String(IDS_LOG_ALBUM_EDITED),
                                  {std::wstring(L"Hokkaido summer"), language.String(IDS_FIELD_DATE)})));
}

TEST_P(EditAlbumDialog, AnUnchangedOkSendsNothing)
{
    EXPECT_EQ(Run(L"Family", {[](HWND dialog) { Press(dialog, IDOK); }}), IDCANCEL);
    // A field changed and changed back is no change either.
    EXPECT_EQ(Run(L"Family",
                  {[](HWND dialog) {
                      SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Other");
                      SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Family");
                      CheckDlgButton(dialog, IDC_EDIT_ALBUM_COMMENTING, BST_UNCHECKED);
                      CheckDlgButton(dialog, IDC_EDIT_ALBUM_COMMENTING, BST_CHECKED);
                      Press(dialog, IDOK);
                  }}),
              IDCANCEL);
    EXPECT_TRUE(StandIn::Requests().empty());
}

TEST_P(EditAlbumDialog, RejectedEntriesKeepTheDialogOpenAndSendNothing)
{
    const struct {
        const wchar_t* title;
        const wchar_t* date;
        std::wstring message;
    } cases[] = {
        {L"", L"2011/02/29", language.String(IDS_NEW_ALBUM_NO_TITLE)},
        {L"Family", L"2012/3/5", language.String(IDS_NEW_ALBUM_DATE_INVALID)},
        {L"Family", L"2011/02/29", FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {2011})},
        {L"Family", L"2012/04/31", FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {4})},
    };
    for (const auto& c : cases) {
        seen.clear();
        bool open = false;
        EXPECT_EQ(Run(L"Family",
                      {[&](HWND dialog) {
                           SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, c.title);
                           SetDlgItemTextW(dialog, IDC_NEW_ALBUM_DATE, c.date);
                           Press(dialog, IDOK);
                           open = IsWindowVisible(dialog) && WindowText(GetDlgItem(dialog, IDC_NEW_ALBUM_DATE)) == c.date;
                           Cancel(dialog);
                       },
                       Answer(seen)}),
                  IDCANCEL);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, c.message);
        EXPECT_EQ(seen[0].caption, language.String(IDS_CAPTION_NO_SELECTION));
        EXPECT_TRUE(open);
    }
    EXPECT_TRUE(Patches().empty());
}

TEST_P(EditAlbumDialog, AnAlbumChangedElsewhereRefreshesAndKeepsTheEntries)
{
    const AlbumEntry album = Album(L"Family");
    PicasaClient other(StandIn::BaseW(), StandIn::BaseW());
    ASSERT_EQ(other.Login("demo@example.com", "demo", "t"), 0u);
    std::wstring locationAfterBox;
    bool commentingAfterBox = true;
    bool openAfterBox = false;
    const INT_PTR result = Run(
        L"Family", {[&](HWND dialog) {
                        // Someone else switches commenting off meanwhile.
                        ASSERT_EQ(other.SetAlbumCommenting(album.editLink, 0), 0u);
                        SetDlgItemTextW(dialog, IDC_NEW_ALBUM_LOCATION, L"Elsewhere");
                        Press(dialog, IDOK);
                        openAfterBox = IsWindowVisible(dialog) != FALSE;
                        locationAfterBox = WindowText(GetDlgItem(dialog, IDC_NEW_ALBUM_LOCATION));
                        commentingAfterBox = IsDlgButtonChecked(dialog, IDC_EDIT_ALBUM_COMMENTING) == BST_CHECKED;
                        Press(dialog, IDOK); // again, now with the current version
                    },
                    Answer(seen)});
    EXPECT_EQ(result, 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, FormatText(language.String(IDS_EDIT_ALBUM_CONFLICT), {std::wstring(L"Family")}));
    EXPECT_EQ(seen[0].caption, language.String(IDS_CAPTION_REQUEST_FAILED));
    EXPECT_TRUE(openAfterBox);
    EXPECT_EQ(locationAfterBox, L"Elsewhere") << "the user's entry stays";
    EXPECT_FALSE(commentingAfterBox) << "a field left alone shows the other change";
    EXPECT_EQ(refreshes, 1);

    const std::vector<Json> patches = Patches();
    ASSERT_EQ(patches.size(), 3u) << "the other change, the refused one and the one sent again";
    EXPECT_EQ(StandIn::HeaderValue(patches[0], "If-Match"), "*");
    EXPECT_EQ(StandIn::HeaderValue(patches[1], "If-Match"), Narrow(album.etag));
    EXPECT_NE(StandIn::HeaderValue(patches[2], "If-Match"), Narrow(album.etag));
    EXPECT_EQ(patches[1]["body"].string, patches[2]["body"].string);
    EXPECT_EQ(patches[2]["body"].string, kEntryStart + "  <gphoto:location>Elsewhere</gphoto:location>\n</entry>\n");
    const Json state = State("Family");
    EXPECT_EQ(state["location"].string, "Elsewhere");
    EXPECT_FALSE(state["commenting"].boolean) << "the other change is kept";
    EXPECT_TRUE(Logged(FormatText(language.String(IDS_LOG_EDIT_CONFLICT), {std::wstring(L"Family")})));
}

TEST_P(EditAlbumDialog, AFailedChangeShowsTheCommonReportAndKeepsTheDialog)
{
    const AlbumEntry album = Album(L"Garden");
    const std::string url = Narrow(album.editLink);
    StandIn::Fault("{\"path\": \"" + url.substr(url.find('/', url.find("//") + 2)) +
                   "\", \"method\": \"PATCH\", \"status\": 500, \"body\": \"Broken\"}");
    std::wstring titleAfter;
    EXPECT_EQ(Run(L"Garden",
                  {[&](HWND dialog) {
                       SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Not saved");
                       Press(dialog, IDOK);
                       titleAfter = WindowText(GetDlgItem(dialog, IDC_NEW_ALBUM_TITLE));
                       Cancel(dialog);
                   },
                   Answer(seen)}),
              IDCANCEL);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, language.String(IDS_CAPTION_REQUEST_FAILED));
    EXPECT_EQ(seen[0].text, FormatText(language.String(IDS_CHANGE_FAILED_FORMAT),
                                       {std::wstring(L"Garden"), std::wstring(L"500"), std::wstring(L"Broken")}));
    EXPECT_EQ(titleAfter, L"Not saved");
    EXPECT_TRUE(Logged(FormatText(language.String(IDS_LOG_EDIT_FAILED), {std::wstring(L"Garden")})));
    EXPECT_EQ(State("Garden")["title"].string, "Garden");
}

// A reply later than the time-out: the change is not sent again by itself;
// the list is refreshed, to show whether it was made.
TEST_P(EditAlbumDialog, ALateReplyIsNotSentAgain)
{
    const AlbumEntry album = Album(L"Garden");
    const std::string url = Narrow(album.editLink);
    StandIn::Fault("{\"path\": \"" + url.substr(url.find('/', url.find("//") + 2)) +
                   "\", \"method\": \"PATCH\", \"status\": 200, \"delay\": 1.5, \"body\": \"late\"}");
    client.Transport().timeouts.receive = 400;
    size_t patchesAfterOk = 0;
    EXPECT_EQ(Run(L"Garden",
                  {[&](HWND dialog) {
                       SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Maybe saved");
                       Press(dialog, IDOK);
                       patchesAfterOk = Patches().size();
                       Cancel(dialog);
                   },
                   Answer(seen)}),
              IDCANCEL);
    EXPECT_EQ(patchesAfterOk, 1u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, language.String(IDS_CAPTION_REQUEST_FAILED));
    EXPECT_EQ(refreshes, 1);
}

TEST_P(EditAlbumDialog, CancelEscapeAndCloseBoxSaveThePlacementAndSendNothing)
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
        [&] { return CEditAlbumDlg(client, Album(L"Garden"), Settings()).DoModal(nullptr); }, L"EditAlbumDlg", ini,
        true);
    EXPECT_TRUE(StandIn::Requests().empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, EditAlbumDialog, ::testing::Values("en", "ja"));

namespace {
class EditAlbumFaults : public EditAlbumDialog // in English only
{
};
} // namespace

// An album deleted meanwhile: every OK answered "HTTP 404" and it stayed.
TEST_P(EditAlbumFaults, AnAlbumDeletedElsewhereIsReportedGoneAndTheDialogCloses)
{
    ASSERT_EQ(client.DeleteAlbum(Album(L"Garden").editLink), 0u); // the client's list still has it
    bool open = true;
    Run(L"Garden", {[&](HWND dialog) {
                        SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Renamed");
                        Press(dialog, IDOK);
                        open = IsWindowVisible(dialog) != FALSE;
                        Cancel(dialog);
                    },
                    Answer(seen)});
    EXPECT_FALSE(open);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"The album \"Garden\" is no longer on the service: it was deleted elsewhere, so your "
                            L"changes could not be saved.\n\nThe list has been loaded again without it.");
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(client.GetAlbums().size(), 11u);
}

// Cancel in "Saving the album" did nothing: the change was saved all the same.
TEST_P(EditAlbumFaults, SavingOffersNoCancel)
{
    StandIn::Control("POST", "settings", "{\"latency_ms\": 1200}");
    ModalDriver driver;
    driver.DriveProgressWindows(true);
    driver.Then([](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_NEW_ALBUM_TITLE, L"Saved");
        Press(dialog, IDOK);
    });
    driver.Then([](HWND progress) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(progress, IDCANCEL)));
        SendMessageW(progress, WM_COMMAND, IDCANCEL, 0); // Escape
        EXPECT_EQ(WindowText(GetDlgItem(progress, IDC_LOAD_TEXT)), L"") << "nothing says it is stopping";
    });
    EXPECT_EQ(CEditAlbumDlg(client, Album(L"Garden"), Settings()).DoModal(nullptr), 1);
    EXPECT_EQ(driver.PendingSteps(), 0u) << "the save showed its progress";
}

INSTANTIATE_TEST_SUITE_P(English, EditAlbumFaults, ::testing::Values("en"));
