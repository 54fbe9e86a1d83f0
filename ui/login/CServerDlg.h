#pragma once
#include <windows.h>

#include "app/ServiceAddress.h"
#include "app/ServiceSettings.h"
#include "app/SettingsPath.h"
#include "ui/controls/CDialogBase.h"

// Where the program connects: the account and photo server addresses and the
// untrusted-certificate choice, checked as they are typed. OK writes them to
// the settings file's [Service] section; `chosen` then holds them.
class CServerDlg : public CDialogBase
{
public:
    explicit CServerDlg(SettingsLocation settings = {});

    ServiceSettings chosen;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    // Shows what is wrong beside each address; OK only when both are good.
    void Check();

    SettingsLocation m_settings;
};

// The string beside an address with this problem; 0 for a good address.
UINT AddressProblemMessageId(AddressProblem problem);
