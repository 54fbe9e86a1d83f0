#include "service/UploadRules.h"

#include <cwchar>

#include <windows.h>

namespace {

struct TypeOfExtension
{
    const wchar_t* extension;
    const wchar_t* type;
};

const TypeOfExtension kTypes[] = {
    {L"jpg", L"image/jpeg"}, {L"jpeg", L"image/jpeg"},    {L"png", L"image/png"},
    {L"gif", L"image/gif"},  {L"bmp", L"image/bmp"},      {L"mp4", L"video/mp4"},
    {L"mov", L"video/quicktime"}, {L"avi", L"video/avi"}, {L"wmv", L"video/x-ms-wmv"},
    {L"mpg", L"video/mpeg"}, {L"3gp", L"video/3gpp"},
};

bool Contains(const std::wstring& text, const wchar_t* word)
{
    std::wstring lower = text;
    for (wchar_t& c : lower)
        c = (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c;
    return lower.find(word) != std::wstring::npos;
}

} // namespace

std::wstring UploadFileName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring UploadContentType(const std::wstring& fileName)
{
    const std::wstring name = UploadFileName(fileName);
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0)
        return L"";
    const std::wstring extension = name.substr(dot + 1);
    for (const TypeOfExtension& t : kTypes)
        if (_wcsicmp(extension.c_str(), t.extension) == 0)
            return t.type;
    return L"";
}

bool IsVideoType(const std::wstring& contentType)
{
    return contentType.compare(0, 6, L"video/") == 0;
}

UploadCheck CheckUpload(const std::wstring& fileName, bool readable, uint64_t size)
{
    const std::wstring type = UploadContentType(fileName);
    if (type.empty())
        return UploadCheck::UnknownType;
    if (!readable)
        return UploadCheck::Unreadable;
    if (size == 0)
        return UploadCheck::Empty;
    if (size > (IsVideoType(type) ? kUploadVideoLimit : kUploadPhotoLimit))
        return UploadCheck::TooLarge;
    return UploadCheck::Ok;
}

UploadCheck CheckUploadFile(const std::wstring& path, uint64_t* size)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (size)
            *size = 0;
        return UploadCheck::Folder;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER length = {};
    const bool readable = file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &length);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (size)
        *size = readable ? uint64_t(length.QuadPart) : 0;
    return CheckUpload(path, readable, readable ? uint64_t(length.QuadPart) : 0);
}

UploadEnd ClassifyUploadReply(const std::wstring& status, const std::wstring& text)
{
    if (status == L"201")
        return UploadEnd::Uploaded;
    if (status == L"401")
        return UploadEnd::SignedOut;
    if (status == L"403") {
        if (Contains(text, L"quota"))
            return UploadEnd::QuotaFull;
        if (Contains(text, L"limit"))
            return UploadEnd::AlbumFull;
        return UploadEnd::NotOwner;
    }
    if (status == L"413")
        return UploadEnd::TooLarge;
    if (status == L"400")
        return UploadEnd::TypeRefused;
    return UploadEnd::OtherStatus;
}

bool StopsTheRest(UploadEnd end)
{
    // The same answer would come for every file still to go.
    return end == UploadEnd::SignedOut || end == UploadEnd::NotOwner || end == UploadEnd::QuotaFull ||
           end == UploadEnd::AlbumFull;
}
