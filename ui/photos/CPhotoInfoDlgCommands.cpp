// The photo list's commands on the selected photos: open, properties, move,
// delete and save, from the context menu and the keys.
#include "ui/photos/CPhotoInfoDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "ui/photos/CMoveToAlbumDlg.h"
#include "ui/photos/CPhotoPropertiesDlg.h"
#include "ui/photos/PhotoCommands.h"
#include "ui/photos/PhotoJobCommand.h"

std::vector<int> CPhotoInfoDlg::SelectedPhotoRows() const
{
    std::vector<int> rows;
    for (int row : m_list.SelectedRows())
        if (RowPhoto(row))
            rows.push_back(row);
    return rows;
}

// The list's photos are the command's own (PhotoListAlbum::photos), shown
// read-only; a command changes them where they are.
std::vector<PhotoEntry*> CPhotoInfoDlg::PhotosOfRows(const std::vector<int>& rows) const
{
    std::unordered_map<const PhotoEntry*, PhotoEntry*> owned;
    for (const PhotoListAlbum& album : m_albums)
        if (album.photos)
            for (PhotoEntry& photo : *album.photos)
                owned.emplace(&photo, &photo);
    std::vector<PhotoEntry*> photos;
    for (int row : rows) {
        const auto found = owned.find(RowPhoto(row));
        if (found != owned.end())
            photos.push_back(found->second);
    }
    return photos;
}

const AlbumEntry* CPhotoInfoDlg::AlbumOf(const PhotoEntry* photo) const
{
    for (const PhotoListAlbum& album : m_albums)
        if (album.photos && !album.photos->empty() && photo >= &album.photos->front() &&
            photo <= &album.photos->back())
            return &album.album;
    return nullptr;
}

bool CPhotoInfoDlg::CommandEnabled(int id) const
{
    const std::vector<int> rows = SelectedPhotoRows();
    if (rows.empty())
        return false;
    switch (id) {
    case ID_PHOTO_OPEN:
        return true;
    case ID_PHOTO_SAVE:
        return bool(m_actions.save);
    case ID_PHOTO_PROPERTIES:
    case ID_PHOTO_MOVE:
    case ID_PHOTO_DELETE: {
        std::vector<const PhotoEntry*> selection;
        for (int row : rows)
            selection.push_back(RowPhoto(row));
        return m_actions.client && PhotosMayChange(m_actions.client->Access().HasToken(), selection);
    }
    default:
        return false;
    }
}

bool CPhotoInfoDlg::OnDialogKey(const MSG& key)
{
    if (key.hwnd == m_list.Handle() && key.message == WM_KEYDOWN && key.wParam == VK_DELETE &&
        GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
        PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(ID_PHOTO_DELETE, BN_CLICKED), 0);
        return true;
    }
    return CDialogBase::OnDialogKey(key);
}

