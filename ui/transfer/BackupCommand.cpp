#include "ui/transfer/BackupCommand.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "base/ComRef.h"
#include "base/SystemMessage.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "backup/BackupFile.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CActionMessageDlg.h"
#include "ui/controls/CProgressDlg.h"

std::wstring MegabytesText(uint64_t bytes)
{
    const uint64_t tenths = (bytes * 10 + 524288) / 1048576;
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
}

std::wstring BackupProgressText(const BackupStatus& status)
{
    const std::wstring bytes =
        status.albumTotal > 0
            ? ResourceFormat(IDS_BYTES_OF_FORMAT, {MegabytesText(status.albumBytes), MegabytesText(status.albumTotal)})
            : ResourceFormat(IDS_BYTES_FORMAT, {MegabytesText(status.albumBytes)});
    return ResourceFormat(IDS_BACKUP_ALBUM_PROGRESS,
                          {status.albumTitle, int64_t(status.album), int64_t(status.albums),
                           int64_t(status.filesDone), int64_t(status.files), bytes, status.current});
}

std::wstring BackupSummaryText(const BackupSummary& summary, const std::wstring& folder)
{
    std::wstring text;
    if (summary.diskError)
        text = ResourceFormat(IDS_BACKUP_DISK_FAILED_FORMAT, {summary.diskPath, SystemMessage(summary.diskError)});
    else
        text = ResourceString(summary.cancelled ? IDS_BACKUP_CANCELLED_HEADING : IDS_BACKUP_FINISHED);
    text += L"\n\n" + ResourceFormat(IDS_BACKUP_SUMMARY_FORMAT, {int64_t(summary.downloaded), int64_t(summary.alreadyThere),
                                                       int64_t(summary.failed)});
    if (summary.albumsFailed)
        text += L"\n" + ResourceFormat(IDS_BACKUP_ALBUMS_FAILED_FORMAT, {int64_t(summary.albumsFailed)});
    if (!folder.empty())
        text += L"\n\n" + ResourceFormat(IDS_BACKUP_WHERE, {folder});
    if (!summary.reasons.empty()) {
        text += L"\n\n" + ResourceString(IDS_BACKUP_REASONS);
        for (const std::wstring& reason : summary.reasons)
            text += L"\n" + reason;
    }
    if (summary.cancelled)
        text += L"\n\n" + ResourceString(IDS_BACKUP_CANCELLED);
    return text;
}

namespace {

BackupFolderOpener& FolderOpener()
{
    static BackupFolderOpener opener;
    return opener;
}

void OpenBackupFolder(HWND owner, const std::wstring& folder)
{
    if (FolderOpener()) {
        FolderOpener()(owner, folder);
        return;
    }
    // Explorer's window on the folder, as a double-click on it opens one.
    if (INT_PTR(ShellExecuteW(owner, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) <= 32)
        ShellExecuteW(owner, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

void SetBackupFolderOpener(BackupFolderOpener opener)
{
    FolderOpener() = std::move(opener);
}

UINT BackupSummaryIcon(const BackupSummary& summary)
{
    if (summary.diskError)
        return MB_ICONERROR;
    if (summary.failed || summary.albumsFailed || summary.cancelled)
        return MB_ICONWARNING;
    return MB_ICONINFORMATION;
}

bool PickBackupFolder(HWND owner, const std::wstring& initial, std::wstring& chosen, const std::wstring& pickTitle)
{
    ComRef<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dialog.Out()))))
        return false;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog.Get()->GetOptions(&options);
    dialog.Get()->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    const std::wstring title = pickTitle.empty() ? ResourceString(IDS_BACKUP_PICK_TITLE) : pickTitle;
    if (!title.empty())
        dialog.Get()->SetTitle(title.c_str());
    if (!initial.empty()) {
        ComRef<IShellItem> start;
        if (SUCCEEDED(SHCreateItemFromParsingName(initial.c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void**>(start.Out()))))
            dialog.Get()->SetFolder(start.Get());
    }
    if (FAILED(dialog.Get()->Show(owner)))
        return false;
    ComRef<IShellItem> result;
    if (FAILED(dialog.Get()->GetResult(result.Out())))
        return false;
    wchar_t* path = nullptr;
    if (FAILED(result.Get()->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
        return false;
    // A picker may give "C:\Backup\." for a typed ".".
    chosen = FullPath(path);
    CoTaskMemFree(path);
    return !chosen.empty();
}

BackupSummary RunBackupInto(HWND owner, PicasaClient& client, const std::vector<AlbumEntry>& albums,
                            const std::wstring& folder, RunningWork* running, bool quiet, const bool* closing)
{
    BackupSummary summary;
    {
        BackupRun run(client, folder);
        run.SetAccountAlbums(client.GetAlbums());
        BackgroundWork work(
            [&](BackgroundWork& self) {
                BackupRun::Events events;
                events.cancelled = [&self] { return self.CancelRequested(); };
                events.progress = [&self](const BackupStatus& status) {
                    self.Report(status.filesDone, status.files, BackupProgressText(status));
                };
                summary = run.Run(albums, events);
            },
            // Cancel cuts off what is under way instead of waiting for it.
            [&] {
                run.Abort();
                client.AbortRequests();
            });
        // The run says whether it was cut off: a Cancel that came as it
        // completed leaves a complete backup.
        CProgressDlg::Run(owner, work, ResourceString(IDS_PROGRESS_BACKUP), running);
    }
    client.ResumeRequests();
    if (!quiet && !(closing && *closing)) {
        CActionMessageDlg box(ResourceString(IDS_CAPTION_BACKUP), BackupSummaryText(summary, folder),
                              BackupSummaryIcon(summary), ResourceString(IDS_BACKUP_OPEN_FOLDER));
        if (box.DoModal(owner) == CActionMessageDlg::kActionResult)
            OpenBackupFolder(owner, folder);
    }
    return summary;
}

void RunBackupCommand(HWND owner, PicasaClient& client, const std::vector<size_t>& selected,
                      const SettingsLocation& settings, RunningWork* running, const bool* closing)
{
    if (selected.empty())
        return;
    const CIniFile ini(settings);
    std::wstring folder;
    if (!PickBackupFolder(owner, ini.ReadString(kBackupSection, kBackupFolderKey, L"", 32767), folder))
        return;
    ini.WriteString(kBackupSection, kBackupFolderKey, folder.c_str());
    // Copies: the window's album list may be refreshed meanwhile.
    std::vector<AlbumEntry> albums;
    for (size_t index : selected)
        if (index < client.GetAlbums().size())
            albums.push_back(client.GetAlbums()[index]);
    RunBackupInto(owner, client, albums, folder, running, false, closing);
}
