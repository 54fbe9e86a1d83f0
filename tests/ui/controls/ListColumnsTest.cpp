// Lists and windows as Windows users expect them, from the real language
// modules (and once more at 144 DPI in the ui.Dpi144 run): whole column
// headers, widths the user dragged kept, the photo list's Copy button, the
// URL dialog saying that it copied, and F1 help.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "tests/ui/controls/ListColumnsTest.h"
#include "tests/support/WindowDriver.h"
#include "ui/photos/CPhotoInfoDlg.h"
#include "ui/albums/CUrlDlg.h"
#include "ui/login/CMainDlg.h"

using namespace AlbumDialogTest;
using namespace ListColumnsTest;

namespace {

// Two albums whose photos have short cells, so that the headers are what a
// column must make room for; the second album is empty.
std::vector<PhotoListAlbum> ShortPhotos()
{
    std::vector<PhotoListAlbum> albums(2);
    albums[0].album = AlbumEntry{.title = L"A", .access = L"public"};
    albums[0].photos = std::make_unique<std::vector<PhotoEntry>>();
    for (int i = 1; i <= 3; ++i)
        albums[0].photos->push_back(PhotoEntry{.sequence = i,
                                               .title = L"p" + std::to_wstring(i),
                                               .id = std::to_wstring(i),
                                               .width = 1,
                                               .height = 1,
                                               .size = i,
                                               .alternateLink = L"http://localhost/p" + std::to_wstring(i),
                                               .timestamp = L"x"});
    albums[1].album = AlbumEntry{.title = L"B", .access = L"private"};
    albums[1].photos = std::make_unique<std::vector<PhotoEntry>>();
    return albums;
}

class PhotoListColumns : public InLanguage
{
protected:
    // A photo list, open modelessly, with its settings file; the preview
    // pane stays hidden (nothing to fetch).
    std::unique_ptr<CPhotoInfoDlg> Open()
    {
        WritePrivateProfileStringW(CPhotoInfoDlg::kSection, CPhotoInfoDlg::kPreviewKey, L"0", ini.c_str());
        auto dialog = std::make_unique<CPhotoInfoDlg>(albums, true, Settings());
        EXPECT_NE(dialog->Create(nullptr), nullptr);
        return dialog;
    }
    int Stored(int column) const
    {
        const std::wstring key = std::wstring(L"COLUMN_WIDTH_") + std::to_wstring(column);
        return int(GetPrivateProfileIntW(CPhotoInfoDlg::kSection, key.c_str(), -1, ini.c_str()));
    }

    std::vector<PhotoListAlbum> albums = ShortPhotos();
};

} // namespace

TEST_P(PhotoListColumns, EveryHeaderReadsWholeWithTheSortArrowTheLastOneToo)
{
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "no photos" : "three photos");
        if (empty)
            albums[0].photos->clear();
        auto dialog = Open();
        HWND list = dialog->Item(IDC_PHOTOS);
        ExpectWholeHeaders(list);
        // The arrow needs no room that the column does not have already.
        for (int column : {kPhotoListColumnCount - 1, 2}) {
            const int before = ListView_GetColumnWidth(list, column);
            ListTest::ClickHeader(list, column);
            EXPECT_EQ(dialog->List().SortColumn(), column);
            EXPECT_EQ(ListView_GetColumnWidth(list, column), before);
        }
        ExpectWholeHeaders(list);
    }
}

TEST_P(PhotoListColumns, ADraggedWidthSurvivesReopeningAndADoubleClickFitsAgain)
{
    int fitted = 0, dragged = 0, narrowed = 0;
    {
        auto dialog = Open();
        HWND list = dialog->Item(IDC_PHOTOS);
        fitted = ListView_GetColumnWidth(list, 2);
        EXPECT_EQ(Stored(2), -1) << "nothing stored before a drag";
        DragDivider(list, 2, 40);
        dragged = ListView_GetColumnWidth(list, 2);
        EXPECT_EQ(dragged, fitted + 40);
        EXPECT_EQ(dialog->List().UserColumnWidth(2), dragged);
        EXPECT_EQ(Stored(2), dragged) << "kept at once, not only at a tidy close";
        // Narrower than its header: the user's choice all the same.
        DragDivider(list, 5, -20);
        narrowed = ListView_GetColumnWidth(list, 5);
        EXPECT_EQ(Stored(5), narrowed);
        Press(dialog->Handle(), IDCANCEL);
    }
    {
        auto dialog = Open();
        HWND list = dialog->Item(IDC_PHOTOS);
        EXPECT_EQ(ListView_GetColumnWidth(list, 2), dragged);
        EXPECT_EQ(ListView_GetColumnWidth(list, 5), narrowed);
        EXPECT_GE(ListView_GetColumnWidth(list, 3), WholeHeaderWidth(list, 3)) << "the others still fitted";
        DoubleClickDivider(list, 2);
        EXPECT_EQ(ListView_GetColumnWidth(list, 2), fitted);
        EXPECT_EQ(dialog->List().UserColumnWidth(2), 0);
        EXPECT_EQ(Stored(2), 0);
        Press(dialog->Handle(), IDCANCEL);
    }
    auto dialog = Open();
    EXPECT_EQ(ListView_GetColumnWidth(dialog->Item(IDC_PHOTOS), 2), fitted);
    EXPECT_EQ(ListView_GetColumnWidth(dialog->Item(IDC_PHOTOS), 5), narrowed);
}

