// The sortable list on a real list control in a dialog: header clicks and
// their marks (both the header's own arrows and the bitmap path), every sort
// type, item data through sorts, columns coming and going, the context menu
// from both language modules, Select all, Copy and their keys, and the
// dialog's reflection of notifications.
#include "tests/ui/ListTestDialog.h"
#include "ui/controls/CSortListViewCtrlWithContextMenu.h"
#include "ui/controls/CWindowSubclass.h"

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace DialogHarness;
using namespace ListTest;

namespace {

class SortList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(dialog.Create(nullptr), nullptr);
        list = dialog.List();
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(sorter.Attach(list));
    }

    // Two columns, "Title" (text) and "Photos" (number), and three rows.
    void FillAlbums()
    {
        AddColumn(list, 0, L"Title");
        AddColumn(list, 1, L"Photos", LVCFMT_RIGHT);
        sorter.SetColumnSortType(1, SortLong);
        AddRow(list, {L"b", L"10"}, 2);
        AddRow(list, {L"a", L"9"}, 1);
        AddRow(list, {L"c", L"100"}, 3);
    }

    ScopedLanguage language{"en"};
    ListDialog dialog;
    HWND list = nullptr;
    CSortListViewCtrlWithContextMenu sorter;
};

// The header's mark of each column: 'u' up arrow, 'd' down arrow, '-' none.
std::string Marks(const CSortListViewCtrlWithContextMenu& sorter, HWND list)
{
    std::string marks;
    const int columns = int(SendMessageW(HeaderOf(list), HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < columns; ++column) {
        const HDITEMW item = HeaderItem(list, column);
        char mark = '-';
        if (sorter.UsesHeaderIndicators()) {
            EXPECT_FALSE(item.fmt & HDF_BITMAP) << column;
            if ((item.fmt & HDF_SORTUP) && !(item.fmt & HDF_SORTDOWN))
                mark = 'u';
            else if ((item.fmt & HDF_SORTDOWN) && !(item.fmt & HDF_SORTUP))
                mark = 'd';
            else if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN))
                mark = '?';
        } else {
            EXPECT_FALSE(item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) << column;
            if (item.fmt & HDF_BITMAP) {
                EXPECT_TRUE(item.fmt & HDF_BITMAP_ON_RIGHT) << column;
                if (item.hbm && item.hbm == sorter.SortBitmap(false))
                    mark = 'u';
                else if (item.hbm && item.hbm == sorter.SortBitmap(true))
                    mark = 'd';
                else
                    mark = '?';
            } else if (item.hbm) {
                mark = '?';
            }
        }
        marks += mark;
    }
    return marks;
}

// Both ways of marking the header: the header's own arrows and, where the
// common controls report an older version (Wine always does), bitmaps.
class SortListPaths : public SortList, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        SortList::SetUp();
        sorter.SetUsesHeaderIndicators(GetParam());
    }
};

std::string PathName(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "HeaderArrows" : "Bitmaps";
}

} // namespace

