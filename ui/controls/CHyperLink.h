#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "base/ScopedHandles.h"
#include "ui/controls/CWindowSubclass.h"

// "r,g,b" as the browser stores link colours: red and green are the numbers
// before the first and second comma, blue the rest; each keeps its low 8
// bits. A missing comma or an empty blue part fails and leaves color as is.
bool ParseAnchorColor(const wchar_t* text, COLORREF& color);

// Reads "Anchor Color" and "Anchor Color Visited" (at most 11 characters)
// under HKEY_CURRENT_USER\subKey; each value that parses replaces its colour.
void ReadAnchorColors(const wchar_t* subKey, COLORREF& link, COLORREF& visited);

// Turns a static text control into a link: painted underlined in the link
// colour (the visited colour once opened), hand cursor, focus rectangle,
// Enter and Space open it, a click inside the label opens it, tooltip with
// the address.
class CHyperLink : public CWindowSubclass
{
public:
    // Extended style bit: no tooltip.
    static constexpr DWORD kNoTooltip = 64;
    // WM_DPICHANGED_AFTERPARENT, which the headers of the oldest Windows
    // this program supports do not define.
    static constexpr UINT kDpiChangedAfterParent = 0x02E3;
    static constexpr const wchar_t* kColorKey = L"Software\\Microsoft\\Internet Explorer\\Settings";

    // Opens an address; true on success. The default runs the shell's
    // "open" verb.
    using Opener = std::function<bool(const std::wstring& address)>;

    CHyperLink();
    ~CHyperLink() override;

    void SetExtendedStyle(DWORD style) { m_extendedStyle = style; }
    DWORD ExtendedStyle() const { return m_extendedStyle; }

    // Subclasses the control and initialises the link.
    bool Attach(HWND control);

    void SetLabel(const std::wstring& label);
    void SetAddress(const std::wstring& address);
    const std::wstring& Label() const { return m_label; }
    const std::wstring& Address() const { return m_address; }

    // Opens the address; on success marks the link visited and repaints it.
    bool Open();

    bool Visited() const { return m_visited; }
    COLORREF LinkColor() const { return m_linkColor; }
    COLORREF VisitedColor() const { return m_visitedColor; }
    bool PaintsLabel() const { return m_paintLabel; }
    RECT LabelRect() const { return m_labelRect; }
    HWND Tooltip() const { return m_tooltip; }

    void SetOpener(Opener opener) { m_opener = std::move(opener); }
    // Where the colours are read from (HKEY_CURRENT_USER); set before Attach.
    void SetColorKey(std::wstring subKey) { m_colorKey = std::move(subKey); }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override;

private:
    void Init();
    // The label's font: a copy of base (the system font when none) with
    // underline; replaces the previous one.
    void MakeFont(HFONT base);
    // The underlined font, or the system font before there is one.
    HGDIOBJ LabelFont() const;
    void UpdateLabelRect();
    TOOLINFOW ToolInfo() const;
    void RegisterTool();
    void UpdateTooltip();
    void Paint(HDC dc);
    bool InLabel(POINT clientPoint) const;
    void ReleaseResources();

    std::wstring m_label;
    std::wstring m_address;
    COLORREF m_linkColor = RGB(0, 0, 255);
    COLORREF m_visitedColor = RGB(128, 0, 128);
    DWORD m_extendedStyle = 0;
    bool m_paintLabel = true;
    bool m_visited = false;
    bool m_toolAdded = false;
    UniqueFont m_font;
    HWND m_tooltip = nullptr;
    HCURSOR m_hand = nullptr;
    RECT m_labelRect = {0, 0, 0, 0};
    Opener m_opener;
    std::wstring m_colorKey = kColorKey;
};
