#include "base/UserCodePage.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

std::wstring WideFromUserCodePage(const char* text)
{
    if (!text || !*text)
        return L"";
    const size_t needed = std::mbstowcs(nullptr, text, 0);
    if (needed == size_t(-1)) {
        // Not valid in the code page: take the bytes one by one as Latin-1.
        std::wstring out;
        for (const char* p = text; *p; ++p)
            out += wchar_t(static_cast<unsigned char>(*p));
        return out;
    }
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    std::mbstowcs(buffer.data(), text, needed + 1);
    return buffer.data();
}

std::string UserCodePageFromWide(const std::wstring& text)
{
    if (text.empty())
        return "";
    const size_t needed = std::wcstombs(nullptr, text.c_str(), 0);
    if (needed != size_t(-1)) {
        std::vector<char> buffer(needed + 1, '\0');
        std::wcstombs(buffer.data(), text.c_str(), needed + 1);
        return buffer.data();
    }
    // A character the code page cannot hold becomes "?"; the others convert
    // one by one (wcstombs, not wctomb, which would pick look-alikes).
    std::string out;
    char bytes[MB_LEN_MAX * 2 + 1];
    for (wchar_t c : text) {
        const wchar_t one[2] = {c, L'\0'};
        const size_t n = std::wcstombs(bytes, one, sizeof(bytes) - 1);
        if (n == size_t(-1))
            out += '?';
        else
            out.append(bytes, n);
    }
    return out;
}

std::string UserCodePageFromWide(const std::wstring& text, size_t maxBytes)
{
    std::string whole = UserCodePageFromWide(text);
    if (whole.size() <= maxBytes)
        return whole;
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const bool pair = i + 1 < text.size() && IS_HIGH_SURROGATE(text[i]) && IS_LOW_SURROGATE(text[i + 1]);
        const size_t units = pair ? 2 : 1;
        const std::string bytes = UserCodePageFromWide(text.substr(i, units));
        if (out.size() + bytes.size() > maxBytes)
            break;
        out += bytes;
        i += units;
    }
    return out;
}