TEST_P(PhotoListColumns, CopyBesideCloseCopiesTheSelectedRowsOrTheWholeList)
{
    auto dialog = Open();
    HWND list = dialog->Item(IDC_PHOTOS);
    RECT copy = {}, close = {};
    GetWindowRect(dialog->Item(IDC_PHOTO_COPY), &copy);
    GetWindowRect(dialog->Item(IDCANCEL), &close);
    EXPECT_EQ(copy.top, close.top);
    EXPECT_LE(copy.right, close.left);
    EXPECT_FALSE(WindowText(dialog->Item(IDC_PHOTO_COPY)).empty());

    struct Case
    {
        std::vector<int> selected;
        size_t lines; // the header line and one per row
    };
    for (const Case& c : {Case{{}, 4}, Case{{1}, 2}, Case{{0, 2}, 3}}) {
        SCOPED_TRACE(c.selected.size());
        for (int row = 0; row < ListTest::Rows(list); ++row)
            ListTest::Select(list, row, false);
        for (int row : c.selected)
            ListTest::Select(list, row);
        ASSERT_TRUE(PutOnClipboard(L"before"));
        SendMessageW(dialog->Item(IDC_PHOTO_COPY), BM_CLICK, 0, 0);
        const Clipboard copied = ReadClipboard();
        EXPECT_EQ(Lines(copied.text).size(), c.lines);
        for (int row : c.selected)
            EXPECT_NE(copied.text.find(ListTest::Cell(list, row, 2)), std::wstring::npos);
        EXPECT_NE(copied.html.find("<table>"), std::string::npos);
        // The rows stay selected, and the list has the focus back.
        EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), LRESULT(c.selected.size()));
        for (int row : c.selected)
            EXPECT_TRUE(ListTest::IsSelected(list, row)) << row;
        EXPECT_EQ(GetFocus(), list);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, PhotoListColumns, ::testing::Values("en", "ja"));

// ---------------------------------------------------------------------------
// The URL dialog says that it copied
// ---------------------------------------------------------------------------

namespace {
using UrlCopyNote = InLanguage;
} // namespace

TEST_P(UrlCopyNote, CopySaysThatItCopiedAndTheNoteGoesAgain)
{
    const std::wstring text = L"Beach (photos: 9)\r\nhttp://localhost/friend/Beach\r\n", html = L"<p>Beach</p>";
    CUrlDlg dialog(text, html, Settings());
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(dialog.ItemText(IDC_URL_COPIED), L"");
    ASSERT_TRUE(PutOnClipboard(L"before"));
    SendMessageW(dialog.Item(IDC_URL_COPY), BM_CLICK, 0, 0);
    EXPECT_EQ(ReadClipboard().text, text);
    EXPECT_EQ(dialog.ItemText(IDC_URL_COPIED), language.String(IDS_COPIED));
    EXPECT_FALSE(language.String(IDS_COPIED).empty());
    EXPECT_TRUE(WindowDriver::WaitUntil([&] {
        PumpMessages(window);
        return dialog.ItemText(IDC_URL_COPIED).empty();
    })) << "the note goes after a moment";

    // Nothing to copy: nothing is said.
    const std::wstring empty;
    CUrlDlg nothing(empty, html, Settings());
    ASSERT_NE(nothing.Create(nullptr), nullptr);
    SendMessageW(nothing.Item(IDC_URL_COPY), BM_CLICK, 0, 0);
    EXPECT_EQ(nothing.ItemText(IDC_URL_COPIED), L"");
}

INSTANTIATE_TEST_SUITE_P(Languages, UrlCopyNote, ::testing::Values("en", "ja"));

// ---------------------------------------------------------------------------
// F1 shows the program's help
// ---------------------------------------------------------------------------

namespace {

class Help : public InLanguage
{
protected:
    // Runs a dialog modally, presses F1 on one of its controls and notes the
    // box that comes; Escape then ends the dialog.
    std::vector<Box> PressF1(CDialogBase& dialog, int control)
    {
        std::vector<Box> boxes;
        ModalDriver driver;
        driver.Then([control](HWND window) {
            SetFocus(GetDlgItem(window, control));
            PostMessageW(GetDlgItem(window, control), WM_KEYDOWN, VK_F1, 0);
        });
        driver.Then([&boxes](HWND box) {
            HWND owner = GetWindow(box, GW_OWNER);
            Answer(boxes)(box);
            PostMessageW(owner, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        dialog.DoModal(nullptr);
        EXPECT_TRUE(driver.Unexpected().empty());
        EXPECT_EQ(driver.PendingSteps(), 0u);
        return boxes;
    }
};

} // namespace

TEST_P(Help, F1InTheSignInWindowShowsItsHelpText)
{
    PicasaClient client(L"http://localhost:9", L"http://localhost:9");
    CMainDlg dialog(client, Settings());
    dialog.SetAccountStorePath(TestEnv::Narrow(folder + L"\\quillon.dat"));
    for (int control : {IDC_ACCOUNT, IDC_PASSWORD, IDOK}) {
        SCOPED_TRACE(control);
        const std::vector<Box> boxes = PressF1(dialog, control);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, language.String(IDS_LOGIN_HELP));
        EXPECT_EQ(boxes[0].icon, LoadIconW(nullptr, IDI_INFORMATION));
        EXPECT_FALSE(boxes[0].caption.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, Help, ::testing::Values("en", "ja"));
