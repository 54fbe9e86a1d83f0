#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

// What the album window shows and decides, without a window: tested directly.

// The account line after a refresh: the account and the quota in GB, or
// dashes in public-only mode. Computed in double precision from the 64-bit
// values; a limit of 0 shows the percentage as dashes.
std::wstring QuotaLine(const std::wstring& account, bool publicOnly, int64_t used, int64_t limit);

// The size column: megabytes with one decimal, "-----" in public-only mode;
// a negative size from a malformed feed shows as 0.0.
std::wstring AlbumSizeText(int64_t bytesUsed, bool publicOnly);

// The access column and the log lines: the module's name of a known level,
// else the value as the feed delivered it (never another string of the
// module).
std::wstring AccessLevelText(const std::wstring& access);
std::wstring AccessLevelText(unsigned index);

// Year, month and day from the start of a published time ("2012/03/24 ...");
// false unless it starts with three slash-separated numbers.
bool PublishedDay(const std::wstring& published, int& year, int& month, int& day);

// The latest day of the published times (year, month and day set, the rest
// zero); false when none can be read.
bool NewestPublishedDay(const std::vector<std::wstring>& published, SYSTEMTIME& day);

// Bold-day masks for `months` months from startYear/startMonth: bit (day-1)
// of month k is set for every published time on that day.
std::vector<MONTHDAYSTATE> DayStateMasks(const std::vector<std::wstring>& published, int startYear, int startMonth,
                                         int months);

// The selection pattern: the text itself for a whole-title match, else the
// text anywhere in the title.
std::wstring SelectionPattern(const std::wstring& text, bool wholeTitle);

// The delete confirmation: how many albums and how many photos will go.
std::wstring DeleteQuestion(int64_t albums, int64_t photos);
// The question for one album, by its title.
std::wstring DeleteQuestion(const std::wstring& title, int64_t photos);

// The row to make visible after `first` so that `first` comes to the top of
// a view of `rowsPerPage` rows, or the last row when fewer follow.
int ScrollTargetRow(int first, int rowsPerPage, int rowCount);
