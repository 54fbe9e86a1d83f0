#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/SettingsPath.h"

// The platform's file dialog for the files to upload: several at once,
// filters for images, videos and all files, opened in the folder used last
// (kept in the settings). False when the user chose nothing.
bool ChooseUploadFiles(HWND owner, const SettingsLocation& settings, std::vector<std::wstring>& paths);

// The settings that keep the last folder.
constexpr const wchar_t* kUploadSection = L"Upload";
constexpr const wchar_t* kUploadFolderKey = L"LAST_FOLDER";

// The folder part of a path (before the last \ or /); empty without one.
std::wstring UploadFolderOf(const std::wstring& path);

// The dropped paths, folders among them: the upload names each folder as
// not uploaded, rather than leave it out without a word.
std::vector<std::wstring> DroppedPaths(HDROP drop);
// Whether there are paths and every one is a folder.
bool OnlyFolders(const std::vector<std::wstring>& paths);
