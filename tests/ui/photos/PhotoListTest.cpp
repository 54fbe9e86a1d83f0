// The photo list command and dialog from the real language modules, loading
// photos from the stand-in service's "photolist" data set.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "base/TextFormat.h"
#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/photos/CPhotoInfoDlg.h"
#include "ui/photos/PhotoListCommand.h"
#include "ui/photos/PhotoListLoader.h"

using namespace AlbumDialogTest;
using TestEnv::Narrow;

namespace {

// "loading the photo information failed", the client's placeholder time.
const wchar_t kDetailsFailed[] = L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557";

// The photo list as it showed.
struct Shown
{
    std::vector<std::vector<std::wstring>> columns; // the cells, by column
    std::vector<int> headerFormats;
    bool icon = false;
    DWORD extendedStyle = 0;

    int Rows() const { return columns.empty() ? 0 : int(columns[0].size()); }
};

class PhotoList : public SignedIn
{
protected:
    PhotoList() : SignedIn("photolist", "lists", L"lists") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SignedIn::SetUp());
        ASSERT_EQ(client.LoadAlbums(), 0u);
        StandIn::ClearRequests();
    }

    size_t Index(const std::wstring& title)
    {
        const auto& albums = client.GetAlbums();
        const auto found = std::find_if(albums.begin(), albums.end(), [&](const AlbumEntry& a) { return a.title == title; });
        if (found == albums.end())
            ADD_FAILURE() << "no album " << Narrow(title);
        return size_t(found - albums.begin());
    }

    int Setting(const wchar_t* key, int missing = -1) const
    {
        return int(GetPrivateProfileIntW(L"PhotoInfoDlg", key, missing, ini.c_str()));
    }

    // Runs the photo list command (too few photos here for its question);
    // `first` acts on the list before it is read, and the dialog then ends
    // with `close`.
    Shown Show(const std::vector<size_t>& chosen, bool quickMode, std::function<void(HWND list)> first = {},
               int close = IDCANCEL)
    {
        Shown shown;
        ModalDriver driver;
        driver.Then([&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_PHOTOS);
            if (first)
                first(list);
            for (int column = 0; column < kPhotoListColumnCount; ++column) {
                shown.columns.push_back(ListTest::Column(list, column));
                shown.headerFormats.push_back(ListTest::HeaderItem(list, column).fmt);
            }
            shown.icon = SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0;
            shown.extendedStyle = DWORD(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(close, BN_CLICKED), 0);
        });
        RunPhotoListCommand(nullptr, client, chosen, quickMode, Settings());
        EXPECT_TRUE(driver.Unexpected().empty());
        EXPECT_EQ(driver.PendingSteps(), 0u);
        return shown;
    }

    std::vector<Box> boxes;
};

} // namespace

TEST_P(PhotoList, AsksWithThePhotoCountAndTheTimeItTakes)
{
    PicasaClient offline(StandIn::BaseW(), StandIn::BaseW());
    offline.GetAlbums() = {{.numPhotos = 1000}, {.numPhotos = 55}, {.numPhotos = 200}};
    ModalDriver driver;
    driver.Then(Answer(boxes, IDNO));
    RunPhotoListCommand(nullptr, offline, {2, 0}, false, Settings());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, language.String(IDS_CAPTION_ESTIMATE));
    EXPECT_EQ(boxes[0].text, FormatText(language.String(IDS_ESTIMATE_FORMAT), {1200, DurationText(120)}));
    EXPECT_NE(boxes[0].text.find(L"1200"), std::wstring::npos);
    EXPECT_EQ(boxes[0].buttons, (std::vector{IDYES, IDNO}));
    EXPECT_EQ(boxes[0].icon, LoadIconW(nullptr, IDI_QUESTION));
    EXPECT_TRUE(driver.Unexpected().empty()) << "no list after No";
    EXPECT_TRUE(StandIn::Requests().empty()) << "nothing loaded after No";
}

