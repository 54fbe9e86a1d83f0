#include "backup/BackupRun.h"

#include <algorithm>
#include <cwctype>
#include <set>
#include <map>
#include <memory>
#include <mutex>

#include "app/ResourceText.h"
#include "base/ReplacementFile.h"
#include "base/ScopedHandles.h"
#include "base/SystemMessage.h"
#include "base/WorkerThread.h"
#include "http/WinHttpDownload.h"
#include "service/PhotoLoadProgress.h"
#include "service/PicasaClient.h"
#include "backup/BackupFile.h"
#include "backup/BackupIndex.h"
#include "backup/BackupNames.h"
#include "res/resource.h"
#include "service/PhotoFeed.h"
#include "service/PhotoServerAccess.h"

namespace {

std::wstring AlbumFolderName(const AlbumEntry& album)
{
    return SafeFileName(album.title, album.id.empty() ? L"album" : album.id);
}

} // namespace

std::wstring AlbumFolderOfItsOwn(const std::wstring& folderName, const AlbumEntry& album)
{
    return NameWithSuffix(folderName, L" (" + (album.id.empty() ? std::wstring(L"album") : album.id) + L")");
}

std::vector<std::wstring> AlbumFolderNames(const std::vector<AlbumEntry>& albums,
                                           const std::vector<AlbumEntry>& account)
{
    // Every album known, the account's first and in its order; per name,
    // how many albums hold it and which of them comes first.
    std::vector<const AlbumEntry*> known;
    std::set<std::wstring> ids;
    for (const std::vector<AlbumEntry>* list : {&account, &albums})
        for (const AlbumEntry& album : *list)
            if (album.id.empty() || ids.insert(album.id).second)
                known.push_back(&album);
    std::map<std::wstring, std::pair<size_t, const AlbumEntry*>> holders;
    for (const AlbumEntry* album : known) {
        auto& holder = holders.emplace(NameKey(AlbumFolderName(*album)), std::make_pair(size_t(0), album)).first->second;
        ++holder.first;
    }
    std::vector<std::wstring> names;
    names.reserve(albums.size());
    for (const AlbumEntry& album : albums) {
        const std::wstring name = AlbumFolderName(album);
        const auto& [count, first] = holders[NameKey(name)];
        const bool keeps = count <= 1 || first == &album || (!album.id.empty() && first->id == album.id);
        names.push_back(keeps ? name : AlbumFolderOfItsOwn(name, album));
    }
    return names;
}

namespace {

// The feed load stops when the run is cancelled.
class FeedCancel : public PhotoLoadProgress
{
public:
    explicit FeedCancel(const std::function<bool()>& cancelled) : cancelled_(cancelled) {}
    void PhotosDone(uint32_t) override {}
    bool CancelRequested() override { return cancelled_ && cancelled_(); }

private:
    const std::function<bool()>& cancelled_;
};

// The extension of what a backup saves of an entry: a video's rendition,
// an uploaded video's own type, or the picture's.
std::wstring EntryExtension(const PhotoEntry& photo)
{
    if (!photo.mediaType.empty())
        return ExtensionForType(photo.mediaType);
    if (IsVideo(photo)) {
        const std::wstring& type = photo.uploadedVideoType;
        if (type.find(L'/') != std::wstring::npos)
            return ExtensionForType(type);
        // The service names an uploaded video's kind by its extension: "MOV".
        if (type.empty() || type.size() > 5 || !std::all_of(type.begin(), type.end(), iswalnum))
            return L"";
        std::wstring extension = L"." + type;
        for (wchar_t& c : extension)
            c = wchar_t(towlower(c));
        return extension;
    }
    return ExtensionForType(photo.contentType);
}

} // namespace

std::vector<std::wstring> EntryFileNames(const std::vector<PhotoEntry>& photos)
{
    std::vector<std::wstring> wanted;
    wanted.reserve(photos.size());
    for (const PhotoEntry& photo : photos) {
        std::wstring name = SafeFileName(photo.title, photo.id.empty() ? L"photo" : photo.id);
        if (!HasExtension(name))
            name += EntryExtension(photo);
        wanted.push_back(name);
    }
    // A photo never takes the name of the backup's own files.
    return UniqueNames(wanted, {kIndexCsvName, kAlbumCsvName});
}

