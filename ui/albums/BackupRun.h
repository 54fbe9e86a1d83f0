#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "service/AlbumEntry.h"

class PicasaClient;
class WinHttpDownload;

// A backup of albums into a folder: for each album, in the order given, its
// whole photo feed asked for originals, then every photo's original and
// every video's largest rendition into <folder>\<album>\<file>, over the
// client's ParallelRequests() connections, with index.csv and album.csv
// beside them. A second run into the same folder fetches only files that
// are missing or whose length differs.

// Where a run stands; handed to the progress callback.
struct BackupStatus
{
    size_t album = 0;  // 1-based: the album under way
    size_t albums = 0;
    uint64_t filesDone = 0; // of the album under way: saved, kept or failed
    uint64_t files = 0;
    uint64_t bytes = 0;     // received in the whole run
    std::wstring current;   // the file last started
};

struct BackupSummary
{
    uint64_t downloaded = 0;
    uint64_t alreadyThere = 0;
    uint64_t failed = 0;     // files
    size_t albumsFailed = 0; // albums whose feed could not be read
    std::vector<std::wstring> reasons; // the first few failures, one line each
    bool cancelled = false;
    // The run stopped because the folder could not be written: the error
    // and the path that failed.
    DWORD diskError = 0;
    std::wstring diskPath;
};

// At most this many failures are kept as reasons.
inline constexpr size_t kBackupReasons = 5;

class BackupRun
{
public:
    struct Events
    {
        std::function<bool()> cancelled;                    // read often, from several threads
        std::function<void(const BackupStatus&)> progress;  // from several threads, one call at a time
    };

    BackupRun(PicasaClient& client, std::wstring folder);

    // Backs the albums up; the client is used from this thread alone while
    // it runs. Log lines go to the client's log: one per album, one per
    // failed file.
    BackupSummary Run(const std::vector<AlbumEntry>& albums, const Events& events);

    // From any thread while Run runs: the downloads under way are cut off
    // at once, even from a server that stalls, their temporary files
    // removed, and Run ends as cancelled, as does every later Run of this
    // object. (The feeds are the client's requests, for the client to abort.)
    void Abort();

    // The requests the feeds took in the last Run (each page is one).
    uint64_t FeedRequests() const { return feedRequests_; }

private:
    // A download connection of Run, known to Abort while it lives.
    class Connection
    {
    public:
        Connection(BackupRun& run, WinHttpDownload& http);
        ~Connection();
        Connection(const Connection&) = delete;
        Connection& operator=(const Connection&) = delete;

    private:
        BackupRun& run_;
        WinHttpDownload& http_;
    };

    PicasaClient& client_;
    std::wstring folder_;
    uint64_t feedRequests_ = 0;
    std::mutex connectionsLock_;
    std::vector<WinHttpDownload*> connections_;
    std::atomic<bool> aborted_{false};
};

// The folder names of the albums, in their order: safe titles, numbered on
// a clash.
std::vector<std::wstring> AlbumFolderNames(const std::vector<AlbumEntry>& albums);
