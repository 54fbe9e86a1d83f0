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

    // Offers this address for both servers in place of the ones set (the
    // first run, when none is set yet).
    void Offer(std::wstring address) { m_offer = std::move(address); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    // Shows what is wrong beside each address; OK only when both are good.
    void Check();

    SettingsLocation m_settings;
    std::wstring m_offer;
};

// The string beside an address with this problem; 0 for a good address.
UINT AddressProblemMessageId(AddressProblem problem);
