// Sort keys and comparisons, the header-click rule, the context menu's
// point and the link text rectangle: the list's decisions without a window.
#include "ui/controls/CSortListViewCtrlWithHyperLink.h"
#include "ui/controls/ListSort.h"

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <tuple>

#include <gtest/gtest.h>

namespace {

int Compare(WORD type, const wchar_t* a, const wchar_t* b)
{
    const int order = CompareSortKeys(type, MakeSortKey(type, a), MakeSortKey(type, b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

double DateValue(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    double value = 0;
    SystemTimeToVariantTime(&time, &value);
    return value;
}

// The key's value whatever its type.
double KeyValue(WORD type, const std::wstring& text)
{
    SortKey key = MakeSortKey(type, text);
    double value = key.real;
    if (type == SortLong)
        value = key.number;
    else if (type == SortDecimal)
        VarR8FromDec(&key.decimal, &value);
    return value;
}

const std::wstring kLongA = L"0123456789012345678901234567890-first";
const std::wstring kLongB = L"0123456789012345678901234567890-second";

std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

// Awkward texts give 0 or the number; dates keep only their part; numbers
// and dates look at no more than 31 characters.
TEST(SortKey, NumberAndDateKeysOfAwkwardTexts)
{
    const std::wstring date = L"2009/03/15 12:34:56";
    const struct {
        WORD type;
        std::wstring text;
        double key;
    } cases[] = {
        {SortLong, L"-----", 0}, {SortLong, L"", 0}, {SortLong, L" 42", 42}, {SortLong, L"42 ", 42},
        {SortLong, L"1,234", 1234}, {SortLong, L"12abc", 0}, {SortLong, L"-17", -17}, {SortLong, L"0", 0},
        {SortLong, L"2009/03/15", 0}, {SortLong, std::wstring(30, L' ') + L"7", 7},
        {SortLong, std::wstring(31, L' ') + L"7", 0},
        {SortDouble, L"-----", 0}, {SortDouble, L"", 0}, {SortDouble, L" 42", 42}, {SortDouble, L"1,234", 1234},
        {SortDouble, L"2.5", 2.5}, {SortDouble, L"-0.25", -0.25}, {SortDouble, L"x", 0},
        {SortDecimal, L"-----", 0}, {SortDecimal, L"", 0}, {SortDecimal, L"abc", 0},
        {SortDateTime, date, DateValue(2009, 3, 15, 12, 34, 56)},
        {SortDate, date, DateValue(2009, 3, 15, 0, 0, 0)},
        {SortTime, date, DateValue(1899, 12, 30, 12, 34, 56)},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(KeyValue(c.type, c.text), c.key, 1e-6) << c.type << " \"" << c.text << "\"";
    for (WORD type : {SortDateTime, SortDate, SortTime})
        for (const wchar_t* bad : {L"", L"-----", L"not a date"})
            EXPECT_EQ(MakeSortKey(type, bad).real, 0.0) << type << " " << bad;
}

TEST(SortKey, TextKeysAreTheFirst31Characters)
{
    for (WORD type : {SortText, SortTextNoCase, SortCustom}) {
        EXPECT_EQ(MakeSortKey(type, kLongA).text, kLongA.substr(0, 31)) << type;
        EXPECT_EQ(MakeSortKey(type, L" 42").text, L" 42") << type;
        EXPECT_EQ(MakeSortKey(type, L"").text, L"") << type;
    }
}

TEST(SortCompare, EveryTypeOnAwkwardPairs)
{
    const struct {
        WORD type;
        const wchar_t* a;
        const wchar_t* b;
        int order;
    } cases[] = {
        {SortText, L"abc", L"abd", -1}, {SortText, L"b", L"a", 1}, {SortText, L"", L"a", -1},
        {SortText, L"Apple", L"apple", 1}, // case counts
        {SortText, kLongA.c_str(), kLongB.c_str(), 0}, {SortTextNoCase, kLongA.c_str(), kLongB.c_str(), 0},
        {SortTextNoCase, L"Apple", L"apple", 0}, {SortTextNoCase, L"apple", L"Banana", -1},
        {SortLong, L"-----", L"", 0}, {SortLong, L"-----", L"0", 0}, {SortLong, L" 42", L"1,234", -1},
        {SortLong, L"9", L"10", -1}, // by number, not by text
        {SortLong, L"-1", L"", -1}, {SortDouble, L"2.5", L"10", -1}, {SortDouble, L"-----", L"0", 0},
        {SortDecimal, L"0.1", L"0.25", -1}, {SortDecimal, L"", L"-----", 0},
        {SortDecimal, L"12345678901234567890.5", L"12345678901234567890.25", 1},
        {SortDateTime, L"2009/03/15 12:00:00", L"2009/03/15 08:00:00", 1},
        {SortDateTime, L"2008/12/31", L"2009/01/01", -1}, {SortDateTime, L"", L"-----", 0},
        {SortDate, L"2009/03/15 12:00:00", L"2009/03/15 08:00:00", 0},
        {SortDate, L"2009/03/14 23:00:00", L"2009/03/15 01:00:00", -1},
        {SortTime, L"2009/03/14 23:00:00", L"2009/03/15 01:00:00", 1},
        {SortTime, L"2001/01/01 07:00:00", L"2009/12/31 07:00:00", 0},
        {SortCustom, L"a", L"b", 0}, {SortNone, L"a", L"b", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << ": \"" << c.a << "\" vs \"" << c.b << "\"");
        EXPECT_EQ(Compare(c.type, c.a, c.b), c.order);
        EXPECT_EQ(Compare(c.type, c.b, c.a), -c.order);
    }
}

TEST(HeaderClick, TheSortColumnReversesAnyOtherColumnStartsAscending)
{
    const struct {
        int clicked, sortColumn;
        bool descending, expected;
    } cases[] = {
        {0, 0, false, true}, {0, 0, true, false}, {1, 0, false, false},
        {1, 0, true, false}, {0, -1, false, false}, {2, -1, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescendingAfterHeaderClick(c.clicked, c.sortColumn, c.descending), c.expected)
            << c.clicked << " " << c.sortColumn << " " << c.descending;
}

TEST(ContextMenuPoint, OnlyAPointOnNoMonitorHasItsXBroughtIn)
{
    const struct {
        POINT in;
        bool onMonitor;
        POINT out;
    } cases[] = {
        {{100, 200}, true, {100, 200}},
        {{-5000, 200}, true, {-5000, 200}}, // another monitor may be there
        {{-5000, 200}, false, {0, 200}},
        {{5000, -30}, false, {1023, -30}}, // y is left alone
        {{500, 9000}, false, {500, 9000}},
    };
    for (const auto& c : cases) {
        const POINT p = ContextMenuPoint(c.in, c.onMonitor, RECT{0, 0, 1024, 740});
        EXPECT_EQ(std::pair(p.x, p.y), std::pair(c.out.x, c.out.y)) << c.in.x << "," << c.in.y << " " << c.onMonitor;
    }
}

TEST(LinkTextRect, NarrowedCentredAndCutByTheColumnsAlignment)
{
    const RECT cell = {100, 20, 300, 40}; // 200 wide, 20 high
    const struct {
        RECT cell;
        SIZE text;
        int format;
        RECT expected;
    } cases[] = {
        {cell, {50, 14}, HDF_LEFT, {106, 23, 156, 37}},
        {cell, {50, 14}, HDF_RIGHT, {244, 23, 294, 37}},
        {cell, {50, 14}, HDF_CENTER, {175, 23, 225, 37}},
        {cell, {50, 14}, HDF_LEFT | HDF_STRING | HDF_BITMAP_ON_RIGHT, {106, 23, 156, 37}},
        {cell, {500, 14}, HDF_LEFT, {106, 23, 294, 37}}, // a long text fills the room
        {cell, {500, 14}, HDF_RIGHT, {106, 23, 294, 37}},
        {cell, {50, 30}, HDF_LEFT, {106, 20, 156, 40}}, // never taller than the cell
        {cell, {0, 0}, HDF_LEFT, {106, 30, 106, 30}},
        {{0, 0, 8, 10}, {20, 8}, HDF_LEFT, {6, 1, 6, 9}}, // narrower than its margins: no room
    };
    for (const auto& c : cases)
        EXPECT_EQ(Edges(LinkTextRect(c.cell, c.text, c.format)), Edges(c.expected))
            << c.cell.right - c.cell.left << " " << c.text.cx << "x" << c.text.cy << " " << c.format;
}
