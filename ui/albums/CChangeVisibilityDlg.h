#pragma once
#include "ui/controls/CDialogBase.h"

// Asks for the access level that the album window gives every selected
// album. Ends with 1 (Accepted: ChosenAccess() is valid) or 2.
class CChangeVisibilityDlg : public CDialogBase
{
public:
    CChangeVisibilityDlg();

    // The access level index (0 public, 1 private, 2 protected).
    int ChosenAccess() const { return m_chosen; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    int m_chosen = 1;
};
