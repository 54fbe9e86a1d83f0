#include "ui/controls/ColumnWidths.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/controls/DpiMetrics.h"
#include "base/ScopedHandles.h"

namespace {

// The arrow bitmaps of the sort (and the header's own arrow) are 16 pixels
// wide at 96 DPI.
constexpr int kArrowWidth = 16;

std::wstring HeaderItemText(HWND header, int item)
{
    std::wstring text(256, L'\0');
    HDITEMW info = {};
    info.mask = HDI_TEXT;
    info.pszText = text.data();
    info.cchTextMax = int(text.size());
    if (!SendMessageW(header, HDM_GETITEMW, WPARAM(item), reinterpret_cast<LPARAM>(&info)))
        return L"";
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

int HeaderMargin(HWND header)
{
    // The space a header keeps at each side of its text and of a bitmap;
    // three edges wide unless set otherwise.
    const int margin = int(SendMessageW(header, HDM_GETBITMAPMARGIN, 0, 0));
    return margin > 0 ? margin : 3 * WindowMetric(header, SM_CXEDGE);
}

} // namespace

int HeaderTextWidth(HWND header, const std::wstring& text)
{
    if (!header || text.empty())
        return 0;
    ScopedWindowDc dc(header);
    if (!dc.Get())
        return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(header, WM_GETFONT, 0, 0));
    ScopedSelect select(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {};
    if (!GetTextExtentPoint32W(dc.Get(), text.c_str(), int(text.size()), &size))
        return 0;
    return size.cx;
}

int SortArrowRoom(HWND header)
{
    const int arrow = std::max(kArrowWidth, ScaleWidth(kArrowWidth, 96, WindowDpi(header)));
    return arrow + 2 * HeaderMargin(header);
}

int HeaderItemNeed(HWND header, int item)
{
    if (!header)
        return 0;
    return HeaderTextWidth(header, HeaderItemText(header, item)) + 2 * HeaderMargin(header) + SortArrowRoom(header);
}

int FitListColumn(HWND list, int column)
{
    // The list measures its cells itself; the header is measured here.
    SendMessageW(list, LVM_SETCOLUMNWIDTH, WPARAM(column), LVSCW_AUTOSIZE);
    const int cells = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int width = std::max(cells, HeaderItemNeed(header, column));
    if (width != cells)
        SendMessageW(list, LVM_SETCOLUMNWIDTH, WPARAM(column), width);
    return width;
}

int ScaleWidth(int width, UINT fromDpi, UINT toDpi)
{
    if (fromDpi == 0 || fromDpi == toDpi)
        return width;
    return MulDiv(width, int(toDpi), int(fromDpi));
}
