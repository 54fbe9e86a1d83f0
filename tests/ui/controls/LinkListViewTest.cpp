// The link list on a real list control in a dialog that reflects its
// notifications: row keys and user values, links through sorts, hit-testing,
// hover and the tooltip, drawing, clicks, fonts and the text-and-HTML copy.
#include "tests/support/TestEnv.h"
#include "tests/ui/controls/ListTestDialog.h"
#include "ui/controls/CSortListViewCtrlWithHyperLink.h"
#include "ui/controls/ClipboardText.h"

#include <algorithm>
#include <optional>

using namespace DialogHarness;
using namespace ListTest;

namespace {

constexpr int kTitle = 0, kPhotos = 1, kAddress = 2;
using Links = CSortListViewCtrlWithHyperLink;

class LinkList : public ListFixture<Links>
{
protected:
    void SetUp() override { OpenLinks(true); }

    void OpenLinks(bool reflect)
    {
        Open(reflect);
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
        ASSERT_TRUE(links.InitLinkDrawing());
        links.SetOpener([this](const std::wstring& url) {
            opened.push_back(url);
            return true;
        });
        AddColumn(list, kTitle, L"Title", LVCFMT_LEFT, 160);
        AddColumn(list, kPhotos, L"Photos", LVCFMT_RIGHT, 120);
        AddColumn(list, kAddress, L"Web address", LVCFMT_LEFT, 300);
        links.SetColumnSortType(kPhotos, SortLong);
    }

    // Albums as the album window shows them: the title, the count, the web
    // address as a link, the album's index as the row's user value.
    void FillAlbums()
    {
        for (size_t i = 0; i < titles.size(); ++i) {
            const int row = AddRow(list, {titles[i], counts[i], Url(i)});
            ASSERT_TRUE(links.SetCellLink(row, kAddress, Url(i), i == 1 ? L"Protected album" : L""));
            ASSERT_TRUE(links.SetRowUserValue(row, INT_PTR(i)));
        }
    }

    static std::wstring Url(size_t i) { return L"https://photos.example.com/album/" + std::to_wstring(i); }

    RECT Rect(int row, int column)
    {
        RECT r = {};
        EXPECT_TRUE(links.LinkRect(row, column, r));
        return r;
    }
    POINT InsideLink(int row, int column)
    {
        const RECT r = Rect(row, column);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    static LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }
    void Move(POINT p) { SendMessageW(list, WM_MOUSEMOVE, 0, At(p)); }

    // A click as the control sees it; the release is queued first so that
    // the control finds it if it waits for one.
    void Click(POINT p)
    {
        PostMessageW(list, WM_LBUTTONUP, 0, At(p));
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
        PumpMessages();
    }

