// The album window's list: its columns, what a refresh puts in it, and its
// rows and selection as the other parts of the window read them.
#include "ui/albums/CToolDlg.h"

#include <commctrl.h>

#include "app/ResourceText.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "service/AlbumEntry.h"
#include "service/PicasaClient.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/controls/ListSort.h"
#include "ui/albums/RequestFailureReport.h"

namespace {

struct Column
{
    UINT header;
    int format;
    WORD sortType;
};
constexpr Column kColumns[] = {
    {IDS_COLUMN_TITLE, LVCFMT_LEFT, SortText},      {IDS_COLUMN_PHOTOS, LVCFMT_RIGHT, SortLong},
    {IDS_COLUMN_SIZE, LVCFMT_RIGHT, SortLong},      {IDS_COLUMN_PUBLISHED, LVCFMT_LEFT, SortText},
    {IDS_COLUMN_UPDATED, LVCFMT_LEFT, SortText},    {IDS_COLUMN_ACCESS, LVCFMT_LEFT, SortText},
    {IDS_COLUMN_ALBUM_ID, LVCFMT_LEFT, SortText},   {IDS_COLUMN_WEB_ADDRESS, LVCFMT_LEFT, SortText},
};
constexpr int kLinkColumn = 7;

} // namespace

void CToolDlg::InsertColumns()
{
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        const std::wstring header = ResourceString(kColumns[i].header);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.fmt = kColumns[i].format;
        column.pszText = const_cast<wchar_t*>(header.c_str());
        ListView_InsertColumn(m_list.Handle(), i, &column);
    }
    for (int i = 0; i < int(std::size(kColumns)); ++i)
        m_list.SetColumnSortType(i, kColumns[i].sortType);
}

CToolDlg::ListState CToolDlg::RememberList() const
{
    ListState state;
    state.sortColumn = m_list.SortColumn();
    state.descending = m_list.IsSortDescending();
    const std::vector<AlbumEntry>& albums = m_client.GetAlbums();
    for (size_t index : SelectedAlbums())
        state.selectedIds.insert(albums[index].id);
    return state;
}

DWORD CToolDlg::Refresh(bool keepSort)
{
    // A close that came during earlier work: nothing more is asked.
    if (m_closeAfterWork)
        return ERROR_CANCELLED;
    const ListState state = RememberList();
    HWND list = m_list.Handle();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    // The rows go first: they stand for albums of the list being loaded.
    m_list.DeleteAllRows();
    DWORD result = ERROR_CANCELLED;
    const bool finished = RunLong(ResourceString(IDS_PROGRESS_REFRESH), [this, &result](BackgroundWork& work) {
        work.Report(0, 0, ResourceString(IDS_PROGRESS_WAITING));
        result = m_client.LoadAlbums();
    }, true);
    m_refreshFailed = result != ERROR_SUCCESS;
    SetWindowTextW(Handle(), (m_refreshFailed ? m_caption + ResourceString(IDS_LOAD_FAILED_TITLE) : m_caption).c_str());
    if (m_refreshFailed) {
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        UpdateSelectionCount();
        PushDayStates();
        // Stopped by the user: no failure to tell of.
        if (finished && !m_closeAfterWork)
            ReportLoadFailure();
        return result;
    }
    FillList(state, keepSort);
    return result;
}

void CToolDlg::ShowAlbums(bool keepSort)
{
    const ListState state = RememberList();
    SendMessageW(m_list.Handle(), WM_SETREDRAW, FALSE, 0);
    m_list.DeleteAllRows();
    FillList(state, keepSort);
}

