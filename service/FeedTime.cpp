#include "service/FeedTime.h"

#include "base/SysString.h"
#include "service/FeedNumbers.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cwchar>

namespace {

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

// The calendar time that the locale's date parser reads from `text`; false
// when it does not parse (`valid` tells a parse from a usable time).
bool ParseWithLocale(const std::wstring& text, SYSTEMTIME& time, bool& valid)
{
    DATE date = 0;
    SysString bstr(text);
    if (!bstr.Get() || FAILED(VarDateFromStr(bstr.Get(), LOCALE_USER_DEFAULT, 0, &date)))
        return false;
    valid = VariantTimeToSystemTime(date, &time) != FALSE;
    return true;
}

int Digits(const std::wstring& text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return -1;
        value = value * 10 + (text[i] - L'0');
    }
    return value;
}

// The numbers of a reshaped time "yyyy/mm/dd hh:mm:ss " when they make a
// valid date and time of the years 1000 to 9999; false otherwise.
bool PlainNumbers(const std::wstring& text, SYSTEMTIME& time)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (text.size() != 20 || text[4] != L'/' || text[7] != L'/' || text[10] != L' ' || text[13] != L':' ||
        text[16] != L':' || text[19] != L' ')
        return false;
    const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
    if (year < 1000 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return false;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0))
        return false;
    time = SYSTEMTIME{WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0};
    return true;
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

// The Atom time in the shape the locale's parser reads: ISO 8601 it does not.
std::wstring Reshaped(const std::wstring& text)
{
    std::wstring copy = text;
    copy[10] = L' ';
    copy[4] = L'/';
    copy[7] = L'/';
    copy.replace(19, 5, L" ");
    return copy;
}

} // namespace

FeedTimeSettings CurrentFeedTimeSettings()
{
    FeedTimeSettings settings;
    GetTimeZoneInformation(&settings.zone);
    // Times where day and month could be taken for each other, at the ends
    // of months, years and days, in and out of leap years.
    static const wchar_t* const kProbes[] = {
        L"2009/03/04 05:06:07 ", L"2012/02/29 23:59:59 ", L"1999/12/31 00:00:00 ",
        L"2038/01/19 03:14:08 ", L"2011/11/12 12:00:01 ", L"1601/01/02 13:30:45 ",
    };
    settings.plainDatesAsWritten = true;
    for (const wchar_t* probe : kProbes) {
        SYSTEMTIME parsed{}, plain{};
        bool valid = false;
        if (!PlainNumbers(probe, plain) || !ParseWithLocale(probe, parsed, valid) || !valid ||
            !SameTime(parsed, plain)) {
            settings.plainDatesAsWritten = false;
            break;
        }
    }
    return settings;
}

std::wstring FeedTimeToLocal(const std::wstring& text)
{
    FeedTimeSettings settings;
    GetTimeZoneInformation(&settings.zone);
    return FeedTimeToLocal(text, settings);
}

std::wstring FeedTimeToLocal(const std::wstring& text, const FeedTimeSettings& settings)
{
    if (text.size() < 24 || text[23] != L'Z')
        return text;
    const std::wstring copy = Reshaped(text);
    SYSTEMTIME utc{};
    if (!settings.plainDatesAsWritten || !PlainNumbers(copy, utc)) {
        bool valid = false;
        if (!ParseWithLocale(copy, utc, valid))
            return text;
        if (!valid)
            return L"Invalid DateTime";
    }
    SYSTEMTIME local{};
    if (!SystemTimeToTzSpecificLocalTime(&settings.zone, &utc, &local))
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
