// The photo list command and dialog from the real language modules, loading
// photos from the stand-in service's "photolist" data set.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "ui/albums/CPhotoInfoDlg.h"
#include "base/TextFormat.h"
#include "ui/albums/PhotoListCommand.h"
#include "ui/controls/CClipboard.h"

using namespace DialogHarness;

namespace {

// "loading the photo information failed", the client's placeholder time.
const wchar_t kDetailsFailed[] = L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557";

HWND PhotoListOf(HWND dialog)
{
    return GetDlgItem(dialog, IDC_PHOTOS);
}

int Rows(HWND list)
{
    return int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring Cell(HWND list, int row, int column)
{
    wchar_t text[1024] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::wstring> Column(HWND list, int column)
{
    std::vector<std::wstring> cells;
    for (int row = 0; row < Rows(list); ++row)
        cells.push_back(Cell(list, row, column));
    return cells;
}

int RowTitled(HWND list, const std::wstring& title)
{
    for (int row = 0; row < Rows(list); ++row)
        if (Cell(list, row, 2) == title)
            return row;
    return -1;
}

// A real click in the middle of a header item.
void ClickHeader(HWND list, int column)
{
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT r = {};
    SendMessageW(header, HDM_GETITEMRECT, WPARAM(column), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(header, WM_MOUSEMOVE, 0, at);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
}

void Close(HWND dialog)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

std::wstring ClipboardUnicodeText()
{
    std::wstring text = L"<none>";
    for (int i = 0; i < 20 && !OpenClipboard(nullptr); ++i)
        Sleep(20);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::string ClipboardHtml()
{
    std::string html;
    for (int i = 0; i < 20 && !OpenClipboard(nullptr); ++i)
        Sleep(20);
    if (HANDLE data = GetClipboardData(CClipboard::HtmlFormat())) {
        html = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return html;
}

class PhotoList : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Control("POST", "reset", "{\"fixture\": \"photolist\"}");
        ini = TestEnv::ScratchFolder("photo-list") + L"\\quillon.ini";
        ASSERT_EQ(client.Login("lists", L"lists", "t"), 0u);
        ASSERT_EQ(client.LoadAlbums(), 0u);
        StandIn::ClearRequests();
    }

    void TearDown() override { StandIn::Reset(); }

    size_t Index(const std::wstring& title)
    {
        const auto& albums = client.GetAlbums();
        for (size_t i = 0; i < albums.size(); ++i)
            if (albums[i].title == title)
                return i;
        ADD_FAILURE() << "no album " << TestEnv::Narrow(title);
        return albums.size();
    }

    size_t DetailRequests()
    {
        size_t count = 0;
        for (const Json& r : StandIn::Requests())
            if (r["path"].string.find("/photoid/") != std::string::npos)
                ++count;
        return count;
    }

    SettingsLocation Settings() const { return SettingsLocation::File(ini); }

    std::wstring ini;
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
};

} // namespace

TEST_P(PhotoList, AsksWithThePhotoCountAndTheTimeItTakes)
{
    ScopedLanguage language(GetParam());
    PicasaClient offline(StandIn::BaseW(), StandIn::BaseW());
    offline.GetAlbums().resize(3);
    offline.GetAlbums()[0].numPhotos = 1000;
    offline.GetAlbums()[1].numPhotos = 55;
    offline.GetAlbums()[2].numPhotos = 200;
    std::wstring caption, text;
    UINT buttons = 0;
    ModalDriver driver;
    driver.Then([&](HWND box) {
        caption = WindowText(box);
        text = MessageBoxText(box);
        buttons = (GetDlgItem(box, IDYES) ? 1 : 0) | (GetDlgItem(box, IDNO) ? 2 : 0) | (GetDlgItem(box, IDOK) ? 4 : 0);
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    });
    RunPhotoListCommand(nullptr, offline, {2, 0}, false, Settings());
    EXPECT_EQ(caption, language.String(IDS_CAPTION_ESTIMATE));
    EXPECT_EQ(text, FormatText(language.String(IDS_ESTIMATE_FORMAT), {1200, 2, 0}));
    EXPECT_NE(text.find(L"1200"), std::wstring::npos);
    EXPECT_EQ(buttons, 3u) << "yes and no";
    EXPECT_EQ(driver.PendingSteps(), 0u);
    EXPECT_TRUE(driver.Unexpected().empty()) << "no list after No";
    EXPECT_TRUE(StandIn::Requests().empty()) << "nothing loaded after No";
}

TEST_P(PhotoList, QuickModeOpensWithoutAskingAndShowsDashes)
{
    ScopedLanguage language(GetParam());
    std::vector<std::wstring> views, comments, stars;
    int rows = 0;
    bool hasIcon = false;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        HWND list = PhotoListOf(dialog);
        rows = Rows(list);
        views = Column(list, 3);
        comments = Column(list, 4);
        stars = Column(list, 5);
        hasIcon = SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0;
        Close(dialog);
    });
    RunPhotoListCommand(nullptr, client, {Index(L"Three photos")}, true, Settings());
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(driver.PendingSteps(), 0u);
    EXPECT_EQ(rows, 3);
    for (const auto* column : {&views, &comments, &stars})
        EXPECT_EQ(*column, std::vector<std::wstring>(3, L"-----"));
    EXPECT_TRUE(hasIcon);
    EXPECT_EQ(DetailRequests(), 0u) << "quick mode loads no details";
}

TEST_P(PhotoList, AlbumsAreNumberedInListOrderThenPhotoOrder)
{
    ScopedLanguage language(GetParam());
    WritePrivateProfileStringW(L"PhotoInfoDlg", L"SORT_COLUMN", L"1", ini.c_str());
    std::vector<std::wstring> numbers, albums, titles;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        HWND list = PhotoListOf(dialog);
        numbers = Column(list, 1);
        albums = Column(list, 0);
        titles = Column(list, 2);
        Close(dialog);
    });
    // As if the album list showed "Two photos" above "Three photos".
    RunPhotoListCommand(nullptr, client, {Index(L"Two photos"), Index(L"Three photos")}, true, Settings());
    EXPECT_EQ(numbers, (std::vector<std::wstring>{L"00001 - 0001", L"00001 - 0002", L"00002 - 0001",
                                                  L"00002 - 0002", L"00002 - 0003"}));
    EXPECT_EQ(albums, (std::vector<std::wstring>{L"Two photos", L"Two photos", L"Three photos", L"Three photos",
                                                 L"Three photos"}));
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"TWO_0001.JPG", L"TWO_0002.JPG", L"THREE_0001.JPG",
                                                 L"THREE_0002.JPG", L"THREE_0003.JPG"}));
}

