// The sortable list on a real list control in a dialog: header clicks and
// their marks (both the header's own arrows and the bitmap path), every sort
// type, item data through sorts, columns coming and going, the context menu
// from both language modules, Select all, Copy and their keys, and the
// dialog's reflection of notifications.
#include "tests/ui/controls/ListTestDialog.h"
#include "ui/controls/CSortListViewCtrlWithContextMenu.h"
#include "ui/controls/CWindowSubclass.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

using namespace DialogHarness;
using namespace ListTest;

namespace {

using Texts = std::vector<std::wstring>;

class SortList : public ListFixture<CSortListViewCtrlWithContextMenu>
{
protected:
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

    // The header's mark of each column: 'u' up, 'd' down, '-' none, '?' a
    // mark of the other path or a broken one.
    std::string Marks()
    {
        std::string marks;
        for (int column = 0; column < int(SendMessageW(HeaderOf(list), HDM_GETITEMCOUNT, 0, 0)); ++column) {
            const HDITEMW item = HeaderItem(list, column);
            const int arrows = item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
            const bool bitmap = (item.fmt & HDF_BITMAP) != 0;
            if (sorter.UsesHeaderIndicators() ? bitmap : arrows != 0)
                marks += '?';
            else if (sorter.UsesHeaderIndicators())
                marks += arrows == HDF_SORTUP ? 'u' : arrows == HDF_SORTDOWN ? 'd' : arrows ? '?' : '-';
            else if (bitmap && (item.fmt & HDF_BITMAP_ON_RIGHT) && item.hbm)
                marks += item.hbm == sorter.SortBitmap(false) ? 'u' : item.hbm == sorter.SortBitmap(true) ? 'd' : '?';
            else
                marks += bitmap || item.hbm ? '?' : '-';
        }
        return marks;
    }

    // The first column's texts, the header's marks and the sort.
    std::string State()
    {
        std::string state;
        for (const std::wstring& text : Column(list, 0))
            for (wchar_t c : text)
                state += char(c);
        return state + " " + Marks() + " " + std::to_string(sorter.SortColumn()) +
               (sorter.IsSortDescending() ? " down" : " up");
    }

    CSortListViewCtrlWithContextMenu& sorter = control;
};

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

} // namespace

// Header clicks, sorts and marks in turn on one list, each step with the
// state it leaves.
TEST_P(SortListPaths, ClicksSortsAndMarksInTurn)
{
    FillAlbums();
    EXPECT_EQ(State(), "bac -- -1 up");
    enum Act { Sort, Click, Mark, Unsortable };
    const struct {
        Act act;
        int column;
        bool sorts;
        const char* state;
    } steps[] = {
        {Sort, 0, true, "abc u- 0 up"},      // the dialog's sort by the saved column
        {Click, 0, true, "cba d- 0 down"},   // the sort column three times
        {Click, 0, true, "abc u- 0 up"},
        {Click, 0, true, "cba d- 0 down"},
        {Click, 1, true, "abc -u 1 up"},     // another column: 9, 10, 100 by number
        {Click, 1, true, "cba -d 1 down"},
        {Unsortable, 0, true, "cba -d 1 down"},
        {Click, 0, false, "cba -d 1 down"},  // ignored, the old column still marked
        {Sort, 0, false, "cba -d 1 down"},
        {Sort, 2, false, "cba -d 1 down"},   // columns that do not exist
        {Sort, 1000, false, "cba -d 1 down"},
        {Sort, -1, false, "cba -d 1 down"},
        {Sort, -2, false, "cba -d 1 down"},
        {Mark, 0, false, "cba d- 0 down"},   // without sorting, in the same direction
        {Mark, 7, false, "cba d- 0 down"},
        {Mark, -1, false, "cba -- -1 down"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        const auto& step = steps[i];
        if (step.act == Sort)
            EXPECT_EQ(sorter.SortByColumn(step.column, false), step.sorts);
        else if (step.act == Click)
            ClickHeader(list, step.column);
        else if (step.act == Mark)
            sorter.SetSortColumn(step.column);
        else
            ASSERT_TRUE(sorter.SetColumnSortType(step.column, SortNone));
        EXPECT_EQ(State(), step.state);
    }
    // Only a header click that sorted tells the parent; the control still
    // reports every click.
    EXPECT_EQ(dialog->sortNotes, (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {0, 0}, {1, 0}, {1, 1}}));
    EXPECT_EQ(dialog->columnClicks, 6);
    for (int column : {2, 3, 1000, -1, -2}) {
        EXPECT_FALSE(sorter.SetColumnSortType(column, SortText)) << column;
        EXPECT_EQ(sorter.ColumnSortType(column), SortNone) << column;
    }
}

