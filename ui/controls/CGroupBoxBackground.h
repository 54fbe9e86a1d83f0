#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "ui/controls/CWindowSubclass.h"

// Group boxes paint only their frame and caption and leave their inside to
// the dialog. A dialog with clip-children (every resizable one) never paints
// under its children, so a group box's inside would stay unpainted (black,
// or whatever was on the screen before). This fills it with the dialog's
// background first: each group box goes to the bottom of the z-order and
// clips its siblings, so that the controls inside it stay on top.
class CGroupBoxBackground : public CWindowSubclass
{
public:
    // Takes over every group box of the dialog; the objects live in `boxes`.
    static void AttachAll(HWND dialog, std::vector<std::unique_ptr<CGroupBoxBackground>>& boxes);

    static bool IsGroupBox(HWND control);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
