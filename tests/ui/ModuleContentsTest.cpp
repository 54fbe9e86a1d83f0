#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "ui/controls/CDialogBase.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

class ModuleContents : public ::testing::TestWithParam<const char*>
{
};

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// Every control inside the client area and clear of the dialog's edges.
void ExpectInside(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_GE(r.left, 0) << GetDlgCtrlID(child);
        EXPECT_GE(r.top, 0) << GetDlgCtrlID(child);
        EXPECT_LE(r.right, client.right) << GetDlgCtrlID(child);
        EXPECT_LE(r.bottom, client.bottom) << GetDlgCtrlID(child);
    }
}

} // namespace

TEST_P(ModuleContents, LoginTemplateHasItsControls)
{
    ScopedLanguage language(GetParam());
    CDialogBase dlg(IDD_LOGIN);
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);
    for (int id : {IDC_ACCOUNT, IDC_PASSWORD, IDC_PUBLIC_ONLY, IDC_CHANGE_LANGUAGE, ID_APP_ABOUT, IDC_VERSION, IDOK,
                   IDCANCEL})
        EXPECT_NE(dlg.Item(id), nullptr) << id;
    EXPECT_EQ(ClassOf(dlg.Item(IDC_ACCOUNT)), L"Edit");
    EXPECT_TRUE(GetWindowLongPtrW(dlg.Item(IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD);
    EXPECT_FALSE(GetWindowLongPtrW(dlg.Item(IDC_ACCOUNT), GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(GetWindowLongPtrW(dlg.Item(IDC_PUBLIC_ONLY), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(GetWindowLongPtrW(dlg.Item(IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU) << "the close box cancels";
    ExpectInside(window);
}

TEST_P(ModuleContents, AboutTemplateHasItsControls)
{
    ScopedLanguage language(GetParam());
    CDialogBase dlg(IDD_ABOUT);
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);
    for (int id : {IDC_VERSION, IDC_LOG_PATH, IDC_SUPPORT_LINK, IDOK})
        EXPECT_NE(dlg.Item(id), nullptr) << id;
    EXPECT_EQ(ClassOf(dlg.Item(IDC_SUPPORT_LINK)), L"Static");
    EXPECT_TRUE(GetWindowLongPtrW(dlg.Item(IDC_SUPPORT_LINK), GWL_STYLE) & WS_TABSTOP) << "reachable by keyboard";
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU);
    ExpectInside(window);
}

TEST_P(ModuleContents, LanguageTemplateHasADropDownList)
{
    ScopedLanguage language(GetParam());
    CDialogBase dlg(IDD_LANGUAGE);
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);
    HWND list = dlg.Item(IDC_LANGUAGE_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ClassOf(list), L"ComboBox");
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_FALSE(GetWindowLongPtrW(list, GWL_STYLE) & CBS_SORT) << "names stay in module order";
    EXPECT_NE(dlg.Item(IDOK), nullptr);
    EXPECT_NE(dlg.Item(IDCANCEL), nullptr);
    ExpectInside(window);
}

TEST_P(ModuleContents, IconInEverySize)
{
    ScopedLanguage language(GetParam());
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(language.Module(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmBitsPixel, 32) << "a 32-bit image of that very size";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_P(ModuleContents, ListMenuOffersCopyAndSelectAll)
{
    ScopedLanguage language(GetParam());
    HMENU menu = LoadMenuW(language.Module(), MAKEINTRESOURCEW(IDR_LIST_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), UINT(ID_LIST_COPY));
    EXPECT_EQ(GetMenuItemID(popup, 1), UINT(ID_LIST_SELECT_ALL));
    wchar_t text[64] = L"";
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_NE(text[0], L'\0');
    DestroyMenu(menu);
}

TEST_P(ModuleContents, AlbumListMenuAddsThePropertiesToTheListCommands)
{
    ScopedLanguage language(GetParam());
    HMENU menu = LoadMenuW(language.Module(), MAKEINTRESOURCEW(IDR_ALBUM_LIST_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 4);
    EXPECT_EQ(GetMenuItemID(popup, 0), UINT(ID_LIST_COPY));
    EXPECT_EQ(GetMenuItemID(popup, 1), UINT(ID_LIST_SELECT_ALL));
    EXPECT_EQ(GetMenuState(popup, 2, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_EQ(GetMenuItemID(popup, 3), UINT(IDC_ALBUM_PROPERTIES));
    wchar_t text[64] = L"";
    GetMenuStringW(popup, 3, text, 64, MF_BYPOSITION);
    EXPECT_NE(std::wstring(text).find(L"\tAlt+Enter"), std::wstring::npos) << "the key is shown";
    DestroyMenu(menu);
}

TEST_P(ModuleContents, NamesItsLanguage)
{
    ScopedLanguage language(GetParam());
    EXPECT_EQ(language.String(IDS_LANGUAGE_NAME), std::string(GetParam()) == "en" ? L"English" : L"Japanese");
}

INSTANTIATE_TEST_SUITE_P(Languages, ModuleContents, ::testing::Values("en", "ja"));

namespace {

// A control's caption as read aloud: no "&" marks, no parenthesised parts
// (accelerators such as "(&O)" or remarks such as "(no password)").
std::wstring PlainLabel(const std::wstring& caption)
{
    std::wstring out;
    int depth = 0;
    for (wchar_t c : caption) {
        if (c == L'(')
            ++depth;
        else if (c == L')' && depth > 0)
            --depth;
        else if (depth == 0 && c != L'&')
            out += c;
    }
    while (!out.empty() && out.back() == L' ')
        out.pop_back();
    return out;
}

} // namespace

TEST_P(ModuleContents, SignInHelpNamesThePublicOnlyBoxByItsLabel)
{
    ScopedLanguage language(GetParam());
    CDialogBase dlg(IDD_LOGIN);
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    const std::wstring label = PlainLabel(dlg.ItemText(IDC_PUBLIC_ONLY));
    ASSERT_FALSE(label.empty());
    const std::wstring help = language.String(IDS_LOGIN_HELP);
    EXPECT_NE(help.find(label), std::wstring::npos) << "the help text calls the check box what it says";
}

TEST(ModuleWording, JapaneseLanguageDialogSaysTheSignInWindowOpensAgain)
{
    ScopedLanguage language("ja");
    CDialogBase dlg(IDD_LANGUAGE);
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    std::wstring text;
    for (HWND child = GetWindow(dlg.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"Static") {
            wchar_t buffer[256] = L"";
            GetWindowTextW(child, buffer, 256);
            text += buffer;
        }
    ASSERT_FALSE(text.empty());
    // "開き直る" reads as "to turn defiant", not "to open again".
    EXPECT_EQ(text.find(L"開き直"), std::wstring::npos);
    EXPECT_NE(text.find(L"もう一度開きます"), std::wstring::npos);
}
