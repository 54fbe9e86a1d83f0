// The entry point: prepares the platform, picks the language module, opens
// the log, creates the one service client of the run and drives the windows.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <clocale>
#include <memory>
#include <string>

#include "app/CAppModule.h"
#include "app/CIniFile.h"
#include "base/CLogSupport.h"
#include "base/WorkerThread.h"
#include "app/CMultiLanguageSupport.h"
#include "app/ServiceSettings.h"
#include "app/ServiceTextTable.h"
#include "base/ComApartment.h"
#include "service/PicasaClient.h"
#include "ui/albums/CToolDlg.h"
#include "ui/controls/CommonControls.h"
#include "ui/login/CMainDlg.h"

namespace {

constexpr int kNoResourceExitCode = 999;
const wchar_t kNoResourceText[] =
    L"\u30ea\u30bd\u30fc\u30b9\u3092\u8aad\u307f\u8fbc\u3081\u307e\u305b\u3093\u3067\u3057\u305f\u3002"
    L"(Could NOT Load Resource)";

void ShowNoResource()
{
    MessageBoxW(nullptr, kNoResourceText, L"Error", MB_ICONERROR);
}

std::string LogPath()
{
    char path[1040] = {};
    if (!GetTempPathA(ARRAYSIZE(path), path))
        path[0] = '\0';
    PathAppendA(path, "quillon.log");
    return path;
}

// The module handles for the run; forgotten on every path out.
class AppModuleScope
{
public:
    explicit AppModuleScope(HINSTANCE instance) { CAppModule::Init(instance); }
    ~AppModuleScope() { CAppModule::Term(); }
    AppModuleScope(const AppModuleScope&) = delete;
    AppModuleScope& operator=(const AppModuleScope&) = delete;
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    std::setlocale(LC_ALL, "");
    // Declared first so that they end last, after every object below.
    ComApartment com;
    InitCommonControlClasses();
    AppModuleScope appModule(instance);

    auto languages = std::make_unique<CMultiLanguageSupport>(L"quillon.ini", kLocalAppDataFolder);
    LANGID uiLanguage = GetUserDefaultUILanguage();
    if (uiLanguage == 0)
        uiLanguage = GetSystemDefaultUILanguage();
    const wchar_t* defaultLanguage = uiLanguage == 1041 ? L"Japanese" : L"English";
    HINSTANCE module = languages->LoadModule(languages->ReadLanguage(defaultLanguage).c_str());
    if (!module) {
        ShowNoResource();
        return kNoResourceExitCode;
    }
    CAppModule::SetResourceInstance(module);

    const std::string logPath = LogPath();
    auto log = std::make_unique<CLogSupport>(4194304);
    log->Open(logPath.c_str());
    CAppModule::SetLog(log.get());
    WorkerThread::SetLog(log.get());

    // Until a server is named the sign-in window asks for one first; after
    // that the file gets every [Service] key, so that it shows what can be set.
    const bool serversNamed = HasServiceServers(SettingsLocation{});
    if (serversNamed)
        WriteMissingServiceSettings(SettingsLocation{});
    const ServiceSettings service = ReadServiceSettings(SettingsLocation{});
    auto client = std::make_unique<PicasaClient>(service.accountServer, service.photoServer);
    client->SetAcceptUntrustedCertificates(service.acceptUntrustedCertificates);
    client->SetParallelRequests(service.parallelRequests);
    client->SetLog(log.get());
    LoadServiceTexts(client->Texts());

    auto login = std::make_unique<CMainDlg>(*client);
    if (!serversNamed)
        login->OfferServerFirst(kStandInAddress);
    INT_PTR result = login->DoModal(GetActiveWindow());
    while (result == kLoginLanguageChanged) {
        module = languages->LoadModule(languages->ReadLanguage(L"Japanese").c_str());
        if (!module) {
            ShowNoResource();
            result = 2;
        }
        CAppModule::SetResourceInstance(module);
        if (module)
            LoadServiceTexts(client->Texts());
        if (result == kLoginLanguageChanged)
            result = login->DoModal(GetActiveWindow());
    }

    int exitCode = 2;
    if (result == 1 && client->IsSignedIn()) {
        // The album window is the main window: the run ends when it closes
        // (it signs the client out).
        auto albums = std::make_unique<CToolDlg>(*client);
        exitCode = int(albums->DoModal(GetActiveWindow()));
        client->Logout();
        albums.reset();
    } else if (result == 1) {
        exitCode = 1;
    }

    // Shut down in reverse order of creation: the client's statistics reach
    // the log before it closes.
    login.reset();
    client.reset();
    WorkerThread::SetLog(nullptr);
    CAppModule::SetLog(nullptr);
    log->Close();
    log.reset();
    CAppModule::SetResourceInstance(nullptr);
    languages.reset();
    return exitCode;
}