TEST_P(SortListPaths, OneRowOrNoneIsMarkedWithoutSorting)
{
    AddColumn(list, 0, L"Title");
    AddColumn(list, 1, L"Photos");
    AddRow(list, {L"only", L"1"}, 77);
    ClickHeader(list, 1);
    EXPECT_EQ(State(), "only -u 1 up");
    ClickHeader(list, 1);
    EXPECT_EQ(State(), "only -d 1 down");
    EXPECT_EQ(dialog->sortNotes.size(), 2u);
    EXPECT_EQ(Data(list, 0), 77);

    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_TRUE(sorter.SortByColumn(0, false));
    EXPECT_EQ(State(), " u- 0 up");
}

INSTANTIATE_TEST_SUITE_P(BothMarks, SortListPaths, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "HeaderArrows" : "Bitmaps"; });

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
    SendMessageW(list, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_EQ(sorter.SortBitmap(false), remade) << "another setting leaves the bitmaps alone";

    ASSERT_TRUE(sorter.SortByColumn(0, false));
    EXPECT_EQ(HeaderItem(list, 1).fmt, original.fmt);
    EXPECT_EQ(HeaderItem(list, 1).hbm, original.hbm);
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

// The drawn arrows, and that a list without the shell's bitmaps uses them.
TEST_F(SortList, DrawnArrowsPointUpForAscendingAndDownForDescending)
{
    sorter.SetUsesHeaderIndicators(false);
    sorter.SetShellBitmapsWanted(false);
    FillAlbums();
    ASSERT_TRUE(sorter.SortByColumn(0, true));
    EXPECT_EQ(HeaderItem(list, 0).hbm, sorter.SortBitmap(true));
    const COLORREF face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW);
    for (bool descending : {false, true}) {
        SCOPED_TRACE(descending);
        HBITMAP drawn = DrawSortArrowBitmap(descending);
        for (HBITMAP bitmap : {drawn, sorter.SortBitmap(descending)}) {
            BITMAP info = {};
            ASSERT_TRUE(GetObjectW(bitmap, sizeof info, &info));
            EXPECT_EQ(info.bmWidth, 16);
            EXPECT_EQ(info.bmHeight, 15);
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, bitmap);
            EXPECT_EQ(GetPixel(dc, 0, 0), face);
            EXPECT_EQ(GetPixel(dc, 15, 14), face);
            EXPECT_EQ(GetPixel(dc, 7, 6), shadow) << "inside the triangle";
            // The wide side is at the bottom going up, at the top going down.
            EXPECT_EQ(GetPixel(dc, 2, 9), descending ? face : shadow);
            EXPECT_EQ(GetPixel(dc, 2, 4), descending ? shadow : face);
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        DeleteObject(drawn);
    }
}

// ---------------------------------------------------------------------------
// Sort types and item data on the control
// ---------------------------------------------------------------------------

