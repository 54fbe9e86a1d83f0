#include "ui/albums/CToolDlg.h"

#include <commctrl.h>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "base/CLogSupport.h"
#include "base/TextFormat.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "service/AlbumEntry.h"
#include "service/PicasaClient.h"
#include "ui/albums/AlbumSelection.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/albums/CChangeVisibilityDlg.h"
#include "ui/albums/CEditAlbumDlg.h"
#include "ui/albums/CNewAlbumDlg.h"
#include "ui/albums/PhotoListCommand.h"
#include "ui/albums/PhotoListLoader.h"
#include "ui/albums/UrlListCommand.h"
#include "ui/controls/ListSort.h"
#include "ui/login/CAboutDlg.h"

namespace {

const wchar_t kIgnoreCaseKey[] = L"IGNORE_CASE_SENSITIVE";
const wchar_t kSortColumnKey[] = L"SORT_COLUMN";
const wchar_t kSortDescendingKey[] = L"SORT_DESCENDING";
const wchar_t kQuickModeKey[] = L"QuickMode";

// The batch change: what box 1025 chooses.
constexpr int kBatchAccess = 0;
constexpr int kBatchCommenting = 1;
constexpr DWORD kUnknownBatchChoice = 1359; // ERROR_INTERNAL_ERROR

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

constexpr ResizeItem kResizeItems[] = {
    {IDC_VERSION, ResizeMoveX},
    {ID_APP_ABOUT, ResizeMoveX},
    {IDC_ALBUM_LIST, ResizeSizeX | ResizeSizeY},
    {IDC_SELECT_GROUP, ResizeMoveY},
    {IDC_PATTERN, ResizeMoveY},
    {IDC_SELECT_BY_PATTERN, ResizeMoveY},
    {IDC_SELECT_ALL, ResizeMoveY},
    {IDC_INVERT_SELECTION, ResizeMoveY},
    {IDC_SELECT_NONE, ResizeMoveY},
    {IDC_IGNORE_CASE, ResizeMoveY},
    {IDC_WHOLE_TITLE, ResizeMoveY},
    {IDC_WEB_LINK, ResizeMoveY},
    {IDC_CALENDAR, ResizeMoveY},
    {IDC_REFRESH, ResizeMoveY},
    {IDC_NEW_ALBUM, ResizeMoveY},
    {IDC_NOT_IMPLEMENTED, ResizeMoveY},
    {IDC_DELETE_ALBUMS, ResizeMoveY},
    {IDC_URL_LIST, ResizeMoveY},
    {IDC_ACTIONS_GROUP, ResizeMoveY},
    {IDC_PHOTO_LIST, ResizeMoveY},
    {IDC_CHANGE_ACCESS, ResizeMoveY},
    {IDC_ALBUM_PROPERTIES, ResizeMoveY},
    {1040, ResizeMoveY},
    {1041, ResizeMoveY},
    {IDCANCEL, ResizeMoveY},
};

std::wstring FormatString(UINT id, const std::vector<TextArg>& args)
{
    return FormatText(ResourceString(id), args);
}

} // namespace

CToolDlg::CToolDlg(PicasaClient& client, SettingsLocation settings)
    : CDialogBase(IDD_ALBUMS), m_client(client), m_settings(std::move(settings))
{
}

CToolDlg::~CToolDlg() = default;

