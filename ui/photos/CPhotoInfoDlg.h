#pragma once
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/SettingsPath.h"
#include "ui/photos/CPhotoPreview.h"
#include "ui/photos/PhotoListRows.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CDialogPositionRestore.h"
#include "ui/controls/CResizeRule.h"
#include "ui/controls/CSortListViewCtrlWithHyperLink.h"

// Every photo and video of the chosen albums in one sortable list, with
// links to each photo's web page and media file, and beside it a preview of
// the selected photo (fetched off the window's thread; the pane can be
// hidden). Enter or a double-click opens the photo's page; Copy copies the
// selected rows, or every row when none is selected. Ends with 1 or 2;
// placement, sort and the pane's state live in section PhotoInfoDlg.
class PicasaClient;

// What the photo list's commands on the selected photos work with (see
// CPhotoInfoDlgCommands.cpp).
struct PhotoListActions
{
    // Null: Open, Copy and Save only. Properties, Move and Delete need it
    // signed in, and the photos' edit links.
    PicasaClient* client = nullptr;
    // The account's albums, the places a move may go to.
    std::vector<AlbumEntry> accountAlbums;
    // Saves photos into a folder the user picks; null: no Save.
    std::function<void(HWND owner, const std::vector<PhotoEntry>& photos)> save;
};

class CPhotoInfoDlg : public CDialogBase, public CDialogPositionRestore
{
public:
    static constexpr wchar_t kSection[] = L"PhotoInfoDlg";
    static constexpr wchar_t kPreviewKey[] = L"SHOW_PREVIEW";
    // Posted to itself once a run of selection changes is over.
    static constexpr UINT kSelectionMessage = WM_APP + 32;
    // Pictures fetched ahead while the selection steps a row at a time.
    static constexpr int kStepAhead = 3;
    // Posted to itself on a change of DPI, to be seen after the resize rule
    // has taken the rescaled layout.
    static constexpr UINT kDpiSettledMessage = WM_APP + 33;

    // The albums, in the album list's order, stay the caller's and must
    // outlive the dialog. quickMode: the counts were not loaded.
    CPhotoInfoDlg(const std::vector<PhotoListAlbum>& albums, bool quickMode, SettingsLocation settings = {});

    CSortListViewCtrlWithHyperLink& List() { return m_list; }
    // Where the previews come from; set before the dialog opens. Without it
    // pictures are fetched without a token.
    void SetPreviewSource(PreviewSource source) { m_previewSource = std::move(source); }
    // How the photo's page is opened (the list's links too); the default
    // runs the shell's "open" verb.
    void SetOpener(CSortListViewCtrlWithHyperLink::Opener opener);
    // Null until the dialog is initialised.
    CPhotoPreview* Preview() const { return m_preview.get(); }
    // The photo of a row; null for none.
    const PhotoEntry* RowPhoto(int row) const;
    // The commands on the selected photos; set before the dialog opens.
    void SetActions(PhotoListActions actions) { m_actions = std::move(actions); }
    // True once a command changed, moved or deleted a photo.
    bool PhotosChanged() const { return m_photosChanged; }
    // Whether a command of the context menu runs now.
    bool CommandEnabled(int id) const;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnDialogKey(const MSG& key) override;
    HWND PlacementWindow() const override { return Handle(); }

private:
    void InsertColumns();
    void InsertRows();
    void SizeColumns();
    void CopyRows();
    void Close(int id);
    void ShowPreview(bool shown);
    void LayOutPane();
    void UpdatePreview();
    bool OpenPhotoPage(int row);

    // The commands on the selected photos (CPhotoInfoDlgCommands.cpp).
    bool RunPhotoCommand(int id);
    std::vector<int> SelectedPhotoRows() const;
    std::vector<PhotoEntry*> PhotosOfRows(const std::vector<int>& rows) const;
    const AlbumEntry* AlbumOf(const PhotoEntry* photo) const;
    void EditProperties();
    void MovePhotos();
    void DeletePhotos();
    void SaveSelected();
    // Rows whose photos changed show them again; rows whose photos left
    // the album go. Sort, the other rows' selection and the scroll stay.
    void UpdateRows(const std::vector<int>& rows, const std::vector<bool>& gone);

    const std::vector<PhotoListAlbum>& m_albums;
    bool m_quickMode;
    SettingsLocation m_settings;
    CSortListViewCtrlWithHyperLink m_list;
    CResizeRule m_resize;
    std::vector<const PhotoEntry*> m_rowPhotos; // a row's user value - 1
    PreviewSource m_previewSource;
    std::unique_ptr<CPhotoPreview> m_preview;
    bool m_selectionPosted = false;
    int m_lastPreviewRow = -1;
    // Rows fetched ahead: how many, and which way (1: down, -1: up).
    int m_previewAhead = 1;
    int m_previewDirection = 1;
    PhotoListActions m_actions;
    bool m_photosChanged = false;
};
