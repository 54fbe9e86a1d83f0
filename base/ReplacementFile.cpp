#include "base/ReplacementFile.h"

namespace {

DWORD LastErrorOr(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error ? error : fallback;
}

} // namespace

ReplacementFile::ReplacementFile(std::wstring temporaryPath, std::wstring finalPath)
    : temporary_(std::move(temporaryPath)), final_(std::move(finalPath))
{
}

DWORD ReplacementFile::Create(DWORD flags)
{
    file_.reset(CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flags, nullptr));
    if (!IsOpen())
        return LastErrorOr(ERROR_OPEN_FAILED);
    created_ = true;
    return 0;
}

DWORD ReplacementFile::Write(const void* bytes, size_t length)
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    DWORD done = 0;
    if (length > MAXDWORD)
        return ERROR_WRITE_FAULT;
    if (!WriteFile(file_.get(), bytes, DWORD(length), &done, nullptr) || done != length)
        return LastErrorOr(ERROR_WRITE_FAULT);
    return 0;
}

DWORD ReplacementFile::SetTimes(const FILETIME& time)
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    return SetFileTime(file_.get(), &time, nullptr, &time) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD ReplacementFile::Commit()
{
    if (!IsOpen())
        return ERROR_INVALID_HANDLE;
    file_.reset(); // closed before the move
    if (!MoveFileExW(temporary_.c_str(), final_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = LastErrorOr(ERROR_WRITE_FAULT);
        Discard();
        return error;
    }
    created_ = false;
    return 0;
}

void ReplacementFile::Discard()
{
    file_.reset();
    if (created_)
        DeleteFileW(temporary_.c_str());
    created_ = false;
}

DWORD WriteWholeFile(const std::wstring& temporaryPath, const std::wstring& finalPath, const void* bytes,
                     size_t length)
{
    ReplacementFile file(temporaryPath, finalPath);
    DWORD error = file.Create();
    if (!error)
        error = file.Write(bytes, length);
    if (!error)
        error = file.Commit();
    return error;
}