bool CToolDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    SetItemText(IDC_VERSION, VersionLine(ProgramVersionText()));
    SetItemText(IDC_ACCOUNT, WideFromUserCodePage(m_client.GetAccountName().c_str()));
    m_caption.resize(size_t(GetWindowTextLengthW(Handle())) + 1);
    m_caption.resize(size_t(GetWindowTextW(Handle(), m_caption.data(), int(m_caption.size()))));

    m_calendar = Item(IDC_CALENDAR);
    FitCalendar();

    // Notifications go back to the list: its links draw themselves.
    SetReflectNotifications(true);
    m_list.Attach(Item(IDC_ALBUM_LIST));
    ListView_SetExtendedListViewStyle(m_list.Handle(), LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_list.InitLinkDrawing();
    m_list.SetMenuId(IDR_ALBUM_LIST_MENU);
    m_list.SetAltEnterCommand(IDC_ALBUM_PROPERTIES);
    InsertColumns();
    FillBatchBoxes();

    m_arrow = LoadCursorW(nullptr, IDC_ARROW);
    m_wait = LoadCursorW(nullptr, IDC_WAIT);
    Refresh(false);
    // The calendar opens on the newest album's month, where album days are;
    // later refreshes leave the month the user turned to.
    SYSTEMTIME newest = {};
    if (m_calendar && NewestPublishedDay(PublishedTimes(), newest)) {
        MonthCal_SetCurSel(m_calendar, &newest);
        PushDayStates();
    }

    m_webLink.Attach(Item(IDC_WEB_LINK));
    m_webLink.SetAddress(ResourceString(IDS_WEB_ADDRESS));

    m_resize.Init(Handle(), kResizeItems, std::size(kResizeItems));
    RestorePosition(m_settings.fileName.c_str(), m_settings.folderId, kSection);

    const CIniFile ini(m_settings);
    SetCheck(IDC_IGNORE_CASE, ini.ReadInt(kSection, kIgnoreCaseKey, 0) == 1);
    m_list.SortByColumn(ini.ReadInt(kSection, kSortColumnKey, 0), ini.ReadInt(kSection, kSortDescendingKey, 0) == 1);
    SetCheck(IDC_QUICK_MODE, ini.ReadInt(kSection, kQuickModeKey, 1) == 1);

    if (m_client.GetAuthToken().empty()) {
        EnableItem(IDC_NEW_ALBUM, false);
        EnableItem(IDC_DELETE_ALBUMS, false);
        EnableItem(IDC_CHANGE_ACCESS, false);
        EnableItem(IDC_ALBUM_PROPERTIES, false);
    }
    SetFocus(m_list.Handle());
    return false;
}

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

