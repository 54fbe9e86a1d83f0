#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "service/AlbumEntry.h"

class PicasaClient;
struct RunningWork;

// Where a folder goes: an album of the account, or a new one made with
// these fields (checked by the caller with the new album dialog's rules).
struct FolderTarget
{
    bool newAlbum = false;
    AlbumEntry album;           // the album to upload into; for a new one, its title
    std::wstring access;        // a new album's access, as the service names it
    int64_t timeSeconds = 0;    // a new album's date
};

// How the command ended, for the album window to show after its refresh.
struct FolderUploadOutcome
{
    bool changed = false;       // an album was made or a file sent: load the list again
    std::wstring albumId;       // the album the folder went into ("" when none)
    std::wstring summary;       // the summary box's text; empty for none
    UINT icon = MB_ICONINFORMATION;
};

// The album window's "Upload folder...": the folder listed and compared with
// the album (a progress window with Cancel over `owner`), the question, the
// new album made if it is one, then only the new files sent, with progress
// and Cancel (which cuts the file in flight short and sends no more). A
// folder or photo list that cannot be read, or an album that cannot be
// made, is reported here and sends nothing.
FolderUploadOutcome RunFolderUploadCommand(HWND owner, PicasaClient& client, FolderTarget target,
                                           const std::wstring& folder, RunningWork* running = nullptr);

// Where the last folder uploaded is kept in the settings file.
inline constexpr const wchar_t* kFolderUploadSection = L"Upload";
inline constexpr const wchar_t* kFolderUploadKey = L"LAST_UPLOAD_FOLDER";