TEST_P(PhotoList, QuickModeOpensWithoutAskingAndShowsDashes)
{
    const Shown shown = Show({Index(L"Three photos")}, true);
    ASSERT_EQ(shown.Rows(), 3);
    for (int column : {3, 4, 5})
        EXPECT_EQ(shown.columns[size_t(column)], std::vector<std::wstring>(3, L"-----")) << column;
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(shown.icon);
    EXPECT_EQ(shown.extendedStyle, DWORD(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP)) << "and no other";
    for (int column = 0; column < kPhotoListColumnCount; ++column)
        EXPECT_EQ(shown.headerFormats[size_t(column)] & HDF_JUSTIFYMASK, kPhotoNumbers[column] ? HDF_RIGHT : HDF_LEFT)
            << column;
    EXPECT_TRUE(Requests("photo_feed").empty()) << "quick mode loads no details";
}

TEST_P(PhotoList, FirstOpeningSortsByAlbumTitleAndNumbersAlbumsInListOrderThenPhotoOrder)
{
    // As if the album list showed "Two photos" above "Three photos".
    const std::vector<size_t> chosen = {Index(L"Two photos"), Index(L"Three photos")};
    const Shown first = Show(chosen, true);
    ASSERT_EQ(first.Rows(), 5);
    EXPECT_EQ(first.columns[0], (std::vector<std::wstring>{L"Three photos", L"Three photos", L"Three photos",
                                                            L"Two photos", L"Two photos"}));
    EXPECT_EQ(Setting(L"SORT_COLUMN"), 0);
    EXPECT_EQ(Setting(L"SORT_DESCENDING"), 0);

    WritePrivateProfileStringW(L"PhotoInfoDlg", L"SORT_COLUMN", L"1", ini.c_str());
    const Shown byNumber = Show(chosen, true);
    ASSERT_EQ(byNumber.Rows(), 5);
    EXPECT_EQ(byNumber.columns[1], (std::vector<std::wstring>{L"00001 - 0001", L"00001 - 0002", L"00002 - 0001",
                                                               L"00002 - 0002", L"00002 - 0003"}));
    EXPECT_EQ(byNumber.columns[0], (std::vector<std::wstring>{L"Two photos", L"Two photos", L"Three photos",
                                                               L"Three photos", L"Three photos"}));
    EXPECT_EQ(byNumber.columns[2], (std::vector<std::wstring>{L"TWO_0001.JPG", L"TWO_0002.JPG", L"THREE_0001.JPG",
                                                               L"THREE_0002.PNG", L"THREE_0003.GIF"}));
}

