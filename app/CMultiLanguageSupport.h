#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Finds the language modules ("resource*.dll" beside the program, each naming
// its language in string 5000), loads the one configured in the settings
// file, and reads and writes that choice (Generic/Language).
class CMultiLanguageSupport
{
public:
    // The settings file follows SettingsPath(fileName, folderId). The modules
    // are looked for in moduleFolder, or beside the program when it is empty.
    CMultiLanguageSupport(const wchar_t* fileName, int folderId, std::wstring moduleFolder = L"");
    virtual ~CMultiLanguageSupport();

    CMultiLanguageSupport(const CMultiLanguageSupport&) = delete;
    CMultiLanguageSupport& operator=(const CMultiLanguageSupport&) = delete;

    const std::wstring& SettingsFile() const { return m_settingsPath; }

    // Reads Generic/Language (at most 99 characters), keeps and returns it.
    const std::wstring& ReadLanguage(const wchar_t* defaultName);
    const std::wstring& LanguageName() const { return m_languageName; }

    // 0 on success, ERROR_WRITE_FAULT (29) when the write fails,
    // ERROR_INVALID_PARAMETER (87) without a settings path.
    DWORD WriteLanguage(const wchar_t* name);

    // Lists the modules in the order the file system gives them; a file
    // that does not load as a library is left out.
    void EnumerateModules();
    size_t ModuleCount() const { return m_modules.size(); }
    const std::wstring& ModulePath(size_t i) const { return m_modules[i].path; }
    const std::wstring& ModuleName(size_t i) const { return m_modules[i].name; }

    // Loads the first listed module whose name equals name exactly (case
    // counts). On success the module held before is freed (after the new one
    // loaded) and the new one returned; otherwise null and the old one stays.
    HMODULE LoadModule(const wchar_t* name);
    HMODULE Module() const { return m_module; }

    // The folder the modules are looked for in.
    std::wstring ModuleFolder() const;

private:
    struct Entry
    {
        std::wstring path;
        std::wstring name;
    };

    // Lists the modules; with keepName, the first one of that name is kept
    // loaded and returned (null when there is none).
    HMODULE ListModules(const std::wstring* keepName);

    std::wstring m_settingsPath;
    std::wstring m_languageName;
    HMODULE m_module = nullptr;
    std::vector<Entry> m_modules;
    std::wstring m_moduleFolder;
};
