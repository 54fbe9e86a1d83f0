#include "base/Utf8Text.h"

#include <climits>
#include <new>

#include <windows.h>

bool Utf8FromWide(std::wstring_view text, std::string& out)
{
    out.clear();
    if (text.empty())
        return true;
    if (text.size() > size_t(INT_MAX))
        return false;
    const int length = int(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    try {
        out.resize(size_t(bytes));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), bytes, nullptr, nullptr) != bytes) {
        out.clear();
        return false;
    }
    return true;
}

std::string Utf8FromWide(std::wstring_view text)
{
    std::string out;
    Utf8FromWide(text, out);
    return out;
}

bool WideFromUtf8(std::string_view bytes, std::wstring& out)
{
    out.clear();
    if (bytes.empty())
        return true;
    if (bytes.size() > size_t(INT_MAX))
        return false;
    const int length = int(bytes.size());
    try {
        out.resize(bytes.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int chars = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, out.data(), length);
    out.resize(chars > 0 ? size_t(chars) : 0);
    return chars > 0;
}

std::wstring WideFromUtf8(std::string_view bytes)
{
    std::wstring out;
    WideFromUtf8(bytes, out);
    return out;
}