TEST_F(SortList, EverySortTypeOrdersAwkwardTextsByItsKeys)
{
    const std::wstring longA = L"0123456789012345678901234567890-first";
    const std::wstring longB = L"0123456789012345678901234567890-second";
    const Texts texts = {L"-----", L"", L" 42", L"1,234", L"2009/03/15 12:34:56", longA, longB, L"7", L"4.6", L"0"};
    // Where the order is fixed, the texts in ascending groups of equals.
    const Texts zeros = {L"-----", L"", L"2009/03/15 12:34:56", L"0"};
    const Texts longZeros = {L"-----", L"", L"2009/03/15 12:34:56", longA, longB, L"0"};
    const std::map<WORD, std::vector<Texts>> groups = {
        {SortLong, {longZeros, {L"4.6"}, {L"7"}, {L" 42"}, {L"1,234"}}},
        {SortDouble, {zeros, {L"4.6"}, {L"7"}, {L" 42"}, {L"1,234"}, {longA, longB}}},
        {SortDecimal, {longZeros, {L"4.6"}, {L"7"}, {L" 42"}, {L"1,234"}}},
    };
    AddColumn(list, 0, L"Cell");
    for (WORD type = SortText; type <= SortCustom; ++type) {
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < texts.size(); ++i)
            AddRow(list, {texts[i]}, LPARAM(100 + i));
        ASSERT_TRUE(sorter.SetColumnSortType(0, type));
        for (bool descending : {false, true}) {
            SCOPED_TRACE(testing::Message() << "sort type " << type << (descending ? " descending" : ""));
            ASSERT_TRUE(sorter.SortByColumn(0, descending));
            const Texts sorted = Column(list, 0);
            ASSERT_EQ(sorted.size(), texts.size());
            const auto found = groups.find(type);
            auto rank = [&](const std::wstring& text) {
                for (size_t g = 0; found != groups.end() && g < found->second.size(); ++g)
                    if (std::count(found->second[g].begin(), found->second[g].end(), text))
                        return int(g);
                return -1;
            };
            for (size_t row = 0; row < sorted.size(); ++row) {
                // Every row still carries its own item data.
                const size_t index = size_t(std::find(texts.begin(), texts.end(), sorted[row]) - texts.begin());
                EXPECT_EQ(Data(list, int(row)), LPARAM(100 + index)) << row;
                if (row == 0)
                    continue;
                const int order = CompareSortKeys(type, MakeSortKey(type, sorted[row - 1]), MakeSortKey(type, sorted[row]));
                const int a = rank(sorted[row - 1]), b = rank(sorted[row]);
                EXPECT_TRUE(descending ? order >= 0 && a >= b : order <= 0 && a <= b)
                    << "\"" << sorted[row - 1] << "\" before \"" << sorted[row] << "\"";
            }
        }
    }
    // Texts equal in their first 31 characters stand together under the
    // text types, whatever follows.
    ASSERT_TRUE(sorter.SetColumnSortType(0, SortText));
    ASSERT_TRUE(sorter.SortByColumn(0, false));
    const Texts sorted = Column(list, 0);
    EXPECT_EQ(std::abs(int(std::find(sorted.begin(), sorted.end(), longA) - std::find(sorted.begin(), sorted.end(), longB))), 1);
}

