// The photo list's commands through the real windows of the English module,
// against the stand-in: caption three photos, move one, delete one and save
// two, then what the stand-in and the folder hold; and the properties
// dialog keeping its entries when the photo changed meanwhile.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "backup/BackupFile.h"
#include "backup/BackupNames.h"
#include "res/resource.h"
#include "tests/ui/albums/AlbumDialogTest.h"
#include "ui/photos/CPhotoPropertiesDlg.h"
#include "ui/photos/PhotoListCommand.h"
#include "ui/transfer/PhotoSaveCommand.h"

using namespace AlbumDialogTest;
using TestEnv::Narrow;

namespace {

constexpr int kIdColumn = 11;
constexpr int kCaptionColumn = 10;

class PhotoCommandsWindow : public SignedIn
{
protected:
    PhotoCommandsWindow() : SignedIn("demo", "demo@example.com", L"demo") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SignedIn::SetUp());
        ASSERT_EQ(client.LoadAlbums(), 0u);
    }

    size_t Index(const std::wstring& title)
    {
        const auto& albums = client.GetAlbums();
        for (size_t i = 0; i < albums.size(); ++i)
            if (albums[i].title == title)
                return i;
        ADD_FAILURE() << "no album " << Narrow(title);
        return 0;
    }

    static void Select(HWND list, std::initializer_list<int> rows)
    {
        LVITEMW none = {};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&none));
        for (int row : rows) {
            LVITEMW item = {};
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        }
    }

    static std::wstring Cell(HWND list, int row, int column)
    {
        wchar_t text[512] = L"";
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = int(std::size(text));
        SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }

    static Json Stored(const std::wstring& albumId, const std::wstring& photoId)
    {
        const Json photos = StandIn::Control("GET", "photos?album=" + Narrow(albumId)); // kept: the loop reads into it
        for (const Json& photo : photos["photos"].array)
            if (photo["id"].string == Narrow(photoId))
                return photo;
        return Json();
    }

    std::vector<Box> boxes;
};

} // namespace

TEST_P(PhotoCommandsWindow, CaptionThreeMoveOneDeleteOneAndSaveTwo)
{
    const std::wstring family = client.GetAlbums()[Index(L"Family")].id;
    const std::wstring hokkaido = client.GetAlbums()[Index(L"Hokkaido summer")].id;
    const std::wstring saved = JoinPath(folder, L"saved");
    std::vector<std::wstring> captioned, captionsShown;
    std::wstring moved, deleted, rowsAfterMove, movedRowGone;
    int rowsBefore = 0, rowsAfter = 0;
    std::wstring firstAfterDelete;

    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_PHOTOS);
        rowsBefore = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        // Caption and tags of three photos at once.
        Select(list, {0, 1, 2});
        for (int row : {0, 1, 2})
            captioned.push_back(Cell(list, row, kIdColumn));
        Press(dialog, ID_PHOTO_PROPERTIES);
        for (int row : {0, 1, 2})
            captionsShown.push_back(Cell(list, row, kCaptionColumn));
        // One photo to another album: its row goes.
        Select(list, {3});
        moved = Cell(list, 3, kIdColumn);
        Press(dialog, ID_PHOTO_MOVE);
        // The first photo deleted, after the question.
        Select(list, {0});
        deleted = Cell(list, 0, kIdColumn);
        Press(dialog, ID_PHOTO_DELETE);
        firstAfterDelete = Cell(list, 0, kIdColumn);
        rowsAfter = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        // Two saved into a folder.
        Select(list, {0, 1});
        Press(dialog, ID_PHOTO_SAVE);
        Cancel(dialog);
    });
    driver.Then([&](HWND properties) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(properties, IDC_PHOTO_TITLE))) << "three photos: no title";
        SetDlgItemTextW(properties, IDC_PHOTO_SUMMARY, L"Sunny day");
        SetDlgItemTextW(properties, IDC_PHOTO_KEYWORDS, L"sun, sky");
        Press(properties, IDOK);
    });
    driver.Then([&](HWND move) {
        HWND albums = GetDlgItem(move, IDC_MOVE_ALBUMS);
        const int count = int(SendMessageW(albums, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            EXPECT_NE(Cell(albums, row, 0), L"Family") << "not the album the photo is in";
            if (Cell(albums, row, 0) == L"Hokkaido summer")
                Select(albums, {row});
        }
        Press(move, IDOK);
    });
    driver.Then(Answer(boxes, IDYES));
    driver.Then(Answer(boxes, IDOK));

    const bool changed = RunPhotoListCommand(nullptr, client, {Index(L"Family")}, true, Settings(), nullptr,
                                             [&](HWND owner, const std::vector<PhotoEntry>& photos) {
                                                 RunPhotoSaveInto(owner, client, photos, saved);
                                             });
    EXPECT_TRUE(changed);
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(driver.PendingSteps(), 0u);

    ASSERT_EQ(captioned.size(), 3u);
    EXPECT_EQ(captionsShown, std::vector<std::wstring>(3, L"Sunny day")) << "the rows show the new caption";
    for (size_t i = 1; i < 3; ++i) {
        const Json photo = Stored(family, captioned[i]);
        EXPECT_EQ(photo["summary"].string, "Sunny day") << i;
        EXPECT_EQ(photo["tags"].string, "sun,sky") << i;
    }
    EXPECT_EQ(Stored(hokkaido, moved)["album_id"].string, Narrow(hokkaido));
    EXPECT_EQ(Stored(family, moved).kind, Json::Kind::Null);
    EXPECT_EQ(deleted, captioned[0]);
    EXPECT_EQ(Stored(family, deleted).kind, Json::Kind::Null);
    EXPECT_EQ(rowsAfter, rowsBefore - 2);
    EXPECT_NE(firstAfterDelete, deleted);

    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].buttons, (std::vector{IDYES, IDNO}));
    EXPECT_NE(boxes[0].text.find(L"from 'Family'? This cannot be undone."), std::wstring::npos)
        << Narrow(boxes[0].text);
    EXPECT_NE(boxes[1].text.find(L"2 photos saved"), std::wstring::npos) << Narrow(boxes[1].text);
    WIN32_FIND_DATAW found{};
    size_t files = 0;
    HANDLE search = FindFirstFileW(JoinPath(saved, L"*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do
        files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 2u);

    // A line per photo in the log.
    size_t changedLines = 0;
    for (const std::string& line : LogLines())
        changedLines += line.rfind("Photo changed: ", 0) == 0;
    EXPECT_EQ(changedLines, 3u);
}

