#include "service/AccessLevel.h"

#include <cwchar>

namespace {

const wchar_t* const kWireNames[kAccessLevelCount] = {L"public", L"private", L"protected", L""};
const char* const kWireNamesA[kAccessLevelCount] = {"public", "private", "protected", ""};
const wchar_t* const kDisplayNames[kAccessLevelCount] = {
    L"\u4e00\u822c\u516c\u958b",                                     // 一般公開
    L"\u30ea\u30f3\u30af\u3092\u77e5\u3063\u3066\u3044\u308b\u5168\u54e1", // リンクを知っている全員
    L"\u9650\u5b9a\u516c\u958b",                                     // 限定公開
    L""};

} // namespace

unsigned FindAccessLevel(const std::wstring& text)
{
    for (unsigned i = 0; i < kAccessLevelCount; ++i) {
        if (_wcsicmp(text.c_str(), kWireNames[i]) == 0)
            return i;
    }
    return kAccessLevelCount;
}

const wchar_t* AccessWireName(unsigned index)
{
    return index < kAccessLevelCount ? kWireNames[index] : L"";
}

const char* AccessWireNameA(unsigned index)
{
    return index < kAccessLevelCount ? kWireNamesA[index] : "";
}

const wchar_t* AccessDisplayName(unsigned index)
{
    return index < kAccessLevelCount ? kDisplayNames[index] : L"";
}
