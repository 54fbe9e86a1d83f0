#include "ui/controls/CHyperLink.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>

namespace {

int DecimalPrefix(const std::wstring& text)
{
    return int(std::wcstol(text.c_str(), nullptr, 10));
}

bool IsStaticClass(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, int(std::size(name)));
    return lstrcmpiW(name, L"static") == 0;
}

} // namespace

bool ParseAnchorColor(const wchar_t* text, COLORREF& color)
{
    if (!text)
        return false;
    const std::wstring value = text;
    const size_t first = value.find(L',');
    if (first == std::wstring::npos)
        return false;
    const size_t second = value.find(L',', first + 1);
    if (second == std::wstring::npos)
        return false;
    const std::wstring blue = value.substr(second + 1);
    if (blue.empty())
        return false;
    const int r = DecimalPrefix(value.substr(0, first)) & 0xff;
    const int g = DecimalPrefix(value.substr(first + 1, second - first - 1)) & 0xff;
    const int b = DecimalPrefix(blue) & 0xff;
    color = RGB(r, g, b);
    return true;
}

void ReadAnchorColors(const wchar_t* subKey, COLORREF& link, COLORREF& visited)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    auto read = [key](const wchar_t* name, COLORREF& color) {
        // At most 11 characters and the terminator ("255,255,255" fits); a
        // longer value does not fit and is not read. The spare element keeps
        // a value stored without terminator terminated.
        wchar_t text[13] = L"";
        DWORD type = 0;
        DWORD bytes = 12 * sizeof(wchar_t);
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            text[11] = L'\0';
            ParseAnchorColor(text, color);
        }
    };
    read(L"Anchor Color", link);
    read(L"Anchor Color Visited", visited);
    RegCloseKey(key);
}

CHyperLink::CHyperLink() = default;

CHyperLink::~CHyperLink()
{
    Unsubclass();
    ReleaseResources();
}

void CHyperLink::ReleaseResources()
{
    if (m_tooltip && IsWindow(m_tooltip))
        DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
    m_toolAdded = false;
    m_font.reset();
}

void CHyperLink::MakeFont(HFONT base)
{
    if (!base)
        base = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    LOGFONTW lf = {};
    GetObjectW(base, sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    UniqueFont font(CreateFontIndirectW(&lf));
    if (!font)
        return; // keep the font there is
    m_font = std::move(font);
}

HGDIOBJ CHyperLink::LabelFont() const
{
    return m_font ? static_cast<HGDIOBJ>(m_font.get()) : GetStockObject(SYSTEM_FONT);
}

void CHyperLink::OnFinalMessage()
{
    ReleaseResources();
}

bool CHyperLink::Attach(HWND control)
{
    if (!Subclass(control))
        return false;
    Init();
    return true;
}

void CHyperLink::Init()
{
    HWND control = Handle();
    if (IsStaticClass(control)) {
        LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        SetWindowLongPtrW(control, GWL_STYLE, style | SS_NOTIFY);
        // Icons, rectangles, frames, owner-drawn and pictures (kinds 3 to 9
        // and 13 to 15) have no text to paint.
        const unsigned kind = unsigned(style & SS_TYPEMASK);
        if ((kind >= SS_ICON && kind <= SS_WHITEFRAME) || (kind >= SS_OWNERDRAW && kind <= SS_ENHMETAFILE))
            m_paintLabel = false;
    }
    m_hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)); // IDC_HAND

    if (m_paintLabel)
        MakeFont(reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0)));

    m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, control, nullptr, nullptr,
                                nullptr);
    if (m_label.empty()) {
        int length = GetWindowTextLengthW(control);
        std::wstring text(size_t(length) + 1, L'\0');
        text.resize(size_t(GetWindowTextW(control, text.data(), length + 1)));
        m_label = text;
    }
    UpdateLabelRect();

    if (!m_address.empty())
        RegisterTool();
    else
        m_address = m_label;

    if (m_paintLabel)
        ReadAnchorColors(m_colorKey.c_str(), m_linkColor, m_visitedColor);
    InvalidateRect(control, nullptr, TRUE);
}

