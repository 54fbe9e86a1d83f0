#include "app/SettingsPath.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

std::wstring SettingsPath(const wchar_t* fileName, int folderId)
{
    if (!fileName)
        return L"";
    if (folderId < 0)
        return fileName;
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, path)))
        return L"";
    if (!PathAppendW(path, fileName))
        return L"";
    return path;
}