    std::wstring TipText()
    {
        wchar_t text[256] = L"";
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = list;
        tool.uId = Links::kToolId;
        tool.lpszText = text;
        SendMessageW(links.Tooltip(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
        tipRect = tool.rect;
        return text;
    }

    Links& links = control;
    std::vector<std::wstring> opened;
    RECT tipRect = {};
    const std::vector<std::wstring> titles = {L"Summer", L"Autumn", L"Winter"};
    const std::vector<std::wstring> counts = {L"12", L"7", L"100"};
};

} // namespace

TEST_F(LinkList, RowKeysCountFromOneAndCarryUserValuesAndLinks)
{
    for (const wchar_t* title : {L"a", L"b", L"c"})
        AddRow(list, {title, L"1", L""});

    EXPECT_EQ(links.GetRowUserValue(0), 0) << "no key yet";
    for (INT_PTR value : {42, 43}) {
        EXPECT_TRUE(links.SetRowUserValue(0, value));
        EXPECT_EQ(Data(list, 0), 1) << "the row keeps its key";
        EXPECT_EQ(links.GetRowUserValue(0), value);
    }

    EXPECT_TRUE(links.SetCellLink(1, kAddress, L"https://e.com/b", L"tip"));
    EXPECT_EQ(Data(list, 1), 2);
    EXPECT_EQ(links.GetRowUserValue(1), 0);
    EXPECT_EQ(links.GetCellLinkUrl(1, kAddress), L"https://e.com/b");
    EXPECT_EQ(links.GetCellLinkUrl(1, kTitle), L"");
    EXPECT_TRUE(links.IsLinkCell(1, kAddress));
    EXPECT_FALSE(links.IsLinkCell(1, kTitle));
    EXPECT_FALSE(links.IsLinkCell(0, kAddress));
    EXPECT_TRUE(links.SetCellLink(1, kAddress, L"https://e.com/b2", L"")) << "replaces";
    EXPECT_EQ(links.GetCellLinkUrl(1, kAddress), L"https://e.com/b2");

    // Rows and columns that do not exist: true, and nothing happens.
    for (auto [row, column] : {std::pair{3, 0}, {-1, 0}, {0, 3}, {0, -1}, {99, 99}})
        EXPECT_TRUE(links.SetCellLink(row, column, L"u", L"t")) << row << "," << column;
    EXPECT_EQ(links.GetCellLinkUrl(0, 3), L"");
    EXPECT_EQ(links.GetRowUserValue(3), 0);
    EXPECT_FALSE(links.SetRowUserValue(3, 1));

    // An empty address still makes a link cell.
    EXPECT_TRUE(links.SetCellLink(0, kTitle, L"", L""));
    EXPECT_TRUE(links.IsLinkCell(0, kTitle));

    // Item data the owner put there itself is no key.
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = 2;
    item.lParam = 0x777;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_FALSE(links.SetCellLink(2, kAddress, L"u", L""));
    EXPECT_EQ(links.GetRowUserValue(2), 0);
    EXPECT_TRUE(links.SetRowUserValue(2, 5));
    EXPECT_EQ(Data(list, 2), 3) << "the next key; none was spent on the rows that do not exist";
    EXPECT_EQ(links.GetRowUserValue(2), 5);

    // Deleting every row drops the links; the keys keep counting.
    links.DeleteAllRows();
    EXPECT_EQ(Rows(list), 0);
    AddRow(list, {L"d", L"2", L""});
    EXPECT_EQ(links.GetRowUserValue(0), 0);
    EXPECT_EQ(links.GetCellLinkUrl(0, kAddress), L"");
    EXPECT_TRUE(links.SetRowUserValue(0, 9));
    EXPECT_EQ(Data(list, 0), 4);
}

TEST_F(LinkList, LinksTooltipsAndUserValuesStayWithTheirRowsThroughSorts)
{
    FillAlbums();
    for (auto [column, descending] : {std::pair{kTitle, false}, {kPhotos, true}, {kPhotos, false}, {kTitle, true}}) {
        ASSERT_TRUE(links.SortByColumn(column, descending));
        for (int row = 0; row < 3; ++row) {
            const std::wstring title = Cell(list, row, kTitle);
            const size_t i = size_t(std::find(titles.begin(), titles.end(), title) - titles.begin());
            ASSERT_LT(i, titles.size());
            EXPECT_EQ(links.GetRowUserValue(row), INT_PTR(i)) << title;
            EXPECT_EQ(links.GetCellLinkUrl(row, kAddress), Url(i)) << title;
        }
    }
    // By count descending "Winter" (100) comes first and its link opens its
    // own address; "Autumn" is last and keeps its tooltip.
    ASSERT_TRUE(links.SortByColumn(kPhotos, true));
    ASSERT_EQ(Column(list, kTitle), (std::vector<std::wstring>{L"Winter", L"Summer", L"Autumn"}));
    Click(InsideLink(0, kAddress));
    EXPECT_EQ(opened, std::vector<std::wstring>{Url(2)});
    Move(InsideLink(2, kAddress));
    EXPECT_EQ(TipText(), L"Protected album\r\n" + Url(1)) << "the note, then the real target";
}

// ---------------------------------------------------------------------------
// Hit-testing, hover, clicks
// ---------------------------------------------------------------------------

TEST_F(LinkList, OnlyThePointsOfTheLinkTextHitTheLink)
{
    FillAlbums();
    AddRow(list, {L"Spring", L"5", L""});
    ASSERT_TRUE(links.SetCellLink(3, kPhotos, L"https://e.com/count", L""));

    const RECT address = Rect(0, kAddress), count = Rect(3, kPhotos);
    RECT cell = {LVIR_LABEL, kAddress, 0, 0}, countCell = {LVIR_LABEL, kPhotos, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell)));
    ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, 3, reinterpret_cast<LPARAM>(&countCell)));
    ASSERT_GT(address.right - address.left, 20) << "the address has a width";
    ASSERT_LT(address.right + 20, cell.right) << "and leaves room in its wide column";
    EXPECT_EQ(address.left, cell.left + Links::kLinkMargin);
    EXPECT_EQ(count.right, countCell.right - Links::kLinkMargin) << "right-aligned";

    const int middle = (address.top + address.bottom) / 2, countMiddle = (count.top + count.bottom) / 2;
    const struct
    {
        POINT point;
        int row;
        int column;
    } cases[] = {
        {{address.left + 1, middle}, 0, kAddress},
        {{address.right - 1, middle}, 0, kAddress},
        {{address.right + 10, middle}, -1, -1},                       // beside the text, same cell
        {{cell.left + 2, middle}, -1, -1},                            // in the margin
        {{(countCell.left + count.left) / 2, countMiddle}, -1, -1},   // left of a right-aligned text
        {{count.right - 1, countMiddle}, 3, kPhotos},
        {{10, middle}, -1, -1},                                       // a plain cell
        {{address.left + 1, middle + 200}, -1, -1},                   // below the rows
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
        int row = -1, column = -1;
        EXPECT_EQ(links.LinkAt(c.point, row, column), c.row >= 0);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(column, c.column);
    }
}

