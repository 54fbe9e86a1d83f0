#include "service/FeedTime.h"

#include "service/FeedNumbers.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cwchar>

namespace {

struct SysString
{
    explicit SysString(const std::wstring& text) : bstr(SysAllocString(text.c_str())) {}
    ~SysString() { SysFreeString(bstr); }
    SysString(const SysString&) = delete;
    SysString& operator=(const SysString&) = delete;
    BSTR bstr;
};

// Gregorian date of a day count since 1970-01-01 (valid for any int64 day
// count that the seconds of an int64 millisecond value can give).
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day)
{
    days += 719468; // days from 0000-03-01 to 1970-01-01
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153; // March = 0
    day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

std::wstring FeedTimeToLocal(const std::wstring& text)
{
    if (text.size() < 24 || text[23] != L'Z')
        return text;
    std::wstring copy = text;
    copy[10] = L' ';
    copy[4] = L'/';
    copy[7] = L'/';
    copy.replace(19, 5, L" ");

    // The parser does not read ISO 8601, hence the reshaping above.
    DATE date = 0;
    {
        SysString bstr(copy);
        if (!bstr.bstr || FAILED(VarDateFromStr(bstr.bstr, LOCALE_USER_DEFAULT, 0, &date)))
            return text;
    }
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!VariantTimeToSystemTime(date, &utc) || !SystemTimeToTzSpecificLocalTime(&zone, &utc, &local))
        return L"Invalid DateTime";
    DATE localDate = 0;
    SYSTEMTIME shown{};
    if (!SystemTimeToVariantTime(&local, &localDate) || !VariantTimeToSystemTime(localDate, &shown))
        return L"Invalid DateTime";
    wchar_t buffer[64];
    swprintf(buffer, 64, L"%04u/%02u/%02u %02u:%02u:%02u", unsigned(shown.wYear), unsigned(shown.wMonth),
             unsigned(shown.wDay), unsigned(shown.wHour), unsigned(shown.wMinute), unsigned(shown.wSecond));
    return buffer;
}

std::wstring MillisToUtcText(const std::wstring& text)
{
    const int64_t seconds = FeedInt64(text) / 1000; // toward zero
    int64_t days = seconds / 86400;
    int64_t secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    const int hour = int(secondOfDay / 3600);
    const int minute = int(secondOfDay / 60 % 60);
    const int second = int(secondOfDay % 60);
    wchar_t buffer[64];
    swprintf(buffer, 64, L"%.4lld/%.2d/%.2d %.2d:%.2d:%.2d", static_cast<long long>(year), month, day, hour,
             minute, second);
    return buffer;
}
