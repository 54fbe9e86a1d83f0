// The album window's Upload: files from the file dialog or dropped on the
// window go into one album, off the window's thread with progress.
#include "ui/albums/CToolDlg.h"

#include <shellapi.h>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "ui/transfer/UploadFileDialog.h"
#include "ui/transfer/UploadRunner.h"

void CToolDlg::Upload()
{
    // Public-only mode changes nothing; the button is disabled there.
    if (!m_client.Access().HasToken())
        return;
    const std::vector<size_t> selected = SelectedAlbums();
    if (selected.size() != 1) {
        Ask(IDS_UPLOAD_ONE_ALBUM, IDS_CAPTION_UPLOAD, MB_ICONWARNING | MB_OK);
        return;
    }
    std::vector<std::wstring> paths;
    if (ChooseUploadFiles(Handle(), m_settings, paths))
        UploadInto(selected[0], paths);
}

void CToolDlg::UploadDropped(HDROP drop)
{
    POINT at = {};
    DragQueryPoint(drop, &at); // in this window's client area
    const std::vector<std::wstring> files = DroppedPaths(drop);
    DragFinish(drop);
    if (!m_client.Access().HasToken() || m_running.work || files.empty())
        return;
    // Folders among files are named in the summary; folders alone would
    // make a summary of nothing but refusals.
    if (OnlyFolders(files)) {
        Ask(IDS_UPLOAD_ONLY_FOLDERS, IDS_CAPTION_UPLOAD, MB_ICONINFORMATION | MB_OK);
        return;
    }
    int albumIndex = -1;
    POINT inList = at;
    MapWindowPoints(Handle(), m_list.Handle(), &inList, 1);
    RECT listArea = {};
    GetClientRect(m_list.Handle(), &listArea);
    if (PtInRect(&listArea, inList)) {
        LVHITTESTINFO hit = {};
        hit.pt = inList;
        const int row = int(SendMessageW(m_list.Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (row >= 0)
            albumIndex = AlbumIndexOfRow(row);
    }
    if (albumIndex < 0) {
        const std::vector<size_t> selected = SelectedAlbums();
        if (selected.size() != 1) {
            Ask(IDS_UPLOAD_DROP_TARGET, IDS_CAPTION_UPLOAD, MB_ICONWARNING | MB_OK);
            return;
        }
        albumIndex = int(selected[0]);
    }
    UploadInto(size_t(albumIndex), files);
}

void CToolDlg::UploadInto(size_t albumIndex, const std::vector<std::wstring>& paths)
{
    if (albumIndex >= m_client.GetAlbums().size())
        return;
    // A copy: the client's list changes with the refresh that follows.
    const AlbumEntry album = m_client.GetAlbums()[albumIndex];
    SetBusy(true);
    UploadRun run;
    RunLong(ResourceString(IDS_PROGRESS_UPLOAD), [this, &album, &paths, &run](BackgroundWork& work) {
        run = UploadIntoAlbum(m_client, album, paths, [&work](const UploadProgress& progress) {
            work.Report(progress.sent, progress.total, UploadProgressText(progress));
            return !work.CancelRequested();
        });
    }, true);
    // Counts, sizes and the quota changed; an unknown outcome shows here too.
    Refresh(true);
    SetBusy(false);
    if (m_closeAfterWork)
        return;
    const bool allUploaded = run.Uploaded() == int(run.items.size());
    MessageBoxW(Handle(), UploadSummaryText(run, album.title).c_str(), ResourceString(IDS_CAPTION_UPLOAD).c_str(),
                MB_OK | (allUploaded ? MB_ICONINFORMATION : MB_ICONWARNING));
}