TEST_P(PhotoList, FirstOpeningSortsByAlbumTitle)
{
    ScopedLanguage language(GetParam());
    std::vector<std::wstring> albums;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        albums = Column(PhotoListOf(dialog), 0);
        Close(dialog);
    });
    RunPhotoListCommand(nullptr, client, {Index(L"Two photos"), Index(L"Three photos")}, true, Settings());
    EXPECT_EQ(albums, (std::vector<std::wstring>{L"Three photos", L"Three photos", L"Three photos", L"Two photos",
                                                 L"Two photos"}));
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_COLUMN", -1, ini.c_str()), 0);
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_DESCENDING", -1, ini.c_str()), 0);
}

TEST_P(PhotoList, MediaColumnDescribesStillsAndVideosAndLinksToTheFiles)
{
    ScopedLanguage language(GetParam());
    const std::vector<PhotoListAlbum> albums =
        LoadPhotoListAlbums(client, {Index(L"Media"), Index(L"Two photos")}, true);
    ASSERT_EQ(albums.size(), 2u);
    ASSERT_EQ(albums[0].photos->size(), 4u);
    CPhotoInfoDlg dialog(albums, true, Settings());
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    HWND list = dialog.List().Handle();
    const std::wstring video = language.String(IDS_MEDIA_VIDEO);
    const struct {
        const wchar_t* title;
        std::wstring media;
    } cases[] = {
        {L"MEDIA_0001.JPG", language.String(IDS_MEDIA_STILL)},
        {L"MPEG4.MP4", video + L" ( 640x 480, 5[Sec] ,MPEG4)"},
        {L"FLASH.MOV", video + L" (1280x 720, 35[Sec] ,FLV)"},
        {L"OTHER.MOV", video + L" ( 320x 240, 12[Sec])"},
    };
    for (const auto& c : cases) {
        const int row = RowTitled(list, c.title);
        ASSERT_GE(row, 0) << TestEnv::Narrow(c.title);
        EXPECT_EQ(Cell(list, row, 13), c.media) << TestEnv::Narrow(c.title);
        EXPECT_TRUE(dialog.List().IsLinkCell(row, 12));
        EXPECT_TRUE(dialog.List().IsLinkCell(row, 13));
        const PhotoEntry* photo = nullptr;
        for (const PhotoEntry& p : *albums[0].photos)
            if (p.title == c.title)
                photo = &p;
        ASSERT_NE(photo, nullptr);
        EXPECT_EQ(dialog.List().GetCellLinkUrl(row, 12), photo->alternateLink);
        EXPECT_EQ(dialog.List().GetCellLinkUrl(row, 13), photo->mediaUrl);
        EXPECT_EQ(Cell(list, row, 12), photo->alternateLink);
        EXPECT_EQ(Cell(list, row, 11), photo->id);
    }
    EXPECT_NE(dialog.List().GetCellLinkUrl(RowTitled(list, L"MEDIA_0001.JPG"), 13).find(L"/s0/"), std::wstring::npos)
        << "a still links to its full-size image";
    EXPECT_NE(dialog.List().GetCellLinkUrl(RowTitled(list, L"MPEG4.MP4"), 13).find(L"/video/"), std::wstring::npos)
        << "a video links to its largest rendition";
    EXPECT_FALSE(dialog.List().IsLinkCell(0, 0));
    EXPECT_EQ(Rows(list), 6);
    EXPECT_EQ(dialog.List().ColumnSortType(3), SortLong);
    EXPECT_EQ(dialog.List().ColumnSortType(13), SortText);
}

