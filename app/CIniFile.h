#pragma once
#include <string>

#include "app/SettingsPath.h"

// One private-profile (INI) file. Short-lived: make one, use it, drop it.
// Integers are written with "%d"; a flag counts only when it reads exactly 1.
class CIniFile
{
public:
    CIniFile() = default;
    explicit CIniFile(std::wstring path);
    explicit CIniFile(const SettingsLocation& location);
    virtual ~CIniFile();

    void SetPath(std::wstring path) { m_path = std::move(path); }
    const std::wstring& Path() const { return m_path; }
    bool HasPath() const { return !m_path.empty(); }

    // The decimal integer at the start of the value (leading blanks and a
    // sign allowed, anything after the digits ignored), else defaultValue.
    int ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    bool ReadFlag(const wchar_t* section, const wchar_t* key, bool defaultValue) const;

    // At most maxChars characters of the value, or defaultValue when missing.
    std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                            size_t maxChars = 259) const;

    // Creates the folder (with its parents) and an empty file when no file
    // exists at the path. Every write calls it first.
    bool EnsureExists() const;

    bool WriteInt(const wchar_t* section, const wchar_t* key, int value) const;
    bool WriteFlag(const wchar_t* section, const wchar_t* key, bool value) const { return WriteInt(section, key, value ? 1 : 0); }
    bool WriteString(const wchar_t* section, const wchar_t* key, const wchar_t* value) const;

private:
    std::wstring m_path;
};

// The value that ReadInt gives for a text: what "%d" scans from its start.
bool ScanLeadingInt(const wchar_t* text, int& value);
