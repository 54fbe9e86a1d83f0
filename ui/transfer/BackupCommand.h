#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/SettingsPath.h"
#include "service/AlbumEntry.h"
#include "backup/BackupRun.h"

class PicasaClient;
struct RunningWork;

// The album window's "Back up..." command, after its empty-list and
// no-selection checks. selected: indices into client.GetAlbums() of the
// selected rows, in display order. Asks for the folder (the last one
// offered first, and remembered), backs the albums up with a progress
// window and Cancel, and ends with a summary box, unless `closing` says
// that the window was closed meanwhile.
void RunBackupCommand(HWND owner, PicasaClient& client, const std::vector<size_t>& selected,
                      const SettingsLocation& settings = {}, RunningWork* running = nullptr,
                      const bool* closing = nullptr);

// The platform's folder picker over owner, starting in `initial` when it
// exists, titled `title` (the backup's own title when empty). False when the
// user cancelled it.
bool PickBackupFolder(HWND owner, const std::wstring& initial, std::wstring& chosen, const std::wstring& title = {});

// The backup into a chosen folder with its progress window; the summary
// box follows unless `quiet`, or `closing` is set once the run is over. The
// album folders are named over the client's whole album list. The summary.
BackupSummary RunBackupInto(HWND owner, PicasaClient& client, const std::vector<AlbumEntry>& albums,
                            const std::wstring& folder, RunningWork* running = nullptr, bool quiet = false,
                            const bool* closing = nullptr);

// The progress window's lines for a status: the album by its title, the
// files and the megabytes of it done, the file last started.
std::wstring BackupProgressText(const BackupStatus& status);
// The summary box's text, with the folder the albums went into when one is
// given, and its icon (MB_ICONINFORMATION, MB_ICONWARNING when something
// failed or it was cancelled, MB_ICONERROR when the disk stopped it).
std::wstring BackupSummaryText(const BackupSummary& summary, const std::wstring& folder = L"");
UINT BackupSummaryIcon(const BackupSummary& summary);
// Megabytes with one decimal: "0.0", "12.3".
std::wstring MegabytesText(uint64_t bytes);

// How the summary's "Open the folder" opens it: by default the shell's
// "explore" verb; an empty function puts the default back.
using BackupFolderOpener = std::function<void(HWND owner, const std::wstring& folder)>;
void SetBackupFolderOpener(BackupFolderOpener opener);

// Where the last backup folder is kept in the settings file.
inline constexpr const wchar_t* kBackupSection = L"ToolDlg";
inline constexpr const wchar_t* kBackupFolderKey = L"BACKUP_FOLDER";
