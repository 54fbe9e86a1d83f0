#include "app/ResourceText.h"
#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "ui/controls/CDialogBase.h"
#include "tests/support/TestEnv.h"

#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include <initializer_list>
#include <set>

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
                   IDCANCEL, IDC_SERVER, IDC_SERVER_HOST})
        EXPECT_NE(dlg.Item(id), nullptr) << id;
    EXPECT_EQ(ClassOf(dlg.Item(IDC_ACCOUNT)), L"Edit");
    EXPECT_TRUE(GetWindowLongPtrW(dlg.Item(IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD);
    EXPECT_FALSE(GetWindowLongPtrW(dlg.Item(IDC_ACCOUNT), GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(GetWindowLongPtrW(dlg.Item(IDC_PUBLIC_ONLY), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(GetWindowLongPtrW(dlg.Item(IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_SYSMENU) << "the close box cancels";
    ExpectInside(window);
}

TEST_P(ModuleContents, ServerTemplateHasItsControlsAndTheServerButtonAMnemonic)
{
    ScopedLanguage language(GetParam());
    CDialogBase dlg(IDD_SERVER);
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);
    for (int id : {IDC_ACCOUNT_SERVER, IDC_PHOTO_SERVER, IDC_ACCOUNT_SERVER_HINT, IDC_PHOTO_SERVER_HINT,
                   IDC_SERVER_DEFAULTS, IDC_ACCEPT_UNTRUSTED, IDC_UNTRUSTED_WARNING, IDOK, IDCANCEL})
        EXPECT_NE(dlg.Item(id), nullptr) << id;
    EXPECT_EQ(GetWindowLongPtrW(dlg.Item(IDC_ACCEPT_UNTRUSTED), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    ExpectInside(window);
    DestroyWindow(window);

    CDialogBase login(IDD_LOGIN);
    ASSERT_NE(login.Create(nullptr), nullptr);
    EXPECT_NE(login.ItemText(IDC_SERVER).find(L"&S"), std::wstring::npos);
    ExpectInside(login.Handle());
    DestroyWindow(login.Handle());
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

// A menu's item by position: its command (0: a separator) and the key its
// text shows after a tab (nullptr: none).
struct MenuItem
{
    UINT id;
    const wchar_t* key;
};

// The menu's popup holds these items in this order, each with a letter of
// its own.
void ExpectMenu(const ScopedLanguage& language, UINT menuId, std::initializer_list<MenuItem> items)
{
    HMENU menu = LoadMenuW(language.Module(), MAKEINTRESOURCEW(menuId));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), int(items.size()));
    std::set<wchar_t> mnemonics;
    UINT i = 0;
    for (const MenuItem& item : items) {
        SCOPED_TRACE(i);
        const UINT at = i++;
        if (!item.id) {
            EXPECT_EQ(GetMenuState(popup, at, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
            continue;
        }
        EXPECT_EQ(GetMenuItemID(popup, int(at)), item.id);
        wchar_t text[64] = L"";
        GetMenuStringW(popup, at, text, 64, MF_BYPOSITION);
        const std::wstring shown = text;
        const size_t tab = shown.find(L'\t');
        if (item.key)
            EXPECT_EQ(shown.substr(tab == std::wstring::npos ? shown.size() : tab), item.key) << "the key is shown";
        else
            EXPECT_EQ(tab, std::wstring::npos);
        const size_t amp = shown.find(L'&');
        ASSERT_NE(amp, std::wstring::npos) << "every item has its letter";
        EXPECT_TRUE(mnemonics.insert(towupper(shown[amp + 1])).second) << "and no two the same";
    }
    DestroyMenu(menu);
}

TEST_P(ModuleContents, ListMenuOffersCopyAndSelectAll)
{
    ScopedLanguage language(GetParam());
    ExpectMenu(language, IDR_LIST_MENU, {{ID_LIST_COPY, L"\tCtrl+C"}, {ID_LIST_SELECT_ALL, L"\tCtrl+A"}});
}

TEST_P(ModuleContents, AlbumListMenuHasTheAlbumCommandsThenTheListCommandsWithTheirKeys)
{
    ScopedLanguage language(GetParam());
    ExpectMenu(language, IDR_ALBUM_LIST_MENU,
               {
                   {IDC_PHOTO_LIST, L"\tEnter"}, {IDC_URL_LIST, nullptr}, {IDC_CHANGE_ACCESS, nullptr},
                   {IDC_DELETE_ALBUMS, L"\tDel"}, {IDC_ALBUM_PROPERTIES, L"\tAlt+Enter"}, {IDC_BACKUP, nullptr},
                   {IDC_UPLOAD_FOLDER, nullptr}, {0, nullptr},
                   {ID_LIST_SELECT_ALL, L"\tCtrl+A"}, {ID_LIST_COPY, L"\tCtrl+C"},
               });
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

namespace {

bool HasJapanese(const std::wstring& text)
{
    for (wchar_t c : text)
        if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF))
            return true;
    return false;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(list)->push_back(UINT(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

std::vector<UINT> ResourceNumbers(HMODULE module, LPCWSTR type)
{
    std::vector<UINT> numbers;
    EnumResourceNamesW(module, type, CollectName, reinterpret_cast<LONG_PTR>(&numbers));
    return numbers;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

} // namespace

// An English user meets no Japanese text: every dialog's caption and
// controls, every string and every menu item of the English module.
TEST(ModuleWording, TheEnglishModuleShowsNoJapaneseText)
{
    InitControls();
    ScopedLanguage english("en");
    const std::vector<UINT> dialogs = ResourceNumbers(english.Module(), MAKEINTRESOURCEW(5)); // RT_DIALOG
    EXPECT_GE(dialogs.size(), 10u);
    for (UINT id : dialogs) {
        HWND dialog = CreateDialogParamW(english.Module(), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << id;
        EXPECT_FALSE(HasJapanese(WindowText(dialog))) << "dialog " << id;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            EXPECT_FALSE(HasJapanese(WindowText(child))) << "dialog " << id << ", control " << GetDlgCtrlID(child);
        DestroyWindow(dialog);
    }
    size_t strings = 0;
    for (UINT block : ResourceNumbers(english.Module(), MAKEINTRESOURCEW(6))) { // RT_STRING
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            const std::wstring text = english.String(id);
            if (text.empty())
                continue;
            ++strings;
            EXPECT_FALSE(HasJapanese(text)) << "string " << id << ": " << TestEnv::Narrow(text);
        }
    }
    EXPECT_GE(strings, 100u);
    for (UINT id : ResourceNumbers(english.Module(), MAKEINTRESOURCEW(4))) { // RT_MENU
        HMENU menu = LoadMenuW(english.Module(), MAKEINTRESOURCEW(id));
        ASSERT_NE(menu, nullptr);
        std::vector<HMENU> pending{menu};
        while (!pending.empty()) {
            HMENU m = pending.back();
            pending.pop_back();
            for (int i = 0; i < GetMenuItemCount(m); ++i) {
                wchar_t text[256] = {};
                GetMenuStringW(m, UINT(i), text, 256, MF_BYPOSITION);
                EXPECT_FALSE(HasJapanese(text)) << "menu " << id << ": " << TestEnv::Narrow(text);
                if (HMENU sub = GetSubMenu(m, i))
                    pending.push_back(sub);
            }
        }
        DestroyMenu(menu);
    }
}

// The check itself sees Japanese text where there is some.
TEST(ModuleWording, TheJapaneseModuleIsSeenAsJapanese)
{
    ScopedLanguage japanese("ja");
    EXPECT_TRUE(HasJapanese(japanese.String(IDS_CAPTION_ERROR)));
    EXPECT_TRUE(HasJapanese(japanese.String(IDS_UPLOAD_ONE_ALBUM)));
    EXPECT_FALSE(HasJapanese(L"Community Edition"));
}

// The version line of the album window and of the sign-in window shows whole
// ("Community Edition" included) in the dialog's own font.
TEST_P(ModuleContents, VersionLinesFitTheirBoxes)
{
    ScopedLanguage language(GetParam());
    const std::wstring line = VersionLine(L"10.10.10.100");
    for (UINT id : {UINT(IDD_ALBUMS), UINT(IDD_LOGIN), UINT(IDD_ABOUT)}) {
        HWND dialog = CreateDialogParamW(language.Module(), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << id;
        HWND version = GetDlgItem(dialog, IDC_VERSION);
        ASSERT_NE(version, nullptr) << id;
        HDC dc = GetDC(version);
        HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageW(version, WM_GETFONT, 0, 0)));
        SIZE size = {};
        GetTextExtentPoint32W(dc, line.c_str(), int(line.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(version, dc);
        RECT box = {};
        GetClientRect(version, &box);
        EXPECT_LE(size.cx, box.right) << "dialog " << id << ": " << TestEnv::Narrow(line);
        DestroyWindow(dialog);
    }
}
