#include "ui/transfer/FolderUploadCommand.h"

#include <set>

#include "app/ResourceText.h"
#include "base/SystemMessage.h"
#include "res/resource.h"
#include "service/PhotoLoadProgress.h"
#include "service/PicasaClient.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/transfer/CFolderUploadDlg.h"
#include "ui/transfer/FolderUpload.h"

namespace {

// Work off the window's thread with its progress window; with cutShort,
// Cancel closes the requests under way. False when the user cancelled.
bool RunWithProgress(HWND owner, PicasaClient& client, UINT caption, BackgroundWork::Work work, bool cutShort,
                     RunningWork* running)
{
    bool finished = false;
    {
        std::function<void()> onCancel;
        if (cutShort)
            onCancel = [&client] { client.AbortRequests(); };
        BackgroundWork background(std::move(work), std::move(onCancel));
        finished = CProgressDlg::Run(GetLastActivePopup(owner), background, ResourceString(caption), running,
                                     cutShort ? CProgressDlg::Cancel::Offered : CProgressDlg::Cancel::NotOffered);
    }
    if (cutShort)
        client.ResumeRequests();
    return finished;
}

class WorkProgress : public PhotoLoadProgress
{
public:
    explicit WorkProgress(BackgroundWork& work) : work_(work) {}
    void PhotosDone(uint32_t photos) override
    {
        done_ += photos;
        work_.Report(done_, 0);
    }
    bool CancelRequested() override { return work_.CancelRequested(); }

private:
    BackgroundWork& work_;
    uint64_t done_ = 0;
};

// Status and words of the last failed request, for a message.
std::wstring FailureWords(const PicasaClient& client)
{
    std::wstring words = client.GetLastFailureCause();
    if (words.empty())
        words = client.GetLastServiceError();
    const std::wstring status = client.GetLastStatus();
    if (!status.empty())
        words = words.empty() ? L"HTTP " + status : L"HTTP " + status + L": " + words;
    return words;
}

void Tell(HWND owner, const std::wstring& text, UINT icon)
{
    MessageBoxW(owner, text.c_str(), ResourceString(IDS_CAPTION_UPLOAD).c_str(), MB_OK | icon);
}

// Makes the new album; true with target.album the album as listed.
bool MakeAlbum(HWND owner, PicasaClient& client, FolderTarget& target, RunningWork* running,
               FolderUploadOutcome& outcome)
{
    std::set<std::wstring> before;
    for (const AlbumEntry& album : client.GetAlbums())
        before.insert(album.id);
    DWORD created = ERROR_CANCELLED;
    bool unknown = false;
    DWORD listed = ERROR_CANCELLED;
    std::wstring failure;
    RunWithProgress(owner, client, IDS_PROGRESS_FOLDER_CREATE, [&](BackgroundWork&) {
        created = client.CreateAlbum(target.album.title, L"", L"", target.access, target.timeSeconds);
        unknown = created != ERROR_SUCCESS && client.IsLastOutcomeUnknown();
        if (created != ERROR_SUCCESS)
            failure = FailureWords(client);
        // Made, or perhaps made: the list says which album is the new one.
        if (created == ERROR_SUCCESS || unknown)
            listed = client.LoadAlbums();
    }, false, running);
    if (listed == ERROR_SUCCESS) {
        outcome.changed = true;
        for (const AlbumEntry& album : client.GetAlbums()) {
            if (album.title == target.album.title && !before.count(album.id)) {
                target.album = album;
                return true;
            }
        }
    }
    if (failure.empty())
        failure = FailureWords(client);
    Tell(owner, ResourceFormat(IDS_FOLDER_CREATE_FAILED, {target.album.title, failure}), MB_ICONERROR);
    return false;
}

} // namespace

FolderUploadOutcome RunFolderUploadCommand(HWND owner, PicasaClient& client, FolderTarget target,
                                           const std::wstring& folder, RunningWork* running)
{
    FolderUploadOutcome outcome;
    FolderPreparation prepared;
    const std::wstring albumId = target.newAlbum ? L"" : target.album.id;
    if (!RunWithProgress(owner, client, IDS_PROGRESS_FOLDER_COMPARE, [&](BackgroundWork& work) {
            WorkProgress progress(work);
            prepared = PrepareFolderUpload(client, albumId, folder, &progress);
        }, true, running) || prepared.cancelled)
        return outcome;
    if (prepared.folderError) {
        Tell(owner, ResourceFormat(IDS_FOLDER_UNREADABLE, {folder, SystemMessage(prepared.folderError)}),
             MB_ICONERROR);
        return outcome;
    }
    if (prepared.albumFailed) {
        Tell(owner, ResourceFormat(IDS_FOLDER_FEED_FAILED, {target.album.title, FailureWords(client)}),
             MB_ICONERROR);
        return outcome;
    }
    const FolderPlan& plan = prepared.plan;
    if (plan.files.empty()) {
        Tell(owner, ResourceFormat(IDS_FOLDER_EMPTY, {folder}), MB_ICONINFORMATION);
        return outcome;
    }
    client.WriteLog(ResourceFormat(IDS_LOG_FOLDER_PLAN, {folder, target.album.title, int64_t(plan.newFiles),
                                                         int64_t(plan.there), int64_t(plan.cannot)}));
    CFolderUploadDlg question(plan, ResourceFormat(target.newAlbum ? IDS_FOLDER_INTO_NEW_ALBUM : IDS_FOLDER_INTO_ALBUM,
                                                   {folder, target.album.title}));
    if (question.DoModal(GetLastActivePopup(owner)) != IDOK)
        return outcome;
    if (target.newAlbum && !MakeAlbum(owner, client, target, running, outcome))
        return outcome;
    outcome.albumId = target.album.id;

    UploadRun run;
    const std::vector<std::wstring> paths = plan.PathsToUpload();
    RunWithProgress(owner, client, IDS_PROGRESS_UPLOAD, [&](BackgroundWork& work) {
        const ULONGLONG start = GetTickCount64();
        run = UploadIntoAlbum(client, target.album, paths, [&](const UploadProgress& progress) {
            const int64_t left = SecondsLeft(GetTickCount64() - start, progress.sent, progress.total);
            work.Report(progress.sent, progress.total, FolderProgressText(progress, left));
            return !work.CancelRequested();
        });
    }, true, running);
    outcome.changed = true;
    outcome.summary = FolderSummaryText(run, plan.there, target.album.title);
    outcome.icon = run.Uploaded() + run.Refused() == int(run.items.size()) && run.Refused() == 0 && !run.cancelled
                       ? MB_ICONINFORMATION
                       : MB_ICONWARNING;
    return outcome;
}
