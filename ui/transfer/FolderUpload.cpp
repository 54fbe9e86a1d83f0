#include "ui/transfer/FolderUpload.h"

#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "app/ResourceText.h"
#include "service/PhotoLoadProgress.h"
#include "res/resource.h"
#include "service/PicasaClient.h"

bool SameFileName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

bool NameBefore(const std::wstring& a, const std::wstring& b)
{
    const int order = StrCmpLogicalW(a.c_str(), b.c_str());
    // Names Explorer sorts alike ("a01", "a1") keep one order all the same.
    return order != 0 ? order < 0 : a < b;
}

DWORD ListUploadFolder(const std::wstring& folder, std::vector<FolderFile>& files)
{
    files.clear();
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/')
        base += L'\\';
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileExW((base + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error; // an empty drive root has not even "."
    }
    do {
        // Subfolders are not part of the upload; hidden and system files
        // (Thumbs.db, desktop.ini) are the system's, not the user's photos.
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        FolderFile file;
        file.name = found.cFileName;
        file.path = base + file.name;
        file.size = (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        file.check = CheckUpload(file.name, true, file.size);
        files.push_back(std::move(file));
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        files.clear();
        return error;
    }
    std::sort(files.begin(), files.end(),
              [](const FolderFile& a, const FolderFile& b) { return NameBefore(a.name, b.name); });
    return 0;
}

std::vector<std::wstring> FolderPlan::PathsToUpload() const
{
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < files.size(); ++i)
        if (states[i] != FolderFileState::There)
            paths.push_back(files[i].path);
    return paths;
}

FolderPlan CompareFolderWithAlbum(std::vector<FolderFile> files, const std::vector<PhotoEntry>& photos)
{
    // By size first: sizes rarely repeat, so each file meets few titles.
    std::unordered_multimap<uint64_t, const std::wstring*> bySize;
    bySize.reserve(photos.size());
    for (const PhotoEntry& photo : photos)
        if (photo.size > 0)
            bySize.emplace(uint64_t(photo.size), &photo.title);

    FolderPlan plan;
    plan.files = std::move(files);
    plan.states.reserve(plan.files.size());
    for (const FolderFile& file : plan.files) {
        FolderFileState state = FolderFileState::New;
        if (file.check != UploadCheck::Ok) {
            state = FolderFileState::CannotUpload;
        } else {
            const auto [first, last] = bySize.equal_range(file.size);
            for (auto it = first; it != last; ++it)
                if (SameFileName(*it->second, file.name))
                    state = FolderFileState::There;
        }
        plan.states.push_back(state);
        switch (state) {
        case FolderFileState::New:
            ++plan.newFiles;
            plan.newBytes += file.size;
            break;
        case FolderFileState::There:
            ++plan.there;
            break;
        case FolderFileState::CannotUpload:
            ++plan.cannot;
            break;
        }
    }
    return plan;
}

namespace {

// The photo list's load, stopped as the caller's progress says.
class StopOnly : public PhotoLoadProgress
{
public:
    explicit StopOnly(PhotoLoadProgress* outer) : outer_(outer) {}
    void PhotosDone(uint32_t photos) override
    {
        if (outer_)
            outer_->PhotosDone(photos);
    }
    bool CancelRequested() override { return outer_ && outer_->CancelRequested(); }

private:
    PhotoLoadProgress* outer_;
};

} // namespace

FolderPreparation PrepareFolderUpload(PicasaClient& client, const std::wstring& albumId, const std::wstring& folder,
                                      PhotoLoadProgress* progress)
{
    FolderPreparation prepared;
    std::vector<FolderFile> files;
    prepared.folderError = ListUploadFolder(folder, files);
    if (prepared.folderError)
        return prepared;
    std::vector<PhotoEntry> none;
    std::unique_ptr<std::vector<PhotoEntry>> photos;
    if (!albumId.empty() && !files.empty()) {
        StopOnly stop(progress);
        DWORD result = 0;
        photos = client.LoadPhotos(albumId, 1, &result, &stop);
        if (result == ERROR_CANCELLED) {
            prepared.cancelled = true;
            return prepared;
        }
        // Without the album's list every file would look new: nothing goes.
        if (result != 0) {
            prepared.albumFailed = true;
            return prepared;
        }
    }
    prepared.plan = CompareFolderWithAlbum(std::move(files), photos ? *photos : none);
    return prepared;
}

std::wstring FolderTitle(const std::wstring& folder)
{
    std::wstring path = folder;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (name.size() == 2 && name[1] == L':')
        name.pop_back(); // a drive's root
    return name;
}

std::wstring FolderMegabytes(uint64_t bytes)
{
    const uint64_t tenths = (bytes * 10 + 524288) / 1048576;
    if (tenths >= 100)
        return std::to_wstring((tenths + 5) / 10);
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
}

std::wstring FolderQuestionText(const FolderPlan& plan)
{
    const std::wstring size = ResourceFormat(IDS_FOLDER_SIZE, {FolderMegabytes(plan.newBytes)});
    std::wstring text;
    if (plan.newFiles == 0)
        text = ResourceString(IDS_FOLDER_NO_NEW_FILES);
    else if (plan.newFiles == 1)
        text = ResourceFormat(IDS_FOLDER_NEW_FILE, {size});
    else
        text = ResourceFormat(IDS_FOLDER_NEW_FILES, {int64_t(plan.newFiles), size});
    // Each further part brings the language's separator with it.
    if (plan.there)
        text += ResourceFormat(IDS_FOLDER_THERE, {int64_t(plan.there)});
    if (plan.cannot == 1)
        text += ResourceString(IDS_FOLDER_CANNOT_ONE);
    else if (plan.cannot > 1)
        text += ResourceFormat(IDS_FOLDER_CANNOT, {int64_t(plan.cannot)});
    return text;
}

std::wstring FolderCannotLine(const FolderFile& file)
{
    UploadItem item;
    item.name = file.name;
    item.check = file.check;
    return ResourceFormat(IDS_UPLOAD_ITEM_LINE, {file.name, UploadReason(item)});
}

int64_t SecondsLeft(uint64_t elapsedMs, uint64_t sent, uint64_t total)
{
    if (sent == 0 || elapsedMs < kTimeLeftAfterMs || total < sent)
        return -1;
    const long double ms = (long double)(elapsedMs) * (long double)(total - sent) / (long double)(sent);
    // A guess past days says only "long"; it must not overflow into a negative.
    const long double seconds = (ms + 999) / 1000;
    return seconds >= (long double)(kMostSecondsLeft) ? kMostSecondsLeft : int64_t(seconds);
}

std::wstring FolderProgressText(const UploadProgress& progress, int64_t secondsLeft)
{
    std::wstring left;
    if (secondsLeft >= 60)
        left = ResourceFormat(IDS_FOLDER_MINUTES_LEFT, {(secondsLeft + 59) / 60});
    else if (secondsLeft >= 0)
        left = ResourceFormat(IDS_FOLDER_SECONDS_LEFT, {secondsLeft});
    return ResourceFormat(IDS_FOLDER_PROGRESS, {int64_t(progress.file), int64_t(progress.files),
                                                FolderMegabytes(progress.sent), FolderMegabytes(progress.total), left,
                                                progress.name});
}

std::wstring FolderSummaryText(const UploadRun& run, size_t skipped, const std::wstring& albumTitle)
{
    std::wstring text = ResourceFormat(IDS_FOLDER_SUMMARY, {albumTitle, int64_t(run.Uploaded()), int64_t(skipped),
                                                            int64_t(run.Refused()), int64_t(run.Failed())});
    if (run.cancelled)
        text += L"\r\n" + ResourceString(IDS_FOLDER_SUMMARY_CANCELLED);
    return text + UploadSummaryLines(run);
}
