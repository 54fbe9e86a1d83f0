#include "app/ResourceText.h"
#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "ui/login/CAboutDlg.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

const wchar_t kLogPath[] = L"C:\\Users\\someone\\AppData\\Local\\Temp\\quillon.log";

std::wstring ProgramFileVersion()
{
    std::wstring version;
    FileVersionText(L"FileVersion", version, ProgramPath().c_str());
    return version;
}

class AboutBox : public ::testing::TestWithParam<const char*>
{
};

} // namespace

TEST_P(AboutBox, ShowsVersionLogFileAndSupportLink)
{
    ScopedLanguage language(GetParam());
    ASSERT_NE(language.Module(), nullptr);
    const std::wstring suffix = language.String(IDS_VERSION_SUFFIX);
    const std::wstring label = language.String(IDS_LOG_FILE_LABEL);
    ASSERT_FALSE(suffix.empty());
    ASSERT_FALSE(label.empty());

    CAboutDlg dlg(kLogPath);
    dlg.versionText = ProgramFileVersion();
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(dlg.ItemText(IDC_VERSION), L"Ver. 0.0.0.19 " + suffix);
    EXPECT_EQ(dlg.ItemText(IDC_LOG_PATH), label + kLogPath);
    EXPECT_EQ(dlg.Link().Address(), kSupportForumAddress);
    // The label is the template's words, not the address cut short.
    CDialogBase plain(IDD_ABOUT);
    ASSERT_NE(plain.Create(nullptr), nullptr);
    EXPECT_EQ(dlg.Link().Label(), plain.ItemText(IDC_SUPPORT_LINK));
    EXPECT_NE(dlg.Link().Label(), kSupportForumAddress);
    EXPECT_FALSE(dlg.Link().Label().empty());
    DestroyWindow(plain.Handle());
    EXPECT_EQ(dlg.Link().ExtendedStyle(), CHyperLink::kNoTooltip);
    EXPECT_EQ(dlg.Link().Handle(), dlg.Item(IDC_SUPPORT_LINK));
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);

    // Commands other than OK and Cancel leave it open.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_SUPPORT_LINK, STN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(window));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dlg.Result(), 1);
    EXPECT_FALSE(IsWindow(window));
}

TEST_P(AboutBox, ModalRunOpensTheForumWithSpaceAndClosesWithCancel)
{
    ScopedLanguage language(GetParam());
    CAboutDlg dlg(kLogPath);
    std::vector<std::wstring> opened;
    dlg.Link().SetOpener([&](const std::wstring& address) {
        opened.push_back(address);
        return true;
    });

    ModalDriver driver;
    std::wstring captionSeen;
    driver.Then([&](HWND window) {
        captionSeen = WindowText(window);
        HWND link = GetDlgItem(window, IDC_SUPPORT_LINK);
        SetFocus(link);
        // Through the dialog manager, as a key press arrives.
        MSG msg = {link, WM_CHAR, VK_SPACE, 0, 0, {0, 0}};
        if (!IsDialogMessageW(window, &msg))
            DispatchMessageW(&msg);
        EXPECT_TRUE(dlg.Link().Visited());
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(opened, std::vector<std::wstring>{kSupportForumAddress});
    EXPECT_FALSE(captionSeen.empty());
    EXPECT_TRUE(driver.Unexpected().empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, AboutBox, ::testing::Values("en", "ja"));

TEST(AboutBoxCaption, ComesFromTheLanguageModule)
{
    std::wstring english, japanese;
    {
        ScopedLanguage language("en");
        CAboutDlg dlg(kLogPath);
        ASSERT_NE(dlg.Create(nullptr), nullptr);
        english = WindowText(dlg.Handle());
    }
    {
        ScopedLanguage language("ja");
        CAboutDlg dlg(kLogPath);
        ASSERT_NE(dlg.Create(nullptr), nullptr);
        japanese = WindowText(dlg.Handle());
    }
    EXPECT_EQ(english, L"About Quillon");
    EXPECT_EQ(japanese, L"Quillon のバージョン情報");
}