TEST_P(PhotoList, MediaColumnDescribesStillsAndVideosAndLinksToTheFiles)
{
    const std::vector<PhotoListAlbum> albums =
        LoadPhotoListAlbums(client, {Index(L"Media"), Index(L"Two photos")}, true);
    ASSERT_EQ(albums.size(), 2u);
    ASSERT_EQ(albums[0].photos->size(), 4u);
    CPhotoInfoDlg dialog(albums, true, Settings());
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    HWND list = dialog.List().Handle();
    const std::vector<std::wstring> titles = ListTest::Column(list, 2);
    EXPECT_EQ(titles.size(), 6u);
    auto rowOf = [&](const std::wstring& title) {
        return int(std::find(titles.begin(), titles.end(), title) - titles.begin());
    };
    const std::wstring video = language.String(IDS_MEDIA_VIDEO);
    for (const auto& [title, media] : {std::pair{std::wstring(L"MEDIA_0001.JPG"), language.String(IDS_MEDIA_STILL)},
                                       {L"MPEG4.MP4", video + L" ( 640x 480, 5[Sec] ,MPEG4)"},
                                       {L"FLASH.MOV", video + L" (1280x 720, 35[Sec] ,FLV)"},
                                       {L"OTHER.MOV", video + L" ( 320x 240, 12[Sec])"}}) {
        SCOPED_TRACE(Narrow(title));
        const int row = rowOf(title);
        ASSERT_LT(row, int(titles.size()));
        const auto photo = std::find_if(albums[0].photos->begin(), albums[0].photos->end(),
                                        [&](const PhotoEntry& p) { return p.title == title; });
        ASSERT_NE(photo, albums[0].photos->end());
        EXPECT_EQ(ListTest::Cell(list, row, 13), media);
        EXPECT_EQ(ListTest::Cell(list, row, 12), photo->alternateLink);
        EXPECT_EQ(ListTest::Cell(list, row, 11), photo->id);
        EXPECT_TRUE(dialog.List().IsLinkCell(row, 12) && dialog.List().IsLinkCell(row, 13));
        EXPECT_EQ(dialog.List().GetCellLinkUrl(row, 12), photo->alternateLink);
        EXPECT_EQ(dialog.List().GetCellLinkUrl(row, 13), photo->mediaUrl);
    }
    EXPECT_NE(dialog.List().GetCellLinkUrl(rowOf(L"MEDIA_0001.JPG"), 13).find(L"/s0/"), std::wstring::npos)
        << "a still links to its full-size image";
    EXPECT_NE(dialog.List().GetCellLinkUrl(rowOf(L"MPEG4.MP4"), 13).find(L"/video/"), std::wstring::npos)
        << "a video links to its largest rendition";
    EXPECT_FALSE(dialog.List().IsLinkCell(0, 0));
    // Every column sorts by its kind and is as wide as its header and its
    // widest cell.
    for (int column = 0; column < kPhotoListColumnCount; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(dialog.List().ColumnSortType(column), kPhotoNumbers[column] ? SortLong : SortText);
        const int width = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
        std::vector<std::wstring> texts = ListTest::Column(list, column);
        texts.push_back(language.String(kPhotoHeaders[column]));
        for (const std::wstring& text : texts)
            EXPECT_GE(width, int(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str()))))
                << Narrow(text);
    }
}

TEST_P(PhotoList, DetailsNotDeliveredShowMinusOne)
{
    const AlbumEntry three = client.GetAlbums()[Index(L"Three photos")];
    StandIn::Fault("{\"path\": \"/data/feed/api/user/lists/albumid/" + Narrow(three.id) +
                   "/photoid/\", \"status\": 500, \"body\": \"broken\", \"count\": -1}");
    const Shown shown = Show({Index(L"Three photos"), Index(L"Two photos")}, false);
    EXPECT_TRUE(boxes.empty()) << "half a second of details is not worth a question";
    ASSERT_EQ(shown.Rows(), 5);
    size_t failed = 0;
    for (int row = 0; row < shown.Rows(); ++row) {
        SCOPED_TRACE(row);
        std::vector<std::wstring> cells;
        for (size_t column : {3, 4, 5, 6})
            cells.push_back(shown.columns[column][size_t(row)]);
        if (shown.columns[0][size_t(row)] == L"Three photos") {
            ++failed;
            EXPECT_EQ(cells, (std::vector<std::wstring>{L"-1", L"-1", L"0", kDetailsFailed}));
            continue;
        }
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_NE(cells[i], L"-----");
            EXPECT_GE(_wtoi(cells[i].c_str()), 0);
        }
        EXPECT_NE(cells[3], kDetailsFailed);
    }
    EXPECT_EQ(failed, 3u);
    EXPECT_EQ(Requests("photo_feed").size(), 5u) << "one detail request per photo";
}

TEST_P(PhotoList, SortByTheSizeIsKeptForTheNextOpening)
{
    const std::vector<size_t> chosen = {Index(L"Three photos"), Index(L"Two photos"), Index(L"Media")};
    const Shown first = Show(chosen, true, [](HWND list) {
        ListTest::ClickHeader(list, 9);
        ListTest::ClickHeader(list, 9);
    });
    EXPECT_EQ(Setting(L"SORT_COLUMN"), 9);
    EXPECT_EQ(Setting(L"SORT_DESCENDING"), 1);
    EXPECT_NE(Setting(L"rectRight", 0), 0);
    ASSERT_EQ(first.Rows(), 9);
    std::vector<int> sizes;
    for (const std::wstring& size : first.columns[9])
        sizes.push_back(_wtoi(size.c_str()));
    EXPECT_TRUE(std::is_sorted(sizes.rbegin(), sizes.rend())) << "largest first";
    EXPECT_GT(sizes.front(), sizes.back());

    const Shown again = Show(chosen, true);
    ASSERT_EQ(again.Rows(), 9);
    EXPECT_EQ(again.columns[9], first.columns[9]);
    EXPECT_NE(again.headerFormats[9] & (HDF_SORTDOWN | HDF_SORTUP | HDF_BITMAP), 0) << "the header marks the sort";
}

