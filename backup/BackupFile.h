#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class WinHttpDownload;

// One file of a backup: fetched piece by piece into a temporary file in
// its folder and moved into place only when complete, so that a folder
// never holds a file cut short under its final name.

// `path` in the form that lifts the length limit of paths ("\\?\C:\...",
// "\\?\UNC\server\share\..."); a path already in it stays as it is.
std::wstring LongPath(const std::wstring& path);
// `path` made absolute, with "." and ".." resolved: a path in the long form
// is taken as it stands, so it must be whole first.
std::wstring FullPath(const std::wstring& path);
// The name a file is written under until it is complete.
std::wstring TemporaryName(const std::wstring& fileName);
// The length of the file at `path`, or -1 when there is none.
int64_t ExistingFileLength(const std::wstring& path);

// The most a file whose length neither the feed nor the reply gives may
// take (a video: the service took none over 1 GB).
inline constexpr int64_t kMostBackupFileBytes = int64_t(2) << 30;

struct BackupFileJob
{
    std::wstring url;
    std::wstring headers;       // extra header lines (the authorization line, or none)
    std::wstring folder;        // the album's folder, made already
    std::wstring fileName;
    int64_t expectedLength = -1; // -1: the reply's announced length decides
    int64_t mostLength = kMostBackupFileBytes; // where neither gives a length
    bool hasTime = false;
    FILETIME time{};             // the created and modified times of the file
};

enum class BackupFileOutcome {
    Saved,
    Failed,    // the server or the network: this file only
    Stopped,   // the run was cancelled
    DiskFailed // the disk or the folder: the run cannot go on
};

struct BackupFileResult
{
    BackupFileOutcome outcome = BackupFileOutcome::Failed;
    int status = 0;           // the HTTP status, 0 when none came
    DWORD error = 0;          // the WinHTTP or file error
    int64_t received = 0;     // bytes of the body received
    int64_t expected = -1;    // the length the file had to have (with tooLong: at most)
    bool tooLong = false;     // more came than expected (or than the ceiling): stopped there
    bool nameInTheWay = false; // a folder holds the file's name
};

// Fetches job.url into job.folder\job.fileName. `stop` is read between
// pieces, and an Abort of `http` stops it too; `onBytes` hears of every
// piece written. A reply longer than the expected length (or, where none is
// known, than job.mostLength) is stopped as soon as it passes it. Whatever the outcome but Saved, neither the temporary
// file nor a new final file is left behind (an older final file stays as
// it was).
BackupFileResult DownloadToFile(WinHttpDownload& http, const BackupFileJob& job, const std::atomic<bool>& stop,
                                const std::function<void(int64_t)>& onBytes);
