#pragma once
#include <string>

// The local application data folder of the current user (CSIDL_LOCAL_APPDATA).
constexpr int kLocalAppDataFolder = 28;

// The special folder's path with fileName appended as a path component. A
// negative folder id returns fileName unchanged (a full path given by a
// caller, as tests do). Empty when the folder cannot be found.
std::wstring SettingsPath(const wchar_t* fileName, int folderId);

// Where a settings file lives: the program's quillon.ini in the local
// application data folder unless a caller names another file.
struct SettingsLocation
{
    std::wstring fileName = L"quillon.ini";
    int folderId = kLocalAppDataFolder;

    // A file given by its full path.
    static SettingsLocation File(std::wstring path) { return {std::move(path), -1}; }

    std::wstring Path() const { return SettingsPath(fileName.c_str(), folderId); }
};