void CToolDlg::FillList(const ListState& state, bool keepSort)
{
    const bool publicOnly = !m_client.Access().HasToken();
    const std::vector<AlbumEntry>& albums = m_client.GetAlbums();
    HWND list = m_list.Handle();
    SetItemText(IDC_ACCOUNT, QuotaLine(WideFromUserCodePage(m_client.GetAccountName().c_str()), publicOnly,
                                       m_client.GetQuotaCurrent(), m_client.GetQuotaLimit()));
    SetItemText(IDC_ALBUM_COUNT, CountText(IDS_COUNT_ALBUM, IDS_COUNT_ALBUMS, int64_t(albums.size())));

    // Texts that rows share are loaded once, not once per row.
    const std::wstring protectedTip = ResourceString(IDS_PROTECTED_LINK_TIP);
    std::wstring accessTexts[kAccessLevelCount];
    for (unsigned level = 0; level < kAccessLevelCount; ++level)
        accessTexts[level] = AccessLevelText(level);
    const std::wstring noTip;
    for (int i = 0; i < int(albums.size()); ++i) {
        const AlbumEntry& album = albums[size_t(i)];
        // The row's user value (its album) goes in with the row.
        const int row = m_list.InsertRow(i, album.title.c_str(), i);
        if (row < 0)
            continue;
        const unsigned level = FindAccessLevel(album.access);
        const std::wstring photos = std::to_wstring(album.numPhotos);
        const std::wstring size = AlbumSizeText(album.bytesUsed, publicOnly);
        const wchar_t* const cells[] = {
            photos.c_str(), size.c_str(), album.published.c_str(), album.updated.c_str(),
            level < kAccessLevelCount ? accessTexts[level].c_str() : album.access.c_str(), album.id.c_str(),
            album.alternateLink.c_str(),
        };
        for (int c = 0; c < int(std::size(cells)); ++c)
            ListView_SetItemText(list, row, c + 1, const_cast<wchar_t*>(cells[c]));
        m_list.SetCellLink(row, kLinkColumn, album.alternateLink, level >= 2 ? protectedTip : noTip);
        if (state.selectedIds.count(album.id))
            SelectRow(row, true);
    }
    // Whole headers and cells, the web address too, or the widths dragged.
    m_list.FitColumns();
    m_list.SetSortColumn(0);
    if (keepSort)
        m_list.SortByColumn(state.sortColumn, state.descending);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    PushDayStates();
    UpdateSelectionCount();
}

int CToolDlg::RowCount() const
{
    return m_list.Handle() ? ListView_GetItemCount(m_list.Handle()) : 0;
}

bool CToolDlg::IsRowSelected(int row) const
{
    return ListView_GetItemState(m_list.Handle(), row, LVIS_SELECTED) & LVIS_SELECTED;
}

void CToolDlg::SelectRow(int row, bool selected)
{
    ListView_SetItemState(m_list.Handle(), row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

int CToolDlg::AlbumIndexOfRow(int row) const
{
    if (row < 0 || row >= RowCount())
        return -1;
    const INT_PTR index = m_list.GetRowUserValue(row);
    return index >= 0 && size_t(index) < m_client.GetAlbums().size() ? int(index) : -1;
}

std::vector<size_t> CToolDlg::SelectedAlbums() const
{
    std::vector<size_t> selected;
    if (!m_list.Handle())
        return selected;
    for (int row = ListView_GetNextItem(m_list.Handle(), -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_list.Handle(), row, LVNI_SELECTED)) {
        const int index = AlbumIndexOfRow(row);
        if (index >= 0)
            selected.push_back(size_t(index));
    }
    return selected;
}

void CToolDlg::ScrollToFirstSelected()
{
    HWND list = m_list.Handle();
    const int first = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (first < 0)
        return;
    ListView_EnsureVisible(list, first, FALSE);
    ListView_EnsureVisible(list, ScrollTargetRow(first, ListView_GetCountPerPage(list), RowCount()), FALSE);
}

void CToolDlg::ReportLoadFailure()
{
    RequestFailure failure;
    failure.logLine = ResourceString(IDS_LOG_REQUEST_FAILED);
    failure.format = IDS_REQUEST_FAILED_FORMAT;
    ReportRequestFailure(Handle(), m_client, failure);
}
