#include "ui/albums/CChangeVisibilityDlg.h"

#include "res/resource.h"
#include "service/AccessLevel.h"
#include "ui/albums/AlbumWindowText.h"

CChangeVisibilityDlg::CChangeVisibilityDlg() : CDialogBase(IDD_CHANGE_ACCESS) {}

bool CChangeVisibilityDlg::OnInitDialog()
{
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    SetIcons(IDI_APP);
    // One item per level with a name; the empty fourth level adds none.
    for (unsigned i = 0; *AccessDisplayName(i); ++i)
        SendItem(IDC_ACCESS_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AccessLevelText(i).c_str()));
    SendItem(IDC_ACCESS_LIST, CB_SETCURSEL, 1);
    m_chosen = 1;
    return true;
}

bool CChangeVisibilityDlg::OnCommand(int id, int code, HWND control)
{
    // Enter reaches the dialog as IDOK when the focus is on the list.
    if (id == IDC_ACCEPT_ACCESS || id == IDOK) {
        m_chosen = int(SendItem(IDC_ACCESS_LIST, CB_GETCURSEL));
        EndDialog(1);
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(2);
        return true;
    }
    return CDialogBase::OnCommand(id, code, control);
}
