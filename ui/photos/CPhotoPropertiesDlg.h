#pragma once
#include <vector>

#include "ui/controls/CDialogBase.h"
#include "ui/photos/PhotoCommands.h"
#include "ui/photos/PhotoJobRunner.h"

class PicasaClient;

// Title, caption and tags of the selected photos (the title of one photo
// only). OK sends each photo the fields the user changed, one request per
// photo; when a photo changed meanwhile it is read again, the user is told,
// and the dialog stays open with the entries as typed. Ends with 1 once
// something was sent, else 2.
class CPhotoPropertiesDlg : public CDialogBase
{
public:
    CPhotoPropertiesDlg(PicasaClient& client, std::vector<PhotoEntry*> photos);

    // Every run's outcome, the last one's states.
    const PhotoJobResult& LastResult() const { return m_result; }
    bool Sent() const { return m_sent; }
    // The fields as they stand (the entries typed).
    PhotoEditFields Fields() const;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void Apply();

    PicasaClient& m_client;
    std::vector<PhotoEntry*> m_photos;
    PhotoEditFields m_opened;
    PhotoJobResult m_result;
    bool m_sent = false;
};
