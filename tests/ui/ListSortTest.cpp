// Sort keys and comparisons, the header-click rule, the context menu's
// point and the link text rectangle: the list's decisions without a window.
#include "ui/controls/CSortListViewCtrlWithHyperLink.h"
#include "ui/controls/ListSort.h"

#include <windows.h>
#include <oleauto.h>

#include <string>

#include <gtest/gtest.h>

namespace {

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int Compare(WORD type, const wchar_t* a, const wchar_t* b)
{
    return Sign(CompareSortKeys(type, MakeSortKey(type, a), MakeSortKey(type, b)));
}

double DateValue(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    double value = 0;
    SystemTimeToVariantTime(&time, &value);
    return value;
}

const std::wstring kLongA = L"0123456789012345678901234567890-first";
const std::wstring kLongB = L"0123456789012345678901234567890-second";

} // namespace

TEST(SortKey, LongKeysOfAwkwardTexts)
{
    const struct
    {
        const wchar_t* text;
        LONG key;
    } cases[] = {
        {L"-----", 0}, {L"", 0},      {L" 42", 42},   {L"42 ", 42},   {L"1,234", 1234},
        {L"12abc", 0}, {L"-17", -17}, {L"0", 0},      {L"2009/03/15", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeSortKey(SortLong, c.text).number, c.key) << c.text;
}

TEST(SortKey, DoubleAndDecimalKeysOfAwkwardTexts)
{
    const struct
    {
        const wchar_t* text;
        double key;
    } cases[] = {
        {L"-----", 0.0}, {L"", 0.0}, {L" 42", 42.0}, {L"1,234", 1234.0}, {L"2.5", 2.5}, {L"-0.25", -0.25}, {L"x", 0.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(MakeSortKey(SortDouble, c.text).real, c.key) << c.text;

    const DECIMAL zero = {};
    for (const wchar_t* text : {L"-----", L"", L"abc"}) {
        DECIMAL key = MakeSortKey(SortDecimal, text).decimal;
        EXPECT_EQ(VarDecCmp(&key, const_cast<DECIMAL*>(&zero)), VARCMP_EQ) << text;
    }
}

TEST(SortKey, DateKeysKeepTheirPart)
{
    const wchar_t* text = L"2009/03/15 12:34:56";
    EXPECT_NEAR(MakeSortKey(SortDateTime, text).real, DateValue(2009, 3, 15, 12, 34, 56), 1e-6);
    EXPECT_NEAR(MakeSortKey(SortDate, text).real, DateValue(2009, 3, 15, 0, 0, 0), 1e-6);
    EXPECT_NEAR(MakeSortKey(SortTime, text).real, DateValue(1899, 12, 30, 12, 34, 56), 1e-6);
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
    // Numbers and dates look at no more than 31 characters either.
    EXPECT_EQ(MakeSortKey(SortLong, std::wstring(30, L' ') + L"7").number, 7);
    EXPECT_EQ(MakeSortKey(SortLong, std::wstring(31, L' ') + L"7").number, 0);
}

TEST(SortCompare, EveryTypeOnAwkwardPairs)
{
    const struct
    {
        WORD type;
        const wchar_t* a;
        const wchar_t* b;
        int order;
    } cases[] = {
        {SortText, L"abc", L"abd", -1},
        {SortText, L"b", L"a", 1},
        {SortText, L"", L"a", -1},
        {SortText, L"Apple", L"apple", 1}, // case counts
        {SortText, kLongA.c_str(), kLongB.c_str(), 0},
        {SortTextNoCase, L"Apple", L"apple", 0},
        {SortTextNoCase, L"apple", L"Banana", -1},
        {SortTextNoCase, kLongA.c_str(), kLongB.c_str(), 0},
        {SortLong, L"-----", L"", 0},
        {SortLong, L"-----", L"0", 0},
        {SortLong, L" 42", L"1,234", -1},
        {SortLong, L"9", L"10", -1}, // by number, not by text
        {SortLong, L"-1", L"", -1},
        {SortDouble, L"2.5", L"10", -1},
        {SortDouble, L"-----", L"0", 0},
        {SortDecimal, L"0.1", L"0.25", -1},
        {SortDecimal, L"12345678901234567890.5", L"12345678901234567890.25", 1},
        {SortDecimal, L"", L"-----", 0},
        {SortDateTime, L"2009/03/15 12:00:00", L"2009/03/15 08:00:00", 1},
        {SortDateTime, L"2008/12/31", L"2009/01/01", -1},
        {SortDateTime, L"", L"-----", 0},
        {SortDate, L"2009/03/15 12:00:00", L"2009/03/15 08:00:00", 0},
        {SortDate, L"2009/03/14 23:00:00", L"2009/03/15 01:00:00", -1},
        {SortTime, L"2009/03/14 23:00:00", L"2009/03/15 01:00:00", 1},
        {SortTime, L"2001/01/01 07:00:00", L"2009/12/31 07:00:00", 0},
        {SortCustom, L"a", L"b", 0},
        {SortNone, L"a", L"b", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compare(c.type, c.a, c.b), c.order) << c.type << ": \"" << c.a << "\" vs \"" << c.b << "\"";
        EXPECT_EQ(Compare(c.type, c.b, c.a), -c.order) << c.type << " reversed";
    }
}

TEST(HeaderClick, TheSortColumnReversesAnyOtherColumnStartsAscending)
{
    const struct
    {
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
    const RECT work = {0, 0, 1024, 740};
    const struct
    {
        POINT in;
        bool onMonitor;
        POINT out;
    } cases[] = {
        {{100, 200}, true, {100, 200}},
        {{-5000, 200}, true, {-5000, 200}}, // another monitor may be there
        {{-5000, 200}, false, {0, 200}},
        {{5000, -30}, false, {1023, -30}},  // y is left alone
        {{500, 9000}, false, {500, 9000}},
    };
    for (const auto& c : cases) {
        const POINT p = ContextMenuPoint(c.in, c.onMonitor, work);
        EXPECT_EQ(p.x, c.out.x) << c.in.x << "," << c.in.y;
        EXPECT_EQ(p.y, c.out.y) << c.in.x << "," << c.in.y;
    }
}

TEST(LinkTextRect, NarrowedCentredAndCutByTheColumnsAlignment)
{
    const RECT cell = {100, 20, 300, 40}; // 200 wide, 20 high
    const struct
    {
        SIZE text;
        int format;
        RECT expected;
    } cases[] = {
        {{50, 14}, HDF_LEFT, {106, 23, 156, 37}},
        {{50, 14}, HDF_RIGHT, {244, 23, 294, 37}},
        {{50, 14}, HDF_CENTER, {175, 23, 225, 37}},
        {{50, 14}, HDF_LEFT | HDF_STRING | HDF_BITMAP_ON_RIGHT, {106, 23, 156, 37}},
        {{500, 14}, HDF_LEFT, {106, 23, 294, 37}},  // a long text fills the room
        {{500, 14}, HDF_RIGHT, {106, 23, 294, 37}},
        {{50, 30}, HDF_LEFT, {106, 20, 156, 40}},   // never taller than the cell
        {{0, 0}, HDF_LEFT, {106, 30, 106, 30}},
    };
    for (const auto& c : cases) {
        const RECT r = LinkTextRect(cell, c.text, c.format);
        EXPECT_EQ(r.left, c.expected.left) << c.text.cx << " " << c.format;
        EXPECT_EQ(r.top, c.expected.top) << c.text.cx << " " << c.format;
        EXPECT_EQ(r.right, c.expected.right) << c.text.cx << " " << c.format;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.text.cx << " " << c.format;
    }
    const RECT narrow = LinkTextRect(RECT{0, 0, 8, 10}, SIZE{20, 8}, HDF_LEFT);
    EXPECT_EQ(narrow.right - narrow.left, 0) << "a cell narrower than its margins has no link text";
}
