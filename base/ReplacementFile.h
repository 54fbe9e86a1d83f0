#pragma once
#include <windows.h>

#include <string>

#include "base/ScopedHandles.h"

// A file written under a temporary name beside its final one and moved into
// place (replacing an older one) only by Commit, so that a folder never holds
// a file cut short under its final name. Whatever is not committed is
// deleted: a failed write or move leaves neither the temporary file nor a new
// final one, and an older final file stays as it was. The results are Win32
// error codes, 0 for success.
class ReplacementFile
{
public:
    ReplacementFile(std::wstring temporaryPath, std::wstring finalPath);
    ~ReplacementFile() { Discard(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates (or empties) the temporary file.
    DWORD Create(DWORD flags = FILE_ATTRIBUTE_NORMAL);
    bool IsOpen() const { return file_.get() != INVALID_HANDLE_VALUE && file_.get() != nullptr; }
    DWORD Write(const void* bytes, size_t length);
    // The file's created and modified times.
    DWORD SetTimes(const FILETIME& time);
    // Closes the file and moves it to the final name.
    DWORD Commit();
    // Closes and deletes the temporary file, if there is one.
    void Discard();

private:
    std::wstring temporary_;
    std::wstring final_;
    UniqueHandle file_;
    bool created_ = false;
};

// `length` bytes written whole to `finalPath` through `temporaryPath`.
DWORD WriteWholeFile(const std::wstring& temporaryPath, const std::wstring& finalPath, const void* bytes,
                     size_t length);