void CHyperLink::SetLabel(const std::wstring& label)
{
    m_label = label;
    if (Handle()) {
        UpdateLabelRect();
        UpdateTooltip();
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

void CHyperLink::SetAddress(const std::wstring& address)
{
    m_address = address;
    UpdateTooltip();
}

TOOLINFOW CHyperLink::ToolInfo() const
{
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.uFlags = 0;
    info.hwnd = Handle();
    info.uId = 1;
    info.rect = m_labelRect;
    info.lpszText = const_cast<wchar_t*>(m_address.c_str());
    return info;
}

void CHyperLink::RegisterTool()
{
    if (!m_tooltip || !Handle() || m_toolAdded)
        return;
    TOOLINFOW info = ToolInfo();
    SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
    m_toolAdded = SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void CHyperLink::UpdateTooltip()
{
    // Only the tool registered at initialisation (when an address was set
    // before it) is updated; setting an address later registers none.
    if (!m_tooltip || !Handle() || !m_toolAdded)
        return;
    TOOLINFOW info = ToolInfo();
    SendMessageW(m_tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CHyperLink::UpdateLabelRect()
{
    HWND control = Handle();
    RECT client;
    GetClientRect(control, &client);
    if (!m_paintLabel) {
        m_labelRect = client;
        return;
    }
    RECT text = {0, 0, 0, 0};
    {
        const ScopedWindowDc dc(control);
        const ScopedSelect font(dc.Get(), LabelFont());
        DrawTextW(dc.Get(), m_label.c_str(), int(m_label.size()), &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }

    const LONG width = std::min(text.right - text.left, client.right - client.left);
    const LONG height = std::min(text.bottom - text.top, client.bottom - client.top);
    LONG left = client.left;
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK;
    if (style == SS_CENTER)
        left = client.left + (client.right - client.left - width) / 2;
    else if (style == SS_RIGHT)
        left = client.right - width;
    m_labelRect = RECT{left, client.top, left + width, client.top + height};
}

bool CHyperLink::InLabel(POINT clientPoint) const
{
    return PtInRect(&m_labelRect, clientPoint) != FALSE;
}

bool CHyperLink::Open()
{
    bool opened = false;
    if (m_opener) {
        opened = m_opener(m_address);
    } else {
        HINSTANCE rc = ShellExecuteW(Handle() ? GetParent(Handle()) : nullptr, L"open", m_address.c_str(), nullptr,
                                     nullptr, SW_SHOWNORMAL);
        opened = reinterpret_cast<INT_PTR>(rc) > 32;
    }
    if (opened) {
        m_visited = true;
        if (Handle())
            InvalidateRect(Handle(), nullptr, TRUE);
    }
    return opened;
}

void CHyperLink::Paint(HDC dc)
{
    HWND control = Handle();
    RECT client;
    GetClientRect(control, &client);
    // The dialog's static background, so the link sits on it like any label.
    HBRUSH background = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    FillRect(dc, &client, background ? background : GetSysColorBrush(COLOR_BTNFACE));

    SetBkMode(dc, TRANSPARENT);
    if (!IsWindowEnabled(control))
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    else
        SetTextColor(dc, m_visited ? m_visitedColor : m_linkColor);
    {
        const ScopedSelect font(dc, LabelFont());
        RECT label = m_labelRect;
        DrawTextW(dc, m_label.c_str(), int(m_label.size()), &label,
                  DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (GetFocus() == control)
        DrawFocusRect(dc, &m_labelRect);
}

LRESULT CHyperLink::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND control = Handle();
    if (m_tooltip && !(m_extendedStyle & kNoTooltip) && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG msg = {control, message, wParam, lParam, DWORD(GetMessageTime()), {0, 0}};
        SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    switch (message) {
    case WM_PAINT:
        if (m_paintLabel) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(control, &ps);
            Paint(dc);
            EndPaint(control, &ps);
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (m_paintLabel) {
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (m_paintLabel)
            return 1; // painted whole in WM_PAINT
        break;
    case WM_SETCURSOR: {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(control, &pt);
        if (m_hand && InLabel(pt)) {
            SetCursor(m_hand);
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN: {
        POINT pt = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        if (InLabel(pt)) {
            SetFocus(control);
            SetCapture(control);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        POINT pt = {short(LOWORD(lParam)), short(HIWORD(lParam))};
        if (GetCapture() == control) {
            ReleaseCapture();
            if (InLabel(pt))
                Open();
        }
        return 0;
    }
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            Open();
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS;
    case WM_SETFONT:
        // The dialog hands its controls a new font when its DPI changes:
        // the underlined copy follows it.
        if (m_paintLabel && wParam) {
            MakeFont(reinterpret_cast<HFONT>(wParam));
            UpdateLabelRect();
            if (LOWORD(lParam))
                InvalidateRect(control, nullptr, TRUE);
        }
        break;
    case kDpiChangedAfterParent:
        if (m_paintLabel) {
            MakeFont(reinterpret_cast<HFONT>(SendMessageW(GetParent(control), WM_GETFONT, 0, 0)));
            UpdateLabelRect();
            InvalidateRect(control, nullptr, TRUE);
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(control, nullptr, TRUE);
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}