TEST_F(SortList, TheDefaultPathFollowsTheCommonControlsVersion)
{
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(controls, "DllGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_HRESULT_SUCCEEDED(getVersion(&info));
    CSortListViewCtrlWithContextMenu fresh;
    EXPECT_EQ(fresh.UsesHeaderIndicators(), info.dwMajorVersion >= 6);
    EXPECT_EQ(fresh.SortColumn(), -1);
    EXPECT_FALSE(fresh.IsSortDescending());
}

TEST_P(SortListPaths, ThreeClicksOnTheSortColumnThenAnotherColumn)
{
    FillAlbums();
    // The dialog sorts by the saved column at start; the header then says so.
    ASSERT_TRUE(sorter.SortByColumn(0, false));
    EXPECT_EQ(Column(list, 0), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(Marks(sorter, list), "u-");
    EXPECT_TRUE(dialog.sortNotes.empty()) << "only a header click tells the parent";

    const struct
    {
        int column;
        bool descending;
        std::vector<std::wstring> titles;
        const char* marks;
    } steps[] = {
        {0, true, {L"c", L"b", L"a"}, "d-"},
        {0, false, {L"a", L"b", L"c"}, "u-"},
        {0, true, {L"c", L"b", L"a"}, "d-"},
        {1, false, {L"a", L"b", L"c"}, "-u"}, // 9, 10, 100 by number
        {1, true, {L"c", L"b", L"a"}, "-d"},
    };
    int previous = 0;
    for (size_t i = 0; i < std::size(steps); ++i) {
        const auto& step = steps[i];
        ClickHeader(list, step.column);
        EXPECT_EQ(sorter.SortColumn(), step.column) << i;
        EXPECT_EQ(sorter.IsSortDescending(), step.descending) << i;
        EXPECT_EQ(Column(list, 0), step.titles) << i;
        EXPECT_EQ(Marks(sorter, list), step.marks) << i;
        ASSERT_EQ(dialog.sortNotes.size(), i + 1);
        EXPECT_EQ(dialog.sortNotes[i].newColumn, step.column) << i;
        EXPECT_EQ(dialog.sortNotes[i].oldColumn, previous) << i;
        previous = step.column;
    }
    EXPECT_EQ(dialog.columnClicks, int(std::size(steps))) << "the control still reports each click";
}

TEST_P(SortListPaths, ANoSortColumnIgnoresClicksAndTheOldColumnStaysMarked)
{
    FillAlbums();
    ASSERT_TRUE(sorter.SortByColumn(1, true));
    ASSERT_TRUE(sorter.SetColumnSortType(0, SortNone));
    const std::vector<std::wstring> before = Column(list, 0);

    ClickHeader(list, 0);
    EXPECT_FALSE(sorter.SortByColumn(0, false));
    EXPECT_EQ(Column(list, 0), before);
    EXPECT_EQ(sorter.SortColumn(), 1);
    EXPECT_TRUE(sorter.IsSortDescending());
    EXPECT_EQ(Marks(sorter, list), "-d");
    EXPECT_TRUE(dialog.sortNotes.empty());
}

TEST_P(SortListPaths, AOneRowListIsMarkedWithoutSorting)
{
    AddColumn(list, 0, L"Title");
    AddColumn(list, 1, L"Photos");
    AddRow(list, {L"only", L"1"}, 77);
    ClickHeader(list, 1);
    EXPECT_EQ(sorter.SortColumn(), 1);
    EXPECT_FALSE(sorter.IsSortDescending());
    EXPECT_EQ(Marks(sorter, list), "-u");
    ClickHeader(list, 1);
    EXPECT_TRUE(sorter.IsSortDescending());
    EXPECT_EQ(Marks(sorter, list), "-d");
    EXPECT_EQ(dialog.sortNotes.size(), 2u);
    EXPECT_EQ(Data(list, 0), 77);

    // And an empty one.
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_TRUE(sorter.SortByColumn(0, false));
    EXPECT_EQ(Marks(sorter, list), "u-");
}

TEST_P(SortListPaths, MarkingWithoutSortingKeepsTheDirection)
{
    FillAlbums();
    ASSERT_TRUE(sorter.SortByColumn(1, true));
    const std::vector<std::wstring> before = Column(list, 0);
    sorter.SetSortColumn(0);
    EXPECT_EQ(Marks(sorter, list), "d-");
    EXPECT_EQ(Column(list, 0), before);
    sorter.SetSortColumn(7);
    EXPECT_EQ(sorter.SortColumn(), 0) << "a column that does not exist is ignored";
    sorter.SetSortColumn(-1);
    EXPECT_EQ(Marks(sorter, list), "--");
}

TEST_P(SortListPaths, AColumnOutOfRangeIsIgnored)
{
    FillAlbums();
    ASSERT_TRUE(sorter.SortByColumn(1, false));
    const std::vector<std::wstring> before = Column(list, 0);
    for (int column : {2, 3, 1000, -1, -2}) {
        EXPECT_FALSE(sorter.SortByColumn(column, true)) << column;
        EXPECT_FALSE(sorter.SetColumnSortType(column, SortText)) << column;
        EXPECT_EQ(sorter.ColumnSortType(column), SortNone) << column;
    }
    EXPECT_EQ(sorter.SortColumn(), 1);
    EXPECT_FALSE(sorter.IsSortDescending());
    EXPECT_EQ(Column(list, 0), before);
    EXPECT_EQ(Marks(sorter, list), "-u");
}

INSTANTIATE_TEST_SUITE_P(BothMarks, SortListPaths, ::testing::Bool(), PathName);

TEST_F(SortList, BitmapsAreRestoredOnTheColumnLeftAndRemadeOnASettingsChange)
{
    sorter.SetUsesHeaderIndicators(false);
    FillAlbums();
    const HDITEMW original = HeaderItem(list, 1);
    ASSERT_TRUE(sorter.SortByColumn(1, false));
    const HBITMAP up = sorter.SortBitmap(false);
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(HeaderItem(list, 1).hbm, up);

    SendMessageW(list, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    const HBITMAP remade = sorter.SortBitmap(false);
    EXPECT_NE(remade, up);
    EXPECT_EQ(HeaderItem(list, 1).hbm, remade);
    BITMAP info;
    EXPECT_EQ(GetObjectW(up, sizeof info, &info), 0) << "the old bitmap is deleted";

    // Another setting leaves the bitmaps alone.
    SendMessageW(list, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_EQ(sorter.SortBitmap(false), remade);

    ASSERT_TRUE(sorter.SortByColumn(0, false));
    const HDITEMW restored = HeaderItem(list, 1);
    EXPECT_EQ(restored.fmt, original.fmt);
    EXPECT_EQ(restored.hbm, original.hbm);
}

TEST_F(SortList, AHeaderThatOutlivesTheObjectKeepsNoBitmapOfIt)
{
    FillAlbums();
    const HDITEMW original = HeaderItem(list, 0);
    {
        CSortListViewCtrlWithContextMenu shortLived;
        sorter.Unsubclass();
        ASSERT_TRUE(shortLived.Attach(list));
        shortLived.SetUsesHeaderIndicators(false);
        ASSERT_TRUE(shortLived.SortByColumn(0, false));
        ASSERT_TRUE(HeaderItem(list, 0).fmt & HDF_BITMAP);
    }
    EXPECT_EQ(HeaderItem(list, 0).fmt, original.fmt);
    EXPECT_EQ(HeaderItem(list, 0).hbm, original.hbm);
}

TEST(SortArrows, DrawnBitmapsPointUpForAscendingAndDownForDescending)
{
    for (bool descending : {false, true}) {
        HBITMAP bitmap = DrawSortArrowBitmap(descending);
        ASSERT_NE(bitmap, nullptr);
        BITMAP info = {};
        ASSERT_TRUE(GetObjectW(bitmap, sizeof info, &info));
        EXPECT_EQ(info.bmWidth, 16);
        EXPECT_EQ(info.bmHeight, 15);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW);
        EXPECT_EQ(GetPixel(dc, 0, 0), face);
        EXPECT_EQ(GetPixel(dc, 15, 14), face);
        EXPECT_EQ(GetPixel(dc, 7, 6), shadow) << "inside the triangle";
        // The wide side is at the bottom going up, at the top going down.
        EXPECT_EQ(GetPixel(dc, 2, 9), descending ? face : shadow);
        EXPECT_EQ(GetPixel(dc, 2, 4), descending ? shadow : face);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
}

TEST_F(SortList, WithoutShellBitmapsTheDrawnOnesAreUsed)
{
    sorter.SetUsesHeaderIndicators(false);
    sorter.SetShellBitmapsWanted(false);
    FillAlbums();
    ASSERT_TRUE(sorter.SortByColumn(0, true));
    BITMAP info = {};
    ASSERT_TRUE(GetObjectW(sorter.SortBitmap(true), sizeof info, &info));
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 15);
    EXPECT_EQ(HeaderItem(list, 0).hbm, sorter.SortBitmap(true));
}

// ---------------------------------------------------------------------------
// Sort types on the control
// ---------------------------------------------------------------------------

TEST_F(SortList, EverySortTypeOrdersAwkwardTextsByItsKeys)
{
    const std::wstring longA = L"0123456789012345678901234567890-first";
    const std::wstring longB = L"0123456789012345678901234567890-second";
    const std::vector<std::wstring> texts = {L"-----", L"", L" 42", L"1,234", L"2009/03/15 12:34:56",
                                             longA,    longB, L"7",   L"4.6",   L"0"};
    // Where the order is fixed, the texts in ascending groups of equals.
    const std::map<WORD, std::vector<std::vector<std::wstring>>> groups = {
        {SortLong, {{L"-----", L"", L"2009/03/15 12:34:56", longA, longB, L"0"}, {L"4.6"}, {L"7"}, {L" 42"}, {L"1,234"}}},
        {SortDouble, {{L"-----", L"", L"2009/03/15 12:34:56", L"0"}, {L"4.6"}, {L"7"}, {L" 42"}, {L"1,234"}, {longA, longB}}},
        {SortDecimal, {{L"-----", L"", L"2009/03/15 12:34:56", longA, longB, L"0"}, {L"4.6"}, {L"7"}, {L" 42"}, {L"1,234"}}},
    };
    AddColumn(list, 0, L"Cell");
    for (WORD type = SortText; type <= SortCustom; ++type) {
        SCOPED_TRACE(testing::Message() << "sort type " << type);
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < texts.size(); ++i)
            AddRow(list, {texts[i]}, LPARAM(100 + i));
        ASSERT_TRUE(sorter.SetColumnSortType(0, type));
        for (bool descending : {false, true}) {
            ASSERT_TRUE(sorter.SortByColumn(0, descending));
            const std::vector<std::wstring> sorted = Column(list, 0);
            ASSERT_EQ(sorted.size(), texts.size());
            for (size_t row = 0; row < sorted.size(); ++row) {
                // Every row still carries its own item data.
                const size_t index = size_t(std::find(texts.begin(), texts.end(), sorted[row]) - texts.begin());
                EXPECT_EQ(Data(list, int(row)), LPARAM(100 + index)) << row;
                if (row == 0)
                    continue;
                const int order = CompareSortKeys(type, MakeSortKey(type, sorted[row - 1]), MakeSortKey(type, sorted[row]));
                EXPECT_TRUE(descending ? order >= 0 : order <= 0) << "rows " << row - 1 << " and " << row;
            }
            const auto found = groups.find(type);
            if (found == groups.end())
                continue;
            auto rank = [&](const std::wstring& text) {
                for (size_t g = 0; g < found->second.size(); ++g)
                    if (std::count(found->second[g].begin(), found->second[g].end(), text))
                        return int(g);
                return -1;
            };
            for (size_t row = 1; row < sorted.size(); ++row) {
                const int a = rank(sorted[row - 1]), b = rank(sorted[row]);
                EXPECT_TRUE(descending ? a >= b : a <= b) << "\"" << sorted[row - 1] << "\" before \"" << sorted[row] << "\"";
            }
        }
    }
    // Texts equal in their first 31 characters stand together under the
    // text types, whatever follows.
    ASSERT_TRUE(sorter.SetColumnSortType(0, SortText));
    ASSERT_TRUE(sorter.SortByColumn(0, false));
    const std::vector<std::wstring> sorted = Column(list, 0);
    const auto a = std::find(sorted.begin(), sorted.end(), longA), b = std::find(sorted.begin(), sorted.end(), longB);
    EXPECT_EQ(std::abs(int(a - b)), 1);
}

TEST_F(SortList, ItemDataStaysWithItsRowThroughSorts)
{
    AddColumn(list, 0, L"Name");
    AddColumn(list, 1, L"Size");
    sorter.SetColumnSortType(1, SortLong);
    const std::vector<std::wstring> names = {L"e", L"b", L"d", L"a", L"c", L"f"};
    const std::vector<std::wstring> sizes = {L"5", L"-----", L"12", L"1,234", L"", L" 3"};
    for (size_t i = 0; i < names.size(); ++i)
        AddRow(list, {names[i], sizes[i]}, LPARAM(0x1000 * (i + 1)));
    for (auto [column, descending] : {std::pair{0, false}, {1, true}, {1, false}, {0, true}}) {
        ASSERT_TRUE(sorter.SortByColumn(column, descending));
        for (int row = 0; row < int(names.size()); ++row) {
            const std::wstring name = Cell(list, row, 0);
            const size_t i = size_t(std::find(names.begin(), names.end(), name) - names.begin());
            ASSERT_LT(i, names.size());
            EXPECT_EQ(Data(list, row), LPARAM(0x1000 * (i + 1))) << name;
            EXPECT_EQ(Cell(list, row, 1), sizes[i]) << name;
        }
    }
}

TEST_F(SortList, SortTypesFollowColumnsAsTheyComeAndGo)
{
    // Columns the control had before attaching start as text columns too.
    CSortListViewCtrlWithContextMenu other;
    AddColumn(list, 0, L"A");
    AddColumn(list, 1, L"B");
    sorter.Unsubclass();
    ASSERT_TRUE(other.Attach(list));
    EXPECT_EQ(other.SortTypeCount(), 2u);
    EXPECT_EQ(other.ColumnSortType(1), SortText);

    AddColumn(list, 2, L"C");
    ASSERT_EQ(other.SortTypeCount(), 3u);
    EXPECT_EQ(other.ColumnSortType(2), SortText);
    other.SetColumnSortType(1, SortLong);
    other.SetColumnSortType(2, SortDate);
    ASSERT_TRUE(other.SortByColumn(2, false));

    AddColumn(list, 1, L"New"); // A New B C
    ASSERT_EQ(other.SortTypeCount(), 4u);
    EXPECT_EQ(other.ColumnSortType(0), SortText);
    EXPECT_EQ(other.ColumnSortType(1), SortText);
    EXPECT_EQ(other.ColumnSortType(2), SortLong);
    EXPECT_EQ(other.ColumnSortType(3), SortDate);
    EXPECT_EQ(other.SortColumn(), 3);

    AddColumn(list, 99, L"End"); // the control puts it last
    ASSERT_EQ(other.SortTypeCount(), 5u);
    EXPECT_EQ(other.SortColumn(), 3);

    ASSERT_TRUE(SendMessageW(list, LVM_DELETECOLUMN, 0, 0)); // New B C End
    EXPECT_EQ(other.SortTypeCount(), 4u);
    EXPECT_EQ(other.ColumnSortType(1), SortLong);
    EXPECT_EQ(other.SortColumn(), 2);
    ASSERT_TRUE(SendMessageW(list, LVM_DELETECOLUMN, 2, 0)); // the sort column
    EXPECT_EQ(other.SortColumn(), -1);
    EXPECT_EQ(other.SortTypeCount(), 3u);
    EXPECT_FALSE(SendMessageW(list, LVM_DELETECOLUMN, 7, 0));
    EXPECT_EQ(other.SortTypeCount(), 3u);
}

// ---------------------------------------------------------------------------
// Select all, Copy, keys
// ---------------------------------------------------------------------------

namespace {

// Holds keys down in this thread's keyboard state while in scope.
class HeldKeys
{
public:
    explicit HeldKeys(std::initializer_list<int> keys)
    {
        GetKeyboardState(m_saved);
        BYTE state[256];
        memcpy(state, m_saved, sizeof state);
        for (int key : keys)
            state[key] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256];
};

} // namespace

TEST_F(SortList, SelectAllFromTheMenuCommandAndFromCtrlA)
{
    FillAlbums();
    LVITEMW focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focus));

    SendMessageW(list, WM_COMMAND, MAKEWPARAM(ID_LIST_SELECT_ALL, 0), 0);
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(IsSelected(list, row)) << row;
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 1, LVIS_FOCUSED), LVIS_FOCUSED) << "focus left alone";

    for (int row = 0; row < 3; ++row)
        Select(list, row, false);
    SendMessageW(list, WM_KEYDOWN, 'A', 0);
    EXPECT_FALSE(IsSelected(list, 0)) << "A alone selects nothing";
    {
        // Through the dialog's own message handling, as a key press comes.
        HeldKeys ctrl({VK_CONTROL});
        SetFocus(list);
        PostMessageW(list, WM_KEYDOWN, 'A', 0);
        PumpMessages(dialog.Handle());
    }
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(IsSelected(list, row)) << row;
}

