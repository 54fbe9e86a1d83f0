// The server dialog from the real language modules, writing a real settings
// file, and the sign-in window that opens it.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/ServiceAddress.h"
#include "app/ServiceSettings.h"
#include "app/ServiceTextTable.h"
#include "base/TextFormat.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/login/CMainDlg.h"
#include "ui/login/CServerDlg.h"

using namespace DialogHarness;

namespace {

class ServerDialog : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        InitControls();
        ini = TestEnv::ScratchFolder("server-dialog") + L"\\quillon.ini";
    }
    std::wstring Value(const wchar_t* key)
    {
        wchar_t value[300] = {};
        GetPrivateProfileStringW(L"Service", key, L"(missing)", value, 300, ini.c_str());
        return value;
    }
    std::wstring ini;
};

TEST_P(ServerDialog, EachAddressIsCheckedAsItIsTypedAndOkWaitsForTwoGoodOnes)
{
    ScopedLanguage language(GetParam());
    CServerDlg dialog(SettingsLocation::File(ini));
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    // Opens on the settings in the file: the original services.
    EXPECT_EQ(dialog.ItemText(IDC_ACCOUNT_SERVER), L"https://www.google.com");
    EXPECT_EQ(dialog.ItemText(IDC_PHOTO_SERVER), L"https://picasaweb.google.com");
    EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDOK)));
    EXPECT_FALSE(dialog.IsChecked(IDC_ACCEPT_UNTRUSTED));
    EXPECT_FALSE(dialog.ItemText(IDC_UNTRUSTED_WARNING).empty());

    const struct
    {
        const wchar_t* address;
        UINT message; // 0: good
    } cases[] = {
        {L"http://localhost:8080", 0},
        {L"", IDS_ADDRESS_EMPTY},
        {L"localhost:8080", IDS_ADDRESS_SCHEME},
        {L"http://", IDS_ADDRESS_HOST},
        {L"http://localhost:99999", IDS_ADDRESS_PORT},
        {L"http://localhost/feeds", IDS_ADDRESS_EXTRA},
        {L"http://[::1]:8080", IDS_ADDRESS_IPV6},
        {L"https://photos.example:8443/", 0},
    };
    for (int edit : {IDC_ACCOUNT_SERVER, IDC_PHOTO_SERVER}) {
        const int hint = edit == IDC_ACCOUNT_SERVER ? IDC_ACCOUNT_SERVER_HINT : IDC_PHOTO_SERVER_HINT;
        const int other = edit == IDC_ACCOUNT_SERVER ? IDC_PHOTO_SERVER_HINT : IDC_ACCOUNT_SERVER_HINT;
        for (const auto& c : cases) {
            SetDlgItemTextW(window, edit, c.address); // EN_CHANGE, as typing gives
            const std::wstring expected = c.message ? language.String(c.message) : L"";
            EXPECT_EQ(dialog.ItemText(hint), expected) << TestEnv::Narrow(c.address);
            EXPECT_EQ(dialog.ItemText(other), L"");
            EXPECT_EQ(IsWindowEnabled(dialog.Item(IDOK)) != FALSE, c.message == 0) << TestEnv::Narrow(c.address);
            if (c.message)
                EXPECT_FALSE(expected.empty());
        }
    }
    // Enter with a wrong address writes nothing.
    SetDlgItemTextW(window, IDC_PHOTO_SERVER, L"nonsense");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Value(L"PhotoServer"), L"(missing)");

    // The original addresses come back at a press, and OK is possible again.
    SendMessageW(dialog.Item(IDC_SERVER_DEFAULTS), BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.ItemText(IDC_ACCOUNT_SERVER), L"https://www.google.com");
    EXPECT_EQ(dialog.ItemText(IDC_PHOTO_SERVER), L"https://picasaweb.google.com");
    EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDOK)));
    DestroyWindow(window);
}

TEST_P(ServerDialog, OkWritesTheAddressesAndTheCertificateChoice)
{
    ScopedLanguage language(GetParam());
    CServerDlg dialog(SettingsLocation::File(ini));
    HWND window = dialog.Create(nullptr);
    ASSERT_NE(window, nullptr);
    SetDlgItemTextW(window, IDC_ACCOUNT_SERVER, L" http://localhost:8080/ ");
    SetDlgItemTextW(window, IDC_PHOTO_SERVER, L"https://localhost:8443");
    SendMessageW(dialog.Item(IDC_ACCEPT_UNTRUSTED), BM_CLICK, 0, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dialog.Result(), IDOK);
    EXPECT_EQ(Value(L"AccountServer"), L"http://localhost:8080");
    EXPECT_EQ(Value(L"PhotoServer"), L"https://localhost:8443");
    EXPECT_EQ(Value(L"AcceptUntrustedCertificates"), L"1");
    EXPECT_EQ(dialog.chosen.accountServer, L"http://localhost:8080");
    EXPECT_TRUE(dialog.chosen.acceptUntrustedCertificates);
}

