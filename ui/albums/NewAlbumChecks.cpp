#include "ui/albums/NewAlbumChecks.h"

#include "res/resource.h"

#include <cwchar>
#include <iterator>
#include <regex>

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochInFileTime = 116444736000000000LL;
constexpr int64_t kFileTimePerSecond = 10000000LL;

int64_t SecondsFromFileTime(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    const int64_t intervals = static_cast<int64_t>(value.QuadPart) - kUnixEpochInFileTime;
    // Floor, so that a time before 1970 stays before it.
    return intervals >= 0 ? intervals / kFileTimePerSecond : -((-intervals + kFileTimePerSecond - 1) / kFileTimePerSecond);
}

bool MatchesLoosePattern(const std::wstring& date)
{
    static const std::wregex pattern(L"\\d{4}/\\d{1,2}/\\d{1,2}", std::regex_constants::ECMAScript);
    return std::regex_match(date, pattern);
}

bool MatchesStrictPattern(const std::wstring& date)
{
    static const std::wregex pattern(L"^[0-9]{4}/(0[1-9]|1[0-2])/(0[1-9]|[12][0-9]|3[01])$",
                                     std::regex_constants::ECMAScript);
    return std::regex_match(date, pattern);
}

int Number(const std::wstring& text, size_t first, size_t count)
{
    int value = 0;
    for (size_t i = first; i < first + count && i < text.size(); ++i)
        value = value * 10 + (text[i] - L'0');
    return value;
}

// The time zone rule of the given year (the rules change over the years);
// false when the system cannot say.
bool ZoneOfYear(WORD year, TIME_ZONE_INFORMATION& zone)
{
    DYNAMIC_TIME_ZONE_INFORMATION dynamic = {};
    if (GetDynamicTimeZoneInformation(&dynamic) == TIME_ZONE_ID_INVALID)
        return false;
    return GetTimeZoneInformationForYear(year, &dynamic, &zone) != FALSE;
}

} // namespace

bool IsGregorianLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

AlbumDay ParseAlbumDay(const std::wstring& date)
{
    return AlbumDay{Number(date, 0, 4), Number(date, 5, 2), Number(date, 8, 2)};
}

NewAlbumCheck CheckAlbumDate(const std::wstring& date)
{
    NewAlbumCheck check;
    check.focusId = IDC_NEW_ALBUM_DATE;
    try {
        if (!MatchesLoosePattern(date)) {
            check.messageId = IDS_NEW_ALBUM_DATE_FORM;
            return check;
        }
        if (!MatchesStrictPattern(date)) {
            check.messageId = IDS_NEW_ALBUM_DATE_INVALID;
            return check;
        }
    } catch (const std::exception&) {
        // A text the matcher cannot take is no date.
        check.messageId = IDS_NEW_ALBUM_DATE_FORM;
        return check;
    }
    const AlbumDay day = ParseAlbumDay(date);
    if (day.month == 2) {
        if (day.day == 30 || day.day == 31) {
            check.messageId = IDS_NEW_ALBUM_DATE_INVALID;
            return check;
        }
        if (day.day == 29 && !IsGregorianLeapYear(day.year)) {
            check.messageId = IDS_NEW_ALBUM_NOT_LEAP_YEAR;
            check.argument = day.year;
            return check;
        }
    }
    if ((day.month == 4 || day.month == 6 || day.month == 9 || day.month == 11) && day.day == 31) {
        check.messageId = IDS_NEW_ALBUM_NO_31ST;
        check.argument = day.month;
        return check;
    }
    return NewAlbumCheck{};
}

NewAlbumCheck CheckNewAlbum(const std::wstring& title, const std::wstring& date)
{
    if (title.empty()) {
        NewAlbumCheck check;
        check.messageId = IDS_NEW_ALBUM_NO_TITLE;
        check.focusId = IDC_NEW_ALBUM_TITLE;
        return check;
    }
    return CheckAlbumDate(date);
}

bool AlbumTimeSeconds(const AlbumDay& day, int64_t& seconds)
{
    if (day.year < 1601 || day.year > 30827 || day.month < 1 || day.month > 12 || day.day < 1 || day.day > 31)
        return false;
    SYSTEMTIME local = {};
    local.wYear = WORD(day.year);
    local.wMonth = WORD(day.month);
    local.wDay = WORD(day.day);
    local.wHour = kAlbumHour;
    SYSTEMTIME utc = {};
    // Through the system's zone rules, not the C runtime's, which reads a
    // TZ variable on its own terms.
    TIME_ZONE_INFORMATION zone = {};
    const bool converted = ZoneOfYear(local.wYear, zone) ? TzSpecificLocalTimeToSystemTime(&zone, &local, &utc) != FALSE
                                                         : TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) != FALSE;
    FILETIME fileTime = {};
    if (!converted || !SystemTimeToFileTime(&utc, &fileTime))
        return false;
    const int64_t result = SecondsFromFileTime(fileTime);
    if (result < 0)
        return false;
    seconds = result;
    return true;
}

int64_t CurrentTimeSeconds()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return SecondsFromFileTime(now);
}

int64_t AlbumTimeOrNow(const std::wstring& date)
{
    int64_t seconds = 0;
    if (AlbumTimeSeconds(ParseAlbumDay(date), seconds))
        return seconds;
    return CurrentTimeSeconds();
}

std::wstring TodayDateText()
{
    SYSTEMTIME today = {};
    GetLocalTime(&today);
    wchar_t text[16] = L"";
    std::swprintf(text, std::size(text), L"%04u/%02u/%02u", unsigned(today.wYear), unsigned(today.wMonth),
                  unsigned(today.wDay));
    return text;
}