TEST_F(SortList, CopyPutsTheSelectedRowsAsPlainTextInDisplayOrder)
{
    FillAlbums();
    ASSERT_TRUE(sorter.SortByColumn(1, true)); // c 100, b 10, a 9
    ASSERT_TRUE(PutSentinel(L"sentinel"));

    SendMessageW(list, WM_COMMAND, MAKEWPARAM(ID_LIST_COPY, 0), 0);
    EXPECT_EQ(ClipboardText(), L"sentinel") << "nothing selected: the clipboard is left alone";

    Select(list, 2);
    Select(list, 0);
    SendMessageW(list, WM_COMMAND, MAKEWPARAM(ID_LIST_COPY, 0), 0);
    EXPECT_EQ(ClipboardText(), L"c, 100\r\na, 9");
    EXPECT_EQ(ClipboardFormats(), std::vector<UINT>{CF_UNICODETEXT});

    ASSERT_TRUE(PutSentinel(L"sentinel"));
    Select(list, 0, false);
    {
        HeldKeys ctrl({VK_CONTROL});
        SetFocus(list);
        PostMessageW(list, WM_KEYDOWN, 'C', 0);
        PumpMessages(dialog.Handle());
    }
    EXPECT_EQ(ClipboardText(), L"a, 9");

    ASSERT_TRUE(PutSentinel(L"sentinel"));
    {
        HeldKeys ctrlShift({VK_CONTROL, VK_SHIFT});
        SendMessageW(list, WM_KEYDOWN, 'C', 0);
    }
    EXPECT_EQ(ClipboardText(), L"sentinel") << "Ctrl+Shift+C is not Copy";
}

