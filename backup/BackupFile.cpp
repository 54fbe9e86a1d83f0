#include "backup/BackupFile.h"

#include "base/ReplacementFile.h"
#include "http/WinHttpDownload.h"

#include <algorithm>

std::wstring LongPath(const std::wstring& path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

std::wstring TemporaryName(const std::wstring& fileName)
{
    // Its ending is longer than any extension a saved file gets, so no
    // entry's own name can be it.
    return fileName + L".quillon-part";
}

int64_t ExistingFileLength(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

namespace {

bool IsDiskError(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_WRITE_FAULT:
        return true;
    default:
        return false;
    }
}

} // namespace

BackupFileResult DownloadToFile(WinHttpDownload& http, const BackupFileJob& job, const std::atomic<bool>& stop,
                                const std::function<void(int64_t)>& onBytes)
{
    BackupFileResult result;
    result.expected = job.expectedLength;
    const std::wstring temporary = LongPath(job.folder + L"\\" + TemporaryName(job.fileName));
    const std::wstring final = LongPath(job.folder + L"\\" + job.fileName);
    if (stop) {
        result.outcome = BackupFileOutcome::Stopped;
        return result;
    }

    // A folder of the file's name stops this file alone, before any request.
    const DWORD existing = GetFileAttributesW(final.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY)) {
        result.nameInTheWay = true;
        return result;
    }

    ReplacementFile file(temporary, final);
    DWORD fileError = 0;
    int64_t written = 0;
    const bool complete = http.Get(
        job.url, job.headers,
        [&](int status, int64_t announced) {
            result.status = status;
            if (status != 200)
                return false;
            if (result.expected < 0)
                result.expected = announced;
            else if (announced > result.expected) {
                result.tooLong = true;
                return false;
            }
            // Created only once the server answers: a failed request leaves
            // nothing to clean up.
            fileError = file.Create(FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
            return fileError == 0 && !stop;
        },
        [&](const uint8_t* bytes, size_t length) {
            // A reply that runs past what it may be is cut off there, not
            // written on to the disk's end.
            const int64_t most = result.expected >= 0 ? result.expected : job.mostLength;
            if (written + int64_t(length) > most) {
                result.tooLong = true;
                result.expected = most;
                return false;
            }
            written += int64_t(length);
            fileError = file.Write(bytes, length);
            if (fileError != 0)
                return false;
            if (onBytes)
                onBytes(int64_t(length));
            return !stop;
        });
    result.received = std::max(http.Received(), written);

    const bool saved = complete && file.IsOpen() && fileError == 0 && !stop && !result.tooLong &&
                       (result.expected < 0 || result.received == result.expected);
    if (saved && job.hasTime)
        fileError = file.SetTimes(job.time);
    if (saved && fileError == 0) {
        fileError = file.Commit();
        if (fileError == 0) {
            result.outcome = BackupFileOutcome::Saved;
            return result;
        }
    }
    file.Discard();
    if (fileError != 0) {
        result.error = fileError;
        result.outcome = IsDiskError(fileError) ? BackupFileOutcome::DiskFailed : BackupFileOutcome::Failed;
    } else if (result.tooLong) {
        result.outcome = BackupFileOutcome::Failed;
    } else if (stop || http.Aborted()) {
        result.outcome = BackupFileOutcome::Stopped;
    } else {
        result.error = http.LastError();
        result.outcome = BackupFileOutcome::Failed;
    }
    return result;
}
