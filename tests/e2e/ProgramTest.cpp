// The real quillon.exe, started as a user would start it, against the
// stand-in service; its dialogs are worked through their controls.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/Json.h"
#include "tests/support/TestEnv.h"
#include "tests/support/WindowDriver.h"

#include "tests/e2e/ProgramFixture.h"

using namespace ProgramFixture;
using namespace WindowDriver;

TEST_F(Program, LanguageWithoutAModuleShowsTheErrorAndEndsWith999)
{
    WritePrivateProfileStringW(L"Generic", L"Language", L"Klingon", ini.c_str());
    Start();
    HWND box = WaitForMessageBox(30000, process.dwProcessId);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box), L"Error");
    EXPECT_EQ(ControlText(box, 0xFFFF),
              L"\u30ea\u30bd\u30fc\u30b9\u3092\u8aad\u307f\u8fbc\u3081\u307e\u305b\u3093\u3067\u3057\u305f\u3002"
              L"(Could NOT Load Resource)");
    Click(box, IDOK);
    EXPECT_EQ(WaitExit(), 999u);
    EXPECT_EQ(GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES) << "no log is opened";
}

TEST_F(Program, SignInOpensTheAlbumWindowAndClosingItEndsTheRun)
{
    Start();
    HWND login = LoginDialog();
    ASSERT_NE(login, nullptr);
    // Neither the requests' timer nor the transport is loaded before the
    // first request: the sign-in dialog does without them.
    for (const wchar_t* library : {L"winmm.dll", L"winhttp.dll"})
        EXPECT_FALSE(HasLoaded(library)) << TestEnv::Narrow(library);
    ASSERT_TRUE(SetControlText(login, kAccount, L"symbols@example.com"));
    ASSERT_TRUE(SetControlText(login, kPassword, L"p&ss=w+rd% \u00fc"));
    Click(login, IDOK);
    HWND albums = AlbumWindow();
    ASSERT_NE(albums, nullptr) << "the album window opens after the sign-in";
    EXPECT_EQ(SendDlgItemMessageW(albums, kAlbumList, LVM_GETITEMCOUNT, 0, 0), 1);
    for (const wchar_t* library : {L"winmm.dll", L"winhttp.dll"})
        EXPECT_TRUE(HasLoaded(library)) << TestEnv::Narrow(library) << " came with the first request";
    Click(albums, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);

    EXPECT_EQ(TestEnv::ReadBytes(dat), "symbols@example.com\r\n");
    wchar_t value[16] = {};
    GetPrivateProfileStringW(L"LoginDlg", L"ACCESS_PUBLIC_ONLY", L"", value, 16, ini.c_str());
    EXPECT_STREQ(value, L"0");

    const std::string text = TestEnv::ReadBytes(log);
    EXPECT_NE(text.find("Login : Success, Account = symbols@example.com"), std::string::npos) << text;
    EXPECT_NE(text.find(" Logout\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" Picasa Client Statistics\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tHTTP Request = 2 times\r\n"), std::string::npos) << text; // sign-in and album list
    EXPECT_LT(text.find("Logout"), text.find("Picasa Client Statistics"));

    auto logins = ClientLoginRequests();
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0]["method"].string, "POST");
    EXPECT_NE(logins[0]["body"].string.find("Email=symbols%40example.com&Passwd=p%26ss%3Dw%2Brd%25%20%C3%BC"
                                            "&service=lh2&source=QUILLON%200.0.0.19"),
              std::string::npos)
        << logins[0]["body"].string;
}

TEST_F(Program, PublicOnlySignInSendsNothingAndRemembersTheChoice)
{
    Start();
    HWND login = LoginDialog();
    ASSERT_NE(login, nullptr);
    SendMessageW(GetDlgItem(login, kPublicOnly), BM_SETCHECK, BST_CHECKED, 0);
    Click(login, kPublicOnly);
    SetControlText(login, kAccount, L"friend");
    SetControlText(login, kPassword, L"ignored");
    Click(login, IDOK);
    HWND albums = AlbumWindow();
    ASSERT_NE(albums, nullptr);
    EXPECT_FALSE(IsEnabled(albums, 1012)) << "no new album without a sign-in";
    EXPECT_FALSE(IsEnabled(albums, 1011));
    EXPECT_FALSE(IsEnabled(albums, 1039));
    EXPECT_TRUE(IsEnabled(albums, 1027));
    Click(albums, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);
    EXPECT_TRUE(ClientLoginRequests().empty());
    wchar_t value[16] = {};
    GetPrivateProfileStringW(L"LoginDlg", L"ACCESS_PUBLIC_ONLY", L"", value, 16, ini.c_str());
    EXPECT_STREQ(value, L"1");
    EXPECT_EQ(TestEnv::ReadBytes(dat), "friend\r\n");
}