bool CPhotoInfoDlg::RunPhotoCommand(int id)
{
    if (id != ID_PHOTO_OPEN && id != ID_PHOTO_PROPERTIES && id != ID_PHOTO_MOVE && id != ID_PHOTO_SAVE &&
        id != ID_PHOTO_DELETE)
        return false;
    // Keys and the menu come here alike; what is not offered does nothing.
    if (!CommandEnabled(id))
        return true;
    switch (id) {
    case ID_PHOTO_OPEN: {
        const int row = int(SendMessageW(m_list.Handle(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED | LVNI_SELECTED));
        OpenPhotoPage(row >= 0 ? row : SelectedPhotoRows().front());
        break;
    }
    case ID_PHOTO_PROPERTIES:
        EditProperties();
        break;
    case ID_PHOTO_MOVE:
        MovePhotos();
        break;
    case ID_PHOTO_DELETE:
        DeletePhotos();
        break;
    case ID_PHOTO_SAVE:
        SaveSelected();
        break;
    }
    return true;
}

void CPhotoInfoDlg::EditProperties()
{
    const std::vector<int> rows = SelectedPhotoRows();
    CPhotoPropertiesDlg dialog(*m_actions.client, PhotosOfRows(rows));
    dialog.DoModal(Handle());
    if (!dialog.Sent())
        return;
    m_photosChanged = true;
    UpdateRows(rows, std::vector<bool>(rows.size(), false));
}

void CPhotoInfoDlg::MovePhotos()
{
    const std::vector<int> rows = SelectedPhotoRows();
    std::vector<PhotoEntry*> photos = PhotosOfRows(rows);
    std::vector<const PhotoEntry*> selection(photos.begin(), photos.end());
    std::vector<AlbumEntry>& albums = m_actions.accountAlbums;
    const std::vector<size_t> targets = MoveTargets(albums, selection);
    const std::wstring caption = ResourceString(IDS_PHOTO_CAPTION_RESULT);
    if (targets.empty()) {
        MessageBoxW(Handle(), ResourceString(IDS_PHOTO_MOVE_NONE).c_str(), caption.c_str(), MB_ICONINFORMATION | MB_OK);
        return;
    }
    CMoveToAlbumDlg dialog(albums, targets);
    if (dialog.DoModal(Handle()) != 1 || dialog.Chosen() < 0)
        return;
    AlbumEntry& target = albums[size_t(dialog.Chosen())];
    // The service refuses a photo past its limit: nothing is sent.
    if (!AlbumHasRoom(target, photos.size())) {
        const int64_t room = std::max<int64_t>(0, int64_t(kMostPhotosPerAlbum) - target.numPhotos);
        MessageBoxW(Handle(),
                    ResourceFormat(IDS_PHOTO_ALBUM_FULL, {target.title, room, int64_t(photos.size())}).c_str(),
                    caption.c_str(), MB_ICONWARNING | MB_OK);
        return;
    }
    std::vector<std::wstring> titles;
    for (const PhotoEntry* photo : photos)
        titles.push_back(photo->title);
    const PhotoJobResult result = RunPhotoJobWithProgress(Handle(), *m_actions.client, photos, PhotoJobKind::Move, {},
                                                          target.id, target.title, IDS_PHOTO_PROGRESS_MOVE);
    std::vector<bool> gone(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i)
        gone[i] = photos[i]->albumId == target.id;
    target.numPhotos += int32_t(std::count(gone.begin(), gone.end(), true));
    m_photosChanged = true;
    UpdateRows(rows, gone);
    const std::wstring failures = PhotoJobFailures(titles, result);
    if (!failures.empty())
        MessageBoxW(Handle(),
                    ResourceFormat(IDS_PHOTO_JOB_SUMMARY, {int64_t(result.done), int64_t(photos.size()), failures})
                        .c_str(),
                    caption.c_str(), MB_ICONWARNING | MB_OK);
}

void CPhotoInfoDlg::DeletePhotos()
{
    const std::vector<int> rows = SelectedPhotoRows();
    std::vector<PhotoEntry*> photos = PhotosOfRows(rows);
    std::vector<const PhotoEntry*> selection(photos.begin(), photos.end());
    std::vector<std::wstring> albumTitles, titles;
    for (const PhotoEntry* photo : photos) {
        const AlbumEntry* album = AlbumOf(photo);
        albumTitles.push_back(album ? album->title : std::wstring());
        titles.push_back(photo->title);
    }
    const std::wstring caption = ResourceString(IDS_PHOTO_CAPTION_DELETE);
    if (MessageBoxW(Handle(), DeletePhotosQuestion(selection, albumTitles).c_str(), caption.c_str(),
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    const PhotoJobResult result = RunPhotoJobWithProgress(Handle(), *m_actions.client, photos, PhotoJobKind::Delete,
                                                          {}, L"", L"", IDS_PHOTO_PROGRESS_DELETE);
    std::vector<bool> gone(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i)
        gone[i] = result.states[i] == PhotoState::Done;
    m_photosChanged = true;
    UpdateRows(rows, gone);
    const std::wstring failures = PhotoJobFailures(titles, result);
    if (!failures.empty())
        MessageBoxW(Handle(),
                    ResourceFormat(IDS_PHOTO_JOB_SUMMARY, {int64_t(result.done), int64_t(photos.size()), failures})
                        .c_str(),
                    ResourceString(IDS_PHOTO_CAPTION_RESULT).c_str(), MB_ICONWARNING | MB_OK);
}

void CPhotoInfoDlg::SaveSelected()
{
    std::vector<PhotoEntry> photos;
    for (int row : SelectedPhotoRows())
        photos.push_back(*RowPhoto(row));
    m_actions.save(Handle(), photos);
}

void CPhotoInfoDlg::UpdateRows(const std::vector<int>& rows, const std::vector<bool>& gone)
{
    const std::wstring still = ResourceString(IDS_MEDIA_STILL);
    const std::wstring video = ResourceString(IDS_MEDIA_VIDEO);
    HWND list = m_list.Handle();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        const PhotoEntry* photo = RowPhoto(rows[i]);
        const AlbumEntry* album = AlbumOf(photo);
        if (!photo || !album || gone[i])
            continue;
        int ordinal = 1;
        for (size_t a = 0; a < m_albums.size(); ++a)
            if (&m_albums[a].album == album)
                ordinal = int(a) + 1;
        const std::vector<std::wstring> cells = PhotoRowCells(*album, ordinal, *photo, m_quickMode, still, video);
        for (int column = 0; column < kPhotoListColumnCount; ++column) {
            LVITEMW cell = {};
            cell.iSubItem = column;
            cell.pszText = const_cast<wchar_t*>(cells[size_t(column)].c_str());
            SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(rows[i]), reinterpret_cast<LPARAM>(&cell));
        }
    }
    // From the bottom up, so that the rows above keep their places.
    for (size_t i = rows.size(); i-- > 0;)
        if (gone[i])
            SendMessageW(list, LVM_DELETEITEM, WPARAM(rows[i]), 0);
    // A changed title or caption takes its place in the order shown; any
    // other order stays as it is.
    constexpr int kTitleColumn = 2, kCaptionColumn = 10;
    if (m_list.SortColumn() == kTitleColumn || m_list.SortColumn() == kCaptionColumn)
        m_list.SortByColumn(m_list.SortColumn(), m_list.IsSortDescending());
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdatePreview();
    // The photo shown may be one that changed (its tags under the picture).
    if (m_preview)
        m_preview->PaneResized();
}