// ---------------------------------------------------------------------------
// Context menu
// ---------------------------------------------------------------------------

namespace {

struct MenuSeen
{
    bool shown = false;
    std::vector<UINT> ids;
    std::vector<std::wstring> texts;
    RECT rect = {};
};
MenuSeen* g_menuSeen = nullptr;
// Items to go down to and choose with Enter; 0 closes the menu instead.
int g_menuChoice = 0;
HWND g_menuKeysTo = nullptr;

// Runs inside the menu's own loop: reads the open menu, then chooses an
// item with the keys or closes the menu.
void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (menuWindow && g_menuSeen) {
        g_menuSeen->shown = IsWindowVisible(menuWindow) != FALSE;
        GetWindowRect(menuWindow, &g_menuSeen->rect);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            g_menuSeen->ids.push_back(GetMenuItemID(menu, i));
            wchar_t text[64] = L"";
            GetMenuStringW(menu, UINT(i), text, 64, MF_BYPOSITION);
            g_menuSeen->texts.push_back(text);
        }
    }
    if (g_menuChoice == 0) {
        EndMenu();
        return;
    }
    for (int i = 0; i < g_menuChoice; ++i)
        PostMessageW(g_menuKeysTo, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(g_menuKeysTo, WM_KEYDOWN, VK_RETURN, 0);
}

