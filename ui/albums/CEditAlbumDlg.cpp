#include "ui/albums/CEditAlbumDlg.h"

#include "app/ResourceText.h"
#include "base/TextFormat.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "service/PicasaClient.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/albums/NewAlbumChecks.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/albums/RequestFailureReport.h"

CEditAlbumDlg::CEditAlbumDlg(PicasaClient& client, AlbumEntry album, SettingsLocation settings,
                             std::function<bool()> refresh)
    : CDialogBase(IDD_EDIT_ALBUM), m_client(client), m_album(std::move(album)), m_before(AlbumEditFieldsOf(m_album)),
      m_settings(std::move(settings)), m_refresh(std::move(refresh))
{
}

AlbumEditFields CEditAlbumDlg::Fields() const
{
    AlbumEditFields fields;
    fields.title = ItemText(IDC_NEW_ALBUM_TITLE);
    fields.summary = ItemText(IDC_NEW_ALBUM_SUMMARY);
    fields.location = ItemText(IDC_NEW_ALBUM_LOCATION);
    fields.date = ItemText(IDC_NEW_ALBUM_DATE);
    fields.access = int(SendItem(IDC_ACCESS_LIST, CB_GETCURSEL));
    fields.commenting = IsChecked(IDC_EDIT_ALBUM_COMMENTING);
    return fields;
}

bool CEditAlbumDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    m_fields.Init(*this, {{IDC_EDIT_ALBUM_COMMENTING, ResizeMoveY},
                          {IDOK, ResizeMoveX | ResizeMoveY},
                          {IDCANCEL, ResizeMoveX | ResizeMoveY}});
    SetItemText(IDC_NEW_ALBUM_TITLE, m_before.title);
    SetItemText(IDC_NEW_ALBUM_SUMMARY, m_before.summary);
    SetItemText(IDC_NEW_ALBUM_LOCATION, m_before.location);
    SetItemText(IDC_NEW_ALBUM_DATE, m_before.date);
    SetItemText(IDC_NEW_ALBUM_DATE_HINT, L"");
    SendItem(IDC_ACCESS_LIST, CB_SETCURSEL, WPARAM(m_before.access));
    SetCheck(IDC_EDIT_ALBUM_COMMENTING, m_before.commenting);

    RestorePlacement(Handle(), m_settings.Path(), kSection);
    return true;
}

bool CEditAlbumDlg::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDOK:
        Send();
        return true;
    case IDCANCEL:
        Close(IDCANCEL);
        return true;
    case IDC_NEW_ALBUM_DATE:
        if (code == EN_CHANGE)
            CAlbumFieldsForm::ShowDateHint(*this);
        return true;
    default:
        return false;
    }
}

bool CEditAlbumDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    m_fields.HandleMessage(message, wParam, lParam);
    return false;
}

void CEditAlbumDlg::Send()
{
    const AlbumEditFields fields = Fields();
    const NewAlbumCheck check = CheckNewAlbum(fields.title, fields.date);
    if (!check.Passed()) {
        CAlbumFieldsForm::Reject(*this, check);
        return;
    }
    const AlbumChanges changes = ChangedAlbumFields(m_before, fields);
    if (changes.Empty()) {
        Close(IDCANCEL);
        return;
    }

    // Off the window's thread; a change is never cut short, so its
    // progress offers no Cancel.
    DWORD result = ERROR_CANCELLED;
    BackgroundWork work([&](BackgroundWork&) {
        result = m_client.UpdateAlbum(m_album.editLink, PicasaClient::AlbumVersion(m_album), changes);
    });
    CProgressDlg::Run(Handle(), work, ResourceString(IDS_PROGRESS_SAVE), nullptr, CProgressDlg::Cancel::NotOffered);

    if (result == ERROR_SUCCESS) {
        std::wstring names;
        for (UINT name : ChangedFieldNames(changes))
            names += (names.empty() ? L"" : L", ") + ResourceString(name);
        m_client.WriteLog(FormatText(ResourceString(IDS_LOG_ALBUM_EDITED), {m_album.title, names}));
        Close(1);
        return;
    }
    if (result == ERROR_REVISION_MISMATCH) {
        m_client.WriteLog(FormatText(ResourceString(IDS_LOG_EDIT_CONFLICT), {m_album.title}));
        MessageBoxW(Handle(), FormatText(ResourceString(IDS_EDIT_ALBUM_CONFLICT), {m_album.title}).c_str(),
                    ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_OK | MB_ICONWARNING);
        TakeCurrentAlbum();
        return;
    }
    if (result == ERROR_NOT_FOUND && AlbumGone()) {
        // Deleted elsewhere: no OK can save it, and the list has let it go.
        m_client.WriteLog(FormatText(ResourceString(IDS_LOG_EDIT_GONE), {m_album.title}));
        MessageBoxW(Handle(), FormatText(ResourceString(IDS_EDIT_ALBUM_GONE), {m_album.title}).c_str(),
                    ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_OK | MB_ICONWARNING);
        Close(IDCANCEL);
        return;
    }
    ReportFailure();
    // Sent, but no answer came: the list shows whether it was made, and a
    // second OK then sends only what is still different.
    if (m_client.IsLastOutcomeUnknown())
        TakeCurrentAlbum();
}

void CEditAlbumDlg::ReportFailure()
{
    RequestFailure failure;
    failure.logLine = ResourceFormat(IDS_LOG_EDIT_FAILED, {m_album.title});
    failure.format = IDS_CHANGE_FAILED_FORMAT;
    failure.leading = {m_album.title};
    ReportRequestFailure(Handle(), m_client, failure);
}

void CEditAlbumDlg::TakeCurrentAlbum()
{
    if (m_refresh)
        m_refresh();
    for (const AlbumEntry& album : m_client.GetAlbums())
        if (album.id == m_album.id) {
            m_album = album;
            // A field the user left alone shows the album as it is now, so
            // that the next OK does not undo the other change; what the user
            // typed stays.
            const AlbumEditFields typed = Fields();
            const AlbumEditFields opened = m_before;
            m_before = AlbumEditFieldsOf(m_album);
            if (typed.title == opened.title)
                SetItemText(IDC_NEW_ALBUM_TITLE, m_before.title);
            if (typed.summary == opened.summary)
                SetItemText(IDC_NEW_ALBUM_SUMMARY, m_before.summary);
            if (typed.location == opened.location)
                SetItemText(IDC_NEW_ALBUM_LOCATION, m_before.location);
            if (typed.date == opened.date)
                SetItemText(IDC_NEW_ALBUM_DATE, m_before.date);
            if (typed.access == opened.access)
                SendItem(IDC_ACCESS_LIST, CB_SETCURSEL, WPARAM(m_before.access));
            if (typed.commenting == opened.commenting)
                SetCheck(IDC_EDIT_ALBUM_COMMENTING, m_before.commenting);
            return;
        }
}

bool CEditAlbumDlg::AlbumGone()
{
    // A list that could not be loaded tells nothing either way.
    if (!m_refresh || !m_refresh())
        return false;
    for (const AlbumEntry& album : m_client.GetAlbums())
        if (album.id == m_album.id)
            return false;
    return true;
}

void CEditAlbumDlg::Close(INT_PTR result)
{
    SavePlacement(Handle(), m_settings.Path(), kSection);
    EndDialog(result);
}
