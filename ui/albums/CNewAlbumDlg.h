#pragma once
#include <string>

#include "app/SettingsPath.h"
#include "ui/albums/CAlbumFieldsForm.h"
#include "ui/albums/NewAlbumChecks.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CDialogPositionRestore.h"

class PicasaClient;

// Asks for a new album's title, description, date, place and access level,
// checks the title and the date, and creates the album. Ends with 1 after a
// creation and 2 on cancel; after a failed creation it stays open with the
// fields as typed. Its placement lives in section NewAlbumDlg.
class CNewAlbumDlg : public CDialogBase, public CDialogPositionRestore
{
public:
    static constexpr wchar_t kSection[] = L"NewAlbumDlg";

    explicit CNewAlbumDlg(PicasaClient& client, SettingsLocation settings = {});

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HWND PlacementWindow() const override { return Handle(); }

private:
    void CreateAlbum();
    // The log lines and the error box; with a text, the box says that only
    // (the outcome of the request is not known).
    void ReportFailure(UINT outcomeUnknownText = 0);
    void Cancel();

    PicasaClient& m_client;
    SettingsLocation m_settings;
    CAlbumFieldsForm m_fields;
};