TEST_F(LinkList, HoverMakesTheLinkHotWithHandCursorAndTooltip)
{
    FillAlbums();
    ASSERT_TRUE(links.SetCellLink(2, kAddress, L"", L""));
    const POINT onAutumn = InsideLink(1, kAddress);
    const RECT autumn = Rect(1, kAddress);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND), arrow = LoadCursorW(nullptr, IDC_ARROW);
    const struct
    {
        POINT at;
        int hotRow; // -1: none
        HCURSOR cursor;
        std::optional<std::wstring> tip; // none: not looked at
    } moves[] = {
        {onAutumn, 1, hand, L"Protected album\r\n" + Url(1)},
        {{autumn.right + 10, onAutumn.y}, -1, arrow, std::nullopt}, // beside the text in the same cell
        {onAutumn, 1, hand, std::nullopt},
        {InsideLink(0, kAddress), 0, hand, Url(0)}, // straight from one link to another: its target
        {InsideLink(2, kAddress), 2, hand, L""},    // a link to nowhere is a link all the same
    };
    for (size_t i = 0; i < std::size(moves); ++i) {
        SCOPED_TRACE(i);
        Move(moves[i].at);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(links.IsLinkHot(row, kAddress), row == moves[i].hotRow) << row;
        EXPECT_EQ(GetCursor(), moves[i].cursor);
        if (moves[i].tip) {
            EXPECT_EQ(TipText(), *moves[i].tip);
        }
        if (i == 0) {
            EXPECT_TRUE(EqualRect(&tipRect, &autumn)) << "the tip's rectangle is the link's";
        }
    }
    SendMessageW(list, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(links.IsLinkHot(2, kAddress)) << "leaving the list leaves no link hot";
    EXPECT_EQ(SendMessageW(links.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1) << "one tool for every link";
}

// The platform may have no way to pop a tip up on demand: the one tool
// follows the hot link and the tooltip is switched on and off instead.
TEST_F(LinkList, TheTipShowsOverAHotLinkWithATipTextOnly)
{
    FillAlbums();
    HWND tooltip = links.Tooltip();
    // Tips show over the active window only, as the user sees them.
    SetForegroundWindow(dialog->Handle());
    SetActiveWindow(dialog->Handle());
    auto hoverAndWait = [&](int row, DWORD timeoutMs) {
        POINT screen = InsideLink(row, kAddress);
        ClientToScreen(list, &screen);
        SetCursorPos(screen.x, screen.y);
        Move(InsideLink(row, kAddress));
        // One move, then the tip's own delay (a move restarts it).
        for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs && !IsWindowVisible(tooltip);) {
            PumpMessages(dialog->Handle());
            Sleep(20);
        }
        return IsWindowVisible(tooltip) != FALSE;
    };
    // A tip that shows is waited for as long as a busy machine needs; one
    // that must not show is watched for several times the tip's delay.
    EXPECT_TRUE(hoverAndWait(1, 20000)) << "\"Protected album\"";
    SendMessageW(list, WM_MOUSELEAVE, 0, 0);
    PumpMessages(dialog->Handle());
    ASSERT_TRUE(links.SetCellLink(0, kAddress, L"", L""));
    EXPECT_FALSE(hoverAndWait(0, 1500)) << "no address and no note: no tip";
}

