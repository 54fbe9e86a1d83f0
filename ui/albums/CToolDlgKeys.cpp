// The album window's own keys and the double-click on an album.
#include "ui/albums/CToolDlg.h"

#include <commctrl.h>

#include "res/resource.h"
#include "ui/albums/AlbumWindowKeys.h"

bool CToolDlg::OnDialogKey(const MSG& key)
{
    AlbumKeyPlace place = AlbumKeyPlace::Elsewhere;
    if (key.hwnd == m_list.Handle())
        place = AlbumKeyPlace::List;
    else if (key.hwnd == Item(IDC_PATTERN))
        place = AlbumKeyPlace::Pattern;
    // An open drop-down list asks for Enter and Escape to close itself.
    const bool wanted = (SendMessageW(key.hwnd, WM_GETDLGCODE, key.wParam, reinterpret_cast<LPARAM>(&key)) &
                         DLGC_WANTMESSAGE) != 0;
    const bool modifier = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    const AlbumKeyAction action = AlbumWindowKeyAction(key.message, key.wParam, place, wanted, modifier);
    // Posted, as a click is: the command runs after the key has gone.
    if (action.command)
        PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(action.command, BN_CLICKED), 0);
    return action.taken || CDialogBase::OnDialogKey(key);
}

void CToolDlg::OnListDoubleClick(const NMITEMACTIVATE& click)
{
    // A double-click on a link opened the link with its first click.
    int row = -1, column = -1;
    if (click.iItem < 0 || m_list.LinkAt(click.ptAction, row, column))
        return;
    PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(IDC_PHOTO_LIST, BN_CLICKED), 0);
}
