#pragma once
#include <string>

#include "ui/controls/CDialogBase.h"
#include "ui/transfer/FolderUpload.h"

// The question before a folder upload: the folder and the album, what will
// be sent and what is there already, and the files that cannot be uploaded
// with the reason. Upload is the default; with nothing new it is disabled.
// Ends with IDOK (upload) or IDCANCEL.
class CFolderUploadDlg : public CDialogBase
{
public:
    CFolderUploadDlg(const FolderPlan& plan, std::wstring target);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    const FolderPlan& m_plan;
    std::wstring m_target;
};
