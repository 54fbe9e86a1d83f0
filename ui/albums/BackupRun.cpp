#include "ui/albums/BackupRun.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "base/ScopedHandles.h"
#include "http/WinHttpDownload.h"
#include "service/PhotoLoadProgress.h"
#include "service/PicasaClient.h"
#include "ui/albums/BackupFile.h"
#include "ui/albums/BackupIndex.h"
#include "ui/albums/BackupNames.h"
#include "ui/albums/PhotoPreviewUrl.h"

std::vector<std::wstring> AlbumFolderNames(const std::vector<AlbumEntry>& albums)
{
    std::vector<std::wstring> wanted;
    wanted.reserve(albums.size());
    for (const AlbumEntry& album : albums)
        wanted.push_back(SafeFileName(album.title, album.id.empty() ? L"album" : album.id));
    return UniqueNames(wanted);
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

// The name each entry is saved under, in feed order.
std::vector<std::wstring> EntryFileNames(const std::vector<PhotoEntry>& photos)
{
    std::vector<std::wstring> wanted;
    wanted.reserve(photos.size());
    for (const PhotoEntry& photo : photos) {
        std::wstring name = SafeFileName(photo.title, photo.id.empty() ? L"photo" : photo.id);
        if (!HasExtension(name))
            name += ExtensionForType(IsVideo(photo) && !photo.mediaType.empty() ? photo.mediaType : L"image/jpeg");
        wanted.push_back(name);
    }
    return UniqueNames(wanted);
}

// Writes a small file whole under a temporary name, then moves it into
// place; the error, 0 on success.
DWORD WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    const size_t slash = path.rfind(L'\\');
    const std::wstring temporary =
        LongPath(path.substr(0, slash + 1) + TemporaryName(path.substr(slash + 1)));
    DWORD error = 0;
    {
        const UniqueHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE)
            return GetLastError();
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size())
            error = GetLastError() ? GetLastError() : DWORD(ERROR_WRITE_FAULT);
    } // closed before the move
    if (!error && !MoveFileExW(temporary.c_str(), LongPath(path).c_str(), MOVEFILE_REPLACE_EXISTING))
        error = GetLastError();
    if (error)
        DeleteFileW(temporary.c_str());
    return error;
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

