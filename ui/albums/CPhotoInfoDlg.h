#pragma once
#include <vector>

#include "app/SettingsPath.h"
#include "ui/albums/PhotoListRows.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CDialogPositionRestore.h"
#include "ui/controls/CResizeRule.h"
#include "ui/controls/CSortListViewCtrlWithHyperLink.h"

// Every photo and video of the chosen albums in one sortable list, with
// links to each photo's web page and media file. It only shows what it is
// given and sends no request. Ends with 1 or 2; placement and sort live in
// section PhotoInfoDlg.
class CPhotoInfoDlg : public CDialogBase, public CDialogPositionRestore
{
public:
    static constexpr wchar_t kSection[] = L"PhotoInfoDlg";

    // The albums, in the album list's order, stay the caller's and must
    // outlive the dialog. quickMode: the counts were not loaded.
    CPhotoInfoDlg(const std::vector<PhotoListAlbum>& albums, bool quickMode, SettingsLocation settings = {});

    CSortListViewCtrlWithHyperLink& List() { return m_list; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HWND PlacementWindow() const override { return Handle(); }

private:
    void InsertColumns();
    void InsertRows();
    void SizeColumns();
    void Close(int id);

    const std::vector<PhotoListAlbum>& m_albums;
    bool m_quickMode;
    SettingsLocation m_settings;
    CSortListViewCtrlWithHyperLink m_list;
    CResizeRule m_resize;
};
