// The album window: its controls, layout, settings and commands. What its
// list shows, how it selects and what its actions do are in the files
// beside this one (CToolDlgList, CToolDlgSelection, CToolDlgActions).
#include "ui/albums/CToolDlg.h"

#include <commctrl.h>

#include "app/CIniFile.h"
#include "app/ResourceText.h"
#include "base/CLogSupport.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/AlbumEntry.h"
#include "service/PicasaClient.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/transfer/BackupCommand.h"
#include "ui/albums/CalendarFit.h"
#include "ui/photos/PhotoListCommand.h"
#include "ui/transfer/PhotoSaveCommand.h"
#include "ui/albums/UrlListCommand.h"
#include "ui/login/CAboutDlg.h"

namespace {

const wchar_t kIgnoreCaseKey[] = L"IGNORE_CASE_SENSITIVE";
const wchar_t kSortColumnKey[] = L"SORT_COLUMN";
const wchar_t kSortDescendingKey[] = L"SORT_DESCENDING";
const wchar_t kQuickModeKey[] = L"QuickMode";

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
    {IDC_UPLOAD, ResizeMoveY},
    {IDC_UPLOAD_FOLDER, ResizeMoveY},
    {IDC_DELETE_ALBUMS, ResizeMoveY},
    {IDC_URL_LIST, ResizeMoveY},
    {IDC_ACTIONS_GROUP, ResizeMoveY},
    {IDC_PHOTO_LIST, ResizeMoveY},
    {IDC_CHANGE_ACCESS, ResizeMoveY},
    {IDC_ALBUM_PROPERTIES, ResizeMoveY},
    {IDC_BACKUP, ResizeMoveY},
    {IDCANCEL, ResizeMoveY},
};

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
    // Widths the user dragged, from the last run; every other column fits.
    m_list.KeepColumnWidths(m_settings, kSection);
    SetHelpText(IDS_ALBUMS_HELP);
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

    if (!m_client.Access().HasToken()) {
        EnableItem(IDC_NEW_ALBUM, false);
        EnableItem(IDC_DELETE_ALBUMS, false);
        EnableItem(IDC_CHANGE_ACCESS, false);
        EnableItem(IDC_ALBUM_PROPERTIES, false);
        EnableItem(IDC_UPLOAD, false);
        EnableItem(IDC_UPLOAD_FOLDER, false);
    } else {
        DragAcceptFiles(Handle(), TRUE);
    }
    SetFocus(m_list.Handle());
    // Closed during the first refresh: the close goes on now.
    if (m_closeAfterWork)
        PostMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);
    return false;
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

    // The album buttons' right edge, and the template's gap after them.
    int buttonsRight = 0;
    for (const int id : {IDC_NEW_ALBUM, IDC_CHANGE_ACCESS, IDC_URL_LIST, IDC_UPLOAD, IDC_UPLOAD_FOLDER, IDC_ALBUM_PROPERTIES,
                         IDC_BACKUP}) {
        RECT button;
        if (HWND item = Item(id); item && GetWindowRect(item, &button)) {
            MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&button), 2);
            buttonsRight = std::max<int>(buttonsRight, button.right);
        }
    }
    RECT gap = {0, 0, 6, 0};
    MapDialogRect(Handle(), &gap);
    const CalendarFit fit = FitCalendarInto(placed.right, buttonsRight + gap.right, width);
    if (fit.grow > 0)
        WidenRightColumn(placed.left, fit.grow);
    SetWindowPos(m_calendar, nullptr, fit.left, placed.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Makes the window wider by grow before its layout is taken: what follows
// the right edge, or starts right of the album buttons, moves right; what
// stretches with the window becomes wider.
void CToolDlg::WidenRightColumn(int columnLeft, int grow)
{
    RECT window;
    GetWindowRect(Handle(), &window);
    SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left + grow, window.bottom - window.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == m_calendar)
            continue;
        unsigned anchor = ResizeNone;
        for (const ResizeItem& item : kResizeItems)
            if (item.id == GetDlgCtrlID(child))
                anchor = item.anchor;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
        if ((anchor & ResizeMoveX) || r.left >= columnLeft)
            OffsetRect(&r, grow, 0);
        else if (anchor & ResizeSizeX)
            r.right += grow;
        else
            continue;
        SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool CToolDlg::RunLong(const std::wstring& caption, BackgroundWork::Work work, bool cutShort)
{
    bool finished = false;
    {
        std::function<void()> onCancel;
        if (cutShort)
            onCancel = [this] { m_client.AbortRequests(); };
        BackgroundWork background(std::move(work), std::move(onCancel));
        // Over the window the user sees: a dialog of this one, if one is up.
        finished = CProgressDlg::Run(GetLastActivePopup(Handle()), background, caption, &m_running);
    }
    // The work has ended: the client takes requests again.
    if (cutShort)
        m_client.ResumeRequests();
    return finished;
}

void CToolDlg::Close()
{
    // Long work holds the client: it is stopped, and the window closes once
    // it has ended (OnCommand), never under it.
    if (m_running.work) {
        m_closeAfterWork = true;
        m_running.work->Cancel();
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
    // While long work holds the client, the window takes no other command.
    if (m_running.work) {
        if (id == IDCANCEL)
            Close();
        return true;
    }
    const bool handled = RunCommand(id, code);
    // Closed while the command's work ran: now that it has ended.
    if (m_closeAfterWork)
        Close();
    return handled;
}

bool CToolDlg::RunCommand(int id, int code)
{
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
    case IDC_UPLOAD:
        if (code == BN_CLICKED)
            Upload();
        return code == BN_CLICKED;
    case IDC_UPLOAD_FOLDER:
        if (code == BN_CLICKED)
            UploadFolder();
        return code == BN_CLICKED;
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
            // Photos changed, moved or deleted there change the albums' counts.
            if (CheckSelection(IDS_NO_SELECTION_PHOTOS) &&
                RunPhotoListCommand(Handle(), m_client, SelectedAlbums(), quickMode, m_settings, &m_running,
                                    [this](HWND owner, const std::vector<PhotoEntry>& photos) {
                                        RunPhotoSaveCommand(owner, m_client, photos, m_settings);
                                    })) {
                SetBusy(true);
                Refresh(true);
                SetBusy(false);
            }
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
    case IDC_BACKUP:
        if (code == BN_CLICKED && CheckSelection(IDS_NO_SELECTION_BACKUP))
            RunBackupCommand(Handle(), m_client, SelectedAlbums(), m_settings, &m_running, &m_closeAfterWork);
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
        } else if (header->code == NM_DBLCLK) {
            OnListDoubleClick(*reinterpret_cast<const NMITEMACTIVATE*>(header));
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

bool CToolDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_DROPFILES) {
        UploadDropped(reinterpret_cast<HDROP>(wParam));
        result = 0;
        return true;
    }
    m_resize.HandleMessage(message, wParam, lParam);
    return false;
}

void CToolDlg::ShowAbout()
{
    const CLogSupport* log = m_client.GetLog();
    CAboutDlg about(log ? WideFromUserCodePage(log->Path().c_str()) : L"");
    about.DoModal(GetActiveWindow());
}

void CToolDlg::DumpAlbums()
{
    for (const AlbumEntry& album : m_client.GetAlbums()) {
        const std::wstring text = album.title + L", " + L", " + album.access + L", " + album.commentingEnabled + L", " +
                                  L", " + album.id;
        MessageBoxW(nullptr, text.c_str(), L"debug", MB_OK);
    }
}

int CToolDlg::Ask(UINT text, UINT caption, UINT style) const
{
    return MessageBoxW(Handle(), ResourceString(text).c_str(), ResourceString(caption).c_str(), style);
}

void CToolDlg::SetBusy(bool busy)
{
    SetCursor(busy ? m_wait : m_arrow);
}
