#include "ui/albums/CPhotoInfoDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "res/resource.h"

namespace {

const wchar_t kSortColumnKey[] = L"SORT_COLUMN";
const wchar_t kSortDescendingKey[] = L"SORT_DESCENDING";

const ResizeItem kResizeItems[] = {
    {IDC_PHOTOS, ResizeSizeX | ResizeSizeY},
    {IDCANCEL, ResizeMoveX | ResizeMoveY},
};

// Room a header item keeps beside its text, as the list's own sizing does.
constexpr int kHeaderTextPadding = 12;

} // namespace

CPhotoInfoDlg::CPhotoInfoDlg(const std::vector<PhotoListAlbum>& albums, bool quickMode, SettingsLocation settings)
    : CDialogBase(IDD_PHOTO_LIST), m_albums(albums), m_quickMode(quickMode), m_settings(std::move(settings))
{
    // The list draws its links from its own custom draw notifications.
    SetReflectNotifications(true);
}

bool CPhotoInfoDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    wchar_t caption[256] = L"";
    GetWindowTextW(Handle(), caption, int(std::size(caption)));
    SetWindowTextW(Handle(), PhotoListCaption(caption, m_albums).c_str());
    HWND list = Item(IDC_PHOTOS);
    m_list.Attach(list);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_list.InitLinkDrawing();

    InsertColumns();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    InsertRows();
    SizeColumns();
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);

    m_resize.Init(Handle(), kResizeItems, std::size(kResizeItems));
    RestorePlacement(Handle(), m_settings.Path(), kSection);

    const CIniFile ini(m_settings);
    m_list.SortByColumn(ini.ReadInt(kSection, kSortColumnKey, 0), ini.ReadInt(kSection, kSortDescendingKey, 0) == 1);
    InvalidateRect(list, nullptr, TRUE);
    return true;
}

void CPhotoInfoDlg::InsertColumns()
{
    for (int i = 0; i < kPhotoListColumnCount; ++i) {
        const std::wstring header = ResourceString(kPhotoListColumns[i].headerId);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.fmt = kPhotoListColumns[i].format;
        column.pszText = const_cast<wchar_t*>(header.c_str());
        SendMessageW(m_list.Handle(), LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
    }
    for (int i = 0; i < kPhotoListColumnCount; ++i)
        m_list.SetColumnSortType(i, kPhotoListColumns[i].sortType);
}

void CPhotoInfoDlg::InsertRows()
{
    const std::wstring still = ResourceString(IDS_MEDIA_STILL);
    const std::wstring video = ResourceString(IDS_MEDIA_VIDEO);
    const std::wstring protectedTip = ResourceString(IDS_PROTECTED_LINK_TIP);
    HWND list = m_list.Handle();
    // Each photo's row goes in above the ones before it, so the list stands
    // in reverse order until the sort. Built from the last photo up, every
    // row goes in at the end instead: the same list, without moving every
    // row already in it down by one for each new one.
    for (size_t a = m_albums.size(); a-- > 0;) {
        const PhotoListAlbum& entry = m_albums[a];
        if (!entry.photos)
            continue;
        const int ordinal = int(a) + 1;
        const std::wstring tooltip = PhotoLinkTooltip(entry.album, protectedTip);
        for (size_t p = entry.photos->size(); p-- > 0;) {
            const PhotoEntry& photo = (*entry.photos)[p];
            const std::vector<std::wstring> cells =
                PhotoRowCells(entry.album, ordinal, photo, m_quickMode, still, video);
            const int row = m_list.InsertRow(m_list.RowCount(), cells[0].c_str(), 0);
            if (row < 0)
                continue;
            for (int column = 1; column < kPhotoListColumnCount; ++column) {
                LVITEMW cell = {};
                cell.iSubItem = column;
                cell.pszText = const_cast<wchar_t*>(cells[size_t(column)].c_str());
                SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
            }
            m_list.SetCellLink(row, kPhotoPageColumn, photo.alternateLink, tooltip);
            m_list.SetCellLink(row, kPhotoMediaColumn, photo.mediaUrl, tooltip);
        }
    }
}

void CPhotoInfoDlg::SizeColumns()
{
    HWND list = m_list.Handle();
    for (int i = 0; i < kPhotoListColumnCount; ++i) {
        if (i + 1 < kPhotoListColumnCount) {
            // The wider of the header and the widest cell.
            SendMessageW(list, LVM_SETCOLUMNWIDTH, WPARAM(i), LVSCW_AUTOSIZE_USEHEADER);
            continue;
        }
        // The last column would fill the rest of the list with the header
        // rule, so it is measured by hand.
        SendMessageW(list, LVM_SETCOLUMNWIDTH, WPARAM(i), LVSCW_AUTOSIZE);
        const int cells = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(i), 0));
        const std::wstring header = ResourceString(kPhotoListColumns[i].headerId);
        const int text = int(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(header.c_str())));
        SendMessageW(list, LVM_SETCOLUMNWIDTH, WPARAM(i), std::max(cells, text + kHeaderTextPadding));
    }
}

void CPhotoInfoDlg::Close(int id)
{
    SavePlacement(Handle(), m_settings.Path(), kSection);
    const CIniFile ini(m_settings);
    ini.WriteInt(kSection, kSortColumnKey, m_list.SortColumn());
    ini.WriteInt(kSection, kSortDescendingKey, m_list.IsSortDescending() ? 1 : 0);
    EndDialog(id);
}

bool CPhotoInfoDlg::OnCommand(int id, int, HWND)
{
    if (id == IDOK || id == IDCANCEL) {
        Close(id);
        return true;
    }
    return false;
}

bool CPhotoInfoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    m_resize.HandleMessage(message, wParam, lParam);
    return false;
}
