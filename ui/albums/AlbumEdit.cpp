#include "ui/albums/AlbumEdit.h"

#include <cerrno>
#include <cwchar>
#include <iterator>

#include "res/resource.h"
#include "service/AccessLevel.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/albums/NewAlbumChecks.h"

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochInFileTime = 116444736000000000LL;

std::wstring DayText(int year, int month, int day)
{
    wchar_t text[16] = L"";
    std::swprintf(text, std::size(text), L"%04d/%02d/%02d", year, month, day);
    return text;
}

// UTC to local time by the zone rule of that year, as the album's date was
// made (not the C runtime's, which reads TZ on its own terms).
bool ToLocal(const SYSTEMTIME& utc, SYSTEMTIME& local)
{
    DYNAMIC_TIME_ZONE_INFORMATION dynamic = {};
    TIME_ZONE_INFORMATION zone = {};
    if (GetDynamicTimeZoneInformation(&dynamic) != TIME_ZONE_ID_INVALID &&
        GetTimeZoneInformationForYear(utc.wYear, &dynamic, &zone))
        return SystemTimeToTzSpecificLocalTime(&zone, &utc, &local) != FALSE;
    return SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) != FALSE;
}

} // namespace

std::wstring AlbumDateText(const std::wstring& milliseconds)
{
    if (milliseconds.empty())
        return L"";
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(milliseconds.c_str(), &end, 10);
    if (errno != 0 || !end || *end != L'\0' || end == milliseconds.c_str())
        return L"";
    // Floor to whole seconds, so that a time before 1970 stays before it.
    const long long seconds = value >= 0 ? value / 1000 : -((-value + 999) / 1000);
    const long long intervals = kUnixEpochInFileTime + seconds * 10000000LL;
    if (intervals < 0)
        return L"";
    ULARGE_INTEGER whole;
    whole.QuadPart = static_cast<ULONGLONG>(intervals);
    const FILETIME fileTime = {whole.LowPart, whole.HighPart};
    SYSTEMTIME utc = {}, local = {};
    if (!FileTimeToSystemTime(&fileTime, &utc) || !ToLocal(utc, local))
        return L"";
    return DayText(local.wYear, local.wMonth, local.wDay);
}

AlbumEditFields AlbumEditFieldsOf(const AlbumEntry& album)
{
    AlbumEditFields fields;
    fields.title = album.title;
    fields.summary = album.summary;
    fields.location = album.location;
    fields.date = AlbumDateText(album.timestamp);
    int year = 0, month = 0, day = 0;
    if (fields.date.empty() && PublishedDay(album.published, year, month, day))
        fields.date = DayText(year, month, day);
    if (fields.date.empty())
        fields.date = TodayDateText();
    const unsigned level = FindAccessLevel(album.access);
    fields.access = level < kAccessLevelCount && *AccessWireName(level) ? int(level) : -1;
    fields.commenting = album.commentingEnabled == L"true";
    return fields;
}

AlbumChanges ChangedAlbumFields(const AlbumEditFields& before, const AlbumEditFields& after)
{
    AlbumChanges changes;
    if (after.title != before.title)
        changes.title = after.title;
    if (after.summary != before.summary)
        changes.summary = after.summary;
    if (after.location != before.location)
        changes.location = after.location;
    if (after.date != before.date)
        changes.timestampSeconds = AlbumTimeOrNow(after.date);
    if (after.access != before.access && after.access >= 0)
        changes.access = AccessWireName(unsigned(after.access));
    if (after.commenting != before.commenting)
        changes.commentingEnabled = after.commenting;
    return changes;
}

std::vector<UINT> ChangedFieldNames(const AlbumChanges& changes)
{
    std::vector<UINT> names;
    if (changes.title)
        names.push_back(IDS_FIELD_TITLE);
    if (changes.summary)
        names.push_back(IDS_FIELD_SUMMARY);
    if (changes.timestampSeconds)
        names.push_back(IDS_FIELD_DATE);
    if (changes.location)
        names.push_back(IDS_FIELD_LOCATION);
    if (changes.access)
        names.push_back(IDS_FIELD_ACCESS);
    if (changes.commentingEnabled)
        names.push_back(IDS_FIELD_COMMENTING);
    return names;
}
