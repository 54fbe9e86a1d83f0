#include "ui/photos/CMoveToAlbumDlg.h"

#include <commctrl.h>

#include "app/ResourceText.h"
#include "res/resource.h"

CMoveToAlbumDlg::CMoveToAlbumDlg(const std::vector<AlbumEntry>& albums, std::vector<size_t> targets)
    : CDialogBase(IDD_MOVE_PHOTOS), m_albums(albums), m_targets(std::move(targets))
{
}

bool CMoveToAlbumDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    HWND list = Item(IDC_MOVE_ALBUMS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const UINT headers[] = {IDS_PHOTO_MOVE_COLUMN_ALBUM, IDS_PHOTO_MOVE_COLUMN_COUNT};
    for (int i = 0; i < 2; ++i) {
        const std::wstring text = ResourceString(headers[i]);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.fmt = i == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
    }
    for (size_t i = 0; i < m_targets.size(); ++i) {
        const AlbumEntry& album = m_albums[m_targets[i]];
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = int(i);
        item.pszText = const_cast<wchar_t*>(album.title.c_str());
        item.lParam = LPARAM(i);
        const int row = int(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        const std::wstring count = std::to_wstring(album.numPhotos);
        LVITEMW cell = {};
        cell.iSubItem = 1;
        cell.pszText = const_cast<wchar_t*>(count.c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
    }
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE_USEHEADER);
    LVITEMW first = {};
    first.stateMask = first.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    SetFocus(list);
    return false;
}

void CMoveToAlbumDlg::TakeChoice()
{
    const int row = int(SendItem(IDC_MOVE_ALBUMS, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    if (row < 0 || size_t(row) >= m_targets.size())
        return;
    m_chosen = ptrdiff_t(m_targets[size_t(row)]);
    EndDialog(1);
}

bool CMoveToAlbumDlg::OnCommand(int id, int, HWND)
{
    if (id == IDOK) {
        TakeChoice();
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(2);
        return true;
    }
    return false;
}

bool CMoveToAlbumDlg::OnNotify(NMHDR* header, LRESULT&)
{
    if (header->idFrom == IDC_MOVE_ALBUMS && header->code == NM_DBLCLK)
        TakeChoice();
    return false;
}
