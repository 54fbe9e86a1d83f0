// Chosen photos saved into one folder against the stand-in: full-size
// files under safe names with their dates, no index, and a second save that
// keeps what is there.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "backup/BackupFile.h"
#include "backup/BackupIndex.h"
#include "backup/BackupNames.h"
#include "backup/PhotoSave.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/TestEnv.h"

using TestEnv::Narrow;

TEST(PhotoSave, SavesTheChosenPhotosWholeDatedAndKeepsThemOnTheNextSave)
{
    StandIn::Reset();
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
    ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
    ASSERT_EQ(client.LoadAlbums(), 0u);
    std::wstring gardenId;
    for (const AlbumEntry& album : client.GetAlbums())
        if (album.title == L"Garden")
            gardenId = album.id;
    DWORD loaded = 1;
    const auto garden = client.LoadPhotos(gardenId, 0, &loaded);
    ASSERT_EQ(loaded, 0u);
    ASSERT_GE(garden->size(), 3u);
    const std::vector<PhotoEntry> chosen = {(*garden)[2], (*garden)[0]};
    const std::wstring folder = JoinPath(TestEnv::ScratchFolder("photo-save"), L"new folder");
    StandIn::ClearRequests();

    std::atomic<bool> stop{false};
    const PhotoSaveResult first = SavePhotos(client, chosen, folder, stop);
    EXPECT_EQ(first.states, (std::vector{PhotoSaveState::Saved, PhotoSaveState::Saved}));
    ASSERT_EQ(first.names.size(), 2u);
    for (size_t i = 0; i < chosen.size(); ++i) {
        SCOPED_TRACE(Narrow(first.names[i]));
        const std::wstring path = JoinPath(folder, first.names[i]);
        EXPECT_EQ(ExistingFileLength(path), ExpectedLength(chosen[i]));
        FILETIME expected{}, written{};
        ASSERT_TRUE(UtcTextToFileTime(chosen[i].timestamp, expected));
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        GetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
        EXPECT_EQ(CompareFileTime(&expected, &written), 0);
    }
    EXPECT_EQ(first.names[0], SafeFileName(chosen[0].title, L""));
    EXPECT_EQ(ExistingFileLength(JoinPath(folder, L"index.csv")), -1) << "no index";
    EXPECT_EQ(StandIn::RequestsOfKind("image").size(), 2u);

    StandIn::ClearRequests();
    const PhotoSaveResult again = SavePhotos(client, chosen, folder, stop);
    EXPECT_EQ(again.states, (std::vector{PhotoSaveState::Kept, PhotoSaveState::Kept}));
    EXPECT_TRUE(StandIn::RequestsOfKind("image").empty());
    StandIn::Reset();
}