TEST_F(LinkList, AClickOnALinkOpensItAndLeavesTheSelectionAlone)
{
    FillAlbums();
    Click(InsideLink(1, kAddress));
    EXPECT_EQ(opened, std::vector<std::wstring>{Url(1)});
    EXPECT_FALSE(IsSelected(list, 1)) << "the click was the link's";

    RECT title = {LVIR_LABEL, kTitle, 0, 0};
    SendMessageW(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&title));
    Click(POINT{title.left + 5, (title.top + title.bottom) / 2});
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(IsSelected(list, 1)) << "any other click selects as usual";

    // An empty address is a link that opens nothing.
    ASSERT_TRUE(links.SetCellLink(2, kAddress, L"", L""));
    Click(InsideLink(2, kAddress));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_FALSE(IsSelected(list, 2));
}

// A feed's link that is no web address could start a program: it is shown
// as text, never opened, and no link in the copied table.
TEST_F(LinkList, AddressesThatAreNoWebPagesAreShownButNeverOpened)
{
    FillAlbums();
    const wchar_t* const unsafe[] = {
        L"C:\\windows\\system32\\notepad.exe", L"\\\\server\\share\\setup.exe",
        L"file:///C:/windows/system32/notepad.exe", L"search-ms:query=x", L"javascript:alert(1)",
    };
    for (const wchar_t* url : unsafe) {
        SCOPED_TRACE(TestEnv::Narrow(url));
        LVITEMW item = {};
        item.iSubItem = kAddress;
        item.pszText = const_cast<wchar_t*>(url);
        SendMessageW(list, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
        ASSERT_TRUE(links.SetCellLink(0, kAddress, url, L""));
        RECT r = {};
        EXPECT_FALSE(links.LinkRect(0, kAddress, r)) << "not drawn or hit as a link";
        RECT cell = {LVIR_LABEL, kAddress, 0, 0};
        ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell)));
        Move(POINT{cell.left + 8, (cell.top + cell.bottom) / 2});
        EXPECT_FALSE(links.IsLinkHot(0, kAddress));
        Click(POINT{cell.left + 8, (cell.top + cell.bottom) / 2});
        EXPECT_TRUE(opened.empty());

        Select(list, 0);
        Select(list, 1, false);
        Select(list, 2, false);
        Command(list, ID_LIST_COPY);
        const std::string html = ClipboardBytes(CClipboard::HtmlFormat());
        EXPECT_EQ(html.find("href"), std::string::npos) << "no link in the table";
        EXPECT_NE(ClipboardText().find(url), std::wstring::npos) << "the text still says where it pointed";
        EXPECT_EQ(GetClipboardOwner(), list) << "the list owns what it copied";
    }
    Click(InsideLink(1, kAddress));
    EXPECT_EQ(opened, std::vector<std::wstring>{Url(1)}) << "web addresses open as before";
}

// ---------------------------------------------------------------------------
// Drawing, fonts, the tooltip window
// ---------------------------------------------------------------------------