TEST_P(PhotoList, DetailsNotDeliveredShowMinusOne)
{
    ScopedLanguage language(GetParam());
    const AlbumEntry three = client.GetAlbums()[Index(L"Three photos")];
    StandIn::Fault("{\"path\": \"/data/feed/api/user/lists/albumid/" + TestEnv::Narrow(three.id) +
                   "/photoid/\", \"status\": 500, \"body\": \"broken\", \"count\": -1}");
    std::wstring question;
    std::vector<std::vector<std::wstring>> failed, delivered;
    ModalDriver driver;
    driver.Then([&](HWND box) {
        question = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDYES, 0);
    });
    driver.Then([&](HWND dialog) {
        HWND list = PhotoListOf(dialog);
        for (int row = 0; row < Rows(list); ++row) {
            std::vector<std::wstring> cells;
            for (int column : {3, 4, 5, 6})
                cells.push_back(Cell(list, row, column));
            (Cell(list, row, 0) == L"Three photos" ? failed : delivered).push_back(cells);
        }
        Close(dialog);
    });
    RunPhotoListCommand(nullptr, client, {Index(L"Three photos"), Index(L"Two photos")}, false, Settings());
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(question, FormatText(language.String(IDS_ESTIMATE_FORMAT), {5, 0, 0}));
    ASSERT_EQ(failed.size(), 3u);
    for (const auto& cells : failed)
        EXPECT_EQ(cells, (std::vector<std::wstring>{L"-1", L"-1", L"0", kDetailsFailed}));
    ASSERT_EQ(delivered.size(), 2u);
    for (const auto& cells : delivered) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_NE(cells[size_t(i)], L"-----");
            EXPECT_GE(_wtoi(cells[size_t(i)].c_str()), 0);
        }
        EXPECT_NE(cells[3], kDetailsFailed);
    }
    EXPECT_EQ(DetailRequests(), 5u) << "one detail request per photo";
}

