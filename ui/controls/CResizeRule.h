#pragma once
#include <windows.h>

#include <vector>

// How a control follows the dialog's client size; flags combine.
enum ResizeAnchor : unsigned
{
    ResizeNone = 0,
    ResizeMoveX = 1,  // moves with the right edge
    ResizeMoveY = 2,  // moves with the bottom edge
    ResizeSizeX = 4,  // right edge follows the dialog's right edge
    ResizeSizeY = 8,  // bottom edge follows the dialog's bottom edge
};

struct ResizeItem
{
    int id;
    unsigned anchor;
};

// The resize rule shared by the resizable dialogs: every listed control is
// placed from its initial rectangle plus the change of the client size since
// initialisation; the initial size is the minimum tracking size; a size grip
// sits in the bottom-right corner; the dialog gets a resizable frame, a
// maximize box and clip-children.
class CResizeRule
{
public:
    // Id of the size grip the rule creates.
    static constexpr int kGripId = 0x7ffe;

    // Call from the dialog's initialisation, before the placement is restored.
    bool Init(HWND dialog, const ResizeItem* items, size_t count, bool grip = true);

    // Call from the dialog's message hook: handles WM_SIZE and
    // WM_GETMINMAXINFO and returns false for everything (other handlers may
    // want to see WM_SIZE too).
    void HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Places the controls for a client area of this size.
    void Layout(int clientWidth, int clientHeight);

    SIZE MinTrackSize() const { return m_minTrack; }
    SIZE InitialClientSize() const { return m_initialClient; }

    // A control's rectangle for a change of dx, dy in client size.
    static RECT Place(const RECT& initial, unsigned anchor, int dx, int dy);

private:
    struct Entry
    {
        int id;
        unsigned anchor;
        RECT initial;
    };

    HWND m_dialog = nullptr;
    std::vector<Entry> m_entries;
    SIZE m_initialClient = {0, 0};
    SIZE m_minTrack = {0, 0};
};
