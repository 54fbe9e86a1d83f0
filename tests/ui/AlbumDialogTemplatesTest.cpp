// What the new album, URL list and photo list dialogs show beyond their
// templates' own texts, in both language modules: the date messages and the
// access levels fitting the controls that show them at the display's DPI,
// and the strings the dialogs format.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "base/TextFormat.h"

using namespace DialogHarness;

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

class ScopedDialog
{
public:
    ScopedDialog(HMODULE module, UINT id)
        : m_window(CreateDialogParamW(module, MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0))
    {
    }
    ~ScopedDialog()
    {
        if (m_window)
            DestroyWindow(m_window);
    }
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

// The text's size in the control's font, as DrawText lays it out.
SIZE TextSize(HWND control, const std::wstring& text, UINT format, int width = 0)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r = {0, 0, width, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT ClientRectOf(HWND control)
{
    RECT r = {};
    GetClientRect(control, &r);
    return r;
}

class AlbumDialogTemplates : public ::testing::TestWithParam<const char*>
{
};

} // namespace

TEST_P(AlbumDialogTemplates, DateMessagesFitTheHintBelowTheDate)
{
    ScopedLanguage language(GetParam());
    ScopedDialog dialog(language.Module(), IDD_NEW_ALBUM);
    ASSERT_NE(dialog.Get(), nullptr);
    HWND hint = GetDlgItem(dialog.Get(), IDC_NEW_ALBUM_DATE_HINT);
    const RECT room = ClientRectOf(hint);
    const std::wstring messages[] = {
        language.String(IDS_NEW_ALBUM_DATE_FORM),
        language.String(IDS_NEW_ALBUM_DATE_INVALID),
        FormatText(language.String(IDS_NEW_ALBUM_NOT_LEAP_YEAR), {2011}),
        FormatText(language.String(IDS_NEW_ALBUM_NO_31ST), {11}),
    };
    for (const std::wstring& message : messages) {
        ASSERT_FALSE(message.empty());
        const SIZE size = TextSize(hint, message, DT_WORDBREAK | DT_NOPREFIX, room.right);
        EXPECT_LE(size.cy, room.bottom) << TestEnv::Narrow(message);
        EXPECT_LE(size.cx, room.right) << TestEnv::Narrow(message);
    }
}

TEST_P(AlbumDialogTemplates, AccessLevelNamesFitTheirBox)
{
    ScopedLanguage language(GetParam());
    ScopedDialog dialog(language.Module(), IDD_NEW_ALBUM);
    ASSERT_NE(dialog.Get(), nullptr);
    HWND box = GetDlgItem(dialog.Get(), IDC_ACCESS_LIST);
    const int room = ClientRectOf(box).right - GetSystemMetrics(SM_CXVSCROLL) - 2 * GetSystemMetrics(SM_CXEDGE);
    for (UINT id = IDS_ACCESS_PUBLIC; id <= IDS_ACCESS_PROTECTED; ++id) {
        const std::wstring name = language.String(id);
        ASSERT_FALSE(name.empty()) << id;
        EXPECT_LE(TextSize(box, name, DT_SINGLELINE | DT_NOPREFIX).cx, room) << TestEnv::Narrow(name);
    }
}

TEST_P(AlbumDialogTemplates, StringsOfTheDialogsAreThere)
{
    ScopedLanguage language(GetParam());
    for (UINT id = IDS_PHOTO_COLUMN_FIRST; id <= IDS_PHOTO_COLUMN_MEDIA; ++id)
        EXPECT_FALSE(language.String(id).empty()) << id;
    for (UINT id : {IDS_MEDIA_STILL, IDS_MEDIA_VIDEO, IDS_NEW_ALBUM_NO_TITLE, IDS_CAPTION_ESTIMATE,
                    IDS_LOG_ALBUM_CREATED, IDS_LOG_CREATE_FAILED, IDS_PROTECTED_LINK_TIP})
        EXPECT_FALSE(language.String(id).empty()) << id;
    // The formats take their arguments in the order the code gives them.
    EXPECT_NE(FormatText(language.String(IDS_ESTIMATE_FORMAT), {1234, 2, 3}).find(L"1234"), std::wstring::npos);
    const std::wstring failed = FormatText(language.String(IDS_CREATE_FAILED_FORMAT), {L"503", L"BODY"});
    EXPECT_LT(failed.find(L"503"), failed.find(L"BODY"));
    const std::wstring entry = FormatText(language.String(IDS_URL_ENTRY_TEXT), {L"TITLE", 77, L"http://a/"});
    EXPECT_LT(entry.find(L"TITLE"), entry.find(L"77"));
    EXPECT_LT(entry.find(L"77"), entry.find(L"http://a/"));
    EXPECT_EQ(entry.substr(entry.size() - 2), L"\r\n") << "entries end their lines";
    const std::wstring html =
        FormatText(language.String(IDS_URL_ENTRY_HTML), {L"TITLE", 77, L"http://a/", L"http://a/"});
    EXPECT_NE(html.find(L"<a href=\"http://a/\">http://a/</a>"), std::wstring::npos) << TestEnv::Narrow(html);
    EXPECT_EQ(html.find(L'%'), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(Languages, AlbumDialogTemplates, ::testing::Values("en", "ja"));
