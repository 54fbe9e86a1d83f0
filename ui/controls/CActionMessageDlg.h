#pragma once
#include <windows.h>

#include <string>

#include "base/ScopedHandles.h"
#include "ui/controls/CDialogBase.h"

// A message box with one more button beside OK that leads on ("Server...",
// "Open the folder"): the text in static 0xFFFF as a message box has it,
// the system icon of an MB_ICON* flag, and the window grown to the text.
// DoModal ends with IDOK (OK, Escape or the close box) or kActionResult.
class CActionMessageDlg : public CDialogBase
{
public:
    static constexpr INT_PTR kActionResult = 1121; // IDC_MESSAGE_ACTION

    CActionMessageDlg(std::wstring caption, std::wstring text, UINT icon, std::wstring actionLabel);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    // Grows the text to hold it all, and the window and the buttons with it.
    void FitText();

    std::wstring m_caption;
    std::wstring m_text;
    UINT m_icon;
    std::wstring m_action;
};

// The system icon a message box shows for an MB_ICON* flag.
LPCWSTR MessageIconResource(UINT icon);
