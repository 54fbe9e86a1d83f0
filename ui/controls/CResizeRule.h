#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "ui/controls/CGroupBoxBackground.h"

// How a control follows the dialog's client size; flags combine.
enum ResizeAnchor : unsigned
{
    ResizeNone = 0,
    ResizeMoveX = 1,  // moves with the right edge
    ResizeMoveY = 2,  // moves with the bottom edge
    ResizeSizeX = 4,  // right edge follows the dialog's right edge
    ResizeSizeY = 8,  // bottom edge follows the dialog's bottom edge
    // Two controls side by side that share the change of width: the left
    // one's right edge and the right one's left edge move by half of it.
    ResizeRightHalfX = 16,
    ResizeLeftHalfX = 32,
};

struct ResizeItem
{
    int id;
    unsigned anchor;
};

// The resize rule shared by the resizable dialogs: every listed control is
// placed from its initial rectangle plus the change of the client size since
// initialisation, and the dialog repaints whole, its controls included; the initial size is the minimum tracking size; a size grip
// sits in the bottom-right corner; the dialog gets a resizable frame, a
// maximize box and clip-children.
class CResizeRule
{
public:
    // Id of the size grip the rule creates.
    static constexpr int kGripId = 0x7ffe;

    // Call from the dialog's initialisation, before the placement is restored.
    bool Init(HWND dialog, const ResizeItem* items, size_t count, bool grip = true);

    // Call from the dialog's message hook: handles WM_SIZE, WM_GETMINMAXINFO
    // and WM_DPICHANGED and returns false for everything (other handlers may
    // want to see them too). After a DPI change the system rescales the
    // dialog and its controls; the rule then takes their rectangles and the
    // sizes again from the rescaled dialog.
    void HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Takes the controls' rectangles and the initial and minimum sizes anew
    // from the dialog as it is now, which shows the layout at DPI newDpi.
    void Recapture(UINT newDpi);
    UINT Dpi() const { return m_dpi; }

    // Places the controls for a client area of this size.
    void Layout(int clientWidth, int clientHeight);

    SIZE MinTrackSize() const { return m_minTrack; }
    SIZE InitialClientSize() const { return m_initialClient; }

    // A control's rectangle for a change of dx, dy in client size, and the
    // initial rectangle that a placed one came from.
    static RECT Place(const RECT& initial, unsigned anchor, int dx, int dy);
    static RECT Unplace(const RECT& placed, unsigned anchor, int dx, int dy);

private:
    struct Entry
    {
        int id;
        unsigned anchor;
        RECT initial;
    };

    RECT ControlRect(int id) const;
    void PlaceGrip();

    HWND m_dialog = nullptr;
    // Clip-children leaves the inside of group boxes to them.
    std::vector<std::unique_ptr<CGroupBoxBackground>> m_groupBoxes;
    UINT m_dpi = 96;
    UINT m_pendingDpi = 0;
    std::vector<Entry> m_entries;
    SIZE m_initialClient = {0, 0};
    SIZE m_minTrack = {0, 0};
};
