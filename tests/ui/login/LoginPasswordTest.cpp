// What the login dialog hands to the client: the password as typed, in
// UTF-8 on the wire, however long the box lets it be.
#include <gtest/gtest.h>

#include <windows.h>

#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"
#include "ui/login/CMainDlg.h"

using namespace DialogHarness;

TEST(LoginPassword, EveryTypedCharacterReachesTheServiceAsUtf8)
{
    ScopedLanguage language("en");
    ScriptedServer server;
    ASSERT_TRUE(server.Script("/accounts/ClientLogin", R"([{"status": 200, "body": "Auth=tok\n"}])"))
        << "the scripted test server is not running";
    const std::wstring folder = TestEnv::ScratchFolder("login-password");
    PicasaClient client(TestEnv::Widen(server.HttpBase()), TestEnv::Widen(server.HttpBase()));
    std::string euros;
    while (euros.size() < 900)
        euros += "%E2%82%AC";
    const std::pair<std::wstring, std::string> typedAndSent[] = {
        {L"p\u20acss \u65e5\u672c", "p%E2%82%ACss%20%E6%97%A5%E6%9C%AC"},
        {std::wstring(100, L'\u20ac'), euros}, // the box's limit, all of it
    };
    for (const auto& [typed, sent] : typedAndSent) {
        CMainDlg dialog(client, SettingsLocation::File(folder + L"\\quillon.ini"));
        dialog.SetAccountStorePath(TestEnv::Narrow(folder + L"\\quillon.dat"));
        ModalDriver driver;
        driver.Then([&](HWND window) {
            SetDlgItemTextW(window, IDC_ACCOUNT, L"someone@example.com");
            SetDlgItemTextW(window, IDC_PASSWORD, typed.c_str());
            SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
        EXPECT_TRUE(driver.Unexpected().empty());
        const auto requests = server.Requests("/accounts/ClientLogin");
        ASSERT_FALSE(requests.empty());
        EXPECT_NE(requests.back().body.find("Email=someone%40example.com&Passwd=" + sent + "&"), std::string::npos)
            << requests.back().body;
        EXPECT_EQ(client.Transport().BodyLength(), 0);
    }
}