MenuSeen ShowContextMenu(HWND list, LPARAM screenPoint, int choice = 0)
{
    MenuSeen seen;
    g_menuSeen = &seen;
    g_menuChoice = choice;
    g_menuKeysTo = list;
    SetTimer(nullptr, 0, 30, ReadAndCloseMenu);
    SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), screenPoint);
    g_menuSeen = nullptr;
    PumpMessages(); // the chosen command arrives as a posted message
    return seen;
}

class ContextMenu : public ::testing::TestWithParam<const char*>
{
};

} // namespace

TEST_P(ContextMenu, ComesFromTheLanguageModulesMenuAndStaysOnScreen)
{
    ScopedLanguage language(GetParam());
    ListDialog dialog;
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    CSortListViewCtrlWithContextMenu sorter;
    ASSERT_TRUE(sorter.Attach(dialog.List()));
    ShowWindow(dialog.Handle(), SW_SHOW);

    HMENU module = LoadMenuW(language.Module(), MAKEINTRESOURCEW(IDR_LIST_MENU));
    ASSERT_NE(module, nullptr);
    HMENU popup = GetSubMenu(module, 0);
    std::vector<std::wstring> expected;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        wchar_t text[64] = L"";
        GetMenuStringW(popup, UINT(i), text, 64, MF_BYPOSITION);
        expected.push_back(text);
    }
    DestroyMenu(module);

    MenuSeen seen = ShowContextMenu(dialog.List(), MAKELPARAM(100, 120));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.ids, (std::vector<UINT>{ID_LIST_COPY, ID_LIST_SELECT_ALL}));
    EXPECT_EQ(seen.texts, expected);
    EXPECT_EQ(seen.rect.left, 100);

    // A point left of every monitor: the menu opens at the work area's edge.
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{-30000, 120}, MONITOR_DEFAULTTONEAREST), &info);
    ASSERT_EQ(MonitorFromPoint(POINT{-30000, 120}, MONITOR_DEFAULTTONULL), nullptr);
    seen = ShowContextMenu(dialog.List(), MAKELPARAM(-30000, 120));
    ASSERT_TRUE(seen.shown);
    EXPECT_GE(seen.rect.left, info.rcWork.left);
    EXPECT_LT(seen.rect.left, info.rcWork.left + 5);
}