TEST_F(LinkList, LinksAreDrawnBlueAndRedWhenHotAndOnlyWithReflection)
{
    FillAlbums();
    const int bluePixels = CountPixels(list, Links::kLinkColor);
    EXPECT_GT(bluePixels, 50);
    EXPECT_EQ(CountPixels(list, Links::kHotLinkColor), 0);

    Move(InsideLink(0, kAddress));
    EXPECT_GT(CountPixels(list, Links::kHotLinkColor), 20);
    EXPECT_LT(CountPixels(list, Links::kLinkColor), bluePixels);

    SendMessageW(list, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(CountPixels(list, Links::kHotLinkColor), 0);
    EXPECT_EQ(CountPixels(list, Links::kLinkColor), bluePixels);
    for (int row = 0; row < 3; ++row)
        ASSERT_TRUE(links.SetCellLink(row, kAddress, L"", L""));
    EXPECT_EQ(CountPixels(list, Links::kLinkColor), bluePixels) << "links to nowhere look the same";

    OpenLinks(false);
    FillAlbums();
    EXPECT_EQ(CountPixels(list, Links::kLinkColor), 0);
}

TEST_F(LinkList, CellsAfterALinkAreDrawnInTheRowsOwnColour)
{
    // A link in the first column (the cells after it in its row) and in the
    // last (the first cell of the next row): blanking every other cell takes
    // no link-coloured pixel away.
    for (int linkColumn : {kTitle, kAddress}) {
        SCOPED_TRACE(linkColumn);
        links.DeleteAllRows();
        for (size_t i = 0; i < titles.size(); ++i) {
            const int row = AddRow(list, {titles[i], counts[i], Url(i)});
            ASSERT_TRUE(links.SetCellLink(row, linkColumn, Url(i), L""));
        }
        const int blue = CountPixels(list, Links::kLinkColor);
        EXPECT_GT(blue, 20);
        for (int row = 0; row < Rows(list); ++row)
            for (int column : {kTitle, kPhotos, kAddress}) {
                LVITEMW cell = {};
                cell.iSubItem = column;
                cell.pszText = const_cast<wchar_t*>(L"");
                if (column != linkColumn)
                    Send(list, LVM_SETITEMTEXTW, WPARAM(row), &cell);
            }
        EXPECT_EQ(CountPixels(list, Links::kLinkColor), blue);
    }
}

TEST_F(LinkList, LinkFontsAreTheListsFontUnderlinedAndFollowIt)
{
    auto describe = [](HFONT font) {
        LOGFONTW lf = {};
        GetObjectW(font, sizeof lf, &lf);
        return lf;
    };
    HFONT listFont = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    ASSERT_NE(listFont, nullptr);
    for (HFONT font : {links.LinkFont(), links.HotLinkFont()}) {
        ASSERT_NE(font, nullptr);
        EXPECT_TRUE(describe(font).lfUnderline);
        EXPECT_EQ(describe(font).lfHeight, describe(listFont).lfHeight);
        EXPECT_STREQ(describe(font).lfFaceName, describe(listFont).lfFaceName);
    }

    LOGFONTW big = describe(listFont);
    big.lfHeight = -24;
    HFONT bigFont = CreateFontIndirectW(&big);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(bigFont), FALSE);
    EXPECT_EQ(describe(links.LinkFont()).lfHeight, -24);
    EXPECT_TRUE(describe(links.LinkFont()).lfUnderline);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);
    DeleteObject(bigFont);

    // A list without a font of its own: the default GUI font.
    SendMessageW(list, WM_SETFONT, 0, FALSE);
    if (!SendMessageW(list, WM_GETFONT, 0, 0)) {
        ASSERT_TRUE(links.InitLinkDrawing());
        EXPECT_EQ(describe(links.LinkFont()).lfHeight, describe(HFONT(GetStockObject(DEFAULT_GUI_FONT))).lfHeight);
    }
}

TEST_F(LinkList, TheTooltipBelongsToTheListAndGoesWithIt)
{
    HWND tooltip = links.Tooltip();
    ASSERT_TRUE(IsWindow(tooltip));
    wchar_t name[64] = L"";
    GetClassNameW(tooltip, name, 64);
    EXPECT_STREQ(name, L"tooltips_class32");
    // A pop-up's owner is always a top-level window: the list's dialog.
    EXPECT_EQ(GetWindow(tooltip, GW_OWNER), GetAncestor(list, GA_ROOT));
    EXPECT_TRUE(links.InitLinkDrawing()) << "again: the same tooltip";
    EXPECT_EQ(links.Tooltip(), tooltip);

    dialog.reset();
    EXPECT_FALSE(IsWindow(tooltip));
    EXPECT_EQ(links.Tooltip(), nullptr);
    EXPECT_EQ(links.Handle(), nullptr);
}

