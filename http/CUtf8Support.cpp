#include "http/CUtf8Support.h"

#include "base/Utf8Text.h"

#include <cstring>
#include <cwchar>
#include <new>

bool CUtf8Support::ToUtf8(const wchar_t* text)
{
    if (!text)
        return false;
    std::string utf8;
    if (!Utf8FromWide(std::wstring_view(text, std::wcslen(text)), utf8))
        return false;
    // The bytes, their terminator and one zero byte more.
    std::unique_ptr<char[]> fresh(new (std::nothrow) char[utf8.size() + 2]());
    if (!fresh)
        return false;
    std::memcpy(fresh.get(), utf8.data(), utf8.size());
    bytes_ = std::move(fresh);
    count_ = uint32_t(utf8.size() + 1);
    return true;
}
