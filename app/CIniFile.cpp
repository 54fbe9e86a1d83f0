#include "app/CIniFile.h"

#include "base/ScopedHandles.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <vector>

CIniFile::CIniFile(std::wstring path) : m_path(std::move(path)) {}

CIniFile::CIniFile(const SettingsLocation& location) : m_path(location.Path()) {}

CIniFile::~CIniFile()
{
    m_path.clear();
}

bool ScanLeadingInt(const wchar_t* text, int& value)
{
    if (!text || !*text)
        return false;
    int scanned = 0;
    if (std::swscanf(text, L"%d", &scanned) != 1)
        return false;
    value = scanned;
    return true;
}

int CIniFile::ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    if (m_path.empty())
        return defaultValue;
    wchar_t text[260] = L"";
    GetPrivateProfileStringW(section, key, L"", text, 260, m_path.c_str());
    int value = defaultValue;
    return ScanLeadingInt(text, value) ? value : defaultValue;
}

bool CIniFile::ReadFlag(const wchar_t* section, const wchar_t* key, bool defaultValue) const
{
    return ReadInt(section, key, defaultValue ? 1 : 0) == 1;
}

std::wstring CIniFile::ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                  size_t maxChars) const
{
    if (m_path.empty())
        return defaultValue ? defaultValue : L"";
    std::vector<wchar_t> text(maxChars + 1, L'\0');
    DWORD n = GetPrivateProfileStringW(section, key, defaultValue ? defaultValue : L"", text.data(),
                                       DWORD(text.size()), m_path.c_str());
    return std::wstring(text.data(), n);
}

bool CIniFile::EnsureExists() const
{
    if (m_path.empty())
        return false;
    if (PathFileExistsW(m_path.c_str()))
        return true;
    wchar_t folder[MAX_PATH * 4] = L"";
    if (m_path.size() >= std::size(folder))
        return false;
    wcscpy(folder, m_path.c_str());
    if (PathRemoveFileSpecW(folder) && folder[0]) {
        int rc = SHCreateDirectoryExW(nullptr, folder, nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS)
            return false;
    }
    const UniqueHandle file(CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    return true;
}

bool CIniFile::WriteInt(const wchar_t* section, const wchar_t* key, int value) const
{
    wchar_t text[260];
    std::swprintf(text, 260, L"%d", value);
    return WriteString(section, key, text);
}

bool CIniFile::WriteString(const wchar_t* section, const wchar_t* key, const wchar_t* value) const
{
    if (m_path.empty())
        return false;
    EnsureExists();
    return WritePrivateProfileStringW(section, key, value, m_path.c_str()) != FALSE;
}