TEST_P(PhotoCommandsWindow, APhotoChangedMeanwhileKeepsTheEntriesAndTheNextOkAppliesThem)
{
    DWORD loaded = 1;
    auto photos = client.LoadPhotos(client.GetAlbums()[Index(L"Garden")].id, 1, &loaded);
    ASSERT_EQ(loaded, 0u);
    PhotoEntry& photo = (*photos)[0];
    PhotoEntry elsewhere = photo;
    PhotoChanges theirs;
    theirs.summary = L"theirs";
    ASSERT_EQ(client.UpdatePhoto(elsewhere, theirs), 0u);

    std::wstring titleAfter, summaryAfter, keywordsAfter;
    ModalDriver driver;
    driver.Then([&](HWND dialog) {
        SetDlgItemTextW(dialog, IDC_PHOTO_TITLE, L"Mine.jpg");
        SetDlgItemTextW(dialog, IDC_PHOTO_SUMMARY, L"mine");
        SetDlgItemTextW(dialog, IDC_PHOTO_KEYWORDS, L"a, b");
        Press(dialog, IDOK);
        wchar_t text[256];
        GetDlgItemTextW(dialog, IDC_PHOTO_TITLE, text, 256);
        titleAfter = text;
        GetDlgItemTextW(dialog, IDC_PHOTO_SUMMARY, text, 256);
        summaryAfter = text;
        GetDlgItemTextW(dialog, IDC_PHOTO_KEYWORDS, text, 256);
        keywordsAfter = text;
        Press(dialog, IDOK);
    });
    driver.Then(Answer(boxes, IDOK));
    CPhotoPropertiesDlg dialog(client, {&photo});
    EXPECT_EQ(dialog.DoModal(nullptr), 1);
    EXPECT_TRUE(driver.Unexpected().empty());

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"was changed meanwhile"), std::wstring::npos) << Narrow(boxes[0].text);
    EXPECT_EQ(titleAfter, L"Mine.jpg");
    EXPECT_EQ(summaryAfter, L"mine");
    EXPECT_EQ(keywordsAfter, L"a, b");
    const Json stored = Stored(photo.albumId, photo.id);
    EXPECT_EQ(stored["title"].string, "Mine.jpg");
    EXPECT_EQ(stored["summary"].string, "mine");
    EXPECT_EQ(stored["tags"].string, "a,b");
    size_t patches = 0;
    for (const Json& request : StandIn::Requests())
        patches += request["kind"].string == "photo_patch";
    EXPECT_EQ(patches, 3u) << "theirs, the refused one, and the one after it";
}

INSTANTIATE_TEST_SUITE_P(English, PhotoCommandsWindow, ::testing::Values("en"));
