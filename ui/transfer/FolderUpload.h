#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "service/PhotoEntry.h"
#include "service/UploadRules.h"
#include "ui/transfer/UploadRunner.h"

class PicasaClient;
class PhotoLoadProgress;

// A folder uploaded into an album, sending only what the album does not
// hold yet: the folder's files are compared with the album's photos first,
// so that a second run sends nothing twice, and a run that was cut off
// (Cancel, a lost connection, a closed program) is finished by the next.

// One file directly in the folder, checked by its name and size alone (the
// upload reads it again before sending).
struct FolderFile
{
    std::wstring path;
    std::wstring name;
    uint64_t size = 0;
    UploadCheck check = UploadCheck::Ok;
};

// Whether two file names are the same name as Windows compares them
// (ordinal, ignoring case).
bool SameFileName(const std::wstring& a, const std::wstring& b);
// Explorer's order: digits compare as numbers ("2" before "10").
bool NameBefore(const std::wstring& a, const std::wstring& b);

// The files directly in `folder` (not its subfolders, nor hidden or system
// files such as Thumbs.db), in name order. 0, or why the folder cannot be
// read.
DWORD ListUploadFolder(const std::wstring& folder, std::vector<FolderFile>& files);

enum class FolderFileState
{
    New,          // to send
    There,        // the album holds a photo of this name and size
    CannotUpload, // refused by the upload's checks
};

// What a run will do with each file of the folder.
struct FolderPlan
{
    std::vector<FolderFile> files; // name order
    std::vector<FolderFileState> states;
    size_t newFiles = 0;
    uint64_t newBytes = 0;
    size_t there = 0;
    size_t cannot = 0;

    // What goes to the upload: the new files, and those it cannot upload,
    // so that the summary names them with the reason.
    std::vector<std::wstring> PathsToUpload() const;
};

// A file counts as there when the album holds a photo whose title is the
// file's name (SameFileName) and whose size is the file's size in bytes.
FolderPlan CompareFolderWithAlbum(std::vector<FolderFile> files, const std::vector<PhotoEntry>& photos);

// What comes before the question, off the window's thread: the folder
// listed and, for an album that exists (albumId not empty), its photo list
// read (without details) and compared.
struct FolderPreparation
{
    DWORD folderError = 0; // the folder could not be read
    bool albumFailed = false; // the photo list could not be read: nothing may be sent
    bool cancelled = false;
    FolderPlan plan;
};
FolderPreparation PrepareFolderUpload(PicasaClient& client, const std::wstring& albumId, const std::wstring& folder,
                                      PhotoLoadProgress* progress);

// The folder's own name, the title of a new album made of it ("D" for D:\).
std::wstring FolderTitle(const std::wstring& folder);

// Megabytes as the question says them: one decimal below 10 MB, whole
// megabytes from there ("0.3", "9.9", "412").
std::wstring FolderMegabytes(uint64_t bytes);
// The question's counts: "128 new files, 412 MB; 300 already in the album;
// 2 files Quillon cannot upload: see the list" (parts with nothing left out).
std::wstring FolderQuestionText(const FolderPlan& plan);
// The reason one file cannot be uploaded, as the question's list shows it.
std::wstring FolderCannotLine(const FolderFile& file);

// Seconds left, from the time taken so far for the bytes sent; -1 while it
// cannot be told yet (nothing sent, or under kTimeLeftAfterMs); at most
// kMostSecondsLeft.
constexpr uint64_t kTimeLeftAfterMs = 2000;
constexpr int64_t kMostSecondsLeft = 100 * 3600; // a longer guess says no more
int64_t SecondsLeft(uint64_t elapsedMs, uint64_t sent, uint64_t total);
// The progress window's line: file n of N, megabytes sent of the total,
// the time left once it can be told, the file's name.
std::wstring FolderProgressText(const UploadProgress& progress, int64_t secondsLeft);
// The summary: sent, skipped, refused and failed, then why each file was not
// uploaded (as the upload's own summary lists them).
std::wstring FolderSummaryText(const UploadRun& run, size_t skipped, const std::wstring& albumTitle);
