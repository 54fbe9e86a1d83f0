#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// The checks of the new album dialog and the album time it sends, without a
// window.

// What the checks found: messageId 0 when title and date pass, else the
// string to show (formatted with argument: the year or the month) and the
// field to put the focus in.
struct NewAlbumCheck
{
    UINT messageId = 0;
    int argument = 0;
    int focusId = 0;

    bool Passed() const { return messageId == 0; }
};

// The title must not be empty (blanks count as text); the date, checked in
// this order: four digits, a slash, one or two digits, a slash, one or two
// digits; then month and day in two digits each, month 01 to 12 and day 01
// to 31; then February's 29th in leap years only (Gregorian rule) and no
// 30th or 31st, and no 31st in April, June, September and November. The
// first failing check is the one reported.
NewAlbumCheck CheckNewAlbum(const std::wstring& title, const std::wstring& date);

// The date checks alone: what the dialog shows while the date is typed.
NewAlbumCheck CheckAlbumDate(const std::wstring& date);

// Divisible by 4 and not by 100, or divisible by 400.
bool IsGregorianLeapYear(int year);

// Year, month and day of a date text that passed the checks.
struct AlbumDay
{
    int year = 0;
    int month = 0;
    int day = 0;
};
AlbumDay ParseAlbumDay(const std::wstring& date);

// The album's hour on its day, local time.
constexpr WORD kAlbumHour = 16;

// Seconds since 1970-01-01 UTC of 16:00 local time on the day, with the
// daylight saving rule of that year as the system knows it. False when the
// day cannot be converted (before 1970, or a day the system refuses).
bool AlbumTimeSeconds(const AlbumDay& day, int64_t& seconds);

// The album time for a checked date text: AlbumTimeSeconds, or the current
// time when the day cannot be converted.
int64_t AlbumTimeOrNow(const std::wstring& date);

// Seconds since 1970-01-01 UTC, now.
int64_t CurrentTimeSeconds();

// Today's local date as "%Y/%m/%d".
std::wstring TodayDateText();