// An album that cannot be read is no empty album: the user is told which one
// it was, the list shows the others, and alone it opens no list.
TEST_P(PhotoList, AnAlbumThatCannotBeReadIsNamedAndOkWritesTheSettings)
{
    // No such album: the service answers 404.
    client.GetAlbums().push_back(AlbumEntry{.title = L"Gone", .id = L"1"});
    const size_t gone = client.GetAlbums().size() - 1;
    for (const bool withAnother : {true, false}) {
        SCOPED_TRACE(withAnother ? "with a readable album" : "alone");
        std::wstring told;
        int rows = -1;
        ModalDriver driver;
        driver.Then([&](HWND box) {
            told = MessageBoxText(box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        if (withAnother)
            driver.Then([&](HWND dialog) {
                rows = int(SendDlgItemMessageW(dialog, IDC_PHOTOS, LVM_GETITEMCOUNT, 0, 0));
                // The list opens on its first row, where Enter opens the
                // photo's page: OK from another control closes.
                SetFocus(GetDlgItem(dialog, IDC_PHOTO_COPY));
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            });
        std::vector<size_t> chosen = {gone};
        if (withAnother)
            chosen.push_back(Index(L"Two photos"));
        RunPhotoListCommand(nullptr, client, chosen, true, Settings());
        EXPECT_TRUE(driver.Unexpected().empty()) << "no list for nothing that was read";
        EXPECT_EQ(driver.PendingSteps(), 0u);
        EXPECT_NE(told.find(L"Gone"), std::wstring::npos) << Narrow(told);
        EXPECT_EQ(told.find(L"Two photos"), std::wstring::npos);
        if (withAnother) {
            EXPECT_EQ(rows, 2);
            EXPECT_EQ(Setting(L"SORT_COLUMN"), 0) << "OK writes the settings";
            EXPECT_EQ(Setting(L"SORT_DESCENDING"), 0);
        }
    }
}

TEST_P(PhotoList, CopyPutsTheHeadersAndTheSelectedRowsOnTheClipboard)
{
    Clipboard copied;
    std::wstring pageUrl;
    Show({Index(L"Two photos")}, true, [&](HWND list) {
        ListTest::Select(list, 0);
        pageUrl = ListTest::Cell(list, 0, 12);
        // Ctrl+C, as the album list takes it.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE control = keys[VK_CONTROL];
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        SendMessageW(list, WM_KEYDOWN, 'C', 0);
        keys[VK_CONTROL] = control;
        SetKeyboardState(keys);
        copied = ReadClipboard();
    });
    std::wstring headers;
    for (UINT id : kPhotoHeaders)
        headers += (headers.empty() ? L"" : L", ") + language.String(id);
    const size_t lineEnd = copied.text.find(L"\r\n");
    ASSERT_NE(lineEnd, std::wstring::npos) << Narrow(copied.text);
    EXPECT_EQ(copied.text.substr(0, lineEnd), headers);
    EXPECT_EQ(copied.text.find(L"\r\n", lineEnd + 2), std::wstring::npos) << "one row selected";
    EXPECT_NE(copied.text.find(pageUrl), std::wstring::npos);
    EXPECT_NE(copied.html.find("<table>"), std::string::npos);
    EXPECT_NE(copied.html.find("<a href="), std::string::npos) << "the link cells as links";
}

INSTANTIATE_TEST_SUITE_P(Languages, PhotoList, ::testing::Values("en", "ja"));
