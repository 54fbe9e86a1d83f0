// Upload of a folder: the comparison with the album as a table, the folder's
// listing and order, and runs against the stand-in (again after new files,
// after a Cancel, after a lost answer), and the album window's dropped folder.
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/albums/AlbumWindowFixture.h"
#include "tests/ui/transfer/DropFiles.h"
#include "ui/albums/CToolDlg.h"
#include "ui/transfer/FolderUpload.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <map>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

using TestEnv::PatternBytes;

std::wstring GetDlgItemTextW(HWND dialog, int id)
{
    wchar_t text[1000] = L"";
    ::GetDlgItemTextW(dialog, id, text, 1000);
    return text;
}

PhotoEntry Photo(const std::wstring& title, int32_t size)
{
    PhotoEntry photo;
    photo.title = title;
    photo.size = size;
    return photo;
}

FolderFile File(const std::wstring& name, uint64_t size)
{
    FolderFile file;
    file.name = name;
    file.path = L"C:\\pictures\\" + name;
    file.size = size;
    file.check = CheckUpload(name, true, size);
    return file;
}

TEST(FolderCompare, AFileIsThereOnlyWithTheAlbumsNameAndSize)
{
    const std::vector<PhotoEntry> album = {
        Photo(L"IMG_0001.JPG", 1000), Photo(L"dup.jpg", 200),     Photo(L"dup.jpg", 300),
        Photo(L"clip.mp4", 5000),     Photo(L"\u00c9lan.png", 400), Photo(L"stra\u00dfe.jpg", 500),
        Photo(L"i.jpg", 50),          Photo(L"unsized.jpg", 0),
    };
    struct Row
    {
        const wchar_t* name;
        uint64_t size;
        FolderFileState state;
        const char* why;
    };
    const Row rows[] = {
        {L"img_0001.jpg", 1000, FolderFileState::There, "same name in another case"},
        {L"IMG_0001.JPG", 1001, FolderFileState::New, "same name, another size"},
        {L"dup.jpg", 300, FolderFileState::There, "a name the album holds twice, the second's size"},
        {L"DUP.JPG", 200, FolderFileState::There, "a name the album holds twice, the first's size"},
        {L"dup.jpg", 250, FolderFileState::New, "a name the album holds twice, neither size"},
        {L"clip.mp4", 5000, FolderFileState::There, "a video"},
        {L"CLIP.mp4", 4999, FolderFileState::New, "a video of another size"},
        {L"notes.txt", 1000, FolderFileState::CannotUpload, "a type the service takes no media for"},
        {L"IMG_0001", 1000, FolderFileState::CannotUpload, "no extension"},
        {L"empty.jpg", 0, FolderFileState::CannotUpload, "empty"},
        {L"\u00e9lan.png", 400, FolderFileState::There, "a letter beyond ASCII in another case"},
        {L"STRASSE.jpg", 500, FolderFileState::New, "\u00df is not SS in a file name"},
        {L"\u0130.jpg", 50, FolderFileState::New, "dotted capital I is not i"},
        {L"IMG_0001.JPG.jpg", 1000, FolderFileState::New, "the album's name as a prefix only"},
        {L"MG_0001.JPG", 1000, FolderFileState::New, "the album's name as a suffix only"},
        {L"unsized.jpg", 700, FolderFileState::New, "an entry without a size holds nothing"},
        {L"big.jpg", kUploadPhotoLimit + 1, FolderFileState::CannotUpload, "over the photo limit"},
    };
    std::vector<FolderFile> files;
    for (const Row& row : rows)
        files.push_back(File(row.name, row.size));
    const FolderPlan plan = CompareFolderWithAlbum(files, album);
    ASSERT_EQ(plan.states.size(), std::size(rows));
    size_t newFiles = 0, there = 0, cannot = 0;
    uint64_t newBytes = 0;
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(plan.states[i], rows[i].state) << rows[i].why;
        newFiles += rows[i].state == FolderFileState::New;
        newBytes += rows[i].state == FolderFileState::New ? rows[i].size : 0;
        there += rows[i].state == FolderFileState::There;
        cannot += rows[i].state == FolderFileState::CannotUpload;
    }
    EXPECT_EQ(plan.newFiles, newFiles);
    EXPECT_EQ(plan.newBytes, newBytes);
    EXPECT_EQ(plan.there, there);
    EXPECT_EQ(plan.cannot, cannot);
    // What goes to the upload: everything but what is there.
    EXPECT_EQ(plan.PathsToUpload().size(), newFiles + cannot);
}

