// The album window's keys, context menu, column widths and help against the
// stand-in service, in both languages (and at 144 DPI in the ui.Dpi144 run).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "base/CLogSupport.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "tests/ui/albums/AlbumWindowFixture.h"
#include "tests/ui/controls/ListColumnsTest.h"
#include "ui/albums/AlbumWindowKeys.h"
#include "ui/albums/CToolDlg.h"

using namespace DialogHarness;
using namespace ListColumnsTest;
using AlbumDialogTest::Box;
using AlbumDialogTest::ReadClipboard;

// ---------------------------------------------------------------------------
// What each key does where, without a window
// ---------------------------------------------------------------------------

TEST(AlbumWindowKeys, WhatEachKeyDoesWhere)
{
    using P = AlbumKeyPlace;
    struct Case
    {
        UINT message;
        WPARAM key;
        P place;
        bool wanted, modifier;
        AlbumKeyAction action;
    };
    const Case cases[] = {
        {WM_KEYDOWN, VK_F5, P::List, false, false, {IDC_REFRESH, true}},
        {WM_KEYDOWN, VK_F5, P::Pattern, false, false, {IDC_REFRESH, true}},
        {WM_KEYDOWN, VK_F5, P::Elsewhere, false, false, {IDC_REFRESH, true}},
        {WM_KEYDOWN, VK_F5, P::Elsewhere, false, true, {}},
        {WM_KEYDOWN, VK_RETURN, P::Pattern, false, false, {IDC_SELECT_BY_PATTERN, true}},
        {WM_KEYDOWN, VK_RETURN, P::List, false, false, {IDC_PHOTO_LIST, true}},
        {WM_KEYDOWN, VK_RETURN, P::Elsewhere, false, false, {}}, // a button clicks itself
        {WM_KEYDOWN, VK_RETURN, P::Elsewhere, true, false, {}},  // an open drop-down closes
        {WM_SYSKEYDOWN, VK_RETURN, P::List, false, true, {}},    // Alt+Enter: the properties, by the list
        {WM_KEYDOWN, VK_ESCAPE, P::List, false, false, {0, true}},
        {WM_KEYDOWN, VK_ESCAPE, P::Elsewhere, false, false, {0, true}},
        {WM_KEYDOWN, VK_ESCAPE, P::Elsewhere, true, false, {}},
        {WM_KEYDOWN, VK_DELETE, P::List, false, false, {}}, // the list tells the window itself
        {WM_KEYDOWN, 'A', P::Pattern, false, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AlbumWindowKeyAction(c.message, c.key, c.place, c.wanted, c.modifier), c.action)
            << c.message << " " << c.key << " " << int(c.place) << " " << c.wanted << c.modifier;
}

// ---------------------------------------------------------------------------
// The window against the stand-in
// ---------------------------------------------------------------------------
namespace {

class AlbumKeys : public AlbumWindowFixture
{
protected:
    AlbumKeys() : AlbumWindowFixture("album-keys") {}

    HWND Open()
    {
        SignIn();
        return AlbumWindowFixture::Open();
    }
    HWND List() { return window->List().Handle(); }
    // A key pressed on a control of the window, as a real one arrives: posted,
    // then through the dialog's message loop.
    void Key(HWND control, WPARAM key)
    {
        SetFocus(control);
        PostMessageW(control, WM_KEYDOWN, key, 0);
        PumpMessages(window->Handle());
    }
    // A driver step: looks at the dialog, then cancels it.
    static ModalDriver::Step LookThenCancel(std::function<void(HWND)> look)
    {
        return [look](HWND dialog) {
            look(dialog);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        };
    }
    // A step for the photo list: its row count. (The progress window of a
    // slow load takes no step.)
    static ModalDriver::Step PhotoListStep(int& rows)
    {
        return LookThenCancel(
            [&rows](HWND dialog) { rows = int(SendDlgItemMessageW(dialog, IDC_PHOTOS, LVM_GETITEMCOUNT, 0, 0)); });
    }
};

} // namespace

TEST_P(AlbumKeys, EveryHeaderReadsWholeAndTheWebAddressesTheirWholeWidth)
{
    Open();
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "opened" : "refreshed, sorted by the last column");
        ExpectWholeHeaders(List());
        const int last = window->List().ColumnCount() - 1;
        for (int row = 0; row < window->RowCount(); ++row) {
            const std::wstring address = window->List().CellText(row, last);
            const int text = int(SendMessageW(List(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(address.c_str())));
            EXPECT_GE(ListView_GetColumnWidth(List(), last), text) << TestEnv::Narrow(address);
        }
        ListTest::ClickHeader(List(), last);
        Key(window->Item(IDC_SELECT_ALL), VK_F5);
    }
}