namespace {

// Writes a small file whole under a temporary name, then moves it into
// place; the error, 0 on success.
DWORD WriteBackupFile(const std::wstring& path, const std::string& bytes)
{
    const size_t slash = path.rfind(L'\\');
    return WriteWholeFile(LongPath(path.substr(0, slash + 1) + TemporaryName(path.substr(slash + 1))),
                          LongPath(path), bytes.data(), bytes.size());
}

// The bytes of a small file, or none when it cannot be read.
std::string ReadSmallFile(const std::wstring& path)
{
    std::string bytes;
    const UniqueHandle file(
        CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    // An index of 200,000 entries stays well under this.
    if (file.get() != INVALID_HANDLE_VALUE && GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
        size.QuadPart < 256 * 1024 * 1024) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    return bytes;
}


// What the download threads of one album share.
struct AlbumWork
{
    std::vector<BackupFileJob> jobs;
    std::vector<size_t> entries;      // of each job: its entry in the feed
    std::vector<int64_t> savedLength; // of each job: the length saved, -1 when not
    std::atomic<size_t> next{0};
    std::atomic<bool> halt{false};
    std::mutex lock; // the counts below, the status and the progress callback
    BackupStatus status;
    uint64_t downloaded = 0;
    uint64_t failed = 0;
    uint64_t stopped = 0; // cut off by a Cancel or a halt
    std::vector<std::wstring> failures; // in the order they happened
    DWORD diskError = 0;
    std::wstring diskPath;
};

} // namespace

std::wstring BackupFailureText(const BackupFileResult& result)
{
    if (result.nameInTheWay)
        return ResourceString(IDS_BACKUP_FAIL_IN_THE_WAY);
    if (result.status != 0 && result.status != 200)
        return ResourceFormat(IDS_BACKUP_FAIL_STATUS, {int64_t(result.status)});
    if (result.tooLong)
        return ResourceFormat(IDS_BACKUP_FAIL_TOO_LONG,
                              {std::to_wstring(result.expected)});
    if (result.outcome == BackupFileOutcome::DiskFailed ||
        (result.error != 0 && (result.error < 12000 || result.error >= 12200)))
        return ResourceFormat(IDS_BACKUP_FAIL_DISK, {SystemMessage(result.error)});
    if (result.error == ERROR_WINHTTP_TIMEOUT)
        return ResourceString(IDS_BACKUP_FAIL_TIMED_OUT);
    if (result.status == 200 && result.expected >= 0 && result.received != result.expected)
        return ResourceFormat(IDS_BACKUP_FAIL_CUT_SHORT,
                              {std::to_wstring(result.received), std::to_wstring(result.expected)});
    if (result.error != 0)
        return ResourceFormat(IDS_BACKUP_FAIL_CONNECTION, {SystemMessage(result.error)});
    if (result.status == 200)
        return ResourceFormat(IDS_BACKUP_FAIL_CUT_SHORT, {std::to_wstring(result.received), L"?"});
    return ResourceFormat(IDS_BACKUP_FAIL_CONNECTION, {SystemMessage(ERROR_WINHTTP_CONNECTION_ERROR)});
}

BackupRun::Connection::Connection(BackupRun& run, WinHttpDownload& http) : run_(run), http_(http)
{
    std::lock_guard<std::mutex> lock(run_.connectionsLock_);
    run_.connections_.push_back(&http_);
    if (run_.aborted_)
        http_.Abort();
}

BackupRun::Connection::~Connection()
{
    std::lock_guard<std::mutex> lock(run_.connectionsLock_);
    run_.connections_.erase(std::find(run_.connections_.begin(), run_.connections_.end(), &http_));
}

void BackupRun::Abort()
{
    std::lock_guard<std::mutex> lock(connectionsLock_);
    aborted_ = true;
    for (WinHttpDownload* http : connections_)
        http->Abort();
}

BackupRun::BackupRun(PicasaClient& client, std::wstring folder) : client_(client), folder_(FullPath(folder))
{
    while (folder_.size() > 3 && folder_.back() == L'\\')
        folder_.pop_back();
}

BackupSummary BackupRun::Run(const std::vector<AlbumEntry>& albums, const Events& events)
{
    BackupSummary summary;
    feedRequests_ = 0;
    auto cancelled = [&] { return aborted_ || (events.cancelled && events.cancelled()); };
    auto addReason = [&](const std::wstring& reason) {
        if (summary.reasons.size() < kBackupReasons)
            summary.reasons.push_back(reason);
    };
    const std::vector<std::wstring> folders = AlbumFolderNames(albums, account_.empty() ? albums : account_);
    auto logFailure = [&](const std::wstring& what, const std::wstring& why) {
        client_.WriteLog(ResourceFormat(IDS_LOG_BACKUP_FAILED, {what, why}));
    };
    // A copy: the downloads read it from their own threads.
    const PhotoServerAccess access = client_.Access();
    const size_t connections = size_t(std::max(client_.ParallelRequests(), 1));
    BackupStatus status;
    status.albums = albums.size();

    for (size_t a = 0; a < albums.size() && !summary.diskError; ++a) {
        if (cancelled()) {
            summary.cancelled = true;
            break;
        }
        const AlbumEntry& album = albums[a];
        status.album = a + 1;
        status.filesDone = status.files = 0;
        status.current.clear();
        status.albumTitle = album.title;
        status.albumBytes = status.albumTotal = 0;
        if (events.progress)
            events.progress(status);

        DWORD result = ERROR_SUCCESS;
        const uint64_t requestsBefore = client_.RequestCount();
        FeedCancel feedCancel(events.cancelled);
        std::unique_ptr<std::vector<PhotoEntry>> photos = client_.LoadPhotos(album.id, 1, &result, &feedCancel, true);
        feedRequests_ += client_.RequestCount() - requestsBefore;
        // A feed cut off by a Cancel is no failure of the album.
        if (result == ERROR_CANCELLED || (result != ERROR_SUCCESS && cancelled())) {
            summary.cancelled = true;
            break;
        }
        auto albumFailed = [&](const std::wstring& why) {
            ++summary.albumsFailed;
            addReason(album.title + L": " + why);
            logFailure(album.title, why);
        };
        if (result != ERROR_SUCCESS) {
            const std::wstring status = client_.GetLastStatus();
            albumFailed(ResourceFormat(IDS_BACKUP_FAIL_FEED, {status.empty() || status == L"0"
                                                                  ? SystemMessage(ERROR_WINHTTP_CONNECTION_ERROR)
                                                                  : L"HTTP " + status}));
            continue;
        }

        // A folder that holds another album's backup is never written into.
        std::wstring folderName = folders[a];
        std::wstring albumFolder = JoinPath(folder_, folderName);
        const auto heldByAnother = [&] {
            const std::wstring id = RecordedAlbumId(ReadSmallFile(JoinPath(albumFolder, kAlbumCsvName)));
            return !id.empty() && id != album.id;
        };
        if (heldByAnother()) {
            folderName = AlbumFolderOfItsOwn(folderName, album);
            const std::wstring taken = albumFolder;
            albumFolder = JoinPath(folder_, folderName);
            if (heldByAnother()) {
                albumFailed(ResourceFormat(IDS_BACKUP_FAIL_FOLDER_TAKEN, {taken}));
                continue;
            }
        }
        if (!CreateDirectoryW(LongPath(albumFolder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            summary.diskError = GetLastError();
            summary.diskPath = albumFolder;
            break;
        }

        const std::vector<std::wstring> names = EntryFileNames(*photos);
        const std::map<std::wstring, RecordedFile> recorded =
            RecordedFiles(ReadSmallFile(JoinPath(albumFolder, kIndexCsvName)));
        // Per entry: the length of its file in the folder once the album is
        // done (-1 when none), for the new index.
        std::vector<int64_t> lengths(photos->size(), -1);
        AlbumWork work;
        uint64_t kept = 0;
        for (size_t i = 0; i < photos->size(); ++i) {
            const PhotoEntry& photo = (*photos)[i];
            if (photo.mediaUrl.empty()) {
                // Nothing to ask for: a failure of this file, said in words.
                ++work.failed;
                work.failures.push_back(folderName + L"\\" + names[i] + L": " +
                                        ResourceString(IDS_BACKUP_FAIL_NO_ADDRESS));
                continue;
            }
            BackupFileJob job;
            job.url = photo.mediaUrl;
            job.headers = access.HeadersFor(photo.mediaUrl);
            job.folder = albumFolder;
            job.fileName = names[i];
            job.expectedLength = ExpectedLength(photo);
            job.hasTime = UtcTextToFileTime(photo.timestamp, job.time);
            const int64_t existing = ExistingFileLength(JoinPath(albumFolder, names[i]));
            const auto record = recorded.find(names[i]);
            const int64_t recordedLength =
                record != recorded.end() && record->second.mediaUrl == photo.mediaUrl ? record->second.size : -1;
            lengths[i] = existing; // as it stays unless a download replaces it
            if (job.expectedLength > 0)
                status.albumTotal += uint64_t(job.expectedLength);
            if (NeedsDownload(existing, job.expectedLength, recordedLength) == DownloadNeed::Keep) {
                ++kept;
                status.albumBytes += uint64_t(std::max<int64_t>(existing, 0));
            } else {
                work.jobs.push_back(std::move(job));
                work.entries.push_back(i);
            }
        }
        work.savedLength.assign(work.jobs.size(), -1);
        status.files = photos->size();
        status.filesDone = kept + work.failed;
        work.status = status;
        if (events.progress)
            events.progress(work.status);

        auto download = [&] {
            // Shared, so that Abort lets it go at once even from a server
            // that stalls.
            const auto http = std::make_shared<WinHttpDownload>();
            http->acceptUntrustedCertificates = access.AcceptsUntrustedCertificates();
            const Connection connection(*this, *http);
            for (;;) {
                if (work.halt)
                    return;
                if (cancelled()) {
                    work.halt = true;
                    return;
                }
                const size_t index = work.next++;
                if (index >= work.jobs.size())
                    return;
                const BackupFileJob& job = work.jobs[index];
                {
                    std::lock_guard<std::mutex> lock(work.lock);
                    work.status.current = job.fileName;
                    if (events.progress)
                        events.progress(work.status);
                }
                const BackupFileResult result = DownloadToFile(*http, job, work.halt, [&](int64_t bytes) {
                    if (cancelled())
                        work.halt = true;
                    std::lock_guard<std::mutex> lock(work.lock);
                    work.status.bytes += uint64_t(bytes);
                    work.status.albumBytes += uint64_t(bytes);
                    if (events.progress)
                        events.progress(work.status);
                });
                std::lock_guard<std::mutex> lock(work.lock);
                switch (result.outcome) {
                case BackupFileOutcome::Saved:
                    work.savedLength[index] = result.received;
                    ++work.downloaded;
                    ++work.status.filesDone;
                    break;
                case BackupFileOutcome::Failed:
                    ++work.failed;
                    ++work.status.filesDone;
                    work.failures.push_back(folderName + L"\\" + job.fileName + L": " + BackupFailureText(result));
                    break;
                case BackupFileOutcome::DiskFailed:
                    if (!work.diskError) {
                        work.diskError = result.error;
                        work.diskPath = JoinPath(job.folder, job.fileName);
                    }
                    work.halt = true;
                    break;
                case BackupFileOutcome::Stopped:
                    ++work.stopped;
                    break;
                }
                if (events.progress)
                    events.progress(work.status);
            }
        };
        const size_t threads = std::min(connections, work.jobs.size());
        {
            // Joined when they go: a throw here waits for them, and they
            // stop at their next file.
            std::vector<WorkerThread> helpers;
            struct HaltOnExit
            {
                AlbumWork& work;
                ~HaltOnExit() { work.halt = true; }
            };
            const auto lost = [&work](const std::string&) {
                // Logged; the files it did not fetch are fetched next time.
                work.halt = true;
            };
            for (size_t t = 1; t < threads; ++t) {
                WorkerThread helper;
                if (!helper.Start("backup download", download, lost))
                    break; // fewer connections, the same work
                helpers.push_back(std::move(helper));
            }
            const HaltOnExit halt{work};
            if (!WorkerThread::Guarded("backup download", download, lost))
                work.halt = true;
            for (WorkerThread& helper : helpers)
                helper.Join();
        }

        status = work.status;
        summary.downloaded += work.downloaded;
        summary.alreadyThere += kept;
        summary.failed += work.failed;
        for (const std::wstring& failure : work.failures) {
            addReason(failure);
            const size_t colon = failure.find(L": ");
            logFailure(failure.substr(0, colon), colon == std::wstring::npos ? L"" : failure.substr(colon + 2));
        }
        if (work.diskError) {
            summary.diskError = work.diskError;
            summary.diskPath = work.diskPath;
            break;
        }

        for (size_t j = 0; j < work.jobs.size(); ++j)
            if (work.savedLength[j] >= 0)
                lengths[work.entries[j]] = work.savedLength[j];
        std::vector<BackupIndexRow> rows;
        rows.reserve(photos->size());
        for (size_t i = 0; i < photos->size(); ++i)
            rows.push_back({names[i], &(*photos)[i], lengths[i]});
        for (const auto& [name, text] :
             {std::pair<const wchar_t*, std::wstring>{kIndexCsvName, IndexCsvText(rows)},
              std::pair<const wchar_t*, std::wstring>{kAlbumCsvName, AlbumCsvText(album, photos->size())}}) {
            const std::wstring path = JoinPath(albumFolder, name);
            if (const DWORD error = WriteBackupFile(path, CsvFileBytes(text))) {
                summary.diskError = error;
                summary.diskPath = path;
                break;
            }
        }
        client_.WriteLog(ResourceFormat(IDS_LOG_BACKUP_ALBUM, {album.title, int64_t(work.downloaded), int64_t(kept),
                                                                 int64_t(work.failed)}));
        // A Cancel that came once every file was in is no cancel of this
        // album; it cancels the run only where work was left undone.
        const bool albumUnfinished = work.stopped > 0 || work.next < work.jobs.size();
        if (cancelled() && (albumUnfinished || a + 1 < albums.size())) {
            summary.cancelled = true;
            break;
        }
    }
    return summary;
}