TEST(ContextMenuCommands, TheChosenItemRunsOnTheListAndTheKeyboardOpensItAtTheFocusedRow)
{
    ScopedLanguage language("en");
    ListDialog dialog;
    ASSERT_NE(dialog.Create(nullptr), nullptr);
    ShowWindow(dialog.Handle(), SW_SHOW);
    HWND list = dialog.List();
    CSortListViewCtrlWithContextMenu sorter;
    ASSERT_TRUE(sorter.Attach(list));
    AddColumn(list, 0, L"Title");
    AddRow(list, {L"one"});
    AddRow(list, {L"two"});

    // Second item: Select all.
    MenuSeen seen = ShowContextMenu(list, MAKELPARAM(100, 120), 2);
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(IsSelected(list, 0));
    EXPECT_TRUE(IsSelected(list, 1));

    // First item: Copy.
    ASSERT_TRUE(PutSentinel(L"sentinel"));
    seen = ShowContextMenu(list, MAKELPARAM(100, 120), 1);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(ClipboardText(), L"one\r\ntwo");

    // Shift+F10 or the menu key: at the focused row's text.
    LVITEMW focus = {};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focus));
    RECT row = {LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    POINT corner = {row.left, row.bottom};
    ClientToScreen(list, &corner);
    seen = ShowContextMenu(list, LPARAM(-1));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.rect.left, corner.x);
    EXPECT_EQ(seen.rect.top, corner.y);
}

