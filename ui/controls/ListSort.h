#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

// Sort types of list columns. The dialogs store these numbers in their
// column tables and settings, so the values are fixed.
enum ListSortType : WORD
{
    SortNone = 0,       // the column cannot be sorted
    SortText = 1,       // locale-aware, case-sensitive
    SortTextNoCase = 2, // locale-aware, case-insensitive
    SortLong = 3,       // 32-bit integer
    SortDouble = 4,
    SortDecimal = 5,    // 96-bit decimal
    SortDateTime = 6,
    SortDate = 7,       // date part only
    SortTime = 8,       // time part only
    SortCustom = 9,     // every pair compares equal
};

// A key is made from at most this many leading characters of a cell.
constexpr size_t kSortKeyChars = 31;

// One row's sort key for one sort type: the (cut) text for the text types,
// the converted value for the others. A text that does not convert gives 0.
struct SortKey
{
    std::wstring text;
    LONG number = 0;
    double real = 0.0; // double, or a date value (days since 30 Dec 1899)
    DECIMAL decimal = {};
};

// The key of a cell text, converted once, in the user's default locale
// without the user's overrides.
SortKey MakeSortKey(WORD type, std::wstring_view cellText);

// Negative, 0 or positive as a sorts before, with or after b ascending.
int CompareSortKeys(WORD type, const SortKey& a, const SortKey& b);

// The direction a header click on column `clicked` sorts in: the reverse of
// the current direction on the sort column, ascending on any other column.
bool DescendingAfterHeaderClick(int clicked, int sortColumn, bool sortDescending);

// Where a context menu opens: a point on a monitor stays as it is; a point
// on none has its x brought into the work area's left and right edges (the
// menu then opens on the nearest monitor; y is left to the menu).
POINT ContextMenuPoint(POINT screenPoint, bool onMonitor, const RECT& nearestWorkArea);
