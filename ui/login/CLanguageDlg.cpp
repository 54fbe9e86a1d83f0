#include "ui/login/CLanguageDlg.h"

#include "app/CMultiLanguageSupport.h"
#include "res/resource.h"

CLanguageDlg::CLanguageDlg(SettingsLocation settings, std::wstring moduleFolder)
    : CDialogBase(IDD_LANGUAGE), m_settings(std::move(settings)), m_moduleFolder(std::move(moduleFolder))
{
}

bool CLanguageDlg::OnInitDialog()
{
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    SetIcons(IDI_APP);

    // A second, short-lived language support: it reads and lists, and loads
    // no module.
    CMultiLanguageSupport languages(m_settings.fileName.c_str(), m_settings.folderId, m_moduleFolder);
    const std::wstring current = languages.ReadLanguage(L"Japanese");
    languages.EnumerateModules();
    for (size_t i = 0; i < languages.ModuleCount(); ++i) {
        LRESULT index = SendItem(IDC_LANGUAGE_LIST, CB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(languages.ModuleName(i).c_str()));
        if (index >= 0 && languages.ModuleName(i) == current)
            SendItem(IDC_LANGUAGE_LIST, CB_SETCURSEL, WPARAM(index));
    }
    SetFocus(Item(IDC_LANGUAGE_LIST));
    return false;
}

std::wstring CLanguageDlg::SelectedName() const
{
    LRESULT index = SendItem(IDC_LANGUAGE_LIST, CB_GETCURSEL);
    if (index == CB_ERR)
        return L"";
    LRESULT length = SendItem(IDC_LANGUAGE_LIST, CB_GETLBTEXTLEN, WPARAM(index));
    if (length == CB_ERR || length <= 0)
        return L"";
    std::wstring text(size_t(length) + 1, L'\0');
    LRESULT copied = SendItem(IDC_LANGUAGE_LIST, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? size_t(copied) : 0);
    return text;
}

bool CLanguageDlg::OnCommand(int id, int, HWND)
{
    if (id == IDOK) {
        m_chosen = SelectedName();
        CMultiLanguageSupport languages(m_settings.fileName.c_str(), m_settings.folderId, m_moduleFolder);
        languages.WriteLanguage(m_chosen.c_str()); // a failed write is not reported
        EndDialog(IDOK);
        return true;
    }
    if (id == IDCANCEL) {
        EndDialog(IDCANCEL);
        return true;
    }
    return false;
}
