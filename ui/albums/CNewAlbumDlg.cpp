#include "ui/albums/CNewAlbumDlg.h"

#include <iterator>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "service/PicasaClient.h"
#include "base/TextFormat.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CProgressDlg.h"

namespace {

const ResizeItem kResizeItems[] = {
    {IDC_NEW_ALBUM_TITLE, ResizeSizeX},
    {IDC_NEW_ALBUM_SUMMARY, ResizeSizeX | ResizeSizeY},
    {IDC_NEW_ALBUM_DATE_LABEL, ResizeMoveY},
    {IDC_NEW_ALBUM_DATE, ResizeMoveY},
    {IDC_NEW_ALBUM_DATE_FORMAT, ResizeMoveY},
    {IDC_NEW_ALBUM_DATE_HINT, ResizeMoveY | ResizeSizeX},
    {IDC_NEW_ALBUM_LOCATION_LABEL, ResizeMoveY},
    {IDC_NEW_ALBUM_LOCATION, ResizeMoveY},
    {IDC_NEW_ALBUM_ACCESS_LABEL, ResizeMoveY},
    {IDC_ACCESS_LIST, ResizeMoveY},
    {IDC_NEW_ALBUM, ResizeMoveX | ResizeMoveY},
    {IDCANCEL, ResizeMoveX | ResizeMoveY},
    {IDC_NEW_ALBUM_FRAME, ResizeSizeX | ResizeSizeY},
};


} // namespace

std::wstring NewAlbumCheckText(const NewAlbumCheck& check)
{
    if (check.Passed())
        return L"";
    return FormatText(ResourceString(check.messageId), {check.argument});
}

CNewAlbumDlg::CNewAlbumDlg(PicasaClient& client, SettingsLocation settings)
    : CDialogBase(IDD_NEW_ALBUM), m_client(client), m_settings(std::move(settings))
{
}

bool CNewAlbumDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    for (unsigned i = 0; AccessDisplayName(i)[0]; ++i)
        SendItem(IDC_ACCESS_LIST, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(ResourceString(IDS_ACCESS_FIRST + i).c_str()));
    SendItem(IDC_ACCESS_LIST, CB_SETCURSEL, 1);

    SendItem(IDC_NEW_ALBUM_SUMMARY, EM_LIMITTEXT, kSummaryLimit);
    SendItem(IDC_NEW_ALBUM_DATE, EM_LIMITTEXT, kDateLimit);
    SetItemText(IDC_NEW_ALBUM_DATE, TodayDateText());
    SetItemText(IDC_NEW_ALBUM_DATE_HINT, L"");

    m_resize.Init(Handle(), kResizeItems, std::size(kResizeItems));
    RestorePlacement(Handle(), m_settings.Path(), kSection);

    return true;
}

bool CNewAlbumDlg::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDC_NEW_ALBUM:
    case IDOK: // Enter, should no button be the default
        CreateAlbum();
        return true;
    case IDCANCEL:
        Cancel();
        return true;
    case IDC_NEW_ALBUM_DATE:
        if (code == EN_CHANGE)
            ShowDateHint();
        return true;
    default:
        return false;
    }
}

bool CNewAlbumDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    m_resize.HandleMessage(message, wParam, lParam);
    return false;
}

void CNewAlbumDlg::ShowDateHint()
{
    // Told while typing, so that the create button does not come as a
    // surprise; the button still checks everything again.
    SetItemText(IDC_NEW_ALBUM_DATE_HINT, NewAlbumCheckText(CheckAlbumDate(ItemText(IDC_NEW_ALBUM_DATE))));
}

void CNewAlbumDlg::Reject(const NewAlbumCheck& check)
{
    MessageBoxW(Handle(), NewAlbumCheckText(check).c_str(), ResourceString(IDS_CAPTION_NO_SELECTION).c_str(),
                MB_OK | MB_ICONERROR);
    if (HWND field = Item(check.focusId)) {
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }
}

void CNewAlbumDlg::CreateAlbum()
{
    const std::wstring title = ItemText(IDC_NEW_ALBUM_TITLE);
    const std::wstring date = ItemText(IDC_NEW_ALBUM_DATE);
    const NewAlbumCheck check = CheckNewAlbum(title, date);
    if (!check.Passed()) {
        Reject(check);
        return;
    }
    const int64_t time = AlbumTimeOrNow(date);
    const std::wstring summary = ItemText(IDC_NEW_ALBUM_SUMMARY);
    const std::wstring location = ItemText(IDC_NEW_ALBUM_LOCATION);
    const LRESULT selected = SendItem(IDC_ACCESS_LIST, CB_GETCURSEL);
    const std::wstring access = AccessWireName(selected < 0 ? kAccessLevelCount : unsigned(selected));

    // Off the window's thread; a change is never cut short, so its
    // progress offers no Cancel.
    DWORD result = ERROR_CANCELLED;
    BackgroundWork work([&](BackgroundWork&) { result = m_client.CreateAlbum(title, summary, location, access, time); });
    CProgressDlg::Run(Handle(), work, ResourceString(IDS_PROGRESS_CREATE), nullptr, CProgressDlg::Cancel::NotOffered);

    if (result != ERROR_SUCCESS && m_client.IsLastOutcomeUnknown()) {
        // The album may well be there: a second Create would make another.
        // The window closes as after a success, and the list is loaded again.
        ReportFailure(IDS_CREATE_OUTCOME_UNKNOWN);
        SavePlacement(Handle(), m_settings.Path(), kSection);
        EndDialog(1);
        return;
    }
    if (result != ERROR_SUCCESS) {
        ReportFailure();
        return;
    }
    m_client.WriteLog(FormatText(ResourceString(IDS_LOG_ALBUM_CREATED), {title}));
    SavePlacement(Handle(), m_settings.Path(), kSection);
    EndDialog(1);
}

void CNewAlbumDlg::ReportFailure(UINT outcomeUnknownText)
{
    const std::wstring status = m_client.GetLastStatus();
    const std::wstring body = m_client.GetLastErrorBody();
    m_client.WriteLog(ResourceString(IDS_LOG_CREATE_FAILED));
    m_client.WriteLog(FormatText(ResourceString(IDS_LOG_STATUS_FORMAT), {status}));
    m_client.WriteLog(FormatText(ResourceString(IDS_LOG_BODY_FORMAT), {body}));
    if (outcomeUnknownText) {
        MessageBoxW(Handle(), ResourceString(outcomeUnknownText).c_str(),
                    ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    const std::wstring text = FormatText(ResourceString(IDS_CREATE_FAILED_FORMAT), {status, body});
    MessageBoxW(Handle(), text.c_str(), ResourceString(IDS_CAPTION_ERROR).c_str(), MB_OK | MB_ICONERROR);
    MessageBoxW(Handle(), text.c_str(), ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_OK | MB_ICONERROR);
}

void CNewAlbumDlg::Cancel()
{
    SavePlacement(Handle(), m_settings.Path(), kSection);
    EndDialog(IDCANCEL);
}
