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
    CAccountHistory& History() { return *history_; }
    CCustomAutoComplete* AutoComplete() const { return autoComplete_.Get(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    void SignIn();
    void Leave();
    void ChooseLanguage();
    void ShowAbout();
    void ChooseServer();
    void ShowServerHost();
    void WritePublicOnly();
    void Unbind();

    PicasaClient& client_;
    SettingsLocation settings_;
    std::wstring version_;
    std::string storeOverride_;
    std::wstring moduleFolder_;
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
