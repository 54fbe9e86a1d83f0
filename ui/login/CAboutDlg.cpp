#include "ui/login/CAboutDlg.h"

#include "app/ResourceText.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(std::wstring logPath)
    : CDialogBase(IDD_ABOUT), versionText(ProgramVersionText()), m_logPath(std::move(logPath))
{
}

bool CAboutDlg::OnInitDialog()
{
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    SetIcons(IDI_APP);
    SetItemText(IDC_VERSION, VersionLine(versionText));
    SetItemText(IDC_LOG_PATH, ResourceString(IDS_LOG_FILE_LABEL) + m_logPath);

    m_link.SetExtendedStyle(CHyperLink::kNoTooltip);
    m_link.Attach(Item(IDC_SUPPORT_LINK));
    // The template's words ("Support forum"): the whole address is longer
    // than the line.
    const std::wstring label = ItemText(IDC_SUPPORT_LINK);
    m_link.SetLabel(label.empty() ? kSupportForumAddress : label.c_str());
    m_link.SetAddress(kSupportForumAddress);
    return true;
}

bool CAboutDlg::OnCommand(int id, int, HWND)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(id);
        return true;
    }
    return false;
}
