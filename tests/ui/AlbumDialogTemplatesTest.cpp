// The new album, URL list and photo list templates of both language modules:
// their controls, and every caption and message fitting the control that
// shows it at the display's DPI.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "base/TextFormat.h"
#include "ui/controls/CDialogBase.h"

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

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

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

TEST_P(AlbumDialogTemplates, HaveTheirControls)
{
    ScopedLanguage language(GetParam());
    {
        ScopedDialog dialog(language.Module(), IDD_NEW_ALBUM);
        ASSERT_NE(dialog.Get(), nullptr);
        for (int id : {IDC_NEW_ALBUM_TITLE, IDC_NEW_ALBUM_SUMMARY, IDC_NEW_ALBUM_DATE, IDC_NEW_ALBUM_LOCATION})
            EXPECT_EQ(ClassOf(GetDlgItem(dialog.Get(), id)), L"Edit") << id;
        EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog.Get(), IDC_NEW_ALBUM_SUMMARY), GWL_STYLE) & ES_MULTILINE);
        EXPECT_EQ(ClassOf(GetDlgItem(dialog.Get(), IDC_ACCESS_LIST)), L"ComboBox");
        EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog.Get(), IDC_ACCESS_LIST), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
        for (int id : {IDC_NEW_ALBUM, IDCANCEL, IDC_NEW_ALBUM_DATE_LABEL, IDC_NEW_ALBUM_LOCATION_LABEL,
                       IDC_NEW_ALBUM_ACCESS_LABEL, IDC_NEW_ALBUM_FRAME, IDC_NEW_ALBUM_DATE_FORMAT,
                       IDC_NEW_ALBUM_DATE_HINT})
            EXPECT_NE(GetDlgItem(dialog.Get(), id), nullptr) << id;
        EXPECT_TRUE(GetWindowLongPtrW(dialog.Get(), GWL_STYLE) & WS_SYSMENU) << "the close box cancels";
    }
    {
        ScopedDialog dialog(language.Module(), IDD_URL_LIST);
        ASSERT_NE(dialog.Get(), nullptr);
        EXPECT_EQ(ClassOf(GetDlgItem(dialog.Get(), IDC_URL_TEXT)), L"Edit");
        EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog.Get(), IDC_URL_TEXT), GWL_STYLE) & ES_MULTILINE);
        EXPECT_NE(GetDlgItem(dialog.Get(), IDC_URL_COPY), nullptr);
        EXPECT_NE(GetDlgItem(dialog.Get(), IDCANCEL), nullptr);
    }
    {
        ScopedDialog dialog(language.Module(), IDD_PHOTO_LIST);
        ASSERT_NE(dialog.Get(), nullptr);
        HWND list = GetDlgItem(dialog.Get(), IDC_PHOTOS);
        EXPECT_EQ(ClassOf(list), L"SysListView32");
        EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_NE(GetDlgItem(dialog.Get(), IDCANCEL), nullptr);
    }
}

TEST_P(AlbumDialogTemplates, CaptionsFitTheirControls)
{
    ScopedLanguage language(GetParam());
    for (UINT id : {IDD_NEW_ALBUM, IDD_URL_LIST, IDD_PHOTO_LIST}) {
        ScopedDialog dialog(language.Module(), id);
        ASSERT_NE(dialog.Get(), nullptr) << id;
        for (HWND child = GetWindow(dialog.Get(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::wstring text = WindowText(child);
            if (text.empty())
                continue;
            const std::wstring kind = ClassOf(child);
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            const RECT client = ClientRectOf(child);
            const UINT prefix = (kind == L"Static" && (style & SS_NOPREFIX)) ? DT_NOPREFIX : 0;
            const SIZE size = TextSize(child, text, DT_SINGLELINE | prefix);
            int room = client.right;
            if (kind == L"Button") {
                // A push button's frame and focus rectangle; a group box's
                // caption starts a little in.
                room -= (style & BS_TYPEMASK) == BS_GROUPBOX ? 2 * GetSystemMetrics(SM_CXEDGE) + 16
                                                             : 4 * GetSystemMetrics(SM_CXEDGE) + 4;
            }
            EXPECT_LE(size.cx, room) << "template " << id << " control " << GetDlgCtrlID(child) << " '"
                                     << TestEnv::Narrow(text) << "'";
            if (kind == L"Static") {
                EXPECT_LE(size.cy, client.bottom) << "template " << id << " control " << GetDlgCtrlID(child);
            }
        }
    }
}

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
