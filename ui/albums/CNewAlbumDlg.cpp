#include "ui/albums/CNewAlbumDlg.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "service/PicasaClient.h"
#include "base/TextFormat.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/albums/RequestFailureReport.h"

CNewAlbumDlg::CNewAlbumDlg(PicasaClient& client, SettingsLocation settings)
    : CDialogBase(IDD_NEW_ALBUM), m_client(client), m_settings(std::move(settings))
{
}

bool CNewAlbumDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    m_fields.Init(*this, {{IDC_NEW_ALBUM, ResizeMoveX | ResizeMoveY}, {IDCANCEL, ResizeMoveX | ResizeMoveY}});
    SendItem(IDC_ACCESS_LIST, CB_SETCURSEL, 1);
    SetItemText(IDC_NEW_ALBUM_DATE, TodayDateText());
    SetItemText(IDC_NEW_ALBUM_DATE_HINT, L"");

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
            CAlbumFieldsForm::ShowDateHint(*this);
        return true;
    default:
        return false;
    }
}

bool CNewAlbumDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    m_fields.HandleMessage(message, wParam, lParam);
    return false;
}

void CNewAlbumDlg::CreateAlbum()
{
    const std::wstring title = ItemText(IDC_NEW_ALBUM_TITLE);
    const std::wstring date = ItemText(IDC_NEW_ALBUM_DATE);
    const NewAlbumCheck check = CheckNewAlbum(title, date);
    if (!check.Passed()) {
        CAlbumFieldsForm::Reject(*this, check);
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
    RequestFailure failure;
    failure.logLine = ResourceString(IDS_LOG_CREATE_FAILED);
    failure.format = IDS_CREATE_FAILED_FORMAT;
    failure.clipBody = false;
    failure.plainCaptionFirst = true;
    if (outcomeUnknownText)
        failure.outcomeUnknown = ResourceString(outcomeUnknownText);
    ReportRequestFailure(Handle(), m_client, failure);
}

void CNewAlbumDlg::Cancel()
{
    SavePlacement(Handle(), m_settings.Path(), kSection);
    EndDialog(IDCANCEL);
}
