#include "ui/controls/CSortListViewCtrlWithContextMenu.h"

#include "app/CAppModule.h"
#include "app/CIniFile.h"
#include "res/resource.h"
#include "ui/controls/CClipboard.h"
#include "ui/controls/ClipboardText.h"
#include "ui/controls/ColumnWidths.h"
#include "ui/controls/DpiMetrics.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <new>
#include <unordered_map>

namespace {

// The shell's own sort arrows, ascending and descending.
constexpr WORD kShellSortUpBitmap = 133;
constexpr WORD kShellSortDownBitmap = 134;
constexpr int kArrowWidth = 16;
constexpr int kArrowHeight = 15;
// Cell text read for a key: the key characters and the terminator.
constexpr int kKeyBufferChars = int(kSortKeyChars) + 1;
// Posted to the list when a divider drag ended without saying the width:
// the header has it once the drag is over.
constexpr UINT kReadDraggedWidth = WM_APP + 41;

// One row during a sort: the item data it had, and its key.
struct SortRecord
{
    LPARAM data = 0;
    SortKey key;
};

struct SortContext
{
    WORD type;
    bool descending;
};

int CALLBACK CompareRecords(LPARAM a, LPARAM b, LPARAM context)
{
    const auto* sort = reinterpret_cast<const SortContext*>(context);
    const int order = CompareSortKeys(sort->type, reinterpret_cast<const SortRecord*>(a)->key,
                                      reinterpret_cast<const SortRecord*>(b)->key);
    return sort->descending ? -order : order;
}

// The records of rows whose item data tell them apart, found by that data:
// the rows then keep their item data through the sort. Writing a record's
// address into every row and the data back afterwards costs two item
// changes per row, each told to the parent and redrawn; on ten thousand
// rows under Wine that took seconds.
class RecordsByData
{
public:
    // False when two rows hold the same data.
    bool Index(const std::vector<SortRecord>& records)
    {
        if (records.empty())
            return true;
        LPARAM low = records.front().data, high = low;
        for (const SortRecord& record : records) {
            low = std::min(low, record.data);
            high = std::max(high, record.data);
        }
        // Row keys come from a counter: usually a dense run of numbers.
        const auto span = static_cast<unsigned long long>(high) - static_cast<unsigned long long>(low);
        if (span < 4ull * records.size()) {
            base_ = low;
            dense_.assign(size_t(span) + 1, nullptr);
            for (const SortRecord& record : records) {
                const SortRecord*& slot = dense_[size_t(record.data - low)];
                if (slot)
                    return false;
                slot = &record;
            }
            return true;
        }
        sparse_.reserve(records.size());
        for (const SortRecord& record : records)
            if (!sparse_.emplace(record.data, &record).second)
                return false;
        return true;
    }

    const SortRecord* Find(LPARAM data) const
    {
        if (!dense_.empty())
            return dense_[size_t(data - base_)];
        return sparse_.find(data)->second;
    }

private:
    LPARAM base_ = 0;
    std::vector<const SortRecord*> dense_;
    std::unordered_map<LPARAM, const SortRecord*> sparse_;
};

struct DataSortContext
{
    WORD type;
    bool descending;
    const RecordsByData* records;
};

int CALLBACK CompareRowsByData(LPARAM a, LPARAM b, LPARAM context)
{
    const auto* sort = reinterpret_cast<const DataSortContext*>(context);
    const int order =
        CompareSortKeys(sort->type, sort->records->Find(a)->key, sort->records->Find(b)->key);
    return sort->descending ? -order : order;
}

bool KeyDown(int key)
{
    return GetKeyState(key) < 0;
}

} // namespace

bool CommonControlsHaveSortArrows()
{
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    if (!controls)
        return false;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(controls, "DllGetVersion")));
    if (!getVersion)
        return false;
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    return SUCCEEDED(getVersion(&info)) && info.dwMajorVersion >= 6;
}

