// The album window's Upload: files from the file dialog or dropped on the
// window go into one album, off the window's thread with progress.
#include "ui/albums/CToolDlg.h"

#include <shellapi.h>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "service/PicasaClient.h"
#include "ui/albums/CNewAlbumDlg.h"
#include "ui/albums/NewAlbumChecks.h"
#include "ui/transfer/BackupCommand.h"
#include "ui/transfer/FolderUpload.h"
#include "ui/transfer/FolderUploadCommand.h"
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
    // Folders among files are named in the summary; one folder alone is
    // uploaded as a folder.
    if (OnlyFolders(files) && files.size() > 1) {
        Ask(IDS_FOLDER_DROP_ONE, IDS_CAPTION_UPLOAD, MB_ICONINFORMATION | MB_OK);
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
    // Off the rows, a folder makes an album of its own.
    if (OnlyFolders(files)) {
        UploadFolderInto(albumIndex, files[0]);
        return;
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

void CToolDlg::UploadFolder()
{
    if (!m_client.Access().HasToken())
        return;
    const std::vector<size_t> selected = SelectedAlbums();
    if (selected.size() > 1) {
        Ask(IDS_FOLDER_ONE_ALBUM, IDS_CAPTION_UPLOAD, MB_ICONWARNING | MB_OK);
        return;
    }
    const CIniFile ini(m_settings);
    std::wstring folder;
    if (!PickBackupFolder(Handle(), ini.ReadString(kFolderUploadSection, kFolderUploadKey, L"", 32767), folder,
                          ResourceString(IDS_FOLDER_PICK_TITLE)))
        return;
    UploadFolderInto(selected.empty() ? -1 : int(selected[0]), folder);
}

void CToolDlg::UploadFolderInto(int albumIndex, const std::wstring& folder)
{
    CIniFile(m_settings).WriteString(kFolderUploadSection, kFolderUploadKey, folder.c_str());
    FolderTarget target;
    if (albumIndex >= 0 && size_t(albumIndex) < m_client.GetAlbums().size()) {
        target.album = m_client.GetAlbums()[size_t(albumIndex)];
    } else {
        // A new album as the new album dialog makes one: its rules, today's
        // date, and the access chosen in the batch box.
        target.newAlbum = true;
        target.album.title = FolderTitle(folder);
        const std::wstring today = TodayDateText();
        const NewAlbumCheck check = CheckNewAlbum(target.album.title, today);
        if (!check.Passed()) {
            MessageBoxW(Handle(), NewAlbumCheckText(check).c_str(), ResourceString(IDS_CAPTION_UPLOAD).c_str(),
                        MB_OK | MB_ICONWARNING);
            return;
        }
        const LRESULT level = SendItem(IDC_ACCESS_LIST, CB_GETCURSEL);
        target.access = AccessWireName(level < 0 ? 1u : unsigned(level));
        target.timeSeconds = AlbumTimeOrNow(today);
    }
    SetBusy(true);
    const FolderUploadOutcome outcome = RunFolderUploadCommand(Handle(), m_client, std::move(target), folder, &m_running);
    if (outcome.changed && !m_closeAfterWork)
        Refresh(true);
    // The album the folder went into is the one selected: a second run goes
    // there too.
    if (!outcome.albumId.empty() && !m_closeAfterWork) {
        for (int row = 0; row < RowCount(); ++row) {
            const int index = AlbumIndexOfRow(row);
            SelectRow(row, index >= 0 && m_client.GetAlbums()[size_t(index)].id == outcome.albumId);
        }
        ScrollToFirstSelected();
    }
    SetBusy(false);
    if (m_closeAfterWork || outcome.summary.empty())
        return;
    MessageBoxW(Handle(), outcome.summary.c_str(), ResourceString(IDS_CAPTION_UPLOAD).c_str(), MB_OK | outcome.icon);
}