// ---------------------------------------------------------------------------
// Copy
// ---------------------------------------------------------------------------

TEST_F(LinkList, CopyPutsAHeaderLineAndTheRowsAsTextAndAnEscapedTable)
{
    AddRow(list, {L"<b>&\"", L"3", L"shown text"});
    AddRow(list, {L"Plain", L"-----", L"https://e.com/x"});
    AddRow(list, {L"Skipped", L"1", L""});
    ASSERT_TRUE(links.SetCellLink(0, kAddress, L"https://e.com/?a=1&b=\"2\"", L""));
    ASSERT_TRUE(links.SetCellLink(1, kAddress, L"", L"")); // empty address: its text is exported
    ASSERT_TRUE(PutSentinel());
    Command(list, ID_LIST_COPY);
    EXPECT_EQ(ClipboardText(), kSentinel) << "nothing selected: the clipboard is left alone";

    Select(list, 0);
    Select(list, 1);
    Command(list, ID_LIST_COPY);
    EXPECT_EQ(ClipboardText(), L"Title, Photos, Web address\r\n"
                               L"<b>&\", 3, https://e.com/?a=1&b=\"2\"\r\n"
                               L"Plain, -----, https://e.com/x")
        << "the plain text carries the title as it is";
    const std::string expected = HtmlClipboardPayload(Utf8FromWide(
        L"<table><tr>\r\n<th>Title</th><th>Photos</th><th>Web address</th></tr>"
        L"\r\n<tr>\r\n<td>&lt;b&gt;&amp;&quot;</td><td>3</td>"
        L"<td><a href=\"https://e.com/?a=1&amp;b=&quot;2&quot;\">https://e.com/?a=1&amp;b=&quot;2&quot;</a></td></tr>\r\n"
        L"\r\n<tr>\r\n<td>Plain</td><td>-----</td><td>https://e.com/x</td></tr>\r\n"
        L"</table>\r\n"));
    const std::string block = ClipboardBytes(CClipboard::HtmlFormat());
    EXPECT_EQ(block.substr(0, expected.size()), expected);
    EXPECT_EQ(block.find("<b>"), std::string::npos) << "no live markup from the title";
    EXPECT_EQ(ClipboardFormats().size(), 2u);

    // Ctrl+C runs the same copy.
    ASSERT_TRUE(PutSentinel());
    Select(list, 0, false);
    PressKey(dialog->Handle(), list, 'C', {VK_CONTROL});
    EXPECT_EQ(ClipboardText(), L"Title, Photos, Web address\r\nPlain, -----, https://e.com/x");
}

TEST_F(LinkList, HeaderTextsAreCopiedUpTo43Characters)
{
    const std::wstring longHeader(50, L'h');
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = const_cast<wchar_t*>(longHeader.c_str());
    SendMessageW(HeaderOf(list), HDM_SETITEMW, kTitle, reinterpret_cast<LPARAM>(&item));
    AddRow(list, {L"a", L"1", L"b"});
    Select(list, 0);
    links.CopySelection();
    EXPECT_EQ(ClipboardText(), std::wstring(43, L'h') + L", Photos, Web address\r\na, 1, b");
}

// A list that loses the focus keeps its selected rows plain to see, in a
// colour of their own, and only those rows.
TEST_F(LinkList, SelectedRowsStayVisibleWhenAnotherControlHasTheFocus)
{
    FillAlbums();
    const COLORREF shade = Links::InactiveSelectionColor();
    ASSERT_NE(shade, GetSysColor(COLOR_WINDOW));
    SetFocus(nullptr);
    ASSERT_NE(GetFocus(), list);
    EXPECT_EQ(CountPixels(list, shade), 0) << "nothing selected, nothing shaded";
    ListTest::Select(list, 1);
    const int shaded = CountPixels(list, shade);
    // The row's width times most of its height.
    RECT row = {};
    ListView_GetItemRect(list, 1, &row, LVIR_BOUNDS);
    EXPECT_GT(shaded, (row.right - row.left) * (row.bottom - row.top) / 3);
    ListTest::Select(list, 2);
    EXPECT_GT(CountPixels(list, shade), shaded * 3 / 2) << "a second selected row";
}
