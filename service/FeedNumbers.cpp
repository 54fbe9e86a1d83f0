#include "service/FeedNumbers.h"

#include <cwchar>
#include <cwctype>
#include <limits>

namespace {

// Magnitude with its sign, clamped to [lowest, highest].
int64_t ParseDecimal(const std::wstring& text, int64_t lowest, int64_t highest)
{
    const wchar_t* p = text.c_str();
    while (*p && std::iswspace(*p))
        ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = *p == L'-';
        ++p;
    }
    // Accumulated as a negative number so that the lowest value fits.
    int64_t value = 0;
    const int64_t limit = negative ? lowest : -highest;
    bool clamped = false;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        const int digit = *p - L'0';
        if (clamped)
            continue;
        if (value < (limit + digit) / 10) {
            clamped = true;
            continue;
        }
        value = value * 10 - digit;
        if (value < limit) {
            clamped = true;
        }
    }
    if (clamped)
        return negative ? lowest : highest;
    return negative ? value : -value;
}

} // namespace

int32_t FeedInt32(const std::wstring& text)
{
    return int32_t(ParseDecimal(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int64_t FeedInt64(const std::wstring& text)
{
    return ParseDecimal(text, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

double FeedDouble(const std::wstring& text)
{
    return std::wcstod(text.c_str(), nullptr);
}
