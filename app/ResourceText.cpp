#include "app/ResourceText.h"

#include "base/TextFormat.h"

#include "app/CAppModule.h"
#include "res/resource.h"

#include <cwchar>
#include <vector>

bool LoadResourceString(HINSTANCE module, UINT id, std::wstring& text)
{
    // LoadStringW cuts at the buffer size without saying so: grow until the
    // string fits with room to spare.
    std::vector<wchar_t> buffer(256);
    int length = 0;
    for (;;) {
        length = LoadStringW(module, id, buffer.data(), int(buffer.size()));
        if (length < int(buffer.size()) - 1)
            break;
        buffer.assign(buffer.size() * 2, L'\0');
    }
    if (length <= 0)
        return false;
    text.assign(buffer.data(), size_t(length));
    return true;
}

bool LoadResourceString(UINT id, std::wstring& text)
{
    return LoadResourceString(CAppModule::ResourceInstance(), id, text);
}

std::wstring ResourceString(UINT id)
{
    std::wstring text;
    LoadResourceString(id, text);
    return text;
}

bool FileVersionText(const wchar_t* valueName, std::wstring& text, const wchar_t* filePath)
{
    text.clear();
    wchar_t program[1040] = L"";
    if (!filePath) {
        DWORD n = GetModuleFileNameW(nullptr, program, DWORD(std::size(program)));
        if (n == 0 || n >= std::size(program))
            return false;
        filePath = program;
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(filePath, &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> record(size);
    if (!GetFileVersionInfoW(filePath, 0, size, record.data()))
        return false;

    struct Translation
    {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes) ||
        !translations)
        return false;
    for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
        wchar_t query[256];
        std::swprintf(query, std::size(query), L"\\StringFileInfo\\%04x%04x\\%ls", translations[i].language,
                      translations[i].codePage, valueName);
        wchar_t* value = nullptr;
        UINT length = 0;
        if (VerQueryValueW(record.data(), query, reinterpret_cast<void**>(&value), &length) && value) {
            text = value;
            return true;
        }
    }
    return false;
}

std::wstring VersionLine(const std::wstring& versionText)
{
    return L"Ver. " + versionText + L" " + ResourceString(IDS_VERSION_SUFFIX);
}

std::wstring ProgramVersionText()
{
    std::wstring text;
    FileVersionText(L"FileVersion", text);
    return text;
}

std::wstring ResourceFormat(UINT id, const std::vector<TextArg>& args)
{
    return FormatText(ResourceString(id), args);
}

std::wstring CountText(UINT oneId, UINT manyId, int64_t count)
{
    return FormatText(ResourceString(count == 1 ? oneId : manyId), {count});
}
