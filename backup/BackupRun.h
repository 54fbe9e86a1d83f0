#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "service/AlbumEntry.h"
#include "service/PhotoEntry.h"

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
    std::wstring albumTitle;   // of the album under way
    uint64_t albumBytes = 0;   // of its files: kept, and received so far
    uint64_t albumTotal = 0;   // of its files, as its feed gives their sizes
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

    // The account's whole album list, in feed order, over which the album
    // folders are named (without it: the albums of the run).
    void SetAccountAlbums(std::vector<AlbumEntry> account) { account_ = std::move(account); }

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
    std::vector<AlbumEntry> account_;
    uint64_t feedRequests_ = 0;
    std::mutex connectionsLock_;
    std::vector<WinHttpDownload*> connections_;
    std::atomic<bool> aborted_{false};
};

// The folder name of each album, in their order, whatever their order or
// which albums of the account are backed up: the safe title; where the
// account holds several albums of that name, the first of them in `account`
// (the account's albums in feed order) keeps it and every other one gets
// its album id after it, "Family (5301)".
std::vector<std::wstring> AlbumFolderNames(const std::vector<AlbumEntry>& albums,
                                           const std::vector<AlbumEntry>& account);
// The folder name of an album whose folder holds another album's backup.
std::wstring AlbumFolderOfItsOwn(const std::wstring& folderName, const AlbumEntry& album);

// The file name each entry is saved under, in feed order: the safe title,
// with the extension of its type where it has none, unique in the folder and
// never one of the backup's own files.
std::vector<std::wstring> EntryFileNames(const std::vector<PhotoEntry>& photos);

struct BackupFileResult;
// Why a file was not saved, in the user's language.
std::wstring BackupFailureText(const BackupFileResult& result);
