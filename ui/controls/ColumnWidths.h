#pragma once
#include <windows.h>

#include <string>

// Widths of report-list columns that show their whole header and contents.
// A list's own automatic sizing measures a header with the list's font and
// leaves out the sort arrow, and it stretches the last column over whatever
// room is left, so a header could read "Ph..." or vanish; these measure it.

// The width of a text in the header's own font.
int HeaderTextWidth(HWND header, const std::wstring& text);

// Pixels a header item needs for its whole text: the text in the header's
// font, the header's margin at both sides, and room for the sort arrow with
// its margins, which any column may get.
int HeaderItemNeed(HWND header, int item);

// Room the sort arrow takes beside a header's text (arrow and margins).
int SortArrowRoom(HWND header);

// Sizes a column of a report list to the wider of its widest cell and its
// whole header; returns the width set.
int FitListColumn(HWND list, int column);

// A width measured at one DPI, at another.
int ScaleWidth(int width, UINT fromDpi, UINT toDpi);