TEST(FolderCompare, TheFolderIsListedInExplorersOrderWithoutSubfoldersOrSystemFiles)
{
    const std::wstring folder = TestEnv::ScratchFolder("folder-upload-listing");
    for (const wchar_t* name : {L"img10.jpg", L"img2.jpg", L"IMG1.jpg", L"a.txt", L"Scan 100.png", L"scan 9.png",
                                L"zz.jpg"})
        TestEnv::WriteBytes(folder, name, "abc");
    CreateDirectoryW((folder + L"\\sub.jpg").c_str(), nullptr);
    TestEnv::WriteBytes(folder + L"\\sub.jpg", L"inner.jpg", "abc");
    const std::wstring thumbs = TestEnv::WriteBytes(folder, L"Thumbs.db", "abc");
    SetFileAttributesW(thumbs.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    TestEnv::WriteBytes(folder, L"big.png", PatternBytes(70000, 1));

    std::vector<FolderFile> files;
    ASSERT_EQ(ListUploadFolder(folder, files), 0u);
    std::vector<std::wstring> names;
    for (const FolderFile& file : files)
        names.push_back(file.name);
    std::vector<std::wstring> expected = {L"a.txt",      L"big.png",      L"IMG1.jpg", L"img2.jpg",
                                          L"img10.jpg", L"scan 9.png", L"Scan 100.png", L"zz.jpg"};
    // Where the file system keeps no DOS attributes, Thumbs.db is a plain file.
    const DWORD attributes = GetFileAttributesW(thumbs.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    if (!(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        expected.insert(expected.begin() + 7, L"Thumbs.db");
    EXPECT_EQ(names, expected);
    ASSERT_EQ(files.size(), expected.size());
    EXPECT_EQ(files[1].size, 70000u);
    EXPECT_EQ(files[1].path, folder + L"\\big.png");
    EXPECT_EQ(files[0].check, UploadCheck::UnknownType);

    std::vector<FolderFile> none;
    EXPECT_EQ(ListUploadFolder(folder + L"\\missing", none), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(FolderCompare, TimeLeftOnceItCanBeTold)
{
    struct Row
    {
        uint64_t elapsedMs, sent, total;
        int64_t left;
    };
    const Row rows[] = {
        {5000, 0, 100, -1},          // nothing sent yet
        {1999, 50, 100, -1},         // too early to tell
        {2000, 50, 100, 2},          {3000, 1, 1000, 2997}, {2000, 100, 100, 0},
        {2500, 3, 10, 6},            // 5.83 s rounds up
        {4000, 200, 100, -1},        // more sent than there is: no guess
        {1ull << 40, 1, 1ull << 40, 360000}, // a guess of ages: capped, not overflowed
        {3600000, 1, 101, 360000},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SecondsLeft(row.elapsedMs, row.sent, row.total), row.left)
            << row.elapsedMs << " ms, " << row.sent << " of " << row.total;
}

TEST(FolderCompare, MegabytesWithADecimalOnlyBelowTen)
{
    const std::pair<uint64_t, const wchar_t*> rows[] = {
        {0, L"0.0"},          {52428, L"0.0"},          {52429, L"0.1"},          {10380902, L"9.9"},
        {10433331, L"9.9"},   {10433332, L"10"},        {432328704, L"412"},      {5ull << 40, L"5242880"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FolderMegabytes(row.first), row.second) << row.first;
}

TEST(FolderCompare, ANewAlbumIsTitledAfterTheFolder)
{
    EXPECT_EQ(FolderTitle(L"C:\\Users\\me\\Pictures\\Kyoto 2024"), L"Kyoto 2024");
    EXPECT_EQ(FolderTitle(L"C:\\Pictures\\Kyoto\\"), L"Kyoto");
    EXPECT_EQ(FolderTitle(L"D:\\"), L"D");
    EXPECT_EQ(FolderTitle(L"\\\\server\\share\\\u7d05\u8449"), L"\u7d05\u8449");
}

class FolderUpload : public AlbumWindowFixture
{
protected:
    FolderUpload() : AlbumWindowFixture("folder-upload") {}

    void SignIn()
    {
        AlbumWindowFixture::SignIn();
        ASSERT_EQ(client->LoadAlbums(), 0u);
        StandIn::ClearRequests();
    }
    AlbumEntry Album(const std::wstring& title)
    {
        for (const AlbumEntry& a : client->GetAlbums())
            if (a.title == title)
                return a;
        ADD_FAILURE() << "no album " << TestEnv::Narrow(title);
        return {};
    }
    // The folder's plan against the album, then its upload, as the command
    // runs them.
    UploadRun Run(const AlbumEntry& album, const std::wstring& from, FolderPlan* planOut = nullptr,
                  const UploadProgressFn& progress = nullptr)
    {
        FolderPreparation prepared = PrepareFolderUpload(*client, album.id, from, nullptr);
        EXPECT_EQ(prepared.folderError, 0u);
        EXPECT_FALSE(prepared.albumFailed || prepared.cancelled);
        if (planOut)
            *planOut = prepared.plan;
        return UploadIntoAlbum(*client, album, prepared.plan.PathsToUpload(), progress);
    }
    // Each title of the album and how often it is there.
    std::map<std::wstring, int> Titles(const AlbumEntry& album)
    {
        DWORD result = 1;
        const auto photos = client->LoadPhotos(album.id, 1, &result);
        EXPECT_EQ(result, 0u);
        std::map<std::wstring, int> titles;
        for (const PhotoEntry& photo : *photos)
            ++titles[photo.title];
        return titles;
    }
    std::wstring Picture(const std::wstring& in, int n, size_t size = 3000)
    {
        wchar_t name[32];
        swprintf(name, 32, L"IMG_%d.jpg", n);
        return TestEnv::WriteBytes(in, name, PatternBytes(size, n));
    }
    static size_t Posts() { return CountRequests("POST"); }
};

// Guards the skip of what is there (FolderPlan::PathsToUpload): without it
// the second run sent all 25 files again.
TEST_P(FolderUpload, ASecondRunSendsOnlyTheFilesAddedSince)
{
    SignIn();
    const AlbumEntry album = Album(L"Empty album");
    const std::wstring pictures = TestEnv::ScratchFolder("folder-upload-twenty");
    for (int n = 1; n <= 20; ++n)
        Picture(pictures, n);
    TestEnv::WriteBytes(pictures, L"notes.txt", "not a picture");
    FolderPlan plan;
    UploadRun run = Run(album, pictures, &plan);
    EXPECT_EQ(plan.newFiles, 20u);
    EXPECT_EQ(plan.cannot, 1u);
    EXPECT_EQ(run.Uploaded(), 20);
    EXPECT_EQ(run.Refused(), 1);
    EXPECT_EQ(Posts(), 20u);
    // Sent in Explorer's order.
    ASSERT_GE(run.items.size(), 11u);
    EXPECT_EQ(run.items[1].name, L"IMG_2.jpg");
    EXPECT_EQ(run.items[9].name, L"IMG_10.jpg");

    for (int n = 21; n <= 25; ++n)
        Picture(pictures, n);
    StandIn::ClearRequests();
    run = Run(album, pictures, &plan);
    EXPECT_EQ(plan.newFiles, 5u);
    EXPECT_EQ(plan.there, 20u);
    EXPECT_EQ(run.Uploaded(), 5);
    EXPECT_EQ(Posts(), 5u);

    StandIn::ClearRequests();
    run = Run(album, pictures, &plan);
    EXPECT_EQ(plan.newFiles, 0u);
    EXPECT_EQ(plan.there, 25u);
    EXPECT_EQ(Posts(), 0u);

    const std::map<std::wstring, int> titles = Titles(album);
    EXPECT_EQ(titles.size(), 25u);
    for (const auto& [title, count] : titles)
        EXPECT_EQ(count, 1) << TestEnv::Narrow(title);
}

TEST_P(FolderUpload, ARunCutOffHalfWayIsFinishedByTheNextWithEveryFileOnce)
{
    SignIn();
    const AlbumEntry album = Album(L"Empty album");
    const std::wstring pictures = TestEnv::ScratchFolder("folder-upload-cancel");
    // Three pieces each, so that the tenth is cut in the middle.
    for (int n = 1; n <= 20; ++n)
        Picture(pictures, n, (2u << 20) + 1000);
    bool cut = false;
    UploadRun run = Run(album, pictures, nullptr, [&](const UploadProgress& progress) {
        // Cancel as the window's does it: the file in flight is cut short.
        if (progress.file == 10 && progress.sent > 9 * ((2u << 20) + 1000) + (1u << 20) && !cut) {
            cut = true;
            client->AbortRequests();
        }
        return !cut;
    });
    client->ResumeRequests();
    EXPECT_TRUE(cut);
    EXPECT_TRUE(run.cancelled);
    EXPECT_EQ(run.Uploaded(), 9);
    ASSERT_EQ(run.items.size(), 20u);
    EXPECT_EQ(run.items[9].end, UploadEnd::Cancelled);
    EXPECT_EQ(Titles(album).count(L"IMG_10.jpg"), 0u) << "a file cut short is not kept";

    FolderPlan plan;
    run = Run(album, pictures, &plan);
    EXPECT_EQ(plan.there, 9u);
    EXPECT_EQ(run.Uploaded(), 11);
    const std::map<std::wstring, int> titles = Titles(album);
    EXPECT_EQ(titles.size(), 20u);
    for (const auto& [title, count] : titles)
        EXPECT_EQ(count, 1) << TestEnv::Narrow(title);
}

// A file whose answer was lost after it went out whole: the service kept
// it, so the next run finds it there and does not send it again.
TEST_P(FolderUpload, AFileWhoseAnswerWasLostIsNotSentAgain)
{
    SignIn();
    const AlbumEntry album = Album(L"Empty album");
    const std::wstring pictures = TestEnv::ScratchFolder("folder-upload-lost");
    for (int n = 1; n <= 3; ++n)
        Picture(pictures, n);
    const std::string feed = TestEnv::Narrow(client->AlbumFeedUrl(album.id)).substr(StandIn::Base().size());
    StandIn::Fault("{\"path\": \"" + feed + "\", \"method\": \"POST\", \"action\": \"cut_body\", \"keep\": 0, "
                   "\"skip\": 1}");
    UploadRun run = Run(album, pictures);
    ASSERT_EQ(run.items.size(), 3u);
    EXPECT_NE(run.items[1].end, UploadEnd::Cancelled);
    EXPECT_EQ(Posts(), 3u);

    StandIn::ClearRequests();
    FolderPlan plan;
    run = Run(album, pictures, &plan);
    EXPECT_EQ(plan.there, 3u);
    EXPECT_EQ(Posts(), 0u);
    EXPECT_EQ(Titles(album).at(L"IMG_2.jpg"), 1);
}

// Guards the stop in PrepareFolderUpload when the album's photo list fails:
// without it every file looked new and the album got them all again.
TEST_P(FolderUpload, AnAlbumWhosePhotoListCannotBeReadGetsNothing)
{
    SignIn();
    const AlbumEntry album = Album(L"Garden");
    const std::wstring pictures = TestEnv::ScratchFolder("folder-upload-no-list");
    Picture(pictures, 1);
    const std::string feed = TestEnv::Narrow(client->AlbumFeedUrl(album.id)).substr(StandIn::Base().size());
    StandIn::Fault("{\"path\": \"" + feed + "\", \"method\": \"GET\", \"status\": 500, \"count\": -1}");
    const FolderPreparation prepared = PrepareFolderUpload(*client, album.id, pictures, nullptr);
    EXPECT_TRUE(prepared.albumFailed);
    EXPECT_EQ(prepared.plan.newFiles, 0u);
    EXPECT_TRUE(prepared.plan.PathsToUpload().empty());
}

// The album window: a folder dropped off the rows becomes a new album;
// dropped again on that album's row, only what was added goes.
TEST_P(FolderUpload, ADroppedFolderBecomesAnAlbumAndASecondDropAsksAboutTheNewFilesOnly)
{
    SignIn();
    ASSERT_NE(Open(), nullptr);
    const std::wstring pictures = TestEnv::ScratchFolder("Folder drop");
    for (int n = 1; n <= 3; ++n)
        Picture(pictures, n, 400000);
    TestEnv::WriteBytes(pictures, L"notes.txt", "not a picture");

    ModalDriver driver;
    driver.Ignore(window->Handle());
    std::wstring target, counts, cannot, summary;
    driver.Then([&](HWND question) {
        target = GetDlgItemTextW(question, IDC_FOLDER_UPLOAD_TARGET);
        counts = GetDlgItemTextW(question, IDC_FOLDER_UPLOAD_COUNTS);
        wchar_t line[200] = L"";
        SendDlgItemMessageW(question, IDC_FOLDER_UPLOAD_LIST, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
        cannot = line;
        SendMessageW(question, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    driver.Then([&](HWND box) {
        summary = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageW(window->Handle(), WM_DROPFILES, WPARAM(MakeDrop({2, 2}, {pictures})), 0);
    EXPECT_EQ(target, L"The photos and videos of " + pictures + L" into a new album \"Folder drop\":");
    EXPECT_EQ(counts, L"3 new files, 1.1 MB; 1 file Quillon cannot upload: see the list");
    EXPECT_EQ(cannot, L"notes.txt: not a type of photo or video the service takes");
    EXPECT_EQ(summary.substr(0, summary.find(L"\r\n")),
              L"Upload into \"Folder drop\": 3 sent, 0 skipped (already in the album), 1 refused, 0 failed.");
    ASSERT_GE(RowOf(L"Folder drop"), 0);
    EXPECT_TRUE(window->IsRowSelected(RowOf(L"Folder drop")));
    EXPECT_EQ(PhotosOf(L"Folder drop"), 3);

    // Two more, dropped on the album's row: the question counts them alone.
    Picture(pictures, 4, 1000);
    Picture(pictures, 5, 1000);
    RECT cell = {};
    cell.left = LVIR_LABEL;
    SendMessageW(window->List().Handle(), LVM_GETITEMRECT, WPARAM(RowOf(L"Folder drop")),
                 reinterpret_cast<LPARAM>(&cell));
    POINT at = {cell.left + 5, (cell.top + cell.bottom) / 2};
    MapWindowPoints(window->List().Handle(), window->Handle(), &at, 1);
    StandIn::ClearRequests();
    driver.Then([&](HWND question) {
        counts = GetDlgItemTextW(question, IDC_FOLDER_UPLOAD_COUNTS);
        SendMessageW(question, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    SendMessageW(window->Handle(), WM_DROPFILES, WPARAM(MakeDrop(at, {pictures})), 0);
    EXPECT_EQ(counts, L"2 new files, 0.0 MB; 3 already in the album; 1 file Quillon cannot upload: see the list");
    EXPECT_EQ(Posts(), 0u) << "cancelled at the question";
    EXPECT_EQ(driver.PendingSteps(), 0u);
    EXPECT_TRUE(driver.Unexpected().empty());
}

// The button with several albums selected asks for one (or none).
TEST_P(FolderUpload, TheButtonWithSeveralAlbumsSelectedAsksForOne)
{
    SignIn();
    ASSERT_NE(Open(), nullptr);
    SelectOnly({L"Garden", L"Empty album"});
    EXPECT_EQ(AnsweredBoxes({[&] { Command(IDC_UPLOAD_FOLDER); }}),
              std::vector<std::wstring>{L"Upload|Select the one album the folder should go into, or no album to "
                                        L"make a new one of the folder."});
    EXPECT_EQ(Posts(), 0u);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(English, FolderUpload, ::testing::Values("en"));
