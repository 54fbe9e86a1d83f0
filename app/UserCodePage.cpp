#include "app/UserCodePage.h"

#include <cstdlib>
#include <vector>

std::wstring WideFromUserCodePage(const char* text)
{
    if (!text || !*text)
        return L"";
    const size_t needed = std::mbstowcs(nullptr, text, 0);
    if (needed == size_t(-1))
        return L"";
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
    // A character the code page cannot hold: convert what can be, one by one.
    std::string out;
    char bytes[MB_LEN_MAX];
    for (wchar_t c : text) {
        int n = std::wctomb(bytes, c);
        if (n > 0)
            out.append(bytes, size_t(n));
        else
            out += '?';
    }
    return out;
}
