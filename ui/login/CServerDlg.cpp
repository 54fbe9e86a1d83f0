#include "ui/login/CServerDlg.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PhotoServerAccess.h"

namespace {

constexpr int kAddressLimit = 1000;

} // namespace

UINT AddressProblemMessageId(AddressProblem problem)
{
    switch (problem) {
    case AddressProblem::None:
        return 0;
    case AddressProblem::Empty:
        return IDS_ADDRESS_EMPTY;
    case AddressProblem::Scheme:
        return IDS_ADDRESS_SCHEME;
    case AddressProblem::Host:
        return IDS_ADDRESS_HOST;
    case AddressProblem::Port:
        return IDS_ADDRESS_PORT;
    case AddressProblem::Extra:
        return IDS_ADDRESS_EXTRA;
    case AddressProblem::Ipv6:
        return IDS_ADDRESS_IPV6;
    }
    return 0;
}

CServerDlg::CServerDlg(SettingsLocation settings) : CDialogBase(IDD_SERVER), m_settings(std::move(settings)) {}

bool CServerDlg::OnInitDialog()
{
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    SetIcons(IDI_APP);
    SendItem(IDC_ACCOUNT_SERVER, EM_LIMITTEXT, kAddressLimit);
    SendItem(IDC_PHOTO_SERVER, EM_LIMITTEXT, kAddressLimit);
    chosen = ReadServiceSettings(m_settings);
    if (!m_offer.empty())
        chosen.accountServer = chosen.photoServer = m_offer;
    SetItemText(IDC_ACCOUNT_SERVER, chosen.accountServer);
    SetItemText(IDC_PHOTO_SERVER, chosen.photoServer);
    SetCheck(IDC_ACCEPT_UNTRUSTED, chosen.acceptUntrustedCertificates);
    Check();
    return true;
}

bool CServerDlg::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDC_ACCOUNT_SERVER:
    case IDC_PHOTO_SERVER:
        if (code == EN_CHANGE)
            Check();
        return true;
    case IDC_SERVER_DEFAULTS: {
        const ServiceSettings original;
        SetItemText(IDC_ACCOUNT_SERVER, original.accountServer);
        SetItemText(IDC_PHOTO_SERVER, original.photoServer);
        Check();
        return true;
    }
    case IDOK: {
        // The button is disabled while an address is wrong, but Enter still
        // reaches here.
        if (CheckServiceAddress(ItemText(IDC_ACCOUNT_SERVER)) != AddressProblem::None ||
            CheckServiceAddress(ItemText(IDC_PHOTO_SERVER)) != AddressProblem::None)
            return true;
        chosen.accountServer = TidyServerAddress(ItemText(IDC_ACCOUNT_SERVER));
        chosen.photoServer = TidyServerAddress(ItemText(IDC_PHOTO_SERVER));
        chosen.acceptUntrustedCertificates = IsChecked(IDC_ACCEPT_UNTRUSTED);
        WriteServiceSettings(m_settings, chosen); // the run uses them even when the file cannot be written
        EndDialog(IDOK);
        return true;
    }
    case IDCANCEL:
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

void CServerDlg::Check()
{
    bool good = true;
    const struct
    {
        int edit;
        int hint;
    } rows[] = {{IDC_ACCOUNT_SERVER, IDC_ACCOUNT_SERVER_HINT}, {IDC_PHOTO_SERVER, IDC_PHOTO_SERVER_HINT}};
    for (const auto& row : rows) {
        const UINT message = AddressProblemMessageId(CheckServiceAddress(ItemText(row.edit)));
        SetItemText(row.hint, message ? ResourceString(message) : L"");
        good = good && message == 0;
    }
    EnableItem(IDOK, good);
}
