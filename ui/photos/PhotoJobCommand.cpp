#include "ui/photos/PhotoJobCommand.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CProgressDlg.h"

PhotoJobResult RunPhotoJobWithProgress(HWND owner, PicasaClient& client, const std::vector<PhotoEntry*>& photos,
                                       PhotoJobKind kind,
                                       const std::function<PhotoChanges(const PhotoEntry&)>& changesFor,
                                       const std::wstring& targetAlbumId, const std::wstring& targetTitle,
                                       UINT captionId)
{
    PhotoJobResult result;
    const int64_t total = int64_t(photos.size());
    // No cut on Cancel: a change in flight ends with its answer, so that it
    // is known whether it was made.
    BackgroundWork work([&](BackgroundWork& self) {
        result = RunPhotoJob(client, photos, kind, changesFor, targetAlbumId, targetTitle, [&self, total](size_t done) {
            self.Report(done, uint64_t(total), ResourceFormat(IDS_PHOTO_PROGRESS_FORMAT, {int64_t(done), total}));
            return !self.CancelRequested();
        });
    });
    CProgressDlg::Run(owner, work, ResourceString(captionId));
    return result;
}

std::wstring PhotoJobFailures(const std::vector<std::wstring>& titles, const PhotoJobResult& result)
{
    std::wstring lines;
    for (size_t i = 0; i < result.states.size() && i < titles.size(); ++i) {
        std::wstring why;
        switch (result.states[i]) {
        case PhotoState::Failed:
            why = ResourceFormat(IDS_PHOTO_STATE_FAILED, {result.statuses[i]});
            break;
        case PhotoState::Stale:
            why = ResourceString(IDS_PHOTO_STATE_STALE);
            break;
        case PhotoState::Unknown:
            why = ResourceString(IDS_PHOTO_STATE_UNKNOWN);
            break;
        default:
            continue;
        }
        lines += (lines.empty() ? L"" : L"\n") + titles[i] + L": " + why;
    }
    return lines;
}