void CToolDlg::FillBatchBoxes()
{
    auto add = [this](int box, const std::wstring& text) {
        SendItem(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    };
    add(IDC_BATCH_KIND, ResourceString(IDS_BATCH_ACCESS));
    add(IDC_BATCH_KIND, ResourceString(IDS_BATCH_COMMENTING));
    for (unsigned i = 0; *AccessDisplayName(i); ++i)
        add(IDC_ACCESS_LIST, AccessLevelText(i));
    add(IDC_BATCH_COMMENTING, ResourceString(IDS_COMMENTING_ON));
    add(IDC_BATCH_COMMENTING, ResourceString(IDS_COMMENTING_OFF));
    SendItem(IDC_BATCH_KIND, CB_SETCURSEL, kBatchAccess);
    SendItem(IDC_ACCESS_LIST, CB_SETCURSEL, 1);
    SendItem(IDC_BATCH_COMMENTING, CB_SETCURSEL, 0);
    ShowBatchValueBox();
}

void CToolDlg::FitCalendar()
{
    if (!m_calendar)
        return;
    RECT placed;
    GetWindowRect(m_calendar, &placed);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&placed), 2);
    RECT minimum = {};
    MonthCal_GetMinReqRect(m_calendar, &minimum);
    // The today line must fit, and so must a whole month.
    const int width = std::max<int>(int(MonthCal_GetMaxTodayWidth(m_calendar)), minimum.right - minimum.left);
    const int height = minimum.bottom - minimum.top + 4;
    SetWindowPos(m_calendar, nullptr, placed.right - width, placed.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
    const ListState state = RememberList();
    HWND list = m_list.Handle();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    m_list.DeleteAllRows();
    const DWORD result = m_client.LoadAlbums();
    m_refreshFailed = result != ERROR_SUCCESS;
    SetWindowTextW(Handle(), (m_refreshFailed ? m_caption + ResourceString(IDS_LOAD_FAILED_TITLE) : m_caption).c_str());
    if (m_refreshFailed) {
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        UpdateSelectionCount();
        PushDayStates();
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
    const bool publicOnly = m_client.GetAuthToken().empty();
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
    for (int c = 0; c < int(std::size(kColumns)); ++c)
        ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE_USEHEADER);
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

std::vector<std::wstring> CToolDlg::PublishedTimes() const
{
    std::vector<std::wstring> published;
    for (const AlbumEntry& album : m_client.GetAlbums())
        published.push_back(album.published);
    return published;
}

void CToolDlg::PushDayStates()
{
    if (!m_calendar)
        return;
    // The calendar asks only when its month changes (and under Wine not at
    // all at first): hand it the states of every month it shows now.
    SYSTEMTIME range[2] = {};
    const int months = MonthCal_GetMonthRange(m_calendar, GMR_DAYSTATE, range);
    if (months <= 0)
        return;
    const std::vector<std::wstring> published = m_refreshFailed ? std::vector<std::wstring>() : PublishedTimes();
    std::vector<MONTHDAYSTATE> masks = DayStateMasks(published, range[0].wYear, range[0].wMonth, months);
    MonthCal_SetDayState(m_calendar, months, masks.data());
}

void CToolDlg::FillDayStates(NMDAYSTATE& request)
{
    if (!request.prgDayState || request.cDayState <= 0)
        return;
    const std::vector<MONTHDAYSTATE> masks =
        DayStateMasks(PublishedTimes(), request.stStart.wYear, request.stStart.wMonth, request.cDayState);
    std::copy(masks.begin(), masks.end(), request.prgDayState);
}

void CToolDlg::SelectByDay(const SYSTEMTIME& day)
{
    const std::vector<AlbumEntry>& albums = m_client.GetAlbums();
    std::vector<bool> matches(size_t(RowCount()), false);
    bool any = false;
    for (int row = 0; row < RowCount(); ++row) {
        const int index = AlbumIndexOfRow(row);
        int year = 0, month = 0, date = 0;
        if (index >= 0 && PublishedDay(albums[size_t(index)].published, year, month, date) && year == day.wYear &&
            month == day.wMonth && date == day.wDay) {
            matches[size_t(row)] = true;
            any = true;
        }
    }
    if (!any)
        return;
    for (int row = 0; row < RowCount(); ++row)
        SelectRow(row, matches[size_t(row)]);
    ScrollToFirstSelected();
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

void CToolDlg::SelectAll(bool selected)
{
    for (int row = 0; row < RowCount(); ++row)
        SelectRow(row, selected);
}

void CToolDlg::InvertSelection()
{
    for (int row = 0; row < RowCount(); ++row)
        SelectRow(row, !IsRowSelected(row));
    ScrollToFirstSelected();
}

void CToolDlg::SelectByPattern()
{
    SelectAll(false);
    const std::wstring text = ItemText(IDC_PATTERN);
    // The albums' own titles: a cell gives back only the start of a long one.
    std::vector<std::wstring> titles;
    const std::vector<AlbumEntry>& albums = m_client.GetAlbums();
    for (int row = 0; row < RowCount(); ++row) {
        const int index = AlbumIndexOfRow(row);
        titles.push_back(index >= 0 ? albums[size_t(index)].title : m_list.CellText(row, 0));
    }
    const TitleMatches matches = TitlesMatching(titles, text, IsChecked(IDC_IGNORE_CASE), IsChecked(IDC_WHOLE_TITLE));
    if (!matches.valid) {
        MessageBoxW(Handle(), FormatString(IDS_PATTERN_INVALID, {matches.error}).c_str(),
                    ResourceString(IDS_PATTERN_CAPTION).c_str(), MB_ICONWARNING | MB_OK);
        return;
    }
    if (!text.empty()) {
        for (int row = 0; row < RowCount() && size_t(row) < matches.hits.size(); ++row)
            SelectRow(row, matches.hits[size_t(row)]);
    }
    ScrollToFirstSelected();
}

void CToolDlg::UpdateSelectionCount()
{
    const int selected = m_list.Handle() ? ListView_GetSelectedCount(m_list.Handle()) : 0;
    SetItemText(IDC_SELECTED_COUNT, CountText(IDS_COUNT_ALBUM, IDS_COUNT_ALBUMS, selected));
}

bool CToolDlg::CheckSelection(UINT noSelectionText)
{
    if (RowCount() == 0) {
        Ask(IDS_EMPTY_LIST, IDS_CAPTION_EMPTY_LIST, MB_ICONINFORMATION | MB_OK);
        return false;
    }
    if (ListView_GetSelectedCount(m_list.Handle()) == 0) {
        Ask(noSelectionText, IDS_CAPTION_NO_SELECTION, MB_ICONWARNING | MB_OK);
        return false;
    }
    return true;
}

int CToolDlg::Ask(UINT text, UINT caption, UINT style) const
{
    return MessageBoxW(Handle(), ResourceString(text).c_str(), ResourceString(caption).c_str(), style);
}

void CToolDlg::SetBusy(bool busy)
{
    SetCursor(busy ? m_wait : m_arrow);
}

void CToolDlg::ReportLoadFailure()
{
    const std::wstring status = m_client.GetLastStatus();
    const std::wstring body = m_client.GetLastErrorBody();
    m_client.WriteLog(ResourceString(IDS_LOG_REQUEST_FAILED));
    m_client.WriteLog(FormatString(IDS_LOG_STATUS_FORMAT, {status}));
    m_client.WriteLog(FormatString(IDS_LOG_BODY_FORMAT, {body}));
    MessageBoxW(Handle(), FormatString(IDS_REQUEST_FAILED_FORMAT, {status, ClipForMessage(body)}).c_str(),
                ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_ICONERROR | MB_OK);
}

void CToolDlg::ReportActionFailure(UINT errorFormat, const std::wstring& title)
{
    const std::wstring status = m_client.GetLastStatus();
    const std::wstring body = m_client.GetLastErrorBody();
    m_client.WriteLog(FormatString(IDS_LOG_STATUS_FORMAT, {status}));
    m_client.WriteLog(FormatString(IDS_LOG_BODY_FORMAT, {body}));
    // Sent, but no whole answer: the change may well have been made, and the
    // refresh that follows shows whether it was.
    if (m_client.IsLastOutcomeUnknown()) {
        MessageBoxW(Handle(), FormatString(IDS_OUTCOME_UNKNOWN_FORMAT, {title}).c_str(),
                    ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_ICONWARNING | MB_OK);
        return;
    }
    MessageBoxW(Handle(), FormatString(errorFormat, {title, status, ClipForMessage(body)}).c_str(),
                ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_ICONERROR | MB_OK);
}

void CToolDlg::DeleteAlbums()
{
    if (!CheckSelection(IDS_NO_SELECTION_DELETE))
        return;
    int64_t photos = 0;
    for (size_t index : SelectedAlbums())
        photos += m_client.GetAlbums()[index].numPhotos;
    const std::wstring question = DeleteQuestion(int64_t(SelectedAlbums().size()), photos);
    if (MessageBoxW(Handle(), question.c_str(), ResourceString(IDS_CAPTION_NO_SELECTION).c_str(),
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    SetBusy(true);
    // Copies: the list of the client changes with the refresh at the end.
    std::vector<AlbumEntry> albums;
    for (size_t index : SelectedAlbums())
        albums.push_back(m_client.GetAlbums()[index]);
    for (const AlbumEntry& album : albums) {
        if (m_client.DeleteAlbum(album.editLink) == ERROR_SUCCESS) {
            m_client.WriteLog(FormatString(IDS_LOG_DELETED, {album.title}));
            continue;
        }
        m_client.WriteLog(FormatString(IDS_LOG_DELETE_FAILED, {album.title}));
        ReportActionFailure(IDS_DELETE_FAILED_FORMAT, album.title);
        break;
    }
    Refresh(true);
    SetBusy(false);
}

void CToolDlg::ChangeAccess()
{
    if (!CheckSelection(IDS_NO_SELECTION_CHANGE))
        return;
    CChangeVisibilityDlg dialog;
    if (dialog.DoModal(GetActiveWindow()) != 1)
        return;
    const unsigned level = unsigned(dialog.ChosenAccess());
    SetBusy(true);
    std::vector<AlbumEntry> albums;
    for (size_t index : SelectedAlbums())
        albums.push_back(m_client.GetAlbums()[index]);
    for (const AlbumEntry& album : albums) {
        const bool done = m_client.SetAlbumAccess(album.editLink, level) == ERROR_SUCCESS;
        m_client.WriteLog(FormatString(done ? IDS_LOG_ACCESS_CHANGED : IDS_LOG_ACCESS_NOT_CHANGED,
                                       {AccessLevelText(album.access), AccessLevelText(level), album.title}));
        if (!done) {
            ReportActionFailure(IDS_CHANGE_FAILED_FORMAT, album.title);
            break;
        }
    }
    Refresh(true);
    ScrollToFirstSelected();
    SetBusy(false);
}

void CToolDlg::ShowBatchValueBox()
{
    const bool commenting = SendItem(IDC_BATCH_KIND, CB_GETCURSEL) == kBatchCommenting;
    ShowWindow(Item(IDC_ACCESS_LIST), commenting ? SW_HIDE : SW_SHOW);
    ShowWindow(Item(IDC_BATCH_COMMENTING), commenting ? SW_SHOW : SW_HIDE);
}

void CToolDlg::ApplyBatchChange()
{
    if (!CheckSelection(IDS_NO_SELECTION_CHANGE))
        return;
    const int kind = int(SendItem(IDC_BATCH_KIND, CB_GETCURSEL));
    const int level = int(SendItem(IDC_ACCESS_LIST, CB_GETCURSEL));
    const int commenting = int(SendItem(IDC_BATCH_COMMENTING, CB_GETCURSEL));
    SetBusy(true);
    std::vector<AlbumEntry> albums;
    for (size_t index : SelectedAlbums())
        albums.push_back(m_client.GetAlbums()[index]);
    for (const AlbumEntry& album : albums) {
        DWORD result = kUnknownBatchChoice;
        if (kind == kBatchAccess && level >= 0) {
            result = m_client.SetAlbumAccess(album.editLink, unsigned(level));
            m_client.WriteLog(FormatString(result == ERROR_SUCCESS ? IDS_LOG_ACCESS_CHANGED : IDS_LOG_ACCESS_NOT_CHANGED,
                                           {AccessLevelText(album.access), AccessLevelText(unsigned(level)), album.title}));
        } else if (kind == kBatchCommenting && commenting >= 0) {
            const bool enabled = commenting == 0;
            result = m_client.SetAlbumCommenting(album.editLink, enabled ? 1 : 0);
            m_client.WriteLog(FormatString(
                result == ERROR_SUCCESS ? IDS_LOG_COMMENTING_CHANGED : IDS_LOG_COMMENTING_NOT_CHANGED,
                {album.commentingEnabled, std::wstring(enabled ? L"true" : L"false"), album.title}));
        }
        if (result != ERROR_SUCCESS) {
            ReportActionFailure(IDS_CHANGE_FAILED_FORMAT, album.title);
            break;
        }
    }
    Refresh(true);
    SetBusy(false);
}

void CToolDlg::NewAlbum()
{
    CNewAlbumDlg dialog(m_client, m_settings);
    if (dialog.DoModal(GetActiveWindow()) != 1)
        return;
    SetBusy(true);
    Refresh(true);
    SetBusy(false);
}

void CToolDlg::EditAlbum()
{
    // Public-only mode changes nothing; the menu item and the key come here
    // even while the button is disabled.
    if (m_client.GetAuthToken().empty() || !CheckSelection(IDS_NO_SELECTION_PROPERTIES))
        return;
    const std::vector<size_t> selected = SelectedAlbums();
    if (selected.size() != 1) {
        Ask(IDS_PROPERTIES_ONE_ALBUM, IDS_CAPTION_NO_SELECTION, MB_ICONWARNING | MB_OK);
        return;
    }
    CEditAlbumDlg dialog(m_client, m_client.GetAlbums()[selected[0]], m_settings, [this] {
        SetBusy(true);
        Refresh(true);
        SetBusy(false);
    });
    if (dialog.DoModal(GetActiveWindow()) != 1)
        return;
    SetBusy(true);
    Refresh(true);
    ScrollToFirstSelected();
    SetBusy(false);
}

void CToolDlg::ShowAbout()
{
    const CLogSupport* log = m_client.GetLog();
    CAboutDlg about(log ? WideFromUserCodePage(log->Path().c_str()) : L"");
    about.DoModal(GetActiveWindow());
}

void CToolDlg::ShowNotImplemented()
{
    Ask(IDS_NOT_IMPLEMENTED, IDS_CAPTION_NOT_IMPLEMENTED, MB_ICONINFORMATION | MB_OK);
}

void CToolDlg::DumpAlbums()
{
    for (const AlbumEntry& album : m_client.GetAlbums()) {
        const std::wstring text = album.title + L", " + L", " + album.access + L", " + album.commentingEnabled + L", " +
                                  L", " + album.id;
        MessageBoxW(nullptr, text.c_str(), L"debug", MB_OK);
    }
}

void CToolDlg::Close()
{
    // A photo list load holds the client: it is stopped, and the window
    // closes once it has ended (OnCommand), never under it.
    if (m_photoLoad.loader) {
        m_closeAfterLoad = true;
        m_photoLoad.loader->Cancel();
        return;
    }
    m_client.Logout();
    SavePosition(m_settings.fileName.c_str(), m_settings.folderId, kSection);
    const CIniFile ini(m_settings);
    ini.WriteInt(kSection, kIgnoreCaseKey, IsChecked(IDC_IGNORE_CASE) ? 1 : 0);
    ini.WriteInt(kSection, kSortColumnKey, m_list.SortColumn());
    ini.WriteInt(kSection, kSortDescendingKey, m_list.IsSortDescending() ? 1 : 0);
    ini.WriteInt(kSection, kQuickModeKey, IsChecked(IDC_QUICK_MODE) ? 1 : 0);
    EndDialog(2);
}

bool CToolDlg::OnCommand(int id, int code, HWND)
{
    // While a load holds the client, the window takes no other command.
    if (m_photoLoad.loader && id != IDCANCEL)
        return true;
    switch (id) {
    case IDCANCEL:
        Close();
        return true;
    case IDC_REFRESH:
        SetBusy(true);
        Refresh(true);
        SetBusy(false);
        return true;
    case IDC_DEBUG_DUMP:
        DumpAlbums();
        return true;
    case IDC_SELECT_BY_PATTERN:
        SelectByPattern();
        return true;
    case IDC_INVERT_SELECTION:
        InvertSelection();
        return true;
    case IDC_SELECT_ALL:
        SelectAll(true);
        return true;
    case IDC_SELECT_NONE:
        SelectAll(false);
        return true;
    case IDC_NOT_IMPLEMENTED:
        ShowNotImplemented();
        return true;
    case IDC_DELETE_ALBUMS:
        DeleteAlbums();
        return true;
    case IDC_NEW_ALBUM:
        NewAlbum();
        return true;
    case IDC_URL_LIST:
        if (code == BN_CLICKED && CheckSelection(IDS_NO_SELECTION_URL))
            RunUrlListCommand(Handle(), m_client.GetAlbums(), SelectedAlbums(), m_settings);
        return code == BN_CLICKED;
    case IDC_PHOTO_LIST:
        if (code == BN_CLICKED) {
            const bool quickMode = IsChecked(IDC_QUICK_MODE);
            if (CheckSelection(IDS_NO_SELECTION_PHOTOS))
                RunPhotoListCommand(Handle(), m_client, SelectedAlbums(), quickMode, m_settings, &m_photoLoad);
            if (m_closeAfterLoad)
                Close();
        }
        return code == BN_CLICKED;
    case IDC_BATCH_KIND:
        if (code == CBN_SELCHANGE)
            ShowBatchValueBox();
        return code == CBN_SELCHANGE;
    case IDC_BATCH_APPLY:
        if (code == BN_CLICKED)
            ApplyBatchChange();
        return code == BN_CLICKED;
    case IDC_CHANGE_ACCESS:
        if (code == BN_CLICKED)
            ChangeAccess();
        return code == BN_CLICKED;
    case IDC_ALBUM_PROPERTIES:
        if (code == BN_CLICKED)
            EditAlbum();
        return code == BN_CLICKED;
    case ID_APP_ABOUT:
        if (code == BN_CLICKED)
            ShowAbout();
        return code == BN_CLICKED;
    default:
        return false;
    }
}

bool CToolDlg::OnNotify(NMHDR* header, LRESULT& result)
{
    if (header->hwndFrom == m_list.Handle()) {
        if (header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            if (change->uChanged & LVIF_STATE)
                UpdateSelectionCount();
        } else if (header->code == LVN_KEYDOWN) {
            // Keys users expect of a list; the list itself takes Ctrl+A and Ctrl+C.
            const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
            if (key == VK_F5)
                PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED), 0);
            else if (key == VK_DELETE && IsWindowEnabled(Item(IDC_DELETE_ALBUMS)))
                PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(IDC_DELETE_ALBUMS, BN_CLICKED), 0);
        }
        return false; // the list sees its notifications too
    }
    if (header->hwndFrom == m_calendar) {
        if (header->code == MCN_SELECT) {
            SelectByDay(reinterpret_cast<NMSELCHANGE*>(header)->stSelStart);
            result = 0;
            return true;
        }
        if (header->code == kCalendarGetDayState) {
            FillDayStates(*reinterpret_cast<NMDAYSTATE*>(header));
            result = 0;
            return true;
        }
    }
    return false;
}

bool CToolDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    m_resize.HandleMessage(message, wParam, lParam);
    return false;
}
