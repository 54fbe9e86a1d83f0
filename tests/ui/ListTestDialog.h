#pragma once
// A dialog of the language module with a real report-style list control in
// it, for the list tests, and clipboard helpers for the copy tests.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "ui/controls/CClipboard.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CSortListViewCtrlWithContextMenu.h"

namespace ListTest {

constexpr int kListId = 1003;

// Pixels at 96 DPI in the screen's DPI (the tests also run at 144).
inline int Scaled(int pixels)
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return MulDiv(pixels, dpi > 0 ? dpi : 96, 96);
}

struct SortNote
{
    int newColumn;
    int oldColumn;
};

// The about box's template, grown, with a list control added in code. The
// dialog reflects the list's notifications back to it, as the album window
// and the photo list do.
class ListDialog : public CDialogBase
{
public:
    explicit ListDialog(bool reflect = true) : CDialogBase(IDD_ABOUT), m_reflect(reflect) {}

    HWND List() const { return m_list; }
    std::vector<SortNote> sortNotes;
    int columnClicks = 0;

protected:
    bool OnInitDialog() override
    {
        SetReflectNotifications(m_reflect);
        SetWindowPos(Handle(), nullptr, 0, 0, Scaled(760), Scaled(420), SWP_NOMOVE | SWP_NOZORDER);
        RECT client;
        GetClientRect(Handle(), &client);
        m_list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LVS_REPORT |
                                     LVS_SHOWSELALWAYS,
                                 0, 0, client.right, client.bottom, Handle(), reinterpret_cast<HMENU>(kListId),
                                 nullptr, nullptr);
        SetWindowPos(m_list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SendMessageW(m_list, WM_SETFONT, SendMessageW(Handle(), WM_GETFONT, 0, 0), FALSE);
        return true;
    }
    bool OnNotify(NMHDR* header, LRESULT&) override
    {
        if (header->code == CSortListViewCtrlWithContextMenu::kSortChangedCode) {
            const auto* note = reinterpret_cast<const CSortListViewCtrlWithContextMenu::SortChangedNotification*>(header);
            sortNotes.push_back(SortNote{note->newColumn, note->oldColumn});
        } else if (header->code == UINT(LVN_COLUMNCLICK)) {
            ++columnClicks;
        }
        return false; // reflected back to the list when reflection is on
    }

private:
    bool m_reflect;
    HWND m_list = nullptr;
};

inline void AddColumn(HWND list, int index, const wchar_t* text, int format = LVCFMT_LEFT, int width = 150)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.fmt = format;
    column.cx = Scaled(width);
    column.pszText = const_cast<wchar_t*>(text);
    SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(index), reinterpret_cast<LPARAM>(&column));
}

// A row at the end; returns its index.
inline int AddRow(HWND list, const std::vector<std::wstring>& cells, LPARAM data = 0)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
    item.lParam = data;
    const int row = int(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (size_t i = 1; i < cells.size(); ++i) {
        LVITEMW sub = {};
        sub.iSubItem = int(i);
        sub.pszText = const_cast<wchar_t*>(cells[i].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&sub));
    }
    return row;
}

inline std::wstring Cell(HWND list, int row, int column)
{
    wchar_t text[512] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

inline std::vector<std::wstring> Column(HWND list, int column)
{
    std::vector<std::wstring> texts;
    const int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        texts.push_back(Cell(list, row, column));
    return texts;
}

inline LPARAM Data(HWND list, int row)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

inline void Select(HWND list, int row, bool selected = true)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

inline bool IsSelected(HWND list, int row)
{
    return SendMessageW(list, LVM_GETITEMSTATE, WPARAM(row), LVIS_SELECTED) != 0;
}

inline HWND HeaderOf(HWND list)
{
    return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
}

// A real click on a header item: pressed and released in its middle.
inline void ClickHeader(HWND list, int column)
{
    HWND header = HeaderOf(list);
    RECT r = {};
    SendMessageW(header, HDM_GETITEMRECT, WPARAM(column), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(header, WM_MOUSEMOVE, 0, at);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
}

inline HDITEMW HeaderItem(HWND list, int column)
{
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    SendMessageW(HeaderOf(list), HDM_GETITEMW, WPARAM(column), reinterpret_cast<LPARAM>(&item));
    return item;
}

// ---------------------------------------------------------------------------
// Clipboard
// ---------------------------------------------------------------------------

// Opens the clipboard on the test's own hidden window (a null window may
// not be enough to write on every platform).
class OpenedClipboard
{
public:
    OpenedClipboard()
    {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        for (int i = 0; i < 20 && !m_open; ++i) {
            m_open = OpenClipboard(m_window) != FALSE;
            if (!m_open)
                Sleep(20);
        }
    }
    ~OpenedClipboard()
    {
        if (m_open)
            CloseClipboard();
        if (m_window)
            DestroyWindow(m_window);
    }
    bool IsOpen() const { return m_open; }

private:
    HWND m_window = nullptr;
    bool m_open = false;
};

// Puts a known text on the clipboard, so that a test can see it stay.
inline bool PutSentinel(const wchar_t* text)
{
    OpenedClipboard clipboard;
    if (!clipboard.IsOpen())
        return false;
    EmptyClipboard();
    const SIZE_T bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_UNICODETEXT, block)) {
        GlobalFree(block);
        return false;
    }
    return true;
}

inline std::wstring ClipboardText()
{
    OpenedClipboard clipboard;
    HANDLE data = clipboard.IsOpen() ? GetClipboardData(CF_UNICODETEXT) : nullptr;
    if (!data)
        return L"<none>";
    std::wstring text(static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
    return text;
}

// The whole block under a format, zero bytes at the end included.
inline std::string ClipboardBytes(UINT format)
{
    OpenedClipboard clipboard;
    HANDLE data = clipboard.IsOpen() ? GetClipboardData(format) : nullptr;
    if (!data)
        return std::string();
    const SIZE_T size = GlobalSize(data);
    std::string bytes(static_cast<const char*>(GlobalLock(data)), size);
    GlobalUnlock(data);
    return bytes;
}

// The formats on the clipboard in the order offered, without the text
// conversions the system adds by itself for a Unicode text.
inline std::vector<UINT> ClipboardFormats()
{
    OpenedClipboard clipboard;
    std::vector<UINT> formats;
    if (!clipboard.IsOpen())
        return formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        if (format != CF_TEXT && format != CF_OEMTEXT && format != CF_LOCALE)
            formats.push_back(format);
    return formats;
}

} // namespace ListTest
