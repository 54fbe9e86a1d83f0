#pragma once
#include <string>

// An Atom time "YYYY-MM-DDThh:mm:ss.mmmZ" (UTC) as local time text
// "YYYY/MM/DD hh:mm:ss", milliseconds dropped. Text of another shape, or
// too short to hold a "Z" at index 23, is returned unchanged.
std::wstring FeedTimeToLocal(const std::wstring& text);

// Milliseconds since 1970-01-01 00:00:00 UTC, as decimal text, to UTC text
// "YYYY/MM/DD hh:mm:ss"; times before 1970 included.
std::wstring MillisToUtcText(const std::wstring& text);
