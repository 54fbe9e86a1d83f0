#include "ui/photos/CPhotoPropertiesDlg.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "ui/photos/PhotoJobCommand.h"

CPhotoPropertiesDlg::CPhotoPropertiesDlg(PicasaClient& client, std::vector<PhotoEntry*> photos)
    : CDialogBase(IDD_PHOTO_PROPERTIES), m_client(client), m_photos(std::move(photos))
{
}

bool CPhotoPropertiesDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    const std::vector<const PhotoEntry*> selection(m_photos.begin(), m_photos.end());
    m_opened = PhotoEditFieldsOf(selection);
    const bool several = m_photos.size() > 1;
    SetItemText(IDC_PHOTO_TITLE, m_opened.title);
    SetItemText(IDC_PHOTO_SUMMARY, m_opened.summary);
    SetItemText(IDC_PHOTO_KEYWORDS, m_opened.keywords);
    // Each photo keeps its own title when several are changed at once.
    EnableItem(IDC_PHOTO_TITLE, !several);
    EnableItem(IDC_PHOTO_TITLE_LABEL, !several);
    if (several)
        SetItemText(IDC_PHOTO_PROPERTIES_NOTE, ResourceFormat(IDS_PHOTO_SEVERAL_NOTE, {int64_t(m_photos.size())}));
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    return true;
}

PhotoEditFields CPhotoPropertiesDlg::Fields() const
{
    return {ItemText(IDC_PHOTO_TITLE), ItemText(IDC_PHOTO_SUMMARY), ItemText(IDC_PHOTO_KEYWORDS)};
}

void CPhotoPropertiesDlg::Apply()
{
    const PhotoEditFields now = Fields();
    const bool several = m_photos.size() > 1;
    std::vector<PhotoEntry*> changing;
    for (PhotoEntry* photo : m_photos)
        if (!PhotoChangesFor(*photo, m_opened, now, several).Empty())
            changing.push_back(photo);
    if (changing.empty()) {
        EndDialog(m_sent ? 1 : 2);
        return;
    }
    const PhotoEditFields opened = m_opened;
    std::vector<std::wstring> titles;
    for (const PhotoEntry* photo : changing)
        titles.push_back(photo->title);
    m_result = RunPhotoJobWithProgress(
        Handle(), m_client, changing, PhotoJobKind::Change,
        [&](const PhotoEntry& photo) { return PhotoChangesFor(photo, opened, now, several); }, L"", L"",
        IDS_PHOTO_PROGRESS_CHANGE);
    m_sent = true;
    if (m_result.stopped) {
        EndDialog(1);
        return;
    }
    // A photo changed meanwhile has been read again: the entries stay, and
    // OK applies them to it as it is now.
    for (size_t i = 0; i < changing.size(); ++i) {
        if (m_result.states[i] == PhotoState::Stale) {
            MessageBoxW(Handle(), ResourceFormat(IDS_PHOTO_STALE, {titles[i]}).c_str(),
                        ResourceString(IDS_PHOTO_CAPTION_RESULT).c_str(), MB_ICONWARNING | MB_OK);
            return;
        }
    }
    const std::wstring failures = PhotoJobFailures(titles, m_result);
    if (!failures.empty())
        MessageBoxW(Handle(),
                    ResourceFormat(IDS_PHOTO_JOB_SUMMARY, {int64_t(m_result.done), int64_t(changing.size()), failures})
                        .c_str(),
                    ResourceString(IDS_PHOTO_CAPTION_RESULT).c_str(), MB_ICONWARNING | MB_OK);
    EndDialog(1);
}

bool CPhotoPropertiesDlg::OnCommand(int id, int, HWND)
{
    if (id == IDOK) {
        Apply();
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(m_sent ? 1 : 2);
        return true;
    }
    return false;
}
