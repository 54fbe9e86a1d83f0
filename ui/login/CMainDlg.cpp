#include "ui/login/CMainDlg.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "app/CAccountHistory.h"
#include "app/CIniFile.h"
#include "base/CLogSupport.h"
#include "app/ResourceText.h"
#include "app/ServiceAddress.h"
#include "base/TextFormat.h"
#include "base/UserCodePage.h"
#include "res/resource.h"
#include "service/ClientLoginErrorTable.h"
#include "service/PicasaClient.h"
#include "ui/controls/BackgroundWork.h"
#include "ui/controls/CActionMessageDlg.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/login/CAboutDlg.h"
#include "ui/login/CCustomAutoComplete.h"
#include "ui/login/CLanguageDlg.h"
#include "ui/login/CServerDlg.h"

namespace {

constexpr int kTextLimit = 100;             // characters in either box
constexpr DWORD kCompletionOptions = 0x21;  // suggest as you type; up/down drops the list
const wchar_t kSection[] = L"LoginDlg";
const wchar_t kPublicOnlyKey[] = L"ACCESS_PUBLIC_ONLY";

std::string LocalAppDataFile(const char* name)
{
    char folder[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
        return "";
    std::string path = folder;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + name;
}

} // namespace

unsigned LoginErrorMessageId(const std::wstring& serviceError)
{
    return IDS_LOGIN_ERROR_FIRST + FindClientLoginError(serviceError);
}

std::string ApplicationIdentifier(const std::wstring& versionText)
{
    return "QUILLON " + UserCodePageFromWide(versionText);
}

CMainDlg::CMainDlg(PicasaClient& client, SettingsLocation settings)
    : CDialogBase(IDD_LOGIN), client_(client), settings_(std::move(settings)),
      history_(std::make_unique<CAccountHistory>())
{
}

CMainDlg::~CMainDlg()
{
    Unbind();
}

bool CMainDlg::OnInitDialog()
{
    CenterWindowInWorkArea(Handle(), GetWindow(Handle(), GW_OWNER));
    SetIcons(IDI_APP);
    SetHelpText(IDS_LOGIN_HELP);
    SendItem(IDC_ACCOUNT, EM_LIMITTEXT, kTextLimit);
    SendItem(IDC_PASSWORD, EM_LIMITTEXT, kTextLimit);

    version_ = ProgramVersionText();
    SetItemText(IDC_VERSION, VersionLine(version_));
    LOGFONTW font = {};
    const HFONT dialogFont = HFONT(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    if (dialogFont && GetObjectW(dialogFont, sizeof(font), &font)) {
        font.lfHeight = font.lfHeight * 5 / 6;
        smallFont_.reset(CreateFontIndirectW(&font));
        if (smallFont_)
            SendItem(IDC_SERVER_HOST, WM_SETFONT, WPARAM(smallFont_.get()), FALSE);
    }
    ShowServerHost();

    storePath_ = storeOverride_.empty() ? LocalAppDataFile("quillon.dat") : storeOverride_;
    if (!storePath_.empty())
        history_->Load(storePath_);

    // A fresh source at every opening; the dialog keeps one reference of its
    // own so that a failed bind does not leave it behind.
    Unbind();
    autoComplete_ = ComRef<CCustomAutoComplete>::Share(new CCustomAutoComplete);
    autoComplete_->Bind(Item(IDC_ACCOUNT), kCompletionOptions);
    for (size_t i = 0; i < history_->Count(); ++i) {
        const std::wstring name = WideFromUserCodePage(history_->Name(i).c_str());
        if (!name.empty() && autoComplete_->FindItem(name) < 0)
            autoComplete_->AddItem(name);
    }

    const bool publicOnly = CIniFile(settings_).ReadInt(kSection, kPublicOnlyKey, 0) == 1;
    SetCheck(IDC_PUBLIC_ONLY, publicOnly);
    EnableItem(IDC_PASSWORD, !publicOnly);
    if (!serverOffer_.empty())
        PostMessageW(Handle(), kOfferServerMessage, 0, 0);
    return true;
}

bool CMainDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT&)
{
    if (message != kOfferServerMessage)
        return false;
    // Once: the language's new window does not ask again.
    const std::wstring offer = std::move(serverOffer_);
    serverOffer_.clear();
    if (!offer.empty() && !running_.work)
        ChooseServer(offer);
    return true;
}

bool CMainDlg::OnCommand(int id, int, HWND)
{
    // While the sign-in runs the client is its own; a close stops it and
    // takes effect once it has ended.
    if (running_.work) {
        if (id == IDCANCEL) {
            leaveAfterSignIn_ = true;
            running_.work->Cancel();
        }
        return true;
    }
    switch (id) {
    case IDC_PUBLIC_ONLY:
        EnableItem(IDC_PASSWORD, !IsChecked(IDC_PUBLIC_ONLY));
        return true;
    case IDOK:
        SignIn();
        return true;
    case IDCANCEL:
        Leave();
        return true;
    case ID_APP_ABOUT:
        ShowAbout();
        return true;
    case IDC_CHANGE_LANGUAGE:
        ChooseLanguage();
        return true;
    case IDC_SERVER:
        ChooseServer();
        return true;
    default:
        return false;
    }
}

void CMainDlg::SignIn()
{
    const bool publicOnly = IsChecked(IDC_PUBLIC_ONLY);
    // Read as UTF-16: the password reaches the service as UTF-8 without a
    // detour through the code page, and the account name is cut only between
    // characters to fit the account store.
    wchar_t typed[kTextLimit + 1] = {};
    wchar_t password[kTextLimit + 1] = {};
    GetDlgItemTextW(Handle(), IDC_ACCOUNT, typed, kTextLimit + 1);
    GetDlgItemTextW(Handle(), IDC_PASSWORD, password, kTextLimit + 1);
    const std::string name = UserCodePageFromWide(typed, CAccountHistory::kMaxNameBytes);
    const char* account = name.c_str();
    if (!account[0]) {
        SetFocus(Item(IDC_ACCOUNT));
        return;
    }
    if (!publicOnly && !password[0]) {
        SetFocus(Item(IDC_PASSWORD));
        return;
    }
    const std::string source = ApplicationIdentifier(version_);

    // Off the window's thread, with a progress window and Cancel when the
    // server takes a while.
    DWORD result = ERROR_CANCELLED;
    bool finished = false;
    {
        BackgroundWork work(
            [&](BackgroundWork& self) {
                self.Report(0, 0, ResourceString(IDS_PROGRESS_WAITING));
                result = publicOnly ? client_.OpenPublicSession(account, "")
                                    : client_.Login(account, password, source.c_str());
            },
            [this] { client_.AbortRequests(); });
        finished = CProgressDlg::Run(Handle(), work, ResourceString(IDS_PROGRESS_SIGN_IN), &running_);
    }
    client_.ResumeRequests();
    SecureZeroMemory(password, sizeof(password));
    if (leaveAfterSignIn_) {
        Leave();
        return;
    }
    // Stopped by the user: nothing to tell.
    if (!finished) {
        client_.Logout();
        return;
    }

    if (result != ERROR_SUCCESS) {
        // No reply at all: the service's error table has nothing to say, the
        // cause does.
        const std::wstring cause = client_.GetLastFailureCause();
        if (!cause.empty()) {
            ReportUnreachable(cause, publicOnly);
            return;
        }
        MessageBoxW(Handle(), ResourceString(LoginErrorMessageId(client_.GetLastServiceError())).c_str(),
                    ResourceString(IDS_CAPTION_SIGN_IN_FAILED).c_str(), MB_ICONERROR | MB_OK);
        return;
    }
    history_->Add(account);
    if (!storePath_.empty())
        history_->Save(storePath_);
    Unbind();
    WritePublicOnly();
    EndDialog(IDOK);
}

void CMainDlg::Leave()
{
    WritePublicOnly();
    client_.Logout();
    Unbind();
    EndDialog(IDCANCEL);
}

void CMainDlg::ChooseLanguage()
{
    CLanguageDlg language(settings_, moduleFolder_);
    if (language.DoModal(GetActiveWindow()) != IDOK)
        return;
    client_.Logout();
    Unbind();
    EndDialog(kLoginLanguageChanged);
}

void CMainDlg::ShowAbout()
{
    const CLogSupport* log = client_.GetLog();
    CAboutDlg about(log ? WideFromUserCodePage(log->Path().c_str()) : L"");
    about.DoModal(GetActiveWindow());
}

void CMainDlg::ReportUnreachable(const std::wstring& cause, bool publicOnly)
{
    // A public-only sign-in asks the photo server, the other the account server.
    const std::wstring server = publicOnly ? client_.Access().PhotoServer() : client_.GetAccountServer();
    CActionMessageDlg box(ResourceString(IDS_CAPTION_SIGN_IN_FAILED),
                          ResourceFormat(publicOnly ? IDS_UNREACHABLE_PHOTO_SERVER : IDS_UNREACHABLE_ACCOUNT_SERVER,
                                         {server, cause}),
                          MB_ICONERROR, ResourceString(IDS_SERVER_BUTTON));
    if (box.DoModal(Handle()) == CActionMessageDlg::kActionResult)
        ChooseServer();
}

void CMainDlg::ChooseServer(const std::wstring& offer)
{
    CServerDlg server(settings_);
    if (!offer.empty())
        server.Offer(offer);
    if (server.DoModal(GetActiveWindow()) != IDOK)
        return;
    // The next sign-in goes to the new servers without a restart.
    client_.SetServers(server.chosen.accountServer, server.chosen.photoServer);
    client_.SetAcceptUntrustedCertificates(server.chosen.acceptUntrustedCertificates);
    ShowServerHost();
}

void CMainDlg::ShowServerHost()
{
    std::wstring host = AddressHost(client_.Access().PhotoServer());
    if (host.empty())
        host = client_.Access().PhotoServer();
    SetItemText(IDC_SERVER_HOST, FormatText(ResourceString(IDS_SERVER_HOST_FORMAT), {host}));
}

void CMainDlg::WritePublicOnly()
{
    CIniFile(settings_).WriteInt(kSection, kPublicOnlyKey, IsChecked(IDC_PUBLIC_ONLY) ? 1 : 0);
}

void CMainDlg::Unbind()
{
    if (!autoComplete_)
        return;
    autoComplete_->Unbind();
    autoComplete_.Reset();
}
