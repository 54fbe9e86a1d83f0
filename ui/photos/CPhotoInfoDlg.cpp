#include "ui/photos/CPhotoInfoDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "res/resource.h"
#include "ui/controls/DpiMetrics.h"

namespace {

const wchar_t kSortColumnKey[] = L"SORT_COLUMN";
const wchar_t kSortDescendingKey[] = L"SORT_DESCENDING";

// The list and the pane share the room the window gains, so the picture
// grows with the window.
const ResizeItem kResizeItems[] = {
    {IDC_PHOTOS, ResizeRightHalfX | ResizeSizeY},
    {IDC_PREVIEW, ResizeLeftHalfX | ResizeSizeX | ResizeSizeY},
    {IDC_PREVIEW_SHOW, ResizeMoveY},
    {IDC_PHOTO_COPY, ResizeMoveX | ResizeMoveY},
    {IDCANCEL, ResizeMoveX | ResizeMoveY},
};

// Dialog units between the list and the preview pane, as the template has them.
constexpr int kPaneGap = 7;

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
    m_list.SetMenuId(IDR_PHOTO_LIST_MENU);
    m_list.SetAltEnterCommand(ID_PHOTO_PROPERTIES);
    m_list.SetCommandEnabled([this](int id) { return CommandEnabled(id); });

    InsertColumns();
    m_list.KeepColumnWidths(m_settings, kSection);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    InsertRows();
    SizeColumns();
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);

    m_resize.Init(Handle(), kResizeItems, std::size(kResizeItems));
    RestorePlacement(Handle(), m_settings.Path(), kSection);

    const CIniFile ini(m_settings);
    m_list.SortByColumn(ini.ReadInt(kSection, kSortColumnKey, 0), ini.ReadInt(kSection, kSortDescendingKey, 0) == 1);

    m_preview = std::make_unique<CPhotoPreview>(
        m_previewSource, CPhotoPreview::Texts{ResourceString(IDS_PREVIEW_LOADING), ResourceString(IDS_PREVIEW_FAILED),
                                              ResourceString(IDS_PREVIEW_VIDEO), ResourceString(IDS_PREVIEW_NO_ADDRESS),
                                              ResourceString(IDS_PREVIEW_TAGS)});
    m_preview->Attach(Handle(), Item(IDC_PREVIEW));
    m_preview->SetEmptyText(ResourceString(m_list.RowCount() ? IDS_PREVIEW_NO_SELECTION : IDS_PREVIEW_NO_PHOTOS));
    ShowPreview(ini.ReadInt(kSection, kPreviewKey, 1) == 1);
    // The first row is the selected one, so that the pane shows a photo
    // from the start (a hidden pane asks for none).
    if (m_list.RowCount() > 0 && SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) == 0) {
        LVITEMW first = {};
        first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        first.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
        SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    }
    InvalidateRect(list, nullptr, TRUE);
    return true;
}

void CPhotoInfoDlg::SetOpener(CSortListViewCtrlWithHyperLink::Opener opener)
{
    m_list.SetOpener(std::move(opener));
}

const PhotoEntry* CPhotoInfoDlg::RowPhoto(int row) const
{
    if (row < 0)
        return nullptr;
    const INT_PTR value = m_list.GetRowUserValue(row);
    if (value <= 0 || size_t(value) > m_rowPhotos.size())
        return nullptr;
    return m_rowPhotos[size_t(value) - 1];
}

void CPhotoInfoDlg::ShowPreview(bool shown)
{
    SetCheck(IDC_PREVIEW_SHOW, shown);
    ShowWindow(Item(IDC_PREVIEW), shown ? SW_SHOWNA : SW_HIDE);
    RECT client = {};
    GetClientRect(Handle(), &client);
    m_resize.Layout(client.right, client.bottom);
    LayOutPane();
    m_preview->SetVisible(shown);
    if (shown)
        UpdatePreview();
}

