// The album window's album actions: delete, change of access, the batch
// change, a new album and an album's properties, with what they report.
#include "ui/albums/CToolDlg.h"

#include <commctrl.h>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "service/AlbumEntry.h"
#include "service/PicasaClient.h"
#include "ui/albums/AlbumWindowText.h"
#include "ui/albums/CChangeVisibilityDlg.h"
#include "ui/albums/CEditAlbumDlg.h"
#include "ui/albums/CNewAlbumDlg.h"
#include "ui/albums/RequestFailureReport.h"

namespace {

// The batch change: what box 1025 chooses.
constexpr int kBatchAccess = 0;
constexpr int kBatchCommenting = 1;

} // namespace

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

void CToolDlg::ReportActionFailure(UINT errorFormat, const std::wstring& title)
{
    RequestFailure failure;
    failure.format = errorFormat;
    failure.leading = {title};
    // Sent, but no whole answer: the change may well have been made, and the
    // refresh that follows shows whether it was.
    if (m_client.IsLastOutcomeUnknown())
        failure.outcomeUnknown = ResourceFormat(IDS_OUTCOME_UNKNOWN_FORMAT, {title});
    ReportRequestFailure(Handle(), m_client, failure);
}

AlbumActionOutcome CToolDlg::RunAction(const AlbumAction& action, UINT caption, UINT failureFormat)
{
    // Copies: the client's list changes with the refresh that follows.
    std::vector<AlbumEntry> albums;
    for (size_t index : SelectedAlbums())
        albums.push_back(m_client.GetAlbums()[index]);
    AlbumActionOutcome outcome;
    const int64_t total = int64_t(albums.size());
    RunLong(ResourceString(caption), [this, &albums, &action, &outcome, total](BackgroundWork& work) {
        outcome = RunAlbumAction(m_client, albums, action, [&work, total](size_t done) {
            work.Report(done, uint64_t(total), ResourceFormat(IDS_PROGRESS_ALBUMS_FORMAT, {int64_t(done), total}));
            return !work.CancelRequested();
        });
    }, false);
    if (outcome.failed && !m_closeAfterWork)
        ReportActionFailure(failureFormat, albums[outcome.done].title);
    return outcome;
}

void CToolDlg::DeleteAlbums()
{
    if (!CheckSelection(IDS_NO_SELECTION_DELETE))
        return;
    int64_t photos = 0;
    for (size_t index : SelectedAlbums())
        photos += m_client.GetAlbums()[index].numPhotos;
    const std::vector<size_t> selected = SelectedAlbums();
    const std::wstring question = selected.size() == 1
                                      ? DeleteQuestion(m_client.GetAlbums()[selected[0]].title, photos)
                                      : DeleteQuestion(int64_t(selected.size()), photos);
    if (MessageBoxW(Handle(), question.c_str(), ResourceString(IDS_CAPTION_NO_SELECTION).c_str(),
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    SetBusy(true);
    RunAction({AlbumAction::Kind::Delete}, IDS_PROGRESS_DELETE, IDS_DELETE_FAILED_FORMAT);
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
    AlbumAction action{AlbumAction::Kind::Access};
    action.accessLevel = unsigned(dialog.ChosenAccess());
    SetBusy(true);
    RunAction(action, IDS_PROGRESS_CHANGE, IDS_CHANGE_FAILED_FORMAT);
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
    AlbumAction action;
    if (kind == kBatchAccess && level >= 0) {
        action.kind = AlbumAction::Kind::Access;
        action.accessLevel = unsigned(level);
    } else if (kind == kBatchCommenting && commenting >= 0) {
        action.kind = AlbumAction::Kind::Commenting;
        action.commentingOn = commenting == 0;
    } else {
        return; // no choice in the boxes: nothing to change
    }
    SetBusy(true);
    RunAction(action, IDS_PROGRESS_CHANGE, IDS_CHANGE_FAILED_FORMAT);
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
    if (!m_client.Access().HasToken() || !CheckSelection(IDS_NO_SELECTION_PROPERTIES))
        return;
    const std::vector<size_t> selected = SelectedAlbums();
    if (selected.size() != 1) {
        Ask(IDS_PROPERTIES_ONE_ALBUM, IDS_CAPTION_NO_SELECTION, MB_ICONWARNING | MB_OK);
        return;
    }
    CEditAlbumDlg dialog(m_client, m_client.GetAlbums()[selected[0]], m_settings, [this] {
        SetBusy(true);
        const bool loaded = Refresh(true) == ERROR_SUCCESS;
        SetBusy(false);
        return loaded;
    });
    if (dialog.DoModal(GetActiveWindow()) != 1)
        return;
    SetBusy(true);
    Refresh(true);
    ScrollToFirstSelected();
    SetBusy(false);
}