// Item data close together, far apart, and shared by rows: every row keeps
// its own through sorts by either column.
TEST_F(SortList, ItemDataStaysWithItsRowThroughSorts)
{
    AddColumn(list, 0, L"Name");
    AddColumn(list, 1, L"Size");
    sorter.SetColumnSortType(1, SortLong);
    const Texts names = {L"e", L"b", L"d", L"a", L"c", L"f"};
    const Texts sizes = {L"5", L"-----", L"12", L"1,234", L"", L" 3"};
    const std::vector<LPARAM> dataSets[] = {
        {1, 2, 3, 4, 5, 6}, {0x1000, 0x2000, 0x3000, 0x4000, 0x5000, 0x6000}, {7, 7, 0, 9, 0, 7}};
    for (const auto& data : dataSets) {
        SCOPED_TRACE(data[1]);
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        for (size_t i = 0; i < names.size(); ++i)
            AddRow(list, {names[i], sizes[i]}, data[i]);
        for (auto [column, descending] : {std::pair{0, false}, {1, true}, {1, false}, {0, true}}) {
            ASSERT_TRUE(sorter.SortByColumn(column, descending));
            for (int row = 0; row < int(names.size()); ++row) {
                const std::wstring name = Cell(list, row, 0);
                const size_t i = size_t(std::find(names.begin(), names.end(), name) - names.begin());
                ASSERT_LT(i, names.size());
                EXPECT_EQ(Data(list, row), data[i]) << name;
                EXPECT_EQ(Cell(list, row, 1), sizes[i]) << name;
            }
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
    auto state = [&] { // a digit per column's sort type, then the sort column
        std::string text;
        for (size_t column = 0; column < other.SortTypeCount(); ++column)
            text += char('0' + other.ColumnSortType(int(column)));
        return text + " by " + std::to_string(other.SortColumn());
    };
    EXPECT_EQ(state(), "11 by -1");
    AddColumn(list, 2, L"C");
    EXPECT_EQ(state(), "111 by -1");
    other.SetColumnSortType(1, SortLong);
    other.SetColumnSortType(2, SortDate);
    ASSERT_TRUE(other.SortByColumn(2, false));
    EXPECT_EQ(state(), "137 by 2");
    AddColumn(list, 1, L"New"); // A New B C
    EXPECT_EQ(state(), "1137 by 3");
    AddColumn(list, 99, L"End"); // the control puts it last
    EXPECT_EQ(state(), "11371 by 3");
    ASSERT_TRUE(SendMessageW(list, LVM_DELETECOLUMN, 0, 0)); // New B C End
    EXPECT_EQ(state(), "1371 by 2");
    ASSERT_TRUE(SendMessageW(list, LVM_DELETECOLUMN, 2, 0)); // the sort column
    EXPECT_EQ(state(), "131 by -1");
    EXPECT_FALSE(SendMessageW(list, LVM_DELETECOLUMN, 7, 0));
    EXPECT_EQ(state(), "131 by -1");
}

// ---------------------------------------------------------------------------
// Select all, Copy, keys
// ---------------------------------------------------------------------------

TEST_F(SortList, SelectAllFromTheMenuCommandAndFromCtrlA)
{
    FillAlbums();
    SetState(list, 1, LVIS_FOCUSED);
    Command(list, ID_LIST_SELECT_ALL);
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(IsSelected(list, row)) << row;
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 1, LVIS_FOCUSED), LVIS_FOCUSED) << "focus left alone";

    Select(list, -1, false);
    PressKey(dialog->Handle(), list, 'A');
    EXPECT_FALSE(IsSelected(list, 0)) << "A alone selects nothing";
    PressKey(dialog->Handle(), list, 'A', {VK_CONTROL});
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(IsSelected(list, row)) << row;
}

