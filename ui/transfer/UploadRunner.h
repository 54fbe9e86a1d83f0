#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "service/AlbumEntry.h"
#include "service/UploadRules.h"

class PicasaClient;

// One file of an upload into an album, and how it went.
struct UploadItem
{
    std::wstring path;
    std::wstring name;
    uint64_t size = 0;
    UploadCheck check = UploadCheck::Ok;
    UploadEnd end = UploadEnd::NotSent;
    bool sent = false;     // a request went out for it
    std::wstring status;   // the service's status, if it answered
};

struct UploadRun
{
    std::vector<UploadItem> items;
    bool cancelled = false;
    bool stopped = false; // an answer that applies to every file stopped the rest

    int Uploaded() const;
    int Refused() const; // by the checks before sending
    int Failed() const;  // sent, or meant to be, and not uploaded
    bool AnyUnknown() const;
};

// What the progress window shows: file n of N (1-based), bytes sent of all
// the bytes to send, and the file's name. False asks to stop.
struct UploadProgress
{
    size_t file = 0;
    size_t files = 0;
    uint64_t sent = 0;
    uint64_t total = 0;
    std::wstring name;
};
using UploadProgressFn = std::function<bool(const UploadProgress&)>;

// Checks every file first (nothing is sent for one that fails), then sends
// the others into `album` one after another. Stops at an answer that applies
// to every file, and when `progress` says so (the file in flight is then
// cut short by the caller through the client). A log line per file.
UploadRun UploadIntoAlbum(PicasaClient& client, const AlbumEntry& album, const std::vector<std::wstring>& paths,
                          const UploadProgressFn& progress);

// Why a file was not uploaded, in the program's language; empty when it was.
std::wstring UploadReason(const UploadItem& item);
// The log line of one file.
std::wstring UploadLogLine(const UploadItem& item, const std::wstring& albumTitle);
// The summary box's text: counts, then one line per file not uploaded, up
// to kUploadSummaryLines of them (names cut at kUploadSummaryNameChars),
// then how many more the log names.
constexpr size_t kUploadSummaryLines = 10;
constexpr size_t kUploadSummaryNameChars = 80;
std::wstring UploadSummaryText(const UploadRun& run, const std::wstring& albumTitle);
// The summary's lines after its counts, each starting with a line break.
std::wstring UploadSummaryLines(const UploadRun& run);
// The progress window's line.
std::wstring UploadProgressText(const UploadProgress& progress);