INSTANTIATE_TEST_SUITE_P(Languages, ContextMenu, ::testing::Values("en", "ja"));

// ---------------------------------------------------------------------------
// The dialog reflects what it leaves unhandled back to the control
// ---------------------------------------------------------------------------

namespace {

class ReflectedNotices : public CWindowSubclass
{
public:
    std::vector<UINT> codes;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kReflectedMessageBase + WM_NOTIFY) {
            codes.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
            return 0x1234;
        }
        return DefaultProc(message, wParam, lParam);
    }
};

LRESULT NotifyDialog(HWND dialog, HWND from, UINT code)
{
    NMHDR header = {from, UINT_PTR(kListId), code};
    SendMessageW(dialog, WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&header));
    return GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
}

} // namespace

TEST(DialogReflection, NotificationsComeBackToTheListWithTheListsResult)
{
    ScopedLanguage language("en");
    for (bool reflect : {true, false}) {
        ListDialog dialog(reflect);
        ASSERT_NE(dialog.Create(nullptr), nullptr);
        ReflectedNotices notices;
        ASSERT_TRUE(notices.Subclass(dialog.List()));
        SetWindowLongPtrW(dialog.Handle(), DWLP_MSGRESULT, 0);
        const LRESULT result = NotifyDialog(dialog.Handle(), dialog.List(), UINT(NM_CUSTOMDRAW));
        if (reflect) {
            EXPECT_EQ(notices.codes, std::vector<UINT>{UINT(NM_CUSTOMDRAW)});
            EXPECT_EQ(result, 0x1234) << "the list's answer is the dialog's";
        } else {
            EXPECT_TRUE(notices.codes.empty());
            EXPECT_EQ(result, 0);
        }
    }
}