TEST_P(AlbumKeys, ADraggedWidthSurvivesARefreshAndARestartAndADoubleClickFitsAgain)
{
    Open();
    const int fitted = ListView_GetColumnWidth(List(), 0);
    DragDivider(List(), 0, 60);
    const int dragged = ListView_GetColumnWidth(List(), 0);
    EXPECT_EQ(dragged, fitted + 60);
    window->SendItem(IDC_REFRESH, BM_CLICK);
    PumpMessages(window->Handle());
    EXPECT_EQ(ListView_GetColumnWidth(List(), 0), dragged) << "a refresh keeps it";
    EXPECT_GE(ListView_GetColumnWidth(List(), 1), WholeHeaderWidth(List(), 1));
    SendMessageW(window->Handle(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(window->Result(), 2);

    Open();
    EXPECT_EQ(ListView_GetColumnWidth(List(), 0), dragged) << "so does a restart";
    DoubleClickDivider(List(), 0);
    EXPECT_EQ(ListView_GetColumnWidth(List(), 0), fitted);
    SendMessageW(window->Handle(), WM_COMMAND, IDCANCEL, 0);
    Open();
    EXPECT_EQ(ListView_GetColumnWidth(List(), 0), fitted);
}

TEST_P(AlbumKeys, EnterInThePatternBoxSelectsByThePattern)
{
    Open();
    window->SetItemText(IDC_PATTERN, L"FAMILY");
    window->SetCheck(IDC_IGNORE_CASE, true);
    Key(window->Item(IDC_PATTERN), VK_RETURN);
    const std::set<std::wstring> selected = SelectedTitles();
    ASSERT_FALSE(selected.empty());
    for (const std::wstring& title : selected) {
        std::wstring lower = title;
        std::transform(lower.begin(), lower.end(), lower.begin(), towlower);
        EXPECT_NE(lower.find(L"family"), std::wstring::npos) << TestEnv::Narrow(title);
    }
    EXPECT_TRUE(IsWindow(window->Handle()));
    EXPECT_EQ(window->Result(), -1) << "Enter does not end the window";
}

TEST_P(AlbumKeys, EnterOrADoubleClickOnARowOpensThePhotoListOfTheSelectedAlbums)
{
    Open();
    ASSERT_TRUE(window->IsChecked(IDC_QUICK_MODE));
    struct Way
    {
        const char* name;
        int photos; // of the albums selected when the list opens
        std::function<void()> act;
    };
    const Way ways[] = {
        {"Enter", PhotosOf(L"Family") + PhotosOf(L"Garden"), [&] { Key(List(), VK_RETURN); }},
        // The first click selects the row alone, as it does for a person.
        {"double-click", PhotosOf(L"Family"),
         [&] {
             RECT cell = {LVIR_LABEL, 0, 0, 0};
             SendMessageW(List(), LVM_GETITEMRECT, WPARAM(RowOf(L"Family")), reinterpret_cast<LPARAM>(&cell));
             const LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
             SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
             SendMessageW(List(), WM_LBUTTONUP, 0, at);
             SendMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
             SendMessageW(List(), WM_LBUTTONUP, 0, at);
             PumpMessages(window->Handle());
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        SelectOnly({L"Family", L"Garden"});
        int rows = -1;
        ModalDriver driver;
        driver.Ignore(window->Handle());
        driver.Then(PhotoListStep(rows));
        way.act();
        EXPECT_TRUE(driver.Unexpected().empty());
        EXPECT_EQ(driver.PendingSteps(), 0u);
        EXPECT_EQ(rows, way.photos);
    }
}

TEST_P(AlbumKeys, F5RefreshesWhereverTheFocusIs)
{
    Open();
    for (int control : {IDC_SELECT_ALL, IDC_REFRESH, IDC_PATTERN, IDC_CALENDAR, IDC_ALBUM_LIST, IDCANCEL}) {
        SCOPED_TRACE(control);
        StandIn::ClearRequests();
        Key(window->Item(control), VK_F5);
        EXPECT_EQ(StandIn::RequestsOfKind("user_feed").size(), 1u);
        EXPECT_EQ(window->Result(), -1);
    }
}

TEST_P(AlbumKeys, EscapeLeavesTheWindowOpenTheCloseBoxDoesNot)
{
    Open();
    for (int control : {IDC_ALBUM_LIST, IDC_PATTERN, IDC_SELECT_ALL, IDCANCEL, IDC_BATCH_KIND}) {
        SCOPED_TRACE(control);
        Key(window->Item(control), VK_ESCAPE);
        EXPECT_TRUE(IsWindow(window->Handle()));
        EXPECT_EQ(window->Result(), -1);
        EXPECT_TRUE(client->IsSignedIn());
    }
    // Escape still closes an open drop-down list, and only that.
    HWND box = window->Item(IDC_BATCH_KIND);
    SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
    if (SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0)) {
        Key(box, VK_ESCAPE);
        EXPECT_FALSE(SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0));
        EXPECT_EQ(window->Result(), -1);
    }
    PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
    PumpMessages(window->Handle());
    EXPECT_EQ(window->Result(), 2) << "the close box still closes it";
    EXPECT_FALSE(client->IsSignedIn());
}

TEST_P(AlbumKeys, TheContextMenusItemsRunTheirCommandsOnTheSelection)
{
    Open();
    ModalDriver driver;
    driver.Ignore(window->Handle());
    struct Case
    {
        UINT command;
        std::function<void()> check; // after the command ran
    };
    int photoRows = -1;
    std::wstring urls, editTitle;
    bool accessShown = false;
    std::vector<Box> boxes;
    const Case cases[] = {
        {IDC_PHOTO_LIST, [&] { EXPECT_EQ(photoRows, PhotosOf(L"Family")); }},
        {IDC_URL_LIST,
         [&] {
             EXPECT_NE(urls.find(L"Family"), std::wstring::npos);
             EXPECT_EQ(urls.find(L"Garden"), std::wstring::npos);
         }},
        {IDC_CHANGE_ACCESS, [&] { EXPECT_TRUE(accessShown); }},
        {IDC_DELETE_ALBUMS,
         [&] {
             ASSERT_EQ(boxes.size(), 1u);
             EXPECT_NE(RowOf(L"Family"), -1) << "No keeps it";
         }},
        {IDC_ALBUM_PROPERTIES, [&] { EXPECT_EQ(editTitle, L"Family"); }},
        {ID_LIST_COPY,
         [&] {
             const std::wstring copied = ReadClipboard().text;
             EXPECT_NE(copied.find(L"\r\nFamily, "), std::wstring::npos);
             EXPECT_EQ(copied.find(L"\r\nGarden, "), std::wstring::npos);
         }},
        {ID_LIST_SELECT_ALL, [&] { EXPECT_EQ(int(SelectedTitles().size()), window->RowCount()); }},
    };
    driver.Then(PhotoListStep(photoRows));
    driver.Then(LookThenCancel([&](HWND dialog) { urls = WindowText(GetDlgItem(dialog, IDC_URL_TEXT)); }));
    driver.Then(LookThenCancel([&](HWND dialog) { accessShown = GetDlgItem(dialog, IDC_ACCEPT_ACCESS) != nullptr; }));
    driver.Then(AlbumDialogTest::Answer(boxes, IDNO));
    driver.Then(LookThenCancel([&](HWND dialog) { editTitle = WindowText(GetDlgItem(dialog, IDC_NEW_ALBUM_TITLE)); }));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        SelectOnly({L"Family"});
        // As the menu sends its choice: to the list, which runs its own and
        // hands the album commands to the window.
        ListTest::Command(List(), c.command);
        PumpMessages(window->Handle());
        c.check();
    }
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(driver.PendingSteps(), 0u);
}

TEST_P(AlbumKeys, F1ShowsTheAlbumWindowsHelp)
{
    Open();
    std::vector<Box> boxes;
    ModalDriver driver;
    driver.Ignore(window->Handle());
    driver.Then(AlbumDialogTest::Answer(boxes));
    Key(List(), VK_F1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, language.String(IDS_ALBUMS_HELP));
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_EQ(window->Result(), -1);
}

INSTANTIATE_TEST_SUITE_P(Languages, AlbumKeys, ::testing::Values("en", "ja"));
