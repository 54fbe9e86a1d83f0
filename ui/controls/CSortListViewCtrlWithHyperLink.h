#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <utility>
#include <vector>
#include <string>

#include "base/ScopedHandles.h"
#include "ui/controls/CSortListViewCtrlWithContextMenu.h"

// The rectangle a cell's link text takes: the cell's label rectangle less 6
// pixels at each side, the text's height centred in it, cut to the text's
// width at the end the column's header alignment (HDF_LEFT, HDF_RIGHT,
// HDF_CENTER) keeps.
RECT LinkTextRect(const RECT& label, SIZE text, int headerFormat);

// The list of the album window and the photo list: a sortable list whose
// cells can carry links (drawn as links, with a tooltip, opened by a click)
// and whose rows carry a user value that stays with the row through sorts.
// Copy puts the selected rows with a header line on the clipboard as plain
// text and as an HTML table.
//
// The owning dialog reflects its notifications back to the list (custom
// draw among them): CDialogBase::SetReflectNotifications(true). Attach,
// then InitLinkDrawing, before rows get links.
class CSortListViewCtrlWithHyperLink : public CSortListViewCtrlWithContextMenu
{
public:
    static constexpr COLORREF kLinkColor = RGB(0, 0, 255);
    // The rows selected while the list has not the focus: a pale shade of
    // the selection's colour, plain on white where the system's own grey
    // all but vanishes.
    static COLORREF InactiveSelectionColor();
    static constexpr COLORREF kHotLinkColor = RGB(255, 0, 0);
    static constexpr UINT_PTR kToolId = 999;
    // Pixels left free at each side of a link's text.
    static constexpr int kLinkMargin = 6;

    // Opens an address; true on success. The default runs the shell's
    // "open" verb.
    using Opener = std::function<bool(const std::wstring& url)>;

    CSortListViewCtrlWithHyperLink();
    ~CSortListViewCtrlWithHyperLink() override;

    // Makes the link fonts from the list's font and the tooltip with its one
    // tool; starts the row keys again when no row holds one. False when a
    // font or the tooltip cannot be made.
    bool InitLinkDrawing();

    // Gives a cell a link (replacing an earlier one). A row or column that
    // does not exist: true, nothing changed. False when the row cannot get
    // a key.
    bool SetCellLink(int row, int column, const std::wstring& url, const std::wstring& tooltip);
    // What a link's tooltip says: the note given for the link (if any) and
    // the address it opens, so that the user sees the real target.
    static std::wstring LinkTooltipText(const std::wstring& url, const std::wstring& note);
    // The cell's link address; empty when it has none. Only an http or https
    // address is drawn as a link and opened; another one stays text.
    std::wstring GetCellLinkUrl(int row, int column) const;
    bool IsLinkCell(int row, int column) const;
    bool IsLinkHot(int row, int column) const;

    // Inserts a row with the text of its first cell and its user value
    // already in place; the row's index, or -1.
    int InsertRow(int index, const wchar_t* text, INT_PTR userValue);

    // A value the owner keeps per row (the index of its album, say); 0 for a
    // row without one. Setting returns the control's result.
    INT_PTR GetRowUserValue(int row) const;
    bool SetRowUserValue(int row, INT_PTR value);

    // Drops every link and user value, then every row. Keys keep counting.
    void DeleteAllRows();

    // The header line and the selected rows, as text and as an HTML table.
    void CopySelection() override;
    // The header line and these rows (display order), likewise.
    void CopyRows(const std::vector<int>& rows);

    // The link text rectangle of a link cell (client coordinates).
    bool LinkRect(int row, int column, RECT& rect) const;
    // The link cell whose link text holds the point.
    bool LinkAt(POINT client, int& row, int& column) const;

    HWND Tooltip() const { return m_tooltip; }
    HFONT LinkFont() const { return m_linkFont.get(); }
    HFONT HotLinkFont() const { return m_hotLinkFont.get(); }
    void SetOpener(Opener opener) { m_opener = std::move(opener); }
    // Opens an http or https address as a click on a link does; anything
    // else is not opened (false).
    bool Open(const std::wstring& url);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override;

private:
    struct CellLink
    {
        bool hot = false;
        bool drawn = true; // a web address (or none): drawn and clicked as a link
        std::wstring url;
        std::wstring tooltip;
    };
    struct RowLinks
    {
        INT_PTR userValue = 0;
        std::vector<std::pair<int, CellLink>> cells; // by column, a row has one or two
    };
    struct Cell
    {
        int row = -1;
        int column = -1;
        bool operator==(const Cell&) const = default;
    };
    struct Hover
    {
        Cell cell;
        bool overLink = false;
        bool tracking = false; // a leave notice is asked for
    };

    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    void OnPointerMoved(POINT point);
    void OnPointerLeft();
    bool OnLeftButtonDown(POINT point);
    bool MakeLinkFonts();
    void ClearLinks();
    LPARAM NewRowKey(INT_PTR userValue);
    LPARAM RowKey(int row) const;
    RowLinks* FindRow(LPARAM key);
    const RowLinks* FindRow(LPARAM key) const;
    const CellLink* FindLink(int row, int column) const;
    static const CellLink* FindLink(const RowLinks* links, int column);
    CellLink* FindLink(int row, int column);
    Cell CellAt(POINT client) const;
    bool OverLink(const Cell& cell, POINT client) const;
    void SetHot(const Cell& cell, bool hot);
    void DestroyTooltip();

    // The rows' links by key. Keys count up without gaps from m_firstKey,
    // where they went on after the rows were last dropped, so a row's entry
    // is found by its place rather than by a search.
    std::vector<RowLinks> m_rows;
    LPARAM m_firstKey = 1;
    LPARAM m_lastKey = 0;
    UniqueFont m_linkFont;
    UniqueFont m_hotLinkFont;
    HWND m_tooltip = nullptr;
    HCURSOR m_hand = nullptr;
    Hover m_hover;
    // The row's own text colour during custom draw, for its plain cells.
    COLORREF m_rowTextColor = CLR_DEFAULT;
    // During a paint: the list's font for plain cells, the key of the row
    // being drawn, and whether a link's font is what the list draws with.
    HFONT m_plainFont = nullptr;
    LPARAM m_drawnRowKey = 0;
    bool m_linkFontSelected = false;
    Opener m_opener;
};
