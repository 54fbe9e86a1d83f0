#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/login/CLanguageDlg.h"

#include <windows.h>
#include <shlwapi.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

class LanguageDialog : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        folder = TestEnv::ScratchFolder("language-dialog");
        settings = folder + L"\\quillon.ini";
    }

    void WriteSettings(const std::string& bytes) const
    {
        std::ofstream(std::filesystem::path(settings), std::ios::binary) << bytes;
    }

    std::string ReadSettings() const
    {
        std::ifstream in(std::filesystem::path(settings), std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

    std::wstring StoredLanguage() const
    {
        wchar_t text[100] = L"";
        GetPrivateProfileStringW(L"Generic", L"Language", L"<none>", text, 100, settings.c_str());
        return text;
    }

    static std::vector<std::wstring> Entries(HWND list)
    {
        std::vector<std::wstring> entries;
        LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[100] = L"";
            SendMessageW(list, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }

    static std::wstring Selected(HWND list)
    {
        LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR)
            return L"<none>";
        wchar_t text[100] = L"";
        SendMessageW(list, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text));
        return text;
    }


    std::wstring folder, settings;
};

} // namespace

TEST_P(LanguageDialog, ListsBothModulesAndSelectsTheCurrentOne)
{
    ScopedLanguage language(GetParam());
    WriteSettings("[Generic]\r\nLanguage=English\r\n");
    CLanguageDlg dlg(SettingsLocation::File(settings), BinFolder());
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    HWND list = dlg.Item(IDC_LANGUAGE_LIST);
    const auto entries = Entries(list);
    EXPECT_EQ(std::set<std::wstring>(entries.begin(), entries.end()),
              (std::set<std::wstring>{L"English", L"Japanese"}));
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(Selected(list), L"English");
    EXPECT_EQ(GetFocus(), list) << "the list has the focus";
    EXPECT_NE(SendMessageW(dlg.Handle(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_P(LanguageDialog, WithoutAStoredNameJapaneseIsSelected)
{
    ScopedLanguage language(GetParam());
    CLanguageDlg dlg(SettingsLocation::File(settings), BinFolder());
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    EXPECT_EQ(Selected(dlg.Item(IDC_LANGUAGE_LIST)), L"Japanese");
}

TEST_P(LanguageDialog, CancelChangesNothing)
{
    ScopedLanguage language(GetParam());
    const std::string before = "[Generic]\r\nLanguage=English\r\n[LoginDlg]\r\nACCESS_PUBLIC_ONLY=1\r\n";
    WriteSettings(before);
    CLanguageDlg dlg(SettingsLocation::File(settings), BinFolder());
    ModalDriver driver;
    driver.Then([](HWND window) {
        HWND list = GetDlgItem(window, IDC_LANGUAGE_LIST);
        SendMessageW(list, CB_SETCURSEL, SendMessageW(list, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"Japanese")), 0);
        SendMessageW(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(ReadSettings(), before);
    EXPECT_TRUE(driver.Unexpected().empty());
}

TEST_P(LanguageDialog, CancelWithoutASettingsFileCreatesNone)
{
    ScopedLanguage language(GetParam());
    CLanguageDlg dlg(SettingsLocation::File(settings), BinFolder());
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    SendMessageW(dlg.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(dlg.Result(), IDCANCEL);
    EXPECT_FALSE(PathFileExistsW(settings.c_str()));
}

TEST_P(LanguageDialog, OkStoresTheChosenLanguage)
{
    ScopedLanguage language(GetParam());
    WriteSettings("[Generic]\r\nLanguage=English\r\n");
    CLanguageDlg dlg(SettingsLocation::File(settings), BinFolder());
    ModalDriver driver;
    driver.Then([](HWND window) {
        HWND list = GetDlgItem(window, IDC_LANGUAGE_LIST);
        SendMessageW(list, CB_SETCURSEL, SendMessageW(list, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"Japanese")), 0);
        SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dlg.DoModal(nullptr), IDOK);
    EXPECT_EQ(dlg.ChosenName(), L"Japanese");
    EXPECT_EQ(StoredLanguage(), L"Japanese");
}

TEST_P(LanguageDialog, OkCreatesTheSettingsFileOnFirstUse)
{
    ScopedLanguage language(GetParam());
    const std::wstring nested = folder + L"\\Quillon\\quillon.ini";
    CLanguageDlg dlg(SettingsLocation::File(nested), BinFolder());
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    SendMessageW(dlg.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dlg.Result(), IDOK);
    wchar_t text[100] = L"";
    GetPrivateProfileStringW(L"Generic", L"Language", L"<none>", text, 100, nested.c_str());
    EXPECT_STREQ(text, L"Japanese") << "the default selection is stored";
}

TEST_P(LanguageDialog, UnknownStoredNameSelectsNothingAndOkStoresAnEmptyName)
{
    ScopedLanguage language(GetParam());
    WriteSettings("[Generic]\r\nLanguage=Klingon\r\n");
    CLanguageDlg dlg(SettingsLocation::File(settings), BinFolder());
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    EXPECT_EQ(Selected(dlg.Item(IDC_LANGUAGE_LIST)), L"<none>");
    SendMessageW(dlg.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dlg.Result(), IDOK);
    EXPECT_EQ(StoredLanguage(), L"");
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageDialog, ::testing::Values("en", "ja"));

TEST(LanguageDialogCaption, ComesFromTheLanguageModule)
{
    const std::wstring settings = TestEnv::ScratchFolder("language-caption") + L"\\quillon.ini";
    std::wstring captions[2];
    const char* languages[2] = {"en", "ja"};
    for (int i = 0; i < 2; ++i) {
        ScopedLanguage language(languages[i]);
        CLanguageDlg dlg(SettingsLocation::File(settings), BinFolder());
        ASSERT_NE(dlg.Create(nullptr), nullptr);
        captions[i] = WindowText(dlg.Handle());
    }
    EXPECT_EQ(captions[0], L"Language");
    EXPECT_EQ(captions[1], L"表示言語");
}