TEST_P(PhotoList, SortByTheSizeIsKeptForTheNextOpening)
{
    ScopedLanguage language(GetParam());
    const std::vector<size_t> chosen = {Index(L"Three photos"), Index(L"Two photos"), Index(L"Media")};
    std::vector<std::wstring> sizes;
    ModalDriver first;
    first.Then([&](HWND dialog) {
        HWND list = PhotoListOf(dialog);
        ClickHeader(list, 9);
        ClickHeader(list, 9);
        sizes = Column(list, 9);
        Close(dialog);
    });
    RunPhotoListCommand(nullptr, client, chosen, true, Settings());
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_COLUMN", -1, ini.c_str()), 9);
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_DESCENDING", -1, ini.c_str()), 1);
    EXPECT_NE(GetPrivateProfileIntW(L"PhotoInfoDlg", L"rectRight", 0, ini.c_str()), 0);
    ASSERT_EQ(sizes.size(), 9u);
    std::vector<int> numbers;
    for (const std::wstring& size : sizes)
        numbers.push_back(_wtoi(size.c_str()));
    EXPECT_TRUE(std::is_sorted(numbers.rbegin(), numbers.rend())) << "largest first";
    EXPECT_GT(numbers.front(), numbers.back());

    std::vector<std::wstring> again;
    int sortArrow = 0;
    ModalDriver second;
    second.Then([&](HWND dialog) {
        HWND list = PhotoListOf(dialog);
        again = Column(list, 9);
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMW, 9,
                     reinterpret_cast<LPARAM>(&item));
        sortArrow = item.fmt & (HDF_SORTDOWN | HDF_SORTUP | HDF_BITMAP);
        Close(dialog);
    });
    RunPhotoListCommand(nullptr, client, chosen, true, Settings());
    EXPECT_EQ(again, sizes);
    EXPECT_NE(sortArrow, 0) << "the header marks the sort";
}

TEST_P(PhotoList, WithoutAnyPhotosTheListIsEmptyAndTheSettingsAreWritten)
{
    ScopedLanguage language(GetParam());
    client.GetAlbums().push_back(AlbumEntry{});
    client.GetAlbums().back().id = L"1"; // no such album: the service answers 404
    client.GetAlbums().back().title = L"Gone";
    int rows = -1;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        rows = Rows(PhotoListOf(dialog));
        Close(dialog);
    });
    RunPhotoListCommand(nullptr, client, {client.GetAlbums().size() - 1}, true, Settings());
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_COLUMN", -1, ini.c_str()), 0);
    EXPECT_EQ(GetPrivateProfileIntW(L"PhotoInfoDlg", L"SORT_DESCENDING", -1, ini.c_str()), 0);
}

TEST_P(PhotoList, CopyPutsTheHeadersAndTheSelectedRowsOnTheClipboard)
{
    ScopedLanguage language(GetParam());
    std::wstring copied;
    std::string html;
    std::wstring pageUrl;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        HWND list = PhotoListOf(dialog);
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        pageUrl = Cell(list, 0, 12);
        // Ctrl+C, as the album list takes it.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE control = keys[VK_CONTROL];
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        SendMessageW(list, WM_KEYDOWN, 'C', 0);
        keys[VK_CONTROL] = control;
        SetKeyboardState(keys);
        copied = ClipboardUnicodeText();
        html = ClipboardHtml();
        Close(dialog);
    });
    RunPhotoListCommand(nullptr, client, {Index(L"Two photos")}, true, Settings());
    std::wstring headers;
    for (UINT id : {5100, 5101, 5102, 5103, 5104, 5105, 5106, 5107, 5108, 5109, 5110, 5112, 5111, 5113})
        headers += (headers.empty() ? L"" : L", ") + language.String(id);
    const size_t lineEnd = copied.find(L"\r\n");
    ASSERT_NE(lineEnd, std::wstring::npos) << TestEnv::Narrow(copied);
    EXPECT_EQ(copied.substr(0, lineEnd), headers);
    EXPECT_EQ(copied.find(L"\r\n", lineEnd + 2), std::wstring::npos) << "one row selected";
    EXPECT_NE(copied.find(pageUrl), std::wstring::npos);
    EXPECT_NE(html.find("<table>"), std::string::npos);
    EXPECT_NE(html.find("<a href="), std::string::npos) << "the link cells as links";
}

INSTANTIATE_TEST_SUITE_P(Languages, PhotoList, ::testing::Values("en", "ja"));
