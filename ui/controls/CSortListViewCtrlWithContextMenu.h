#pragma once
#include <windows.h>

#include <functional>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/SettingsPath.h"
#include "base/ScopedHandles.h"
#include "ui/controls/CWindowSubclass.h"
#include "ui/controls/ListSort.h"

// A report-style list control of a dialog template that sorts by any column
// on a header click, each column by its own sort type, marks the sort column
// and direction in the header, and offers Copy and Select all from the
// context menu (menu 129 of the language module) and from Ctrl+C / Ctrl+A.
//
// The owning dialog attaches the object, inserts the columns (each starts as
// SortText), sets the sort types and fills the rows. Everything runs on the
// window's thread.
class CSortListViewCtrlWithContextMenu : public CWindowSubclass
{
public:
    // Sent to the parent (WM_NOTIFY) after a sort that a header click started.
    static constexpr UINT kSortChangedCode = UINT(-199);
    struct SortChangedNotification
    {
        NMHDR header;
        int newColumn;
        int oldColumn;
    };

    CSortListViewCtrlWithContextMenu();
    ~CSortListViewCtrlWithContextMenu() override;

    // Subclasses the dialog's list control; columns it has already start as
    // SortText. False when the window cannot be subclassed.
    bool Attach(HWND list);

    // The sort type of a column; false (nothing changed) for a column that
    // does not exist.
    bool SetColumnSortType(int column, WORD type);
    WORD ColumnSortType(int column) const;
    size_t SortTypeCount() const { return m_sortTypes.size(); }

    // Sorts the rows by the column's keys; whatever a row's item data holds
    // moves with the row. False, with nothing changed, for a column that
    // does not exist (a hand-edited settings file), a SortNone column or a
    // failed sort.
    bool SortByColumn(int column, bool descending);

    // Marks a column (or -1: none) as the sort column in the header, with the
    // current direction, without sorting. A column that does not exist is
    // ignored.
    void SetSortColumn(int column);
    int SortColumn() const { return m_sortColumn; }
    bool IsSortDescending() const { return m_sortDescending; }

    // Whether the header's own sort arrows are used; otherwise arrow bitmaps
    // are put into the header items. Chosen at construction from the common
    // controls' version (6 or later has the arrows); set before the first
    // sort to choose otherwise.
    bool UsesHeaderIndicators() const { return m_headerIndicators; }
    void SetUsesHeaderIndicators(bool use) { m_headerIndicators = use; }
    // Without header arrows: take the shell's sort bitmaps before drawing own.
    void SetShellBitmapsWanted(bool wanted) { m_shellBitmapsWanted = wanted; }
    // The arrow bitmap of a direction; null until the bitmap path made them.
    HBITMAP SortBitmap(bool descending) const;

    // The context menu, when not the lists' shared one (menu 129). Commands of
    // it that the list does not run itself go to the parent as WM_COMMAND,
    // each enabled as the parent's control of the same id is.
    void SetMenuId(UINT menuId) { m_menuId = menuId; }
    // Decides instead which of the menu's parent commands are enabled, for
    // a parent whose commands have no control of their own.
    void SetCommandEnabled(std::function<bool(int id)> enabled) { m_commandEnabled = std::move(enabled); }
    // A command sent to the parent on Alt+Enter (0: none): a modal dialog's
    // loop translates no accelerators, so the list catches the key.
    void SetAltEnterCommand(int id) { m_altEnterCommand = id; }

    // Column widths. Every column fits its whole header and its contents,
    // unless the user dragged its divider: that width then stays through
    // every refresh, and a double-click on the divider fits the column again.
    // Given a settings file (after the columns are in), the dragged widths
    // are read from it now and written to it as they change: in the section,
    // keys COLUMN_WIDTH_<n> in pixels at the DPI of COLUMN_WIDTH_DPI, 0 for
    // a column the user left alone.
    void KeepColumnWidths(const SettingsLocation& settings, const std::wstring& section);
    void FitColumns();
    // Fits one column as if the user had never dragged it.
    void FitColumn(int column);
    // The width the user dragged a column to; 0 for none.
    int UserColumnWidth(int column) const;
    static constexpr wchar_t kColumnWidthKey[] = L"COLUMN_WIDTH_";
    static constexpr wchar_t kColumnWidthDpiKey[] = L"COLUMN_WIDTH_DPI";

    // The commands of the context menu and the keys.
    void SelectAll();
    // Plain text of the selected rows: cells joined with ", ", rows with
    // CR LF. Nothing selected, or only empty text: the clipboard is left as
    // it is.
    virtual void CopySelection();

    // The list's content, for the owner and the derived list.
    int RowCount() const;
    int ColumnCount() const; // header items
    std::wstring CellText(int row, int column) const;
    std::vector<int> SelectedRows() const;
    HWND Header() const;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage() override;

    // A row's item-data slot.
    LPARAM ItemData(int row) const;
    bool SetItemData(int row, LPARAM data);

private:
    struct SavedHeaderItem
    {
        int column = -1;
        int format = 0;
        HBITMAP bitmap = nullptr;
    };

    void OnContextMenu(LPARAM lParam);
    // Where a menu opened from the keyboard goes (screen coordinates).
    POINT KeyboardMenuPoint() const;
    static bool IsMenuKey(UINT message, WPARAM key);
    void OnHeaderItemClick(const NMHEADERW& click);
    void OnColumnDragged(int column, int width);
    void SaveColumnWidths() const;
    void OnColumnInserted(int column);
    void OnColumnDeleted(int column);
    void MarkColumn(int previous, int column);
    void SetHeaderFormat(int column, int format, HBITMAP bitmap);
    bool MakeSortBitmaps();
    void RebuildSortBitmaps();

    bool m_sortDescending = false;
    int m_sortColumn = -1;
    std::vector<WORD> m_sortTypes;
    bool m_headerIndicators;
    bool m_shellBitmapsWanted = true;
    UniqueBitmap m_ascendingBitmap;
    UniqueBitmap m_descendingBitmap;
    SavedHeaderItem m_saved;
    UINT m_menuId = 0;
    std::function<bool(int id)> m_commandEnabled;
    int m_altEnterCommand = 0;
    std::vector<int> m_userWidths; // by column, 0: fitted
    bool m_keepWidths = false;
    SettingsLocation m_widthSettings;
    std::wstring m_widthSection;
};

// Whether the loaded common controls report version 6 or later.
bool CommonControlsHaveSortArrows();

// The arrow bitmaps drawn when the shell has none: 16x15 pixels of button
// face with an 11x6 triangle in the button-shadow colour, apex up for
// ascending.
HBITMAP DrawSortArrowBitmap(bool descending);