// The resize rule places the list beside the pane; with the pane hidden the
// list reaches over the pane's room too.
void CPhotoInfoDlg::LayOutPane()
{
    HWND pane = Item(IDC_PREVIEW);
    HWND list = m_list.Handle();
    if (!pane || !list)
        return;
    RECT listRect = {}, paneRect = {};
    GetWindowRect(list, &listRect);
    GetWindowRect(pane, &paneRect);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&listRect), 2);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&paneRect), 2);
    int right = paneRect.right;
    if (GetWindowLongPtrW(pane, GWL_STYLE) & WS_VISIBLE) {
        // The template's gap between the two. The rule may have taken the
        // list's rectangle while it reached over a hidden pane (a change of
        // DPI then): it never covers the pane.
        RECT gap = {0, 0, kPaneGap, 0};
        MapDialogRect(Handle(), &gap);
        right = std::min<int>(listRect.right, paneRect.left - gap.right);
    }
    if (right != listRect.right) {
        SetWindowPos(list, nullptr, listRect.left, listRect.top, right - listRect.left, listRect.bottom - listRect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
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
            m_rowPhotos.push_back(&photo);
            const int row = m_list.InsertRow(m_list.RowCount(), cells[0].c_str(), INT_PTR(m_rowPhotos.size()));
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
    // Whole headers and cells, or the widths the user dragged.
    m_list.FitColumns();
}

void CPhotoInfoDlg::CopyRows()
{
    // The selected rows; with none selected, the whole list.
    std::vector<int> rows = m_list.SelectedRows();
    if (rows.empty())
        for (int row = 0; row < m_list.RowCount(); ++row)
            rows.push_back(row);
    m_list.CopyRows(rows);
    // The focus goes back to the list, which keeps showing its selection.
    SendMessageW(Handle(), WM_NEXTDLGCTL, WPARAM(m_list.Handle()), TRUE);
}

void CPhotoInfoDlg::Close(int id)
{
    SavePlacement(Handle(), m_settings.Path(), kSection);
    const CIniFile ini(m_settings);
    ini.WriteInt(kSection, kSortColumnKey, m_list.SortColumn());
    ini.WriteInt(kSection, kSortDescendingKey, m_list.IsSortDescending() ? 1 : 0);
    ini.WriteInt(kSection, kPreviewKey, IsChecked(IDC_PREVIEW_SHOW) ? 1 : 0);
    EndDialog(id);
}

bool CPhotoInfoDlg::OpenPhotoPage(int row)
{
    const PhotoEntry* photo = RowPhoto(row);
    return photo && m_list.Open(photo->alternateLink);
}

void CPhotoInfoDlg::UpdatePreview()
{
    m_selectionPosted = false;
    if (!m_preview)
        return;
    HWND list = m_list.Handle();
    // The focused row when it is selected, else the first selected one.
    int row = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED | LVNI_SELECTED));
    if (row < 0)
        row = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    // The photos in the direction the selection moved are fetched ahead: a
    // few while it steps a row at a time (an arrow key, held down or not),
    // so that each comes while the list repaints for the one before; one
    // after a jump. A row heard of twice keeps what it had.
    if (row != m_lastPreviewRow) {
        const int step = row - m_lastPreviewRow;
        m_previewDirection = step < 0 && row >= 0 ? -1 : 1;
        m_previewAhead = m_lastPreviewRow >= 0 && (step == 1 || step == -1) ? kStepAhead : 1;
        m_lastPreviewRow = row;
    }
    std::vector<const PhotoEntry*> ahead;
    for (int i = 1; row >= 0 && i <= m_previewAhead; ++i) {
        const int later = row + i * m_previewDirection;
        if (later < 0 || later >= m_list.RowCount())
            break;
        ahead.push_back(RowPhoto(later));
    }
    m_preview->Show(RowPhoto(row), ahead);
}

bool CPhotoInfoDlg::OnCommand(int id, int code, HWND)
{
    if (id == IDOK && GetFocus() == m_list.Handle()) {
        // Enter on the list opens the focused photo's page rather than
        // closing the list.
        const int row = int(SendMessageW(m_list.Handle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED | LVNI_SELECTED));
        if (row >= 0) {
            OpenPhotoPage(row);
            return true;
        }
    }
    if (id == IDOK || id == IDCANCEL) {
        Close(id);
        return true;
    }
    if (id == IDC_PHOTO_COPY && code == BN_CLICKED) {
        CopyRows();
        return true;
    }
    if (RunPhotoCommand(id))
        return true;
    if (id == IDC_PREVIEW_SHOW && code == BN_CLICKED) {
        ShowPreview(IsChecked(IDC_PREVIEW_SHOW));
        return true;
    }
    return false;
}

bool CPhotoInfoDlg::OnNotify(NMHDR* header, LRESULT&)
{
    if (header->idFrom != IDC_PHOTOS)
        return false;
    if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        constexpr UINT kFocusedSelected = LVIS_SELECTED | LVIS_FOCUSED;
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & kFocusedSelected)) {
            // A row that becomes the focused, selected one (an arrow key, a
            // click) asks for its picture at once: before the list repaints
            // and scrolls, which under Wine takes longer than a picture on
            // loopback. A run of other changes (a select-all, a sort) asks
            // once, when it is over.
            if (change->iItem >= 0 && (change->uNewState & kFocusedSelected) == kFocusedSelected &&
                (change->uOldState & kFocusedSelected) != kFocusedSelected)
                UpdatePreview();
            else if (!m_selectionPosted)
                m_selectionPosted = PostMessageW(Handle(), kSelectionMessage, 0, 0) != FALSE;
        }
    } else if (header->code == NM_DBLCLK) {
        const auto* item = reinterpret_cast<const NMITEMACTIVATE*>(header);
        if (item->iItem >= 0)
            OpenPhotoPage(item->iItem);
    }
    // The list sees its notifications too.
    return false;
}

void CPhotoInfoDlg::OnDestroy()
{
    // The preview's thread announces nothing to a window that is gone.
    if (m_preview)
        m_preview->Stop();
}

bool CPhotoInfoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    m_resize.HandleMessage(message, wParam, lParam);
    switch (message) {
    case WM_SIZE:
        LayOutPane();
        if (m_preview)
            m_preview->PaneResized();
        return false;
    case kDpiChangedMessage:
        // The rule's own look at the rescaled dialog was posted first.
        PostMessageW(Handle(), kDpiSettledMessage, 0, 0);
        return false;
    case kDpiSettledMessage:
        // The pane has the size it has at the new DPI: the list keeps its
        // gap to it, and the picture is the size that fills it now.
        LayOutPane();
        if (m_preview)
            m_preview->PaneResized();
        return true;
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam != IDC_PREVIEW || !m_preview)
            return false;
        m_preview->Render(draw->hDC, draw->rcItem, reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
        result = TRUE;
        return true;
    }
    case CPhotoPreviewLoader::kReadyMessage:
        if (m_preview)
            m_preview->OnReady();
        return true;
    case kSelectionMessage:
        UpdatePreview();
        return true;
    case WM_TIMER:
        if (wParam != CPhotoPreview::kLoadingTimer || !m_preview)
            return false;
        m_preview->OnLoadingTimer();
        return true;
    default:
        return false;
    }
}
