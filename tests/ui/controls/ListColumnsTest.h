#pragma once
// Column headers as a person checks them, and a divider dragged or
// double-clicked with the mouse, for the tests of every list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/support/TestEnv.h"
#include "tests/ui/controls/ListTestDialog.h"

namespace ListColumnsTest {

inline std::wstring HeaderText(HWND list, int column)
{
    wchar_t text[256] = L"";
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    ListTest::Send(ListTest::HeaderOf(list), HDM_GETITEMW, WPARAM(column), &item);
    return text;
}

// What a header needs to read whole, measured here: its text in the
// header's own font, a margin of three edges at each side, and a 16-pixel
// sort arrow.
inline int WholeHeaderWidth(HWND list, int column)
{
    HWND header = ListTest::HeaderOf(list);
    const std::wstring text = HeaderText(list, column);
    HDC dc = GetDC(header);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(header, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(header, dc);
    return size.cx + 2 * 3 * GetSystemMetrics(SM_CXEDGE) + 16;
}

inline void ExpectWholeHeaders(HWND list)
{
    const int columns = int(SendMessageW(ListTest::HeaderOf(list), HDM_GETITEMCOUNT, 0, 0));
    EXPECT_GT(columns, 0);
    for (int column = 0; column < columns; ++column)
        EXPECT_GE(ListView_GetColumnWidth(list, column), WholeHeaderWidth(list, column))
            << "column " << column << " \"" << TestEnv::Narrow(HeaderText(list, column)) << "\"";
}

// The divider at the right end of a column's header item, in the header.
inline POINT Divider(HWND list, int column)
{
    RECT r = {};
    ListTest::Send(ListTest::HeaderOf(list), HDM_GETITEMRECT, WPARAM(column), &r);
    return POINT{r.right - 1, (r.top + r.bottom) / 2};
}

// A drag of the divider with the mouse, by `by` pixels.
inline void DragDivider(HWND list, int column, int by)
{
    HWND header = ListTest::HeaderOf(list);
    const POINT at = Divider(list, column);
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x + by / 2, at.y));
    SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x + by, at.y));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(at.x + by, at.y));
    // A width the header reports after the drag reaches the list by a post.
    DialogHarness::PumpMessages(GetParent(list));
}

inline void DoubleClickDivider(HWND list, int column)
{
    HWND header = ListTest::HeaderOf(list);
    const POINT at = Divider(list, column);
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(header, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

// A text's lines (CR LF between them).
inline std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const size_t end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 2;
    }
    return lines;
}

} // namespace ListColumnsTest
