#include "http/CUtf8Support.h"

#include <new>
#include <windows.h>

bool CUtf8Support::ToUtf8(const wchar_t* text)
{
    if (!text)
        return false;
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return false;
    std::unique_ptr<char[]> fresh(new (std::nothrow) char[size_t(needed) + 1]());
    if (!fresh)
        return false;
    const int written = WideCharToMultiByte(CP_UTF8, 0, text, -1, fresh.get(), needed, nullptr, nullptr);
    if (written <= 0)
        return false;
    bytes_ = std::move(fresh);
    count_ = uint32_t(written);
    return true;
}