TEST_F(Program, CancelEndsWith2WithoutSigningIn)
{
    Start();
    HWND login = LoginDialog();
    ASSERT_NE(login, nullptr);
    Click(login, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);
    EXPECT_EQ(GetFileAttributesW(dat.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string text = TestEnv::ReadBytes(log);
    EXPECT_EQ(text.find("Login :"), std::string::npos);
    EXPECT_NE(text.find("\tHTTP Request = 0 times\r\n"), std::string::npos) << text;
}

TEST_F(Program, SwitchingLanguageTwiceShowsTheLoginDialogThreeTimes)
{
    Start();
    const wchar_t* choose[] = {L"Japanese", L"English"};
    for (const wchar_t* language : choose) {
        HWND login = LoginDialog();
        ASSERT_NE(login, nullptr);
        Click(login, kLanguageButton);
        HWND dialog = WaitForDialogWithControl(kLanguageList, 20000, process.dwProcessId);
        ASSERT_NE(dialog, nullptr);
        HWND list = GetDlgItem(dialog, kLanguageList);
        const LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(language));
        ASSERT_NE(index, CB_ERR);
        SendMessageW(list, CB_SETCURSEL, WPARAM(index), 0);
        Click(dialog, IDOK);
        ASSERT_TRUE(WaitGone(login, 20000));
        wchar_t value[32] = {};
        GetPrivateProfileStringW(L"Generic", L"Language", L"", value, 32, ini.c_str());
        EXPECT_STREQ(value, language);
    }
    HWND third = LoginDialog();
    ASSERT_NE(third, nullptr);
    Click(third, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);
}

TEST_F(Program, FailedSignInShowsTheMessageAndKeepsTheDialogOpen)
{
    Start();
    HWND login = LoginDialog();
    ASSERT_NE(login, nullptr);
    SetControlText(login, kAccount, L"demo@example.com");
    SetControlText(login, kPassword, L"wrong");
    Click(login, IDOK);
    HWND box = WaitForMessageBox(30000, process.dwProcessId);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(ControlText(box, 0xFFFF).empty());
    Click(box, IDOK);
    ASSERT_TRUE(WaitGone(box, 10000));
    EXPECT_TRUE(IsWindow(login));
    EXPECT_EQ(ControlText(login, kAccount), L"demo@example.com");
    EXPECT_EQ(GetFileAttributesW(dat.c_str()), INVALID_FILE_ATTRIBUTES);
    Click(login, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);
}


TEST_F(Program, SelectAllAndCopyFromTheListPutTheAccountsAlbumsOnTheClipboard)
{
    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr);
    Click(albums, kSelectAll);
    const std::wstring copied = CopyFromList(albums);
    Click(albums, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);

    // One line per album of the stand-in's demo account, after the header line.
    const Json state = Json::Parse(LoopbackRequest(service, "GET", "/__control/state").body);
    std::vector<std::string> titles;
    for (const Json& account : state["accounts"].array) {
        if (account["email"].string != "demo@example.com")
            continue;
        for (const Json& album : account["albums"].array)
            titles.push_back(album["title"].string);
    }
    ASSERT_FALSE(titles.empty()) << "the stand-in's state names the demo albums";
    const std::string text = TestEnv::Narrow(copied);
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, titles.size()) << text;
    for (const std::string& title : titles)
        EXPECT_NE(text.find("\r\n" + title + ", "), std::string::npos) << title << "\n" << text;
}

// The first run, with no server named yet: the Server dialog opens before
// the sign-in with the stand-in's usual address offered; the address taken
// there is kept and the sign-in reaches the server.
TEST_F(Program, AFirstRunAsksForTheServerOfferingTheStandInAndSignsInThere)
{
    constexpr int kAccountServer = 1102, kPhotoServer = 1103;
    DeleteFileW(ini.c_str());
    WritePrivateProfileStringW(L"Generic", L"Language", L"English", ini.c_str());
    Start();
    HWND server = WaitForDialogWithControl(kAccountServer, 30000, process.dwProcessId);
    ASSERT_NE(server, nullptr) << "the Server dialog opens by itself";
    EXPECT_EQ(ControlText(server, kAccountServer), L"http://localhost:8080");
    EXPECT_EQ(ControlText(server, kPhotoServer), L"http://localhost:8080");
    // This run's stand-in listens on a port of its own.
    const std::wstring base = TestEnv::Widen(service);
    SetControlText(server, kAccountServer, base);
    SetControlText(server, kPhotoServer, base);
    Click(server, IDOK);
    ASSERT_TRUE(WaitGone(server, 20000));
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr) << "the sign-in reached the server";
    wchar_t value[300] = {};
    GetPrivateProfileStringW(L"Service", L"PhotoServer", L"", value, 300, ini.c_str());
    EXPECT_EQ(std::wstring(value), base);
    Click(albums, IDCANCEL);
    EXPECT_EQ(WaitExit(), 2u);
}