TEST_F(SortList, CopyPutsTheSelectedRowsAsPlainTextInDisplayOrder)
{
    FillAlbums();
    ASSERT_TRUE(sorter.SortByColumn(1, true)); // c 100, b 10, a 9
    ASSERT_TRUE(PutSentinel());
    Command(list, ID_LIST_COPY);
    EXPECT_EQ(ClipboardText(), kSentinel) << "nothing selected: the clipboard is left alone";

    Select(list, 2);
    Select(list, 0);
    Command(list, ID_LIST_COPY);
    EXPECT_EQ(ClipboardText(), L"c, 100\r\na, 9");
    EXPECT_EQ(ClipboardFormats(), std::vector<UINT>{CF_UNICODETEXT});

    ASSERT_TRUE(PutSentinel());
    Select(list, 0, false);
    PressKey(dialog->Handle(), list, 'C', {VK_CONTROL});
    EXPECT_EQ(ClipboardText(), L"a, 9");

    ASSERT_TRUE(PutSentinel());
    PressKey(dialog->Handle(), list, 'C', {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(ClipboardText(), kSentinel) << "Ctrl+Shift+C is not Copy";
}

// ---------------------------------------------------------------------------
// Context menu
// ---------------------------------------------------------------------------

namespace {

Texts MenuTexts(HMENU menu)
{
    Texts texts;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, UINT(i), text, 64, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

struct MenuSeen
{
    bool shown = false;
    std::vector<UINT> ids;
    Texts texts;
    RECT rect = {};
};

// Opens the list's context menu; inside the menu's own loop, reads it and
// then chooses the `choice`th item with the keys, or closes it for 0.
MenuSeen ShowContextMenu(HWND list, LPARAM screenPoint, int choice = 0, const std::function<void()>& open = {})
{
    static MenuSeen seen;
    static int chosen;
    static HWND keysTo;
    seen = MenuSeen{};
    chosen = choice;
    keysTo = list;
    SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (HWND window = FindWindowW(L"#32768", nullptr)) {
            seen.shown = IsWindowVisible(window) != FALSE;
            GetWindowRect(window, &seen.rect);
            HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
            for (int i = 0; menu && i < GetMenuItemCount(menu); ++i)
                seen.ids.push_back(GetMenuItemID(menu, i));
            seen.texts = MenuTexts(menu);
        }
        if (chosen == 0)
            EndMenu();
        for (int i = 0; i < chosen; ++i)
            PostMessageW(keysTo, WM_KEYDOWN, VK_DOWN, 0);
        if (chosen > 0)
            PostMessageW(keysTo, WM_KEYDOWN, VK_RETURN, 0);
    });
    if (open)
        open();
    else
        SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), screenPoint);
    PumpMessages(); // the chosen command arrives as a posted message
    return seen;
}

class ContextMenu : public SortList, public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override { Open(true, GetParam()); }
};

} // namespace

TEST_P(ContextMenu, ComesFromTheLanguageModulesMenuAndStaysOnScreen)
{
    HMENU module = LoadMenuW(language->Module(), MAKEINTRESOURCEW(IDR_LIST_MENU));
    ASSERT_NE(module, nullptr);
    const Texts expected = MenuTexts(GetSubMenu(module, 0));
    DestroyMenu(module);

    MenuSeen seen = ShowContextMenu(list, MAKELPARAM(100, 120));
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.ids, (std::vector<UINT>{ID_LIST_COPY, ID_LIST_SELECT_ALL}));
    EXPECT_EQ(seen.texts, expected);
    EXPECT_EQ(seen.rect.left, 100);

    // A point left of every monitor: the menu opens at the work area's edge.
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(POINT{-30000, 120}, MONITOR_DEFAULTTONEAREST), &info);
    ASSERT_EQ(MonitorFromPoint(POINT{-30000, 120}, MONITOR_DEFAULTTONULL), nullptr);
    seen = ShowContextMenu(list, MAKELPARAM(-30000, 120));
    ASSERT_TRUE(seen.shown);
    EXPECT_GE(seen.rect.left, info.rcWork.left);
    EXPECT_LT(seen.rect.left, info.rcWork.left + 5);
}

TEST_P(ContextMenu, TheChosenItemRunsOnTheListAndTheKeyboardOpensItAtTheFocusedRow)
{
    AddColumn(list, 0, L"Title");
    AddRow(list, {L"one"});
    AddRow(list, {L"two"});

    ASSERT_TRUE(ShowContextMenu(list, MAKELPARAM(100, 120), 2).shown); // Select all
    EXPECT_TRUE(IsSelected(list, 0));
    EXPECT_TRUE(IsSelected(list, 1));
    ASSERT_TRUE(PutSentinel());
    ASSERT_TRUE(ShowContextMenu(list, MAKELPARAM(100, 120), 1).shown); // Copy
    EXPECT_EQ(ClipboardText(), L"one\r\ntwo");

    // Shift+F10 or the menu key: at the focused row's text.
    SetState(list, 1, LVIS_FOCUSED);
    RECT row = {LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    POINT corner = {row.left, row.bottom};
    ClientToScreen(list, &corner);
    // The keyboard's point is -1 in its x and y halves; the upper half of a
    // 64-bit lParam need not be set (a message posted with MAKELPARAM).
    for (const LPARAM keyboard : {LPARAM(-1), LPARAM(MAKELPARAM(0xFFFF, 0xFFFF))}) {
        const MenuSeen seen = ShowContextMenu(list, keyboard);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.rect.left, corner.x) << std::hex << keyboard;
        EXPECT_EQ(seen.rect.top, corner.y);
    }
}

