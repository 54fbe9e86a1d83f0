// The login dialog from the real language modules, signing a real client in
// against the stand-in service.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/CAccountHistory.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/Json.h"
#include "tests/support/TestEnv.h"
#include "ui/login/CCustomAutoComplete.h"
#include "ui/login/CMainDlg.h"

#include <atomic>
#include <thread>

using namespace DialogHarness;

namespace {

class LoginDialog : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        service = TestEnv::Server("photo_http");
        ASSERT_FALSE(service.empty()) << "the stand-in service is not running";
        folder = TestEnv::ScratchFolder("login-dialog");
        ini = folder + L"\\quillon.ini";
        dat = folder + L"\\quillon.dat";
        client = std::make_unique<PicasaClient>(TestEnv::Widen(service), TestEnv::Widen(service));
        dialog = std::make_unique<CMainDlg>(*client, SettingsLocation::File(ini));
        dialog->SetAccountStorePath(TestEnv::Narrow(dat));
        dialog->SetModuleFolder(BinFolder());
        requestsBefore = RequestCount();
    }

    size_t RequestCount()
    {
        return size_t(Json::Parse(LoopbackRequest(service, "GET", "/__control/requests?since=0").body)["next"].Int());
    }

    std::vector<Json> ClientLogins()
    {
        Json reply = Json::Parse(
            LoopbackRequest(service, "GET", "/__control/requests?since=" + std::to_string(requestsBefore)).body);
        std::vector<Json> out;
        for (const Json& r : reply["requests"].array)
            if (r["path"].string == "/accounts/ClientLogin")
                out.push_back(r);
        return out;
    }

    static void Type(HWND window, int id, const wchar_t* text) { SetDlgItemTextW(window, id, text); }
    static void Press(HWND window, int id) { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

    std::string service;
    std::wstring folder, ini, dat;
    size_t requestsBefore = 0;
    std::unique_ptr<PicasaClient> client;
    std::unique_ptr<CMainDlg> dialog;
};