// A user whose program points at nothing names the stand-in in "Server..."
// and signs in without a restart.
TEST_P(ServerDialog, SignInGoesToTheServerChosenInTheDialog)
{
    ScopedLanguage language(GetParam());
    const std::wstring standIn = TestEnv::ServerW("photo_http");
    ASSERT_FALSE(standIn.empty()) << "the stand-in service is not running";
    PicasaClient client(L"http://nowhere.invalid:1", L"http://nowhere.invalid:1");
    CMainDlg login(client, SettingsLocation::File(ini));
    login.SetAccountStorePath(TestEnv::Narrow(TestEnv::ScratchFolder("server-dialog-store") + L"\\quillon.dat"));
    ModalDriver driver;
    std::wstring hostBefore, serverCaption;
    HWND loginWindow = nullptr;
    driver.Then([&](HWND window) {
        loginWindow = window;
        hostBefore = WindowText(GetDlgItem(window, IDC_SERVER_HOST));
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_SERVER, BN_CLICKED), 0);
    });
    driver.Then([&](HWND server) {
        serverCaption = WindowText(server);
        SetDlgItemTextW(server, IDC_ACCOUNT_SERVER, standIn.c_str());
        SetDlgItemTextW(server, IDC_PHOTO_SERVER, standIn.c_str());
        PostMessageW(server, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // Signs in once the server dialog has closed.
        SetDlgItemTextW(loginWindow, IDC_ACCOUNT, L"demo@example.com");
        SetDlgItemTextW(loginWindow, IDC_PASSWORD, L"demo");
        PostMessageW(loginWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(login.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_FALSE(serverCaption.empty());
    EXPECT_EQ(hostBefore, FormatText(language.String(IDS_SERVER_HOST_FORMAT), {std::wstring(L"nowhere.invalid")}));
    EXPECT_TRUE(client.IsSignedIn());
    EXPECT_EQ(client.Access().PhotoServer(), standIn);
    EXPECT_EQ(Value(L"PhotoServer"), standIn);

    // The sign-in window names the new host when it opens again.
    CMainDlg again(client, SettingsLocation::File(ini));
    again.SetAccountStorePath(TestEnv::Narrow(TestEnv::ScratchFolder("server-dialog-store") + L"\\quillon.dat"));
    ASSERT_NE(again.Create(nullptr), nullptr);
    const std::wstring hostAfter = again.ItemText(IDC_SERVER_HOST);
    EXPECT_EQ(hostAfter, FormatText(language.String(IDS_SERVER_HOST_FORMAT), {AddressHost(standIn)}));
    EXPECT_NE(hostAfter, hostBefore);
    DestroyWindow(again.Handle());
}

// A wrong address: the box says what went wrong, in the user's language.
TEST_P(ServerDialog, SignInAtAClosedPortSaysWhyInTheBox)
{
    ScopedLanguage language(GetParam());
    PicasaClient client(L"http://localhost:1", L"http://localhost:1");
    LoadServiceTexts(client.Texts());
    client.Transport().timeouts.connect = 3000;
    CMainDlg login(client, SettingsLocation::File(ini));
    login.SetAccountStorePath(TestEnv::Narrow(TestEnv::ScratchFolder("server-dialog-store") + L"\\quillon.dat"));
    ModalDriver driver;
    std::wstring caption, text;
    HWND loginWindow = nullptr;
    driver.Then([&](HWND window) {
        loginWindow = window;
        SetDlgItemTextW(window, IDC_ACCOUNT, L"demo@example.com");
        SetDlgItemTextW(window, IDC_PASSWORD, L"demo");
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    driver.Then([&](HWND box) {
        caption = WindowText(box);
        text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        PostMessageW(loginWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(login.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(caption, language.String(IDS_CAPTION_SIGN_IN_FAILED));
    // Why, and which server.
    EXPECT_NE(text.find(FormatText(language.String(IDS_SERVICE_CONNECTION_REFUSED), {std::wstring(L"localhost")})),
              std::wstring::npos)
        << TestEnv::Narrow(text);
    EXPECT_NE(text.find(L"http://localhost:1"), std::wstring::npos) << TestEnv::Narrow(text);
    EXPECT_FALSE(client.IsSignedIn());
}

// The box of a server out of reach offers Server... beside OK; the server
// chosen there takes the next sign-in.
TEST(ServerDialogWiring, TheUnreachableBoxOpensTheServerDialogAndTheNextSignInGoesThere)
{
    InitControls();
    ScopedLanguage language("en");
    const std::wstring ini = TestEnv::ScratchFolder("server-dialog-wiring") + L"\\quillon.ini";
    const std::wstring standIn = TestEnv::ServerW("photo_http");
    ASSERT_FALSE(standIn.empty()) << "the stand-in service is not running";
    PicasaClient client(L"http://localhost:1", L"http://localhost:1");
    LoadServiceTexts(client.Texts());
    CMainDlg login(client, SettingsLocation::File(ini));
    login.SetAccountStorePath(TestEnv::Narrow(TestEnv::ScratchFolder("server-dialog-store") + L"\\quillon.dat"));
    ModalDriver driver;
    std::wstring text, action;
    HWND loginWindow = nullptr;
    driver.Then([&](HWND window) {
        loginWindow = window;
        SetDlgItemTextW(window, IDC_ACCOUNT, L"demo@example.com");
        SetDlgItemTextW(window, IDC_PASSWORD, L"demo");
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    driver.Then([&](HWND box) {
        text = MessageBoxText(box);
        action = WindowText(GetDlgItem(box, IDC_MESSAGE_ACTION));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_MESSAGE_ACTION, BN_CLICKED), 0);
    });
    driver.Then([&](HWND server) {
        SetDlgItemTextW(server, IDC_ACCOUNT_SERVER, standIn.c_str());
        SetDlgItemTextW(server, IDC_PHOTO_SERVER, standIn.c_str());
        PostMessageW(server, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        PostMessageW(loginWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(login.DoModal(nullptr), IDOK);
    EXPECT_TRUE(driver.Unexpected().empty());
    EXPECT_EQ(text.rfind(L"Quillon could not reach the account server http://localhost:1.", 0), 0u)
        << TestEnv::Narrow(text);
    EXPECT_EQ(action, L"&Server...");
    EXPECT_TRUE(client.IsSignedIn());
    EXPECT_EQ(client.GetAccountServer(), standIn);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ServerDialog, testing::Values("en", "ja"));

} // namespace
