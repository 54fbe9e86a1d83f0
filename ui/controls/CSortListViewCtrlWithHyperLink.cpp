#include "ui/controls/CSortListViewCtrlWithHyperLink.h"

#include "app/CAppModule.h"
#include "http/UrlText.h"
#include "ui/controls/CClipboard.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/ClipboardText.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace {

// Header texts are read into a buffer of this many characters.
constexpr int kHeaderTextChars = 44;

} // namespace

RECT LinkTextRect(const RECT& label, SIZE text, int headerFormat)
{
    RECT r = label;
    r.left += CSortListViewCtrlWithHyperLink::kLinkMargin;
    r.right -= CSortListViewCtrlWithHyperLink::kLinkMargin;
    if (r.right < r.left)
        r.right = r.left;

    const LONG cellHeight = label.bottom - label.top;
    const LONG height = std::clamp(text.cy, LONG(0), std::max(cellHeight, LONG(0)));
    r.top = label.top + (cellHeight - height) / 2;
    r.bottom = r.top + height;

    const LONG room = r.right - r.left;
    const LONG width = std::clamp(text.cx, LONG(0), room);
    switch (headerFormat & HDF_JUSTIFYMASK) {
    case HDF_RIGHT:
        r.left = r.right - width;
        break;
    case HDF_CENTER:
        r.left += (room - width) / 2;
        r.right = r.left + width;
        break;
    default:
        r.right = r.left + width;
        break;
    }
    return r;
}

CSortListViewCtrlWithHyperLink::CSortListViewCtrlWithHyperLink() = default;

CSortListViewCtrlWithHyperLink::~CSortListViewCtrlWithHyperLink()
{
    Unsubclass();
    DestroyTooltip();
}

void CSortListViewCtrlWithHyperLink::DestroyTooltip()
{
    if (m_tooltip && IsWindow(m_tooltip))
        DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
}

void CSortListViewCtrlWithHyperLink::OnFinalMessage()
{
    DestroyTooltip();
    m_hover = Hover{};
    CSortListViewCtrlWithContextMenu::OnFinalMessage();
}

bool CSortListViewCtrlWithHyperLink::MakeLinkFonts()
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    LOGFONTW description = {};
    if (!font || !GetObjectW(font, sizeof description, &description))
        return false;
    description.lfUnderline = TRUE;
    UniqueFont link(CreateFontIndirectW(&description));
    UniqueFont hot(CreateFontIndirectW(&description));
    if (!link || !hot)
        return false;
    m_linkFont = std::move(link);
    m_hotLinkFont = std::move(hot);
    return true;
}

bool CSortListViewCtrlWithHyperLink::InitLinkDrawing()
{
    if (!Handle())
        return false;
    // Keys are never handed out twice while rows may still hold them.
    if (m_rows.empty()) {
        m_lastKey = 0;
        m_firstKey = 1;
    }
    const bool fonts = MakeLinkFonts();
    m_hand = LoadCursorW(nullptr, IDC_HAND);
    if (!m_tooltip) {
        m_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, nullptr, nullptr);
        if (!m_tooltip)
            return false;
        // One tool for every link: its text and rectangle follow the hot
        // link, and activation shows or hides it (the platform may lack a
        // way to pop a tip up on demand).
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = Handle();
        tool.uId = kToolId;
        tool.hinst = CAppModule::ResourceInstance();
        tool.lpszText = const_cast<wchar_t*>(L"");
        if (!SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
            DestroyTooltip();
            return false;
        }
        SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
        // Lines of their own for a note and the address below it.
        SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 640);
    }
    return fonts;
}

LPARAM CSortListViewCtrlWithHyperLink::NewRowKey(INT_PTR userValue)
{
    RowLinks links;
    links.userValue = userValue;
    m_rows.push_back(std::move(links));
    return ++m_lastKey; // m_firstKey + the entry's place
}

CSortListViewCtrlWithHyperLink::RowLinks* CSortListViewCtrlWithHyperLink::FindRow(LPARAM key)
{
    return const_cast<RowLinks*>(std::as_const(*this).FindRow(key));
}

const CSortListViewCtrlWithHyperLink::RowLinks* CSortListViewCtrlWithHyperLink::FindRow(LPARAM key) const
{
    if (key < m_firstKey || key - m_firstKey >= LPARAM(m_rows.size()))
        return nullptr;
    return &m_rows[size_t(key - m_firstKey)];
}