HBITMAP DrawSortArrowBitmap(bool descending)
{
    ScopedWindowDc screen(nullptr);
    UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), kArrowWidth, kArrowHeight));
    if (!dc || !bitmap)
        return nullptr;
    UniquePen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    UniqueBrush brush(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
    {
        ScopedSelect selectBitmap(dc.get(), bitmap.get());
        ScopedSelect selectPen(dc.get(), pen.get());
        ScopedSelect selectBrush(dc.get(), brush.get());
        RECT all = {0, 0, kArrowWidth, kArrowHeight};
        FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
        // 11 pixels wide and 6 high from (2, 4).
        const POINT up[3] = {{7, 4}, {2, 9}, {12, 9}};
        const POINT down[3] = {{2, 4}, {12, 4}, {7, 9}};
        Polygon(dc.get(), descending ? down : up, 3);
    }
    return bitmap.release();
}

CSortListViewCtrlWithContextMenu::CSortListViewCtrlWithContextMenu()
    : m_headerIndicators(CommonControlsHaveSortArrows())
{
}

CSortListViewCtrlWithContextMenu::~CSortListViewCtrlWithContextMenu()
{
    // A header that outlives the object must not keep a bitmap about to be
    // deleted.
    if (Handle() && m_saved.column >= 0 && m_saved.column < ColumnCount())
        SetHeaderFormat(m_saved.column, m_saved.format, m_saved.bitmap);
    // No message may reach the object once its parts are going.
    Unsubclass();
}

bool CSortListViewCtrlWithContextMenu::Attach(HWND list)
{
    if (!Subclass(list))
        return false;
    m_sortTypes.assign(size_t(std::max(ColumnCount(), 0)), WORD(SortText));
    return true;
}

void CSortListViewCtrlWithContextMenu::OnFinalMessage()
{
    // The header goes with the list; nothing is left to restore.
    m_saved = SavedHeaderItem{};
}

bool CSortListViewCtrlWithContextMenu::SetColumnSortType(int column, WORD type)
{
    if (column < 0 || size_t(column) >= m_sortTypes.size())
        return false;
    m_sortTypes[size_t(column)] = type;
    return true;
}

WORD CSortListViewCtrlWithContextMenu::ColumnSortType(int column) const
{
    if (column < 0 || size_t(column) >= m_sortTypes.size())
        return SortNone;
    return m_sortTypes[size_t(column)];
}

HBITMAP CSortListViewCtrlWithContextMenu::SortBitmap(bool descending) const
{
    return descending ? m_descendingBitmap.get() : m_ascendingBitmap.get();
}

int CSortListViewCtrlWithContextMenu::RowCount() const
{
    return Handle() ? int(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)) : 0;
}

HWND CSortListViewCtrlWithContextMenu::Header() const
{
    return Handle() ? reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0)) : nullptr;
}

