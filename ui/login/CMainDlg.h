#pragma once
#include <memory>
#include <string>

#include "base/ComRef.h"
#include "base/ScopedHandles.h"

#include "app/SettingsPath.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CProgressDlg.h"

class PicasaClient;
class CAccountHistory;
class CCustomAutoComplete;

// Result of the login dialog when the user chose another language: start-up
// loads the new module and shows the dialog again.
constexpr INT_PTR kLoginLanguageChanged = 1033;

// The sign-in window (the first window of a run; the album window is the
// main window): account name with completion from the names used before,
// password, the public-albums-only choice; signs the shared client in.
// Ends with 1 (signed in), 2 (left) or kLoginLanguageChanged.
class CMainDlg : public CDialogBase
{
public:
    explicit CMainDlg(PicasaClient& client, SettingsLocation settings = {});
    ~CMainDlg() override;

    // Where the account names are kept; by default quillon.dat in the local
    // application data folder, found when the dialog opens.
    void SetAccountStorePath(std::string path) { storeOverride_ = std::move(path); }
    // Where the language dialog looks for modules; beside the program by default.
    void SetModuleFolder(std::wstring folder) { moduleFolder_ = std::move(folder); }
    // Opens the Server dialog, with this address offered, as soon as the
    // window shows (the first run, when no server is set yet).
    void OfferServerFirst(std::wstring address) { serverOffer_ = std::move(address); }
    CAccountHistory& History() { return *history_; }

    // Posted to itself to open the Server dialog once the window shows.
    static constexpr UINT kOfferServerMessage = WM_APP + 40;
    CCustomAutoComplete* AutoComplete() const { return autoComplete_.Get(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SignIn();
    void Leave();
    void ChooseLanguage();
    void ShowAbout();
    void ChooseServer(const std::wstring& offer = L"");
    // A sign-in that reached no server: says which, and offers Server...
    void ReportUnreachable(const std::wstring& cause, bool publicOnly);
    void ShowServerHost();
    void WritePublicOnly();
    void Unbind();

    PicasaClient& client_;
    SettingsLocation settings_;
    std::wstring version_;
    std::string storeOverride_;
    std::wstring moduleFolder_;
    std::wstring serverOffer_;
    std::string storePath_;
    std::unique_ptr<CAccountHistory> history_;
    // The dialog's own reference while the list is bound.
    ComRef<CCustomAutoComplete> autoComplete_;
    // The smaller font of the server line.
    UniqueFont smallFont_;
    // The sign-in under way, and whether the window was closed meanwhile.
    RunningWork running_;
    bool leaveAfterSignIn_ = false;
};

// The string that explains a failed sign-in: 5700 + the row of the service's
// error name in the ClientLogin error table.
unsigned LoginErrorMessageId(const std::wstring& serviceError);

// "QUILLON " and the program's version: how the program names itself to the
// account service.
std::string ApplicationIdentifier(const std::wstring& versionText);
