#pragma once
// What a backup left in a folder, as the backup tests look at it, and where
// its files come from.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "tests/support/TestEnv.h"
#include "backup/BackupFile.h"

namespace BackupTest {

// Every file under the folder (path relative to it -> length), temporary
// ones too.
inline std::map<std::wstring, int64_t> FolderTree(const std::wstring& folder, const std::wstring& under = L"")
{
    std::map<std::wstring, int64_t> files;
    WIN32_FIND_DATAW found;
    const std::wstring base = under.empty() ? folder : folder + L"\\" + under;
    HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring relative = under.empty() ? name : under + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files.merge(FolderTree(folder, relative));
        else
            files[relative] = (int64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return files;
}

inline size_t TemporaryFiles(const std::map<std::wstring, int64_t>& tree)
{
    size_t n = 0;
    for (const auto& entry : tree)
        n += entry.first.find(TemporaryName(L"")) != std::wstring::npos;
    return n;
}

// The creation and last-write times of a file; false when it cannot be read.
inline bool FileTimes(const std::wstring& path, FILETIME& created, FILETIME& written)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool read = GetFileTime(file, &created, nullptr, &written);
    CloseHandle(file);
    return read;
}

// The path of a media address on the stand-in.
inline std::string PathOf(const std::wstring& url)
{
    const std::string text = TestEnv::Narrow(url);
    return text.substr(text.find('/', text.find("://") + 3));
}

} // namespace BackupTest