int CSortListViewCtrlWithContextMenu::ColumnCount() const
{
    HWND header = Header();
    return header ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring CSortListViewCtrlWithContextMenu::CellText(int row, int column) const
{
    std::wstring text(64, L'\0');
    for (;;) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = int(text.size());
        const int length = int(SendMessageW(Handle(), LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item)));
        if (length < int(text.size()) - 1) {
            text.resize(size_t(std::max(length, 0)));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

std::vector<int> CSortListViewCtrlWithContextMenu::SelectedRows() const
{
    std::vector<int> rows;
    int row = -1;
    while ((row = int(SendMessageW(Handle(), LVM_GETNEXTITEM, WPARAM(row), LVNI_SELECTED))) >= 0)
        rows.push_back(row);
    return rows;
}

LPARAM CSortListViewCtrlWithContextMenu::ItemData(int row) const
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

bool CSortListViewCtrlWithContextMenu::SetItemData(int row, LPARAM data)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    return SendMessageW(Handle(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool CSortListViewCtrlWithContextMenu::SortByColumn(int column, bool descending)
{
    if (!Handle() || column < 0 || column >= ColumnCount() || size_t(column) >= m_sortTypes.size())
        return false;
    const WORD type = m_sortTypes[size_t(column)];
    if (type == SortNone)
        return false;

    const int rows = RowCount();
    if (rows < 2) {
        m_sortDescending = descending;
        SetSortColumn(column);
        return true;
    }

    const HCURSOR previousCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    bool sorted = false;
    try {
        // Every key is made once, before the control compares anything.
        std::vector<SortRecord> records(static_cast<size_t>(rows));
        for (int row = 0; row < rows; ++row) {
            wchar_t text[kKeyBufferChars] = L"";
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = kKeyBufferChars;
            SendMessageW(Handle(), LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
            records[size_t(row)].data = ItemData(row);
            records[size_t(row)].key = MakeSortKey(type, text);
        }
        RecordsByData byData;
        if (byData.Index(records)) {
            DataSortContext context = {type, descending, &byData};
            sorted = SendMessageW(Handle(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                                  reinterpret_cast<LPARAM>(&CompareRowsByData)) != FALSE;
        } else {
            // The rows carry their records through the sort and get their
            // own item data back afterwards, whatever place they end in.
            for (int row = 0; row < rows; ++row)
                SetItemData(row, reinterpret_cast<LPARAM>(&records[size_t(row)]));
            SortContext context = {type, descending};
            sorted = SendMessageW(Handle(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                                  reinterpret_cast<LPARAM>(&CompareRecords)) != FALSE;
            for (int row = 0; row < rows; ++row) {
                const auto* record = reinterpret_cast<const SortRecord*>(ItemData(row));
                if (record)
                    SetItemData(row, record->data);
            }
        }
    } catch (const std::bad_alloc&) {
        sorted = false; // nothing was swapped in: the records are made first
    }
    if (sorted) {
        m_sortDescending = descending;
        SetSortColumn(column);
    }
    SetCursor(previousCursor ? previousCursor : LoadCursorW(nullptr, IDC_ARROW));
    return sorted;
}

void CSortListViewCtrlWithContextMenu::SetSortColumn(int column)
{
    if (column < -1 || column >= ColumnCount())
        return;
    const int previous = m_sortColumn;
    m_sortColumn = column;
    MarkColumn(previous, column);
}

void CSortListViewCtrlWithContextMenu::SetHeaderFormat(int column, int format, HBITMAP bitmap)
{
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    item.fmt = format;
    item.hbm = bitmap;
    SendMessageW(Header(), HDM_SETITEMW, WPARAM(column), reinterpret_cast<LPARAM>(&item));
}

void CSortListViewCtrlWithContextMenu::MarkColumn(int previous, int column)
{
    HWND header = Header();
    if (!header)
        return;
    const int columns = ColumnCount();
    if (m_headerIndicators) {
        auto setArrow = [header](int index, int arrow) {
            HDITEMW item = {};
            item.mask = HDI_FORMAT;
            if (!SendMessageW(header, HDM_GETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item)))
                return;
            item.fmt = (item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) | arrow;
            SendMessageW(header, HDM_SETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
        };
        if (previous >= 0 && previous < columns)
            setArrow(previous, 0);
        if (column >= 0 && column < columns)
            setArrow(column, m_sortDescending ? HDF_SORTDOWN : HDF_SORTUP);
        return;
    }

    if (!m_ascendingBitmap && !MakeSortBitmaps())
        return;
    if (m_saved.column >= 0 && m_saved.column < columns)
        SetHeaderFormat(m_saved.column, m_saved.format, m_saved.bitmap);
    m_saved = SavedHeaderItem{};
    if (column < 0 || column >= columns)
        return;
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    if (!SendMessageW(header, HDM_GETITEMW, WPARAM(column), reinterpret_cast<LPARAM>(&item)))
        return;
    m_saved = SavedHeaderItem{column, item.fmt, item.hbm};
    SetHeaderFormat(column, item.fmt | HDF_BITMAP | HDF_BITMAP_ON_RIGHT, SortBitmap(m_sortDescending));
}

bool CSortListViewCtrlWithContextMenu::MakeSortBitmaps()
{
    UniqueBitmap up, down;
    if (m_shellBitmapsWanted) {
        if (HMODULE shell = GetModuleHandleW(L"shell32.dll")) {
            up.reset(static_cast<HBITMAP>(
                LoadImageW(shell, MAKEINTRESOURCEW(kShellSortUpBitmap), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
            down.reset(static_cast<HBITMAP>(
                LoadImageW(shell, MAKEINTRESOURCEW(kShellSortDownBitmap), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
        }
    }
    if (!up || !down) {
        up.reset(DrawSortArrowBitmap(false));
        down.reset(DrawSortArrowBitmap(true));
    }
    if (!up || !down)
        return false;
    // The old pair, if any, goes only now: the new one never reuses its handles.
    m_ascendingBitmap = std::move(up);
    m_descendingBitmap = std::move(down);
    return true;
}

void CSortListViewCtrlWithContextMenu::RebuildSortBitmaps()
{
    // The header lets go of the old bitmap before it is deleted.
    const int column = m_sortColumn;
    SetSortColumn(-1);
    MakeSortBitmaps();
    SetSortColumn(column);
}

void CSortListViewCtrlWithContextMenu::KeepColumnWidths(const SettingsLocation& settings, const std::wstring& section)
{
    m_keepWidths = true;
    m_widthSettings = settings;
    m_widthSection = section;
    const CIniFile ini(settings);
    const UINT storedDpi = UINT(std::max(ini.ReadInt(section.c_str(), kColumnWidthDpiKey, 0), 0));
    const UINT dpi = WindowDpi(Handle());
    const int columns = ColumnCount();
    m_userWidths.assign(size_t(std::max(columns, 0)), 0);
    for (int column = 0; column < columns; ++column) {
        const std::wstring key = kColumnWidthKey + std::to_wstring(column);
        const int width = ini.ReadInt(section.c_str(), key.c_str(), 0);
        if (width > 0)
            m_userWidths[size_t(column)] = std::max(1, ScaleWidth(width, storedDpi, dpi));
    }
}

int CSortListViewCtrlWithContextMenu::UserColumnWidth(int column) const
{
    return column >= 0 && size_t(column) < m_userWidths.size() ? m_userWidths[size_t(column)] : 0;
}

void CSortListViewCtrlWithContextMenu::FitColumns()
{
    const int columns = ColumnCount();
    for (int column = 0; column < columns; ++column) {
        if (const int width = UserColumnWidth(column))
            SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, WPARAM(column), width);
        else
            FitListColumn(Handle(), column);
    }
}

void CSortListViewCtrlWithContextMenu::FitColumn(int column)
{
    if (column < 0 || column >= ColumnCount())
        return;
    if (size_t(column) < m_userWidths.size() && m_userWidths[size_t(column)]) {
        m_userWidths[size_t(column)] = 0;
        SaveColumnWidths();
    }
    FitListColumn(Handle(), column);
}

void CSortListViewCtrlWithContextMenu::OnColumnDragged(int column, int width)
{
    if (column < 0 || column >= ColumnCount() || width < 0)
        return;
    if (m_userWidths.size() < size_t(ColumnCount()))
        m_userWidths.resize(size_t(ColumnCount()), 0);
    // A column dragged shut stays findable: one pixel, not "fitted".
    m_userWidths[size_t(column)] = std::max(width, 1);
    SaveColumnWidths();
}

void CSortListViewCtrlWithContextMenu::SaveColumnWidths() const
{
    if (!m_keepWidths)
        return;
    const CIniFile ini(m_widthSettings);
    for (size_t column = 0; column < m_userWidths.size(); ++column) {
        const std::wstring key = kColumnWidthKey + std::to_wstring(column);
        ini.WriteInt(m_widthSection.c_str(), key.c_str(), m_userWidths[column]);
    }
    ini.WriteInt(m_widthSection.c_str(), kColumnWidthDpiKey, int(WindowDpi(Handle())));
}

void CSortListViewCtrlWithContextMenu::SelectAll()
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(Handle(), LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&item));
}

void CSortListViewCtrlWithContextMenu::CopySelection()
{
    try {
        const int columns = ColumnCount();
        std::vector<std::vector<std::wstring>> table;
        for (int row : SelectedRows()) {
            std::vector<std::wstring> cells;
            for (int column = 0; column < columns; ++column)
                cells.push_back(CellText(row, column));
            table.push_back(std::move(cells));
        }
        const std::wstring text = JoinTable(table, kCommaSeparator);
        if (!text.empty() && !CClipboard(Handle()).SetText(text.c_str()))
            ReportCopyFailure(Handle());
    } catch (const std::bad_alloc&) {
        // Too little memory for the copy: the command has no effect.
    }
}

POINT CSortListViewCtrlWithContextMenu::KeyboardMenuPoint() const
{
    // At the selection the commands act on: the focused row when it is
    // selected, else the first selected row, else the focused one; with no
    // row at all, at the list's corner.
    int row = int(SendMessageW(Handle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED | LVNI_SELECTED));
    if (row < 0)
        row = int(SendMessageW(Handle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    if (row < 0)
        row = int(SendMessageW(Handle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    POINT point = {0, 0};
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    if (row >= 0) {
        SendMessageW(Handle(), LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
        if (SendMessageW(Handle(), LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&rect)))
            point = POINT{rect.left, rect.bottom};
    }
    ClientToScreen(Handle(), &point);
    return point;
}

bool CSortListViewCtrlWithContextMenu::IsMenuKey(UINT message, WPARAM key)
{
    // The menu key, or Shift+F10 (a system key: F10 is the menu bar's).
    if (key == VK_APPS)
        return message == WM_KEYDOWN || message == WM_KEYUP;
    return key == VK_F10 && KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL) && !KeyDown(VK_MENU);
}

void CSortListViewCtrlWithContextMenu::OnContextMenu(LPARAM lParam)
{
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // Only the x and y parts count: the upper half of a 64-bit lParam is
    // not -1 on every path the message takes.
    if (point.x == -1 && point.y == -1)
        point = KeyboardMenuPoint();
    const bool onMonitor = MonitorFromPoint(point, MONITOR_DEFAULTTONULL) != nullptr;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    point = ContextMenuPoint(point, onMonitor, monitor.rcWork);

    UniqueMenu menu(LoadMenuW(CAppModule::ResourceInstance(), MAKEINTRESOURCEW(m_menuId ? m_menuId : IDR_LIST_MENU)));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu.get(), 0);
    if (!popup)
        return;
    // The parent's commands are offered only when the parent would run them.
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == UINT(-1) || id == 0 || id == ID_LIST_COPY || id == ID_LIST_SELECT_ALL)
            continue;
        HWND control = GetDlgItem(GetParent(Handle()), int(id));
        const bool enabled = m_commandEnabled ? m_commandEnabled(int(id)) : control && IsWindowEnabled(control);
        EnableMenuItem(popup, UINT(i), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
    // The chosen command comes back to the list as WM_COMMAND.
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, 0, Handle(), nullptr);
}

void CSortListViewCtrlWithContextMenu::OnHeaderItemClick(const NMHEADERW& click)
{
    if (click.iButton != 0)
        return;
    const int previous = m_sortColumn;
    const bool descending = DescendingAfterHeaderClick(click.iItem, m_sortColumn, m_sortDescending);
    if (!SortByColumn(click.iItem, descending))
        return;
    SortChangedNotification note = {};
    note.header.hwndFrom = Handle();
    note.header.idFrom = UINT_PTR(GetDlgCtrlID(Handle()));
    note.header.code = kSortChangedCode;
    note.newColumn = click.iItem;
    note.oldColumn = previous;
    SendMessageW(GetParent(Handle()), WM_NOTIFY, WPARAM(note.header.idFrom), reinterpret_cast<LPARAM>(&note));
}

void CSortListViewCtrlWithContextMenu::OnColumnInserted(int column)
{
    if (column < 0)
        return;
    const size_t at = std::min(size_t(column), m_sortTypes.size());
    m_sortTypes.insert(m_sortTypes.begin() + std::ptrdiff_t(at), WORD(SortText));
    if (m_sortColumn >= column)
        ++m_sortColumn;
    if (m_saved.column >= column)
        ++m_saved.column;
    if (size_t(column) <= m_userWidths.size())
        m_userWidths.insert(m_userWidths.begin() + column, 0);
}

void CSortListViewCtrlWithContextMenu::OnColumnDeleted(int column)
{
    if (column < 0)
        return;
    if (size_t(column) < m_sortTypes.size())
        m_sortTypes.erase(m_sortTypes.begin() + column);
    if (m_sortColumn == column)
        m_sortColumn = -1;
    else if (m_sortColumn > column)
        --m_sortColumn;
    if (m_saved.column == column)
        m_saved = SavedHeaderItem{};
    else if (m_saved.column > column)
        --m_saved.column;
    if (size_t(column) < m_userWidths.size())
        m_userWidths.erase(m_userWidths.begin() + column);
}

LRESULT CSortListViewCtrlWithContextMenu::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        return 0;
    case WM_COMMAND:
        // From the context menu (or the keys below): no control sends these.
        if (lParam == 0 && LOWORD(wParam) == ID_LIST_SELECT_ALL) {
            SelectAll();
            return 0;
        }
        if (lParam == 0 && LOWORD(wParam) == ID_LIST_COPY) {
            CopySelection();
            return 0;
        }
        if (lParam == 0 && HIWORD(wParam) == 0 && m_menuId) {
            // A command of the parent's, chosen from the list's own menu;
            // posted, so that its dialog runs after the menu has gone.
            PostMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(LOWORD(wParam), BN_CLICKED), 0);
            return 0;
        }
        break;
    case WM_SYSKEYDOWN:
        if (IsMenuKey(message, wParam)) {
            SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(-1, -1));
            return 0;
        }
        if (wParam == VK_RETURN && m_altEnterCommand) {
            PostMessageW(GetParent(Handle()), WM_COMMAND, MAKEWPARAM(m_altEnterCommand, BN_CLICKED), 0);
            return 0;
        }
        break;
    case WM_SYSCHAR:
        if (wParam == VK_RETURN && m_altEnterCommand)
            return 0; // the key's character: taken above, no beep
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // The menu opened when the key went down; the platform's own answer
        // to the key coming up would open it twice.
        if (IsMenuKey(message, wParam))
            return 0;
        break;
    case WM_KEYDOWN:
        if (IsMenuKey(message, wParam)) {
            SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(-1, -1));
            return 0;
        }
        // A modal dialog's loop translates no accelerators: the list takes
        // the keys every Windows list knows and runs the menu's commands.
        if (KeyDown(VK_CONTROL) && !KeyDown(VK_SHIFT) && !KeyDown(VK_MENU) && (wParam == 'C' || wParam == 'A')) {
            SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(wParam == 'C' ? ID_LIST_COPY : ID_LIST_SELECT_ALL, 0), 0);
            return 0;
        }
        break;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETNONCLIENTMETRICS && !m_headerIndicators && m_ascendingBitmap)
            RebuildSortBitmaps();
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || header->hwndFrom != Header())
            break;
        const auto* item = reinterpret_cast<const NMHEADERW*>(lParam);
        if (header->code == HDN_ITEMCLICKW || header->code == HDN_ITEMCLICKA)
            OnHeaderItemClick(*item);
        if (header->code == HDN_DIVIDERDBLCLICKW || header->code == HDN_DIVIDERDBLCLICKA) {
            // The list's own answer would fit the cells alone.
            FitColumn(item->iItem);
            return 0;
        }
        if (header->code == HDN_ENDTRACKW || header->code == HDN_ENDTRACKA) {
            const LRESULT result = DefaultProc(message, wParam, lParam);
            // The A and W items agree up to the width.
            if (item->pitem && (item->pitem->mask & HDI_WIDTH))
                OnColumnDragged(item->iItem, item->pitem->cxy);
            else
                PostMessageW(Handle(), kReadDraggedWidth, WPARAM(item->iItem), 0);
            return result;
        }
        break; // the control still tells its parent about the click
    }
    case kReadDraggedWidth:
        OnColumnDragged(int(wParam), int(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, wParam, 0)));
        return 0;
    case LVM_INSERTCOLUMNW:
    case LVM_INSERTCOLUMNA: {
        const LRESULT index = DefaultProc(message, wParam, lParam);
        OnColumnInserted(int(index));
        return index;
    }
    case LVM_DELETECOLUMN: {
        const LRESULT deleted = DefaultProc(message, wParam, lParam);
        if (deleted)
            OnColumnDeleted(int(wParam));
        return deleted;
    }
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}
