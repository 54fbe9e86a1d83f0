#pragma once
#include <string>

#include "app/SettingsPath.h"
#include "ui/controls/CDialogBase.h"

// The language dialog (template 207): lists the language modules and stores
// the chosen name as Generic/Language. Ends with 1 after storing (whether or
// not the write worked) and 2 when cancelled.
class CLanguageDlg : public CDialogBase
{
public:
    // moduleFolder empty: the modules beside the program.
    explicit CLanguageDlg(SettingsLocation settings = {}, std::wstring moduleFolder = L"");

    // The name stored on OK.
    const std::wstring& ChosenName() const { return m_chosen; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    std::wstring SelectedName() const;

    SettingsLocation m_settings;
    std::wstring m_moduleFolder;
    std::wstring m_chosen;
};
