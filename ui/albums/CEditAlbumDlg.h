#pragma once
#include <functional>
#include <string>

#include "app/SettingsPath.h"
#include "service/AlbumEntry.h"
#include "ui/albums/AlbumEdit.h"
#include "ui/albums/CAlbumFieldsForm.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CDialogPositionRestore.h"

class PicasaClient;

// The properties of one album: the new album dialog's fields and
// commenting, filled with the album's values. OK sends the changed fields
// in one update and ends with 1; with nothing changed it sends nothing and
// ends with 2, as Cancel does. When the album was changed elsewhere, the
// owner's list is refreshed (through `refresh`, true when the list was
// loaded) and the dialog stays open with the user's entries; when it was
// deleted elsewhere, the list is refreshed and the dialog says so and ends
// with 2. Its placement lives in section EditAlbumDlg.
class CEditAlbumDlg : public CDialogBase, public CDialogPositionRestore
{
public:
    static constexpr wchar_t kSection[] = L"EditAlbumDlg";

    CEditAlbumDlg(PicasaClient& client, AlbumEntry album, SettingsLocation settings = {},
                  std::function<bool()> refresh = {});

    // The album as the dialog last had it from the feed.
    const AlbumEntry& Album() const { return m_album; }
    AlbumEditFields Fields() const;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HWND PlacementWindow() const override { return Handle(); }

private:
    void Send();
    void ReportFailure();
    // The album again from the refreshed list, by its id; the fields the
    // user left alone take its current values.
    void TakeCurrentAlbum();
    // After a "not found": whether the refreshed list no longer has the album.
    bool AlbumGone();
    void Close(INT_PTR result);

    PicasaClient& m_client;
    AlbumEntry m_album;
    AlbumEditFields m_before;
    SettingsLocation m_settings;
    std::function<bool()> m_refresh;
    CAlbumFieldsForm m_fields;
};
