#include "ui/transfer/BackupCommand.h"

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
#include "ui/controls/CProgressDlg.h"

std::wstring MegabytesText(uint64_t bytes)
{
    const uint64_t tenths = (bytes * 10 + 524288) / 1048576;
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
}

std::wstring BackupProgressText(const BackupStatus& status)
{
    return ResourceFormat(IDS_BACKUP_PROGRESS_FORMAT,
                          {int64_t(status.album), int64_t(status.albums), int64_t(status.filesDone),
                           int64_t(status.files), ResourceFormat(IDS_BYTES_FORMAT, {MegabytesText(status.bytes)}),
                           status.current});
}


std::wstring BackupSummaryText(const BackupSummary& summary)
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
    if (!summary.reasons.empty()) {
        text += L"\n\n" + ResourceString(IDS_BACKUP_REASONS);
        for (const std::wstring& reason : summary.reasons)
            text += L"\n" + reason;
    }
    if (summary.cancelled)
        text += L"\n\n" + ResourceString(IDS_BACKUP_CANCELLED);
    return text;
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
    if (!quiet && !(closing && *closing))
        MessageBoxW(owner, BackupSummaryText(summary).c_str(), ResourceString(IDS_CAPTION_BACKUP).c_str(),
                    BackupSummaryIcon(summary) | MB_OK);
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