std::wstring FailureText(const BackupFileResult& result)
{
    if (result.status != 0 && result.status != 200)
        return L"HTTP " + std::to_wstring(result.status);
    if (result.status == 200 && result.expected >= 0 && result.received != result.expected)
        return L"cut short (" + std::to_wstring(result.received) + L" of " + std::to_wstring(result.expected) +
               L" bytes)";
    return L"error " + std::to_wstring(result.error);
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
    std::vector<std::wstring> failures; // in the order they happened
    DWORD diskError = 0;
    std::wstring diskPath;
};

} // namespace

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
    const std::vector<std::wstring> folders = AlbumFolderNames(albums);
    const std::wstring token = client_.GetAuthToken();
    const std::wstring photoServer = client_.GetPhotoServer();
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
        if (result != ERROR_SUCCESS) {
            ++summary.albumsFailed;
            addReason(album.title + L": HTTP " + client_.GetLastStatus());
            client_.WriteLog(L"\u30d0\u30c3\u30af\u30a2\u30c3\u30d7 \uff1a " + album.title + // バックアップ ：
                             L" \uff1a \u5199\u771f\u30ea\u30b9\u30c8\u306e\u53d6\u5f97\u306b\u5931\u6557 HTTP " + // 写真リストの取得に失敗
                             client_.GetLastStatus());
            continue;
        }

        const std::wstring albumFolder = folder_ + L"\\" + folders[a];
        if (!CreateDirectoryW(LongPath(albumFolder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            summary.diskError = GetLastError();
            summary.diskPath = albumFolder;
            break;
        }

        const std::vector<std::wstring> names = EntryFileNames(*photos);
        const std::map<std::wstring, RecordedFile> recorded =
            RecordedFiles(ReadSmallFile(albumFolder + L"\\index.csv"));
        // Per entry: the length of its file in the folder once the album is
        // done (-1 when none), for the new index.
        std::vector<int64_t> lengths(photos->size(), -1);
        AlbumWork work;
        uint64_t kept = 0;
        for (size_t i = 0; i < photos->size(); ++i) {
            const PhotoEntry& photo = (*photos)[i];
            BackupFileJob job;
            job.url = photo.mediaUrl;
            job.headers = PreviewRequestHeaders(photo.mediaUrl, photoServer, token);
            job.folder = albumFolder;
            job.fileName = names[i];
            job.expectedLength = ExpectedLength(photo);
            job.hasTime = UtcTextToFileTime(photo.timestamp, job.time);
            const int64_t existing = ExistingFileLength(albumFolder + L"\\" + names[i]);
            const auto record = recorded.find(names[i]);
            const int64_t recordedLength =
                record != recorded.end() && record->second.mediaUrl == photo.mediaUrl ? record->second.size : -1;
            lengths[i] = existing; // as it stays unless a download replaces it
            if (NeedsDownload(existing, job.expectedLength, recordedLength) == DownloadNeed::Keep) {
                ++kept;
            } else {
                work.jobs.push_back(std::move(job));
                work.entries.push_back(i);
            }
        }
        work.savedLength.assign(work.jobs.size(), -1);
        status.files = photos->size();
        status.filesDone = kept;
        work.status = status;
        if (events.progress)
            events.progress(work.status);

        auto download = [&] {
            // Shared, so that Abort lets it go at once even from a server
            // that stalls.
            const auto http = std::make_shared<WinHttpDownload>();
            http->acceptUntrustedCertificates = client_.Transport().acceptUntrustedCertificates;
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
                    work.failures.push_back(folders[a] + L"\\" + job.fileName + L": " + FailureText(result));
                    break;
                case BackupFileOutcome::DiskFailed:
                    if (!work.diskError) {
                        work.diskError = result.error;
                        work.diskPath = job.folder + L"\\" + job.fileName;
                    }
                    work.halt = true;
                    break;
                case BackupFileOutcome::Stopped:
                    break;
                }
                if (events.progress)
                    events.progress(work.status);
            }
        };
        const size_t threads = std::min(connections, work.jobs.size());
        std::vector<std::thread> helpers;
        for (size_t t = 1; t < threads; ++t) {
            try {
                helpers.emplace_back(download);
            } catch (...) {
                break; // fewer connections, the same work
            }
        }
        download();
        for (std::thread& helper : helpers)
            helper.join();

        status = work.status;
        summary.downloaded += work.downloaded;
        summary.alreadyThere += kept;
        summary.failed += work.failed;
        for (const std::wstring& failure : work.failures) {
            addReason(failure);
            client_.WriteLog(L"\u30d0\u30c3\u30af\u30a2\u30c3\u30d7 \uff1a " + failure + // バックアップ ：
                             L" \uff1a \u5931\u6557");                                       // ： 失敗
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
             {std::pair<const wchar_t*, std::wstring>{L"index.csv", IndexCsvText(rows)},
              std::pair<const wchar_t*, std::wstring>{L"album.csv", AlbumCsvText(album, photos->size())}}) {
            const std::wstring path = albumFolder + L"\\" + name;
            if (const DWORD error = WriteWholeFile(path, CsvFileBytes(text))) {
                summary.diskError = error;
                summary.diskPath = path;
                break;
            }
        }
        wchar_t counts[160];
        // " ： 取得 n、既存 n、失敗 n"
        swprintf(counts, 160, L" \uff1a \u53d6\u5f97 %llu\u3001\u65e2\u5b58 %llu\u3001\u5931\u6557 %llu", (unsigned long long)work.downloaded,
                 (unsigned long long)kept, (unsigned long long)work.failed);
        client_.WriteLog(L"\u30d0\u30c3\u30af\u30a2\u30c3\u30d7 \uff1a " + album.title + counts); // バックアップ ：
        if (cancelled()) {
            summary.cancelled = true;
            break;
        }
    }
    return summary;
}
