#include "ui/transfer/PhotoSaveCommand.h"

#include <algorithm>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "backup/PhotoSave.h"
#include "base/SystemMessage.h"
#include "res/resource.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/transfer/BackupCommand.h"

void RunPhotoSaveCommand(HWND owner, PicasaClient& client, const std::vector<PhotoEntry>& photos,
                         const SettingsLocation& settings)
{
    if (photos.empty())
        return;
    const CIniFile ini(settings);
    std::wstring folder;
    if (!PickBackupFolder(owner, ini.ReadString(kBackupSection, kBackupFolderKey, L""), folder))
        return;
    ini.WriteString(kBackupSection, kBackupFolderKey, folder.c_str());
    RunPhotoSaveInto(owner, client, photos, folder);
}

void RunPhotoSaveInto(HWND owner, PicasaClient& client, const std::vector<PhotoEntry>& photos,
                      const std::wstring& folder)
{
    PhotoSaveResult result;
    {
        std::atomic<bool> stop{false};
        const int64_t total = int64_t(photos.size());
        BackgroundWork work([&](BackgroundWork& self) {
            result = SavePhotos(client, photos, folder, stop, [&self, total](size_t done) {
                self.Report(done, uint64_t(total), ResourceFormat(IDS_PHOTO_PROGRESS_FORMAT, {int64_t(done), total}));
                return !self.CancelRequested();
            });
        });
        CProgressDlg::Run(owner, work, ResourceString(IDS_PHOTO_PROGRESS_SAVE));
    }
    std::wstring text;
    UINT icon = MB_ICONINFORMATION;
    if (result.diskError) {
        text = ResourceFormat(IDS_PHOTO_SAVE_DISK_FAILED, {folder, SystemMessage(result.diskError)});
        icon = MB_ICONERROR;
    } else {
        const auto count = [&](PhotoSaveState state) {
            return int64_t(std::count(result.states.begin(), result.states.end(), state));
        };
        text = ResourceFormat(IDS_PHOTO_SAVE_SUMMARY, {count(PhotoSaveState::Saved), count(PhotoSaveState::Kept),
                                                       count(PhotoSaveState::Failed), folder});
        if (result.stopped)
            text += L"\n\n" + ResourceString(IDS_BACKUP_CANCELLED);
        if (count(PhotoSaveState::Failed) || result.stopped)
            icon = MB_ICONWARNING;
    }
    MessageBoxW(owner, text.c_str(), ResourceString(IDS_PHOTO_CAPTION_RESULT).c_str(), icon | MB_OK);
}
