#pragma once
#include <windows.h>

// The album window's own keys, decided without a window: a modal dialog's
// loop translates no accelerators, so the window looks at each key before
// the dialog manager makes Enter and Escape into commands.

// Where the key was pressed.
enum class AlbumKeyPlace
{
    List,    // the album list
    Pattern, // the selection pattern box
    Elsewhere,
};

// What the key does: the command it runs (0: none) and whether the dialog
// manager is kept from seeing it.
struct AlbumKeyAction
{
    int command = 0;
    bool taken = false;
    bool operator==(const AlbumKeyAction&) const = default;
};

// message: WM_KEYDOWN or WM_SYSKEYDOWN. controlWantsKey: the control asks
// for the key itself (an open drop-down list closes on Enter or Escape).
// withModifier: Ctrl or Alt is held.
//  F5 anywhere refreshes; Enter in the pattern box selects by the pattern,
//  Enter on the list opens the photo list of the selected albums; Escape
//  does not close the window (its Close button, Alt+F4 and the close box
//  do).
AlbumKeyAction AlbumWindowKeyAction(UINT message, WPARAM key, AlbumKeyPlace place, bool controlWantsKey,
                                    bool withModifier);