TEST_P(LoginDialog, FailedSignInShowsTheMessageOfItsErrorAndWritesNothing)
{
    ScopedLanguage language(GetParam());
    struct Case
    {
        const wchar_t* account;
        UINT message;
    };
    const Case cases[] = {
        {L"demo@example.com", IDS_LOGIN_ERROR_BAD_AUTHENTICATION}, // wrong password
        {L"captcharequired@example.com", IDS_LOGIN_ERROR_CAPTCHA_REQUIRED},
        {L"serviceunavailable@example.com", IDS_LOGIN_ERROR_SERVICE_UNAVAILABLE},
    };
    for (const Case& c : cases) {
        ModalDriver driver;
        HWND login = nullptr;
        std::wstring caption, text;
        bool filesUntouched = false;
        driver.Then([&](HWND window) {
            login = window;
            Type(window, IDC_ACCOUNT, c.account);
            Type(window, IDC_PASSWORD, c.message == IDS_LOGIN_ERROR_BAD_AUTHENTICATION ? L"wrong" : L"demo");
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        driver.Then([&](HWND box) {
            caption = WindowText(box);
            text = MessageBoxText(box);
            filesUntouched = !PathFileExistsW(ini.c_str()) && !PathFileExistsW(dat.c_str());
            EXPECT_TRUE(IsWindow(login));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            PostMessageW(login, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        EXPECT_EQ(dialog->DoModal(nullptr), IDCANCEL);
        EXPECT_EQ(caption, language.String(IDS_CAPTION_SIGN_IN_FAILED));
        EXPECT_EQ(text, language.String(c.message)) << TestEnv::Narrow(c.account);
        EXPECT_FALSE(text.empty());
        EXPECT_TRUE(filesUntouched);
        EXPECT_FALSE(client->IsSignedIn());
        EXPECT_TRUE(driver.Unexpected().empty());
        DeleteFileW(ini.c_str());
    }
}

TEST_P(LoginDialog, AReplyWithoutAnErrorNameShowsTheInternalErrorMessage)
{
    ScopedLanguage language(GetParam());
    // The scripted server answers the sign-in with a bare failure.
    LoopbackRequest(TestEnv::Server("scripted_http"), "POST", "/__control/script",
                    "{\"path\": \"/accounts/ClientLogin\", \"responses\": [{\"status\": 500, \"body\": \"oops\"}]}");
    client = std::make_unique<PicasaClient>(TestEnv::ServerW("scripted_http"), TestEnv::ServerW("scripted_http"));
    CMainDlg bare(*client, SettingsLocation::File(ini));
    bare.SetAccountStorePath(TestEnv::Narrow(dat));
    ModalDriver driver;
    std::wstring text;
    driver.Then([&](HWND window) {
        Type(window, IDC_ACCOUNT, L"someone");
        Type(window, IDC_PASSWORD, L"secret");
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    driver.Then([&](HWND box) {
        text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        PostMessageW(GetParent(box) ? GetParent(box) : GetWindow(box, GW_OWNER), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(bare.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(text, language.String(IDS_LOGIN_ERROR_INTERNAL));
}

TEST_P(LoginDialog, SignInKeepsTheAccountAndThePublicOnlyChoice)
{
    ScopedLanguage language(GetParam());
    ModalDriver driver;
    driver.Then([&](HWND window) {
        Type(window, IDC_ACCOUNT, L"demo@example.com");
        Type(window, IDC_PASSWORD, L"demo");
        Press(window, IDOK);
    });
    EXPECT_EQ(dialog->DoModal(nullptr), IDOK);
    EXPECT_TRUE(client->IsSignedIn());
    EXPECT_FALSE(client->Access().Token().empty());
    EXPECT_EQ(TestEnv::ReadBytes(dat), "demo@example.com\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(L"LoginDlg", L"ACCESS_PUBLIC_ONLY", -1, ini.c_str()), 0);
    ASSERT_EQ(ClientLogins().size(), 1u);
    EXPECT_NE(ClientLogins()[0]["body"].string.find("&source=QUILLON%200.0.0.19"), std::string::npos);
}

TEST_P(LoginDialog, PublicOnlyIgnoresThePasswordAndSendsNoToken)
{
    ScopedLanguage language(GetParam());
    ModalDriver driver;
    bool passwordDisabled = false;
    driver.Then([&](HWND window) {
        Press(window, IDC_PUBLIC_ONLY);
        passwordDisabled = !IsWindowEnabled(GetDlgItem(window, IDC_PASSWORD));
        Type(window, IDC_ACCOUNT, L"friend");
        Type(window, IDC_PASSWORD, L"not used");
        Press(window, IDOK);
    });
    EXPECT_EQ(dialog->DoModal(nullptr), IDOK);
    EXPECT_TRUE(passwordDisabled);
    EXPECT_TRUE(client->IsSignedIn());
    EXPECT_EQ(client->Access().Token(), L"");
    EXPECT_TRUE(ClientLogins().empty());
    EXPECT_EQ(GetPrivateProfileIntW(L"LoginDlg", L"ACCESS_PUBLIC_ONLY", -1, ini.c_str()), 1);

    // The public client's album list carries no authorization.
    ASSERT_EQ(client->LoadAlbums(), 0u);
    Json reply = Json::Parse(
        LoopbackRequest(service, "GET", "/__control/requests?since=" + std::to_string(requestsBefore)).body);
    ASSERT_FALSE(reply["requests"].array.empty());
    EXPECT_TRUE(reply["requests"].array.back()["headers"]["Authorization"].string.empty());
}

TEST_P(LoginDialog, PublicOnlySettingOtherThanOneLeavesTheBoxUnchecked)
{
    ScopedLanguage language(GetParam());
    for (const auto& [value, checked] : std::vector<std::pair<const wchar_t*, bool>>{
             {L"1", true}, {L"2", false}, {L"0", false}, {L"x", false}, {nullptr, false}}) {
        DeleteFileW(ini.c_str());
        if (value)
            WritePrivateProfileStringW(L"LoginDlg", L"ACCESS_PUBLIC_ONLY", value, ini.c_str());
        CMainDlg fresh(*client, SettingsLocation::File(ini));
        fresh.SetAccountStorePath(TestEnv::Narrow(dat));
        ASSERT_NE(fresh.Create(nullptr), nullptr);
        EXPECT_EQ(fresh.IsChecked(IDC_PUBLIC_ONLY), checked) << (value ? TestEnv::Narrow(value) : "none");
        EXPECT_EQ(IsWindowEnabled(fresh.Item(IDC_PASSWORD)) != FALSE, !checked);
    }
}

TEST_P(LoginDialog, LeavingStoresThePublicOnlyChoiceAndSignsOut)
{
    ScopedLanguage language(GetParam());
    ASSERT_EQ(client->OpenPublicSession("friend", ""), 0u);
    ModalDriver driver;
    driver.Then([&](HWND window) {
        Press(window, IDC_PUBLIC_ONLY);
        // Matched by id whatever the notification code.
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_SETFOCUS), 0);
    });
    EXPECT_EQ(dialog->DoModal(nullptr), IDCANCEL);
    EXPECT_FALSE(client->IsSignedIn());
    EXPECT_EQ(GetPrivateProfileIntW(L"LoginDlg", L"ACCESS_PUBLIC_ONLY", -1, ini.c_str()), 1);
    EXPECT_FALSE(PathFileExistsW(dat.c_str())) << "the account store is saved only after a sign-in";
}

TEST_P(LoginDialog, MissingAccountOrPasswordMovesTheFocusAndSendsNothing)
{
    ScopedLanguage language(GetParam());
    ASSERT_NE(dialog->Create(nullptr), nullptr);
    HWND window = dialog->Handle();
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(GetFocus(), dialog->Item(IDC_ACCOUNT));
    Type(window, IDC_ACCOUNT, L"demo@example.com");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(GetFocus(), dialog->Item(IDC_PASSWORD));
    EXPECT_EQ(dialog->Result(), -1);
    EXPECT_TRUE(ClientLogins().empty());
}

TEST_P(LoginDialog, CompletionOffersEachStoredNameOnceAndKeepsLetterCase)
{
    ScopedLanguage language(GetParam());
    std::ofstream(std::filesystem::path(dat), std::ios::binary) << "bob\r\nAlice\r\nalice\r\nbob\r\n\r\n";
    ASSERT_NE(dialog->Create(nullptr), nullptr);
    CCustomAutoComplete* names = dialog->AutoComplete();
    ASSERT_NE(names, nullptr);
    ASSERT_EQ(names->ItemCount(), 3u);
    EXPECT_EQ(names->Item(0), L"Alice");
    EXPECT_EQ(names->Item(1), L"alice");
    EXPECT_EQ(names->Item(2), L"bob");
    EXPECT_EQ(dialog->History().Count(), 4u); // the file's duplicate stays until the next save
}

TEST_P(LoginDialog, VersionLineAndIcons)
{
    ScopedLanguage language(GetParam());
    ASSERT_NE(dialog->Create(nullptr), nullptr);
    EXPECT_EQ(dialog->ItemText(IDC_VERSION), L"Ver. 0.0.0.19 " + language.String(IDS_VERSION_SUFFIX));
    EXPECT_NE(SendMessageW(dialog->Handle(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(dialog->Handle(), WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_P(LoginDialog, CancellingTheLanguageDialogChangesNothing)
{
    ScopedLanguage language(GetParam());
    ASSERT_EQ(client->OpenPublicSession("friend", ""), 0u);
    ModalDriver driver;
    HWND login = nullptr;
    driver.Then([&](HWND window) {
        login = window;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CHANGE_LANGUAGE, BN_CLICKED), 0);
    });
    bool stillSignedIn = false;
    driver.Then([&](HWND languageDialog) {
        EXPECT_NE(GetDlgItem(languageDialog, IDC_LANGUAGE_LIST), nullptr);
        Press(languageDialog, IDCANCEL);
        stillSignedIn = client->IsSignedIn();
        PostMessageW(login, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(dialog->DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(stillSignedIn);
    wchar_t value[32] = L"";
    GetPrivateProfileStringW(L"Generic", L"Language", L"<none>", value, 32, ini.c_str());
    EXPECT_STREQ(value, L"<none>");
}

TEST_P(LoginDialog, ChoosingALanguageStoresItSignsOutAndAsksForARestart)
{
    ScopedLanguage language(GetParam());
    ASSERT_EQ(client->OpenPublicSession("friend", ""), 0u);
    ModalDriver driver;
    driver.Then([&](HWND window) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_CHANGE_LANGUAGE, BN_CLICKED), 0);
    });
    driver.Then([&](HWND languageDialog) {
        HWND list = GetDlgItem(languageDialog, IDC_LANGUAGE_LIST);
        SendMessageW(list, CB_SETCURSEL,
                     SendMessageW(list, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"English")), 0);
        Press(languageDialog, IDOK);
    });
    EXPECT_EQ(dialog->DoModal(nullptr), kLoginLanguageChanged);
    EXPECT_FALSE(client->IsSignedIn());
    wchar_t value[32] = L"";
    GetPrivateProfileStringW(L"Generic", L"Language", L"", value, 32, ini.c_str());
    EXPECT_STREQ(value, L"English");
    // The public-only choice is not written on this path.
    EXPECT_EQ(GetPrivateProfileIntW(L"LoginDlg", L"ACCESS_PUBLIC_ONLY", -1, ini.c_str()), -1);
}

// A slow sign-in runs off the window's thread: its progress window shows
// over the sign-in window, which answers messages meanwhile, and Cancel
// leaves the user signed out, with no failure to read, back in the window.
TEST_P(LoginDialog, ASlowSignInCanBeWatchedAndCancelled)
{
    ScopedLanguage language(GetParam());
    StandIn::Control("POST", "settings", "{\"latency_ms\": 1500}");
    ModalDriver driver;
    driver.DriveProgressWindows(true);
    HWND signIn = nullptr;
    bool signedInAfterCancel = true;
    std::wstring caption;
    std::atomic<bool> answered{false}, beforeTheReply{false};
    std::thread helper;
    driver.Then([&](HWND window) {
        signIn = window;
        Type(window, IDC_ACCOUNT, L"demo@example.com");
        Type(window, IDC_PASSWORD, L"demo");
        Press(window, IDOK); // returns once the sign-in has ended
        signedInAfterCancel = client->IsSignedIn();
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    driver.Then([&](HWND progress) {
        caption = WindowText(progress);
        helper = std::thread([&, progress] {
            DWORD_PTR length = 0;
            answered = SendMessageTimeoutW(signIn, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length) != 0;
            beforeTheReply = StandIn::Unanswered("/accounts/ClientLogin") == 1;
            PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
        });
    });
    EXPECT_EQ(dialog->DoModal(nullptr), IDCANCEL);
    if (helper.joinable())
        helper.join();
    StandIn::Reset();
    EXPECT_EQ(caption, language.String(IDS_PROGRESS_SIGN_IN));
    EXPECT_TRUE(answered && beforeTheReply) << "the sign-in window answers while the server is slow";
    EXPECT_FALSE(signedInAfterCancel);
    EXPECT_FALSE(client->IsSignedIn());
    EXPECT_TRUE(driver.Unexpected().empty()) << "no failure box after Cancel";
    EXPECT_EQ(driver.PendingSteps(), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LoginDialog, testing::Values("en", "ja"));

TEST(LoginDialogText, ErrorMessagesFollowTheErrorTable)
{
    EXPECT_EQ(LoginErrorMessageId(L"BadAuthentication"), 5700u);
    EXPECT_EQ(LoginErrorMessageId(L"badauthentication"), 5700u);
    EXPECT_EQ(LoginErrorMessageId(L"ServiceUnavailable"), 5708u);
    EXPECT_EQ(LoginErrorMessageId(L""), 5709u);
    EXPECT_EQ(LoginErrorMessageId(L"SomethingNew"), 5709u);
    EXPECT_EQ(ApplicationIdentifier(L"0.0.0.19"), "QUILLON 0.0.0.19");
}

} // namespace