TEST_P(ContextMenu, TheMenuKeyAndShiftF10OpenItOnceAtTheSelection)
{
    AddColumn(list, 0, L"Title");
    for (const wchar_t* title : {L"one", L"two", L"three"})
        AddRow(list, {title});
    // The focus on a row the commands do not act on: the menu goes to the
    // selected one.
    SetState(list, 0, LVIS_FOCUSED);
    Select(list, 2);
    RECT row = {LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row)));
    POINT corner = {row.left, row.bottom};
    ClientToScreen(list, &corner);

    struct Key
    {
        UINT down, up;
        WPARAM key;
        bool shift;
    };
    for (const Key& k : {Key{WM_KEYDOWN, WM_KEYUP, VK_APPS, false}, Key{WM_SYSKEYDOWN, WM_SYSKEYUP, VK_F10, true},
                         Key{WM_KEYDOWN, WM_KEYUP, VK_F10, true}}) {
        SCOPED_TRACE(k.key);
        BYTE saved[256], state[256];
        GetKeyboardState(saved);
        memcpy(state, saved, sizeof state);
        state[VK_SHIFT] = k.shift ? 0x80 : 0;
        SetKeyboardState(state);
        const MenuSeen seen = ShowContextMenu(list, 0, 0, [&] { SendMessageW(list, k.down, k.key, 0); });
        // The key coming up opens no second menu.
        const MenuSeen again = ShowContextMenu(list, 0, 0, [&] { SendMessageW(list, k.up, k.key, 0); });
        SetKeyboardState(saved);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.rect.left, corner.x);
        EXPECT_EQ(seen.rect.top, corner.y);
        EXPECT_FALSE(again.shown);
    }
    // F10 alone is not the menu's key.
    EXPECT_FALSE(ShowContextMenu(list, 0, 0, [&] { SendMessageW(list, WM_SYSKEYDOWN, VK_F10, 0); }).shown);
}

INSTANTIATE_TEST_SUITE_P(Languages, ContextMenu, ::testing::Values("en", "ja"));

// ---------------------------------------------------------------------------
// The dialog reflects what it leaves unhandled back to the control
// ---------------------------------------------------------------------------

namespace {

class ReflectedNotices : public CWindowSubclass
{
public:
    bool Attach(HWND list) { return Subclass(list); }
    std::vector<UINT> codes;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kReflectedMessageBase + WM_NOTIFY)
            return DefaultProc(message, wParam, lParam);
        codes.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
        return 0x1234;
    }
};

using DialogReflection = ListFixture<ReflectedNotices>;

} // namespace

TEST_F(DialogReflection, NotificationsComeBackToTheListWithTheListsResult)
{
    for (bool reflect : {true, false}) {
        SCOPED_TRACE(reflect);
        Open(reflect);
        control.codes.clear();
        SetWindowLongPtrW(dialog->Handle(), DWLP_MSGRESULT, 0);
        NMHDR header = {list, UINT_PTR(kListId), UINT(NM_CUSTOMDRAW)};
        SendMessageW(dialog->Handle(), WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&header));
        EXPECT_EQ(control.codes, reflect ? std::vector<UINT>{UINT(NM_CUSTOMDRAW)} : std::vector<UINT>{});
        EXPECT_EQ(GetWindowLongPtrW(dialog->Handle(), DWLP_MSGRESULT), reflect ? 0x1234 : 0)
            << "the list's answer is the dialog's";
    }
}
