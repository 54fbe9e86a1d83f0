#include "app/CMultiLanguageSupport.h"

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "res/resource.h"

#include <shlwapi.h>

#include <cwchar>

CMultiLanguageSupport::CMultiLanguageSupport(const wchar_t* fileName, int folderId, std::wstring moduleFolder)
    : m_settingsPath(SettingsPath(fileName, folderId)), m_moduleFolder(std::move(moduleFolder))
{
}

CMultiLanguageSupport::~CMultiLanguageSupport()
{
    if (m_module)
        FreeLibrary(m_module);
    m_module = nullptr;
    m_modules.clear();
}

const std::wstring& CMultiLanguageSupport::ReadLanguage(const wchar_t* defaultName)
{
    m_languageName = CIniFile(m_settingsPath).ReadString(L"Generic", L"Language", defaultName, 99);
    return m_languageName;
}

DWORD CMultiLanguageSupport::WriteLanguage(const wchar_t* name)
{
    if (m_settingsPath.empty())
        return ERROR_INVALID_PARAMETER;
    return CIniFile(m_settingsPath).WriteString(L"Generic", L"Language", name ? name : L"") ? ERROR_SUCCESS
                                                                                             : ERROR_WRITE_FAULT;
}

std::wstring CMultiLanguageSupport::ModuleFolder() const
{
    if (!m_moduleFolder.empty())
        return m_moduleFolder;
    wchar_t path[1040] = L"";
    DWORD n = GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    if (n == 0 || n >= std::size(path))
        return L"";
    PathRemoveFileSpecW(path);
    return path;
}

void CMultiLanguageSupport::EnumerateModules()
{
    ListModules(nullptr);
}

HMODULE CMultiLanguageSupport::ListModules(const std::wstring* keepName)
{
    HMODULE kept = nullptr;
    m_modules.clear();
    std::wstring folder = ModuleFolder();
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L"resource*.dll";

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return nullptr;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::wstring path = folder;
        if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
            path += L'\\';
        path += found.cFileName;
        // Loaded as a real library, as LoadModule will: a file that is not
        // one is no language module.
        HMODULE module = LoadLibraryW(path.c_str());
        if (!module)
            continue;
        std::wstring name;
        LoadResourceString(module, IDS_LANGUAGE_NAME, name);
        if (name.size() > 99)
            name.resize(99);
        // The first module of the wanted name stays loaded for the caller
        // rather than being loaded a second time.
        if (keepName && !kept && name == *keepName)
            kept = module;
        else
            FreeLibrary(module);
        m_modules.push_back(Entry{path, name});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return kept;
}

HMODULE CMultiLanguageSupport::LoadModule(const wchar_t* name)
{
    const std::wstring wanted = name ? name : L"";
    HMODULE module = ListModules(&wanted);
    if (!module)
        return nullptr;
    if (m_module)
        FreeLibrary(m_module);
    m_module = module;
    return module;
}
