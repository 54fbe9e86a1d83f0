#pragma once
#include <string>

#include <windows.h>

// An Atom time "YYYY-MM-DDThh:mm:ss.mmmZ" (UTC) as local time text
// "YYYY/MM/DD hh:mm:ss", milliseconds dropped. Text of another shape, or
// too short to hold a "Z" at index 23, is returned unchanged.
std::wstring FeedTimeToLocal(const std::wstring& text);
// What many conversions in a row share, read once: the time zone, and
// whether the user's locale reads a plain "yyyy/mm/dd hh:mm:ss" as exactly
// those numbers. Both the time zone and the locale's date parser cost far
// more than the rest of a conversion.
struct FeedTimeSettings
{
    TIME_ZONE_INFORMATION zone{};
    bool plainDatesAsWritten = false;
};
FeedTimeSettings CurrentFeedTimeSettings();

// FeedTimeToLocal with the settings read beforehand. When the locale reads
// plain dates as written, a time of valid numbers takes its numbers without
// the parser: the result is the same.
std::wstring FeedTimeToLocal(const std::wstring& text, const FeedTimeSettings& settings);

// Milliseconds since 1970-01-01 00:00:00 UTC, as decimal text, to UTC text
// "YYYY/MM/DD hh:mm:ss"; times before 1970 included.
std::wstring MillisToUtcText(const std::wstring& text);
