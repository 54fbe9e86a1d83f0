#pragma once
#include <cstdint>
#include <string>

// What may be uploaded to an album, decided before anything is sent, and
// what the service's answer to one upload means.

// The service's limits on one file.
constexpr uint64_t kUploadPhotoLimit = 20ull * 1024 * 1024;
constexpr uint64_t kUploadVideoLimit = 1024ull * 1024 * 1024;

enum class UploadCheck
{
    Ok,
    UnknownType, // an extension the service takes no media for
    Empty,
    Unreadable, // missing, or not opened for reading
    TooLarge,   // over kUploadPhotoLimit or kUploadVideoLimit
    Folder,     // a folder, such as one dropped among the files
};

// The media type for a file name's extension (any case): "image/jpeg",
// "video/mp4" ...; empty for any other.
std::wstring UploadContentType(const std::wstring& fileName);
bool IsVideoType(const std::wstring& contentType);

// The check of a file of `size` bytes named `fileName` that could
// (`readable`) or could not be opened.
UploadCheck CheckUpload(const std::wstring& fileName, bool readable, uint64_t size);
// The same for a file on disk: opens it for reading and takes its size. A
// folder is never a file to send, whatever its name.
UploadCheck CheckUploadFile(const std::wstring& path, uint64_t* size = nullptr);

// The file name part of a path (after the last \ or /).
std::wstring UploadFileName(const std::wstring& path);

// How one upload ended, from the status and text of the service's reply.
enum class UploadEnd
{
    Uploaded,       // 201
    SignedOut,      // 401: the token is no longer good
    NotOwner,       // 403: not this account's album to change
    QuotaFull,      // 403 naming the quota
    AlbumFull,      // 403 naming the photo limit
    TooLarge,       // 413
    TypeRefused,    // 400
    OtherStatus,    // any other status
    NotSent,        // no request, or not all of the file, went out
    OutcomeUnknown, // all of the file went out but no whole reply came back
    Cancelled,
};

UploadEnd ClassifyUploadReply(const std::wstring& status, const std::wstring& text);
// Whether the end applies to every file, so that the rest are not sent.
bool StopsTheRest(UploadEnd end);