int CSortListViewCtrlWithHyperLink::InsertRow(int index, const wchar_t* text, INT_PTR userValue)
{
    if (!Handle())
        return -1;
    try {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = index;
        item.pszText = const_cast<wchar_t*>(text ? text : L"");
        // The key goes in with the row: no second change of the row, which
        // the control would tell the parent about twice.
        item.lParam = NewRowKey(userValue);
        return int(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

LPARAM CSortListViewCtrlWithHyperLink::RowKey(int row) const
{
    return row >= 0 && row < RowCount() ? ItemData(row) : 0;
}

const CSortListViewCtrlWithHyperLink::CellLink* CSortListViewCtrlWithHyperLink::FindLink(int row, int column) const
{
    const LPARAM key = RowKey(row);
    return FindLink(key ? FindRow(key) : nullptr, column);
}

const CSortListViewCtrlWithHyperLink::CellLink* CSortListViewCtrlWithHyperLink::FindLink(const RowLinks* links,
                                                                                        int column)
{
    if (!links)
        return nullptr;
    for (const auto& cell : links->cells)
        if (cell.first == column)
            return &cell.second;
    return nullptr;
}

CSortListViewCtrlWithHyperLink::CellLink* CSortListViewCtrlWithHyperLink::FindLink(int row, int column)
{
    return const_cast<CellLink*>(std::as_const(*this).FindLink(row, column));
}

bool CSortListViewCtrlWithHyperLink::SetCellLink(int row, int column, const std::wstring& url,
                                                 const std::wstring& tooltip)
{
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount())
        return true;
    try {
        LPARAM key = ItemData(row);
        if (!key) {
            key = NewRowKey(0);
            if (!SetItemData(row, key))
                return false;
        }
        RowLinks* links = FindRow(key);
        if (!links)
            return false;
        CellLink link;
        link.url = url;
        link.tooltip = LinkTooltipText(url, tooltip);
        // Any other address is shown as text: nothing to click.
        link.drawn = url.empty() || IsWebAddress(url);
        for (auto& cell : links->cells) {
            if (cell.first == column) {
                cell.second = std::move(link);
                return true;
            }
        }
        links->cells.emplace_back(column, std::move(link));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::wstring CSortListViewCtrlWithHyperLink::GetCellLinkUrl(int row, int column) const
{
    const CellLink* link = FindLink(row, column);
    return link ? link->url : std::wstring();
}

bool CSortListViewCtrlWithHyperLink::IsLinkCell(int row, int column) const
{
    return FindLink(row, column) != nullptr;
}

bool CSortListViewCtrlWithHyperLink::IsLinkHot(int row, int column) const
{
    const CellLink* link = FindLink(row, column);
    return link && link->hot;
}

INT_PTR CSortListViewCtrlWithHyperLink::GetRowUserValue(int row) const
{
    const LPARAM key = RowKey(row);
    const RowLinks* links = key ? FindRow(key) : nullptr;
    return links ? links->userValue : 0;
}

bool CSortListViewCtrlWithHyperLink::SetRowUserValue(int row, INT_PTR value)
{
    if (row < 0 || row >= RowCount())
        return false;
    try {
        const LPARAM key = ItemData(row);
        if (RowLinks* links = key ? FindRow(key) : nullptr) {
            links->userValue = value;
            return true;
        }
        return SetItemData(row, NewRowKey(value));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CSortListViewCtrlWithHyperLink::ClearLinks()
{
    m_rows.clear();
    m_firstKey = m_lastKey + 1; // keys are never handed out twice
}

void CSortListViewCtrlWithHyperLink::DeleteAllRows()
{
    ClearLinks();
    m_hover = Hover{};
    if (m_tooltip)
        SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
    if (Handle())
        SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

bool CSortListViewCtrlWithHyperLink::LinkRect(int row, int column, RECT& rect) const
{
    const CellLink* link = FindLink(row, column);
    if (!link || !link->drawn)
        return false;
    RECT label = {LVIR_LABEL, column, 0, 0};
    if (!SendMessageW(Handle(), LVM_GETSUBITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&label)))
        return false;
    const std::wstring text = CellText(row, column);
    SIZE extent = {0, 0};
    {
        ScopedWindowDc dc(Handle());
        ScopedSelect font(dc.Get(), m_linkFont.get());
        if (!dc.Get() || !GetTextExtentPoint32W(dc.Get(), text.c_str(), int(text.size()), &extent))
            extent = SIZE{0, 0};
    }
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    SendMessageW(Header(), HDM_GETITEMW, WPARAM(column), reinterpret_cast<LPARAM>(&item));
    rect = LinkTextRect(label, extent, item.fmt);
    return true;
}

CSortListViewCtrlWithHyperLink::Cell CSortListViewCtrlWithHyperLink::CellAt(POINT client) const
{
    LVHITTESTINFO hit = {};
    hit.pt = client;
    SendMessageW(Handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0 || !(hit.flags & LVHT_ONITEM))
        return Cell{};
    return Cell{hit.iItem, hit.iSubItem};
}

bool CSortListViewCtrlWithHyperLink::OverLink(const Cell& cell, POINT client) const
{
    RECT rect;
    return cell.row >= 0 && LinkRect(cell.row, cell.column, rect) && PtInRect(&rect, client);
}

bool CSortListViewCtrlWithHyperLink::LinkAt(POINT client, int& row, int& column) const
{
    const Cell cell = CellAt(client);
    if (!OverLink(cell, client))
        return false;
    row = cell.row;
    column = cell.column;
    return true;
}

void CSortListViewCtrlWithHyperLink::SetHot(const Cell& cell, bool hot)
{
    CellLink* link = FindLink(cell.row, cell.column);
    if (!link)
        return;
    link->hot = hot;
    RECT rect = {0, 0, 0, 0};
    LinkRect(cell.row, cell.column, rect);
    if (m_tooltip) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = Handle();
        tool.uId = kToolId;
        tool.hinst = CAppModule::ResourceInstance();
        tool.lpszText = const_cast<wchar_t*>(link->tooltip.c_str());
        tool.rect = rect;
        SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(m_tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(m_tooltip, TTM_ACTIVATE, hot && !link->tooltip.empty(), 0);
    }
    RECT area = {LVIR_LABEL, cell.column, 0, 0};
    if (SendMessageW(Handle(), LVM_GETSUBITEMRECT, WPARAM(cell.row), reinterpret_cast<LPARAM>(&area)))
        RedrawWindow(Handle(), &area, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CSortListViewCtrlWithHyperLink::OnPointerMoved(POINT point)
{
    const Cell cell = CellAt(point);
    const bool over = OverLink(cell, point);
    SetCursor(over ? m_hand : LoadCursorW(nullptr, IDC_ARROW));
    const bool sameCell = cell == m_hover.cell;
    if (m_hover.overLink && (!sameCell || !over))
        SetHot(m_hover.cell, false);
    if (over && (!sameCell || !m_hover.overLink))
        SetHot(cell, true);
    m_hover.cell = cell;
    m_hover.overLink = over;
    if (!m_hover.tracking) {
        // A hot link goes cold again when the pointer leaves the list.
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, Handle(), 0};
        m_hover.tracking = TrackMouseEvent(&track) != FALSE;
    }
}

void CSortListViewCtrlWithHyperLink::OnPointerLeft()
{
    if (m_hover.overLink)
        SetHot(m_hover.cell, false);
    m_hover = Hover{};
}

std::wstring CSortListViewCtrlWithHyperLink::LinkTooltipText(const std::wstring& url, const std::wstring& note)
{
    if (url.empty())
        return note;
    return note.empty() ? url : note + L"\r\n" + url;
}

bool CSortListViewCtrlWithHyperLink::Open(const std::wstring& url)
{
    // Only web pages: whatever else a feed put there is not run.
    if (!IsWebAddress(url))
        return false;
    if (m_opener)
        return m_opener(url);
    const HINSTANCE rc = ShellExecuteW(Handle(), L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(rc) > 32;
}

bool CSortListViewCtrlWithHyperLink::OnLeftButtonDown(POINT point)
{
    const Cell cell = CellAt(point);
    if (!OverLink(cell, point))
        return false;
    // An empty address is drawn as a link but has nothing to open; the
    // click is still the link's.
    const std::wstring url = GetCellLinkUrl(cell.row, cell.column);
    if (!url.empty())
        Open(url);
    return true;
}

COLORREF CSortListViewCtrlWithHyperLink::InactiveSelectionColor()
{
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), window = GetSysColor(COLOR_WINDOW);
    const auto mix = [](int a, int b) { return BYTE((a * 2 + b * 3) / 5); };
    return RGB(mix(GetRValue(highlight), GetRValue(window)), mix(GetGValue(highlight), GetGValue(window)),
               mix(GetBValue(highlight), GetBValue(window)));
}

LRESULT CSortListViewCtrlWithHyperLink::OnCustomDraw(NMLVCUSTOMDRAW& draw)
{
    // Every cell of every row drawn comes here: what does not change within
    // a paint (the list's font) or a row (its links) is looked up once, and
    // a cell gets a font of its own only where it differs from the one the
    // list draws with (a new font costs the list far more than the cell's
    // text).
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        m_plainFont = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
        if (!m_plainFont)
            m_plainFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        m_linkFontSelected = false; // a paint starts with the list's own
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if ((draw.nmcd.uItemState & CDIS_SELECTED) && GetFocus() != Handle() &&
            (GetWindowLongPtrW(Handle(), GWL_STYLE) & LVS_SHOWSELALWAYS)) {
            // The selection stays plain to see while another control has
            // the focus (a button of the window, another window): the row
            // is drawn as an unselected one in the colours given here.
            draw.nmcd.uItemState &= ~UINT(CDIS_SELECTED);
            draw.clrTextBk = InactiveSelectionColor();
            draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
        }
        m_rowTextColor = draw.clrText;
        m_drawnRowKey = RowKey(int(draw.nmcd.dwItemSpec));
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const CellLink* link = FindLink(m_drawnRowKey ? FindRow(m_drawnRowKey) : nullptr, draw.iSubItem);
        if (link && link->drawn && m_linkFont) {
            SelectObject(draw.nmcd.hdc, link->hot ? m_hotLinkFont.get() : m_linkFont.get());
            draw.clrText = link->hot ? kHotLinkColor : kLinkColor;
            m_linkFontSelected = true;
            return CDRF_NEWFONT;
        }
        if (!m_linkFontSelected)
            return CDRF_DODEFAULT;
        // A link drawn before (in this row, or the last) left its font and
        // colour behind.
        SelectObject(draw.nmcd.hdc, m_plainFont);
        draw.clrText = m_rowTextColor;
        m_linkFontSelected = false;
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void CSortListViewCtrlWithHyperLink::CopySelection()
{
    try {
        CopyRows(SelectedRows());
    } catch (const std::bad_alloc&) {
        // Too little memory for the copy: the command has no effect.
    }
}

void CSortListViewCtrlWithHyperLink::CopyRows(const std::vector<int>& selected)
{
    try {
        if (selected.empty())
            return;
        const int columns = ColumnCount();
        std::vector<std::wstring> headers;
        for (int column = 0; column < columns; ++column) {
            wchar_t text[kHeaderTextChars] = L"";
            HDITEMW item = {};
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = kHeaderTextChars;
            SendMessageW(Header(), HDM_GETITEMW, WPARAM(column), reinterpret_cast<LPARAM>(&item));
            headers.emplace_back(text);
        }
        std::vector<std::vector<CopyCell>> rows;
        for (int row : selected) {
            std::vector<CopyCell> cells;
            for (int column = 0; column < columns; ++column)
                cells.push_back(CopyCell{CellText(row, column), GetCellLinkUrl(row, column)});
            rows.push_back(std::move(cells));
        }
        const CopyTexts copy = BuildListCopy(headers, rows);
        if (!copy.text.empty())
            if (!CClipboard(Handle()).SetTextAndHtml(copy.text.c_str(), copy.html.c_str()))
                ReportCopyFailure(Handle());
    } catch (const std::bad_alloc&) {
        // Too little memory for the copy: the command has no effect.
    }
}

LRESULT CSortListViewCtrlWithHyperLink::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MOUSEMOVE)
        OnPointerMoved(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    // After the hover update, so that the tip already has the hot link's
    // rectangle when it sees the pointer there.
    if (m_tooltip && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relayed = {Handle(), message, wParam, lParam, DWORD(GetMessageTime()), {0, 0}};
        SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
    case WM_MOUSEMOVE:
        // Passed on: the control's own info tips and hot tracking need it.
        break;
    case WM_MOUSELEAVE:
        OnPointerLeft();
        break;
    case WM_LBUTTONDOWN:
        if (OnLeftButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            return 0; // the link's click: the selection stays as it is
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && m_hand) {
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(Handle(), &point);
            if (OverLink(CellAt(point), point)) {
                SetCursor(m_hand);
                return TRUE;
            }
        }
        break;
    case WM_SETFONT: {
        const LRESULT rc = CSortListViewCtrlWithContextMenu::WndProc(message, wParam, lParam);
        if (m_linkFont)
            MakeLinkFonts();
        return rc;
    }
    case kReflectedMessageBase + WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->hwndFrom == Handle() && header->code == UINT(NM_CUSTOMDRAW))
            return OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        return DefaultProc(message, wParam, lParam);
    }
    default:
        break;
    }
    return CSortListViewCtrlWithContextMenu::WndProc(message, wParam, lParam);
}
