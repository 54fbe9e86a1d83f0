#include "backup/PhotoSave.h"

#include "app/ResourceText.h"
#include "backup/BackupFile.h"
#include "backup/BackupIndex.h"
#include "backup/BackupNames.h"
#include "backup/BackupRun.h"
#include "http/WinHttpDownload.h"
#include "res/resource.h"
#include "service/PicasaClient.h"

PhotoSaveResult SavePhotos(PicasaClient& client, const std::vector<PhotoEntry>& photos, const std::wstring& folder,
                           const std::atomic<bool>& stop, const std::function<bool(size_t done)>& goOn)
{
    PhotoSaveResult result;
    result.states.assign(photos.size(), PhotoSaveState::NotRun);
    result.names = EntryFileNames(photos);
    const std::wstring whole = FullPath(folder);
    if (!CreateDirectoryW(LongPath(whole).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        result.diskError = GetLastError();
        return result;
    }
    WinHttpDownload http;
    http.acceptUntrustedCertificates = client.Access().AcceptsUntrustedCertificates();
    for (size_t i = 0; i < photos.size(); ++i) {
        if ((goOn && !goOn(i)) || stop) {
            result.stopped = true;
            client.WriteLog(ResourceFormat(IDS_PHOTO_LOG_STOPPED, {int64_t(i), int64_t(photos.size())}));
            return result;
        }
        const PhotoEntry& photo = photos[i];
        BackupFileJob job;
        job.url = photo.mediaUrl;
        job.headers = client.Access().HeadersFor(photo.mediaUrl);
        job.folder = whole;
        job.fileName = result.names[i];
        job.expectedLength = ExpectedLength(photo);
        job.hasTime = UtcTextToFileTime(photo.timestamp, job.time);
        const int64_t existing = ExistingFileLength(JoinPath(whole, job.fileName));
        if (!photo.mediaUrl.empty() && NeedsDownload(existing, job.expectedLength, -1) == DownloadNeed::Keep) {
            result.states[i] = PhotoSaveState::Kept;
            client.WriteLog(ResourceFormat(IDS_PHOTO_LOG_KEPT, {job.fileName}));
            continue;
        }
        BackupFileResult saved;
        if (!photo.mediaUrl.empty())
            saved = DownloadToFile(http, job, stop, nullptr);
        if (saved.outcome == BackupFileOutcome::Saved) {
            result.states[i] = PhotoSaveState::Saved;
            client.WriteLog(ResourceFormat(IDS_PHOTO_LOG_SAVED, {job.fileName}));
            continue;
        }
        if (saved.outcome == BackupFileOutcome::Stopped) {
            result.stopped = true;
            client.WriteLog(ResourceFormat(IDS_PHOTO_LOG_STOPPED, {int64_t(i), int64_t(photos.size())}));
            return result;
        }
        result.states[i] = PhotoSaveState::Failed;
        client.WriteLog(ResourceFormat(IDS_PHOTO_LOG_SAVE_FAILED, {job.fileName, BackupFailureText(saved)}));
        if (saved.outcome == BackupFileOutcome::DiskFailed) {
            result.diskError = saved.error ? saved.error : ERROR_WRITE_FAULT;
            return result;
        }
    }
    if (goOn)
        goOn(photos.size());
    return result;
}
