#pragma once
#include <string>

#include "ui/controls/CDialogBase.h"
#include "ui/controls/CHyperLink.h"

// Where users ask for help; shown and opened by the about box.
constexpr const wchar_t* kSupportForumAddress = L"https://github.com/quillon-app/quillon/discussions";

// The about box (template 200): version line, log file and support link.
// Ends with 1 (OK) or 2 (closed).
class CAboutDlg : public CDialogBase
{
public:
    explicit CAboutDlg(std::wstring logPath);

    // The program's "FileVersion"; filled in by the constructor.
    std::wstring versionText;

    CHyperLink& Link() { return m_link; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    std::wstring m_logPath;
    CHyperLink m_link;
};
