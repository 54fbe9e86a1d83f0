#pragma once
// A dialog of the language module with a real report-style list control in
// it, the list tests' fixture and helpers, and clipboard helpers for the
// copy tests.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

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

// The about box's template, grown, with a list control added in code. The
// dialog reflects the list's notifications back to it, as the album window
// and the photo list do.
class ListDialog : public CDialogBase
{
public:
    explicit ListDialog(bool reflect = true) : CDialogBase(IDD_ABOUT), m_reflect(reflect) {}

    HWND List() const { return m_list; }
    std::vector<std::pair<int, int>> sortNotes; // new and old sort column
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
            sortNotes.emplace_back(note->newColumn, note->oldColumn);
        } else if (header->code == UINT(LVN_COLUMNCLICK)) {
            ++columnClicks;
        }
        return false; // reflected back to the list when reflection is on
    }

private:
    bool m_reflect;
    HWND m_list = nullptr;
};

// A shown list dialog of a language module with a Control (anything with
// Attach(HWND)) attached to its list. Open again for another language or
// without reflection.
template <class Control>
class ListFixture : public ::testing::Test
{
protected:
    void SetUp() override { Open(); }

    void Open(bool reflect = true, const char* languageName = "en")
    {
        dialog.reset();
        language.reset();
        language.emplace(languageName);
        dialog = std::make_unique<ListDialog>(reflect);
        ASSERT_NE(dialog->Create(nullptr), nullptr);
        list = dialog->List();
        ShowWindow(dialog->Handle(), SW_SHOW);
        ASSERT_TRUE(control.Attach(list));
    }

    // In this order so that the control goes first and the module last.
    std::optional<DialogHarness::ScopedLanguage> language;
    std::unique_ptr<ListDialog> dialog;
    HWND list = nullptr;
    Control control;
};

inline LRESULT Send(HWND window, UINT message, WPARAM wParam, const void* data)
{
    return SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(data));
}

inline void AddColumn(HWND list, int index, const wchar_t* text, int format = LVCFMT_LEFT, int width = 150)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.fmt = format;
    column.cx = Scaled(width);
    column.pszText = const_cast<wchar_t*>(text);
    Send(list, LVM_INSERTCOLUMNW, WPARAM(index), &column);
}

inline int Rows(HWND list)
{
    return int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

// A row at the end; returns its index.
inline int AddRow(HWND list, const std::vector<std::wstring>& cells, LPARAM data = 0)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = Rows(list);
    item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
    item.lParam = data;
    const int row = int(Send(list, LVM_INSERTITEMW, 0, &item));
    for (size_t i = 1; i < cells.size(); ++i) {
        item.iSubItem = int(i);
        item.pszText = const_cast<wchar_t*>(cells[i].c_str());
        Send(list, LVM_SETITEMTEXTW, WPARAM(row), &item);
    }
    return row;
}

inline std::wstring Cell(HWND list, int row, int column)
{
    wchar_t text[1024] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    Send(list, LVM_GETITEMTEXTW, WPARAM(row), &item);
    return text;
}

inline std::vector<std::wstring> Column(HWND list, int column)
{
    std::vector<std::wstring> texts;
    for (int row = 0; row < Rows(list); ++row)
        texts.push_back(Cell(list, row, column));
    return texts;
}

inline LPARAM Data(HWND list, int row)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    Send(list, LVM_GETITEMW, 0, &item);
    return item.lParam;
}

// Sets or clears state bits of a row (-1: every row).
inline void SetState(HWND list, int row, UINT bits, bool on = true)
{
    LVITEMW item = {};
    item.state = on ? bits : 0;
    item.stateMask = bits;
    Send(list, LVM_SETITEMSTATE, WPARAM(row), &item);
}

inline void Select(HWND list, int row, bool selected = true)
{
    SetState(list, row, LVIS_SELECTED, selected);
}

inline bool IsSelected(HWND list, int row)
{
    return SendMessageW(list, LVM_GETITEMSTATE, WPARAM(row), LVIS_SELECTED) != 0;
}

inline HWND HeaderOf(HWND list)
{
    return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
}

// A real click on a header item: pressed and released in its middle, the
// list first scrolled as far as a user would to reach it.
inline void ClickHeader(HWND list, int column)
{
    HWND header = HeaderOf(list);
    RECT r = {}, view = {};
    Send(header, HDM_GETITEMRECT, WPARAM(column), &r);
    GetClientRect(list, &view);
    const int shown = int(GetScrollPos(list, SB_HORZ));
    if (r.right - shown > view.right || r.left < shown) {
        SendMessageW(list, LVM_SCROLL, WPARAM(r.left - shown), 0);
        Send(header, HDM_GETITEMRECT, WPARAM(column), &r);
    }
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(header, WM_MOUSEMOVE, 0, at);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
}

inline HDITEMW HeaderItem(HWND list, int column)
{
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    Send(HeaderOf(list), HDM_GETITEMW, WPARAM(column), &item);
    return item;
}

// A command as the context menu sends it.
inline void Command(HWND list, UINT id)
{
    SendMessageW(list, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// A key pressed on the list with other keys held, through the dialog's
// message handling as a real key press comes.
inline void PressKey(HWND dialog, HWND list, WPARAM key, std::initializer_list<int> held = {})
{
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    memcpy(state, saved, sizeof state);
    for (int k : held)
        state[k] = 0x80;
    SetKeyboardState(state);
    SetFocus(list);
    PostMessageW(list, WM_KEYDOWN, key, 0);
    DialogHarness::PumpMessages(dialog);
    SetKeyboardState(saved);
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
        DestroyWindow(m_window);
    }
    bool IsOpen() const { return m_open; }

private:
    HWND m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    bool m_open = false;
};

inline const wchar_t kSentinel[] = L"sentinel";

// Puts a known text on the clipboard, so that a test can see it stay.
inline bool PutSentinel(const wchar_t* text = kSentinel)
{
    OpenedClipboard clipboard;
    const SIZE_T bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = clipboard.IsOpen() && EmptyClipboard() ? GlobalAlloc(GMEM_MOVEABLE, bytes) : nullptr;
    if (!block)
        return false;
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    if (SetClipboardData(CF_UNICODETEXT, block))
        return true;
    GlobalFree(block);
    return false;
}

inline bool ClipboardIsFree()
{
    return OpenedClipboard().IsOpen();
}

// The whole block under a format, zero bytes at the end included; empty
// when there is none.
inline std::string ClipboardBytes(UINT format)
{
    OpenedClipboard clipboard;
    HANDLE data = clipboard.IsOpen() ? GetClipboardData(format) : nullptr;
    if (!data)
        return std::string();
    std::string bytes(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
    GlobalUnlock(data);
    return bytes;
}

inline std::wstring ClipboardText()
{
    const std::string bytes = ClipboardBytes(CF_UNICODETEXT);
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return bytes.empty() ? L"<none>" : text.substr(0, text.find(L'\0'));
}

// The formats on the clipboard in the order offered, without the text
// conversions the system adds by itself for a Unicode text.
inline std::vector<UINT> ClipboardFormats()
{
    OpenedClipboard clipboard;
    std::vector<UINT> formats;
    for (UINT format = clipboard.IsOpen() ? EnumClipboardFormats(0) : 0; format; format = EnumClipboardFormats(format))
        if (format != CF_TEXT && format != CF_OEMTEXT && format != CF_LOCALE)
            formats.push_back(format);
    return formats;
}

} // namespace ListTest
