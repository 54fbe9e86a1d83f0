#include "backup/BackupNames.h"

#include <windows.h>

#include <cwctype>
#include <set>

namespace {

bool IsForbidden(wchar_t c)
{
    return c < 32 || c == 127 || wcschr(L"<>:\"/\\|?*", c) != nullptr;
}

std::wstring Upper(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(text.data(), DWORD(text.size()));
    return text;
}

bool IsDeviceName(const std::wstring& stem)
{
    const std::wstring upper = Upper(stem);
    for (const wchar_t* name : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (upper == name)
            return true;
    if (upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0))
        return upper[3] >= L'1' && upper[3] <= L'9';
    return false;
}

// Where the extension starts (its dot), or the name's length.
size_t ExtensionStart(const std::wstring& name)
{
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0 || name.size() - dot - 1 < 1 || name.size() - dot - 1 > 5)
        return name.size();
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (!iswalnum(name[i]))
            return name.size();
    return dot;
}

// At most `most` units of text, never ending inside a surrogate pair.
std::wstring Cut(const std::wstring& text, size_t most)
{
    if (text.size() <= most)
        return text;
    size_t end = most;
    if (end > 0 && IS_HIGH_SURROGATE(text[end - 1]))
        --end;
    return text.substr(0, end);
}

void TrimEnd(std::wstring& text)
{
    while (!text.empty() && (text.back() == L'.' || text.back() == L' '))
        text.pop_back();
}

} // namespace

bool HasExtension(const std::wstring& name)
{
    return ExtensionStart(name) < name.size();
}

std::wstring SafeFileName(const std::wstring& title, const std::wstring& fallback)
{
    std::wstring name;
    name.reserve(title.size());
    for (wchar_t c : title)
        name += IsForbidden(c) ? L'_' : c;
    TrimEnd(name);
    // Leading blanks are legal but easy to miss; keep them out too.
    name.erase(0, name.find_first_not_of(L' '));
    if (name.empty())
        return fallback;
    // Windows reads "nul .txt" as the device too: blanks before the first
    // dot do not count.
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    if (IsDeviceName(stem))
        name.insert(stem.size(), L"_");
    if (name.size() > kMostBackupNameLength) {
        const size_t extension = ExtensionStart(name);
        const std::wstring tail = name.substr(extension);
        std::wstring stem = Cut(name.substr(0, extension), kMostBackupNameLength - tail.size());
        TrimEnd(stem);
        name = (stem.empty() ? fallback : stem) + tail;
    }
    return name;
}

std::wstring ExtensionForType(const std::wstring& contentType)
{
    std::wstring type = contentType.substr(0, contentType.find(L';'));
    while (!type.empty() && type.back() == L' ')
        type.pop_back();
    for (wchar_t& c : type)
        c = wchar_t(towlower(c));
    static const struct {
        const wchar_t* type;
        const wchar_t* extension;
    } known[] = {
        {L"image/jpeg", L".jpg"},       {L"image/jpg", L".jpg"},        {L"image/pjpeg", L".jpg"},
        {L"image/png", L".png"},        {L"image/gif", L".gif"},        {L"image/bmp", L".bmp"},
        {L"image/tiff", L".tif"},       {L"image/webp", L".webp"},      {L"video/mp4", L".mp4"},
        {L"video/mpeg4", L".mp4"},      {L"video/mpeg", L".mpg"},       {L"video/quicktime", L".mov"},
        {L"video/x-msvideo", L".avi"},  {L"video/avi", L".avi"},        {L"video/x-flv", L".flv"},
        {L"application/x-shockwave-flash", L".flv"}, {L"video/3gpp", L".3gp"}, {L"video/x-ms-wmv", L".wmv"},
    };
    for (const auto& k : known)
        if (type == k.type)
            return k.extension;
    return L"";
}

std::wstring NameKey(const std::wstring& name)
{
    return Upper(name);
}

std::wstring NameWithSuffix(const std::wstring& name, const std::wstring& suffix)
{
    std::wstring stem = Cut(name, kMostBackupNameLength > suffix.size() ? kMostBackupNameLength - suffix.size() : 0);
    TrimEnd(stem);
    return stem + suffix;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/')
        return folder + name;
    return folder + L"\\" + name;
}

std::vector<std::wstring> UniqueNames(const std::vector<std::wstring>& wanted, const std::vector<std::wstring>& reserved)
{
    std::set<std::wstring> taken;
    for (const std::wstring& name : wanted)
        taken.insert(Upper(name));
    std::set<std::wstring> given;
    for (const std::wstring& name : reserved) {
        taken.insert(Upper(name));
        given.insert(Upper(name));
    }
    std::vector<std::wstring> names;
    names.reserve(wanted.size());
    for (const std::wstring& name : wanted) {
        std::wstring chosen = name;
        if (!given.insert(Upper(name)).second) {
            const size_t extension = ExtensionStart(name);
            for (int n = 2;; ++n) {
                chosen = name.substr(0, extension) + L" (" + std::to_wstring(n) + L")" + name.substr(extension);
                const std::wstring key = Upper(chosen);
                // A later entry's own name stays its own.
                if (!taken.count(key) && given.insert(key).second)
                    break;
            }
        }
        names.push_back(chosen);
    }
    return names;
}
