// Every dialog template of both language modules: the control classes it
// names are registered at start-up, and at the display's DPI every control
// lies inside the client area and apart from the others. The resizable
// dialogs never shrink below their template size, so the template size is
// also their minimum tracking size.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/DialogHarness.h"
#include "tests/support/DialogTemplate.h"
#include "tests/support/TestEnv.h"
#include "ui/controls/CommonControls.h"

using DialogHarness::ScopedLanguage;

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

bool IsGroupBox(const std::wstring& className, DWORD style)
{
    return lstrcmpiW(className.c_str(), L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
}

struct PlacedControl
{
    int id;
    std::wstring className;
    RECT rect;
    bool visible;
    bool groupBox;
};

std::wstring Describe(int templateId, const PlacedControl& c)
{
    return L"template " + std::to_wstring(templateId) + L" control " + std::to_wstring(c.id) + L" (" + c.className +
           L") at " + std::to_wstring(c.rect.left) + L"," + std::to_wstring(c.rect.top) + L"-" +
           std::to_wstring(c.rect.right) + L"," + std::to_wstring(c.rect.bottom);
}


class DialogTemplates : public ::testing::TestWithParam<const char*>
{
protected:
    std::vector<DialogTemplateInfo> Templates(HMODULE module)
    {
        std::vector<DialogTemplateInfo> templates;
        std::wstring problem;
        EXPECT_TRUE(ReadDialogTemplates(module, templates, problem)) << TestEnv::Narrow(problem);
        EXPECT_GE(templates.size(), 3u);
        return templates;
    }
};

} // namespace

TEST(CommonControlClasses, MapTheClassNamesTemplatesUse)
{
    const struct {
        const wchar_t* name;
        DWORD flag;
    } cases[] = {
        {L"button", 0},
        {L"COMBOBOX", 0},
        {L"SysListView32", ICC_LISTVIEW_CLASSES},
        {L"SysMonthCal32", ICC_DATE_CLASSES},
        {L"msctls_progress32", ICC_PROGRESS_CLASS},
        {L"SysLink", ICC_LINK_CLASS},
        {L"NoSuchClass", kUnknownControlClass},
        {L"", kUnknownControlClass},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommonControlClassFlag(c.name), c.flag) << TestEnv::Narrow(c.name);
    EXPECT_EQ(CommonControlClassFlag(nullptr), kUnknownControlClass);
}

TEST_P(DialogTemplates, EveryControlClassIsRegisteredAtStartUp)
{
    ScopedLanguage language(GetParam());
    ASSERT_NE(language.Module(), nullptr);
    for (const DialogTemplateInfo& dialog : Templates(language.Module())) {
        for (const TemplateControl& control : dialog.controls) {
            const DWORD flag = CommonControlClassFlag(control.className.c_str());
            EXPECT_NE(flag, kUnknownControlClass)
                << "template " << dialog.id << " control " << control.id << ": " << TestEnv::Narrow(control.className);
            EXPECT_EQ(flag & ~kCommonControlClasses, 0u)
                << "template " << dialog.id << " control " << control.id << " needs class " << TestEnv::Narrow(control.className)
                << ", which start-up does not register";
        }
    }
}

// The room a control's own text needs: one line for buttons and check
// boxes (with the box beside the text), wrapped lines for static texts.
bool TextFits(HWND control, std::wstring& why)
{
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const DWORD style = DWORD(GetWindowLongPtrW(control, GWL_STYLE));
    const int length = GetWindowTextLengthW(control);
    if (length == 0)
        return true;
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(control, text.data(), length + 1)));
    RECT box;
    GetClientRect(control, &box);
    UINT format = DT_CALCRECT;
    int extraWidth = 0;
    if (lstrcmpiW(className, L"Button") == 0) {
        const DWORD kind = style & BS_TYPEMASK;
        if (kind == BS_GROUPBOX)
            return true;
        format |= DT_SINGLELINE;
        const bool check = kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
                           kind == BS_AUTORADIOBUTTON || kind == BS_3STATE || kind == BS_AUTO3STATE;
        extraWidth = check ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 2 * GetSystemMetrics(SM_CXEDGE) + 4;
    } else if (lstrcmpiW(className, L"Static") == 0) {
        const DWORD kind = style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP)
            return true;
        if (style & (SS_PATHELLIPSIS | SS_ENDELLIPSIS | SS_WORDELLIPSIS))
            return true;
        format |= kind == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK;
        if (style & SS_NOPREFIX)
            format |= DT_NOPREFIX;
    } else {
        return true;
    }
    RECT need = {0, 0, box.right - extraWidth, 0};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), int(text.size()), &need, format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (need.right + extraWidth <= box.right && need.bottom <= box.bottom)
        return true;
    why = L"\"" + text + L"\" needs " + std::to_wstring(need.right + extraWidth) + L"x" + std::to_wstring(need.bottom) +
          L", has " + std::to_wstring(box.right) + L"x" + std::to_wstring(box.bottom);
    return false;
}

TEST_P(DialogTemplates, ControlsLieInsideApartAndHoldTheirTexts)
{
    ScopedLanguage language(GetParam());
    ASSERT_NE(language.Module(), nullptr);

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (const char* expected = std::getenv("QUILLON_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix does not run at the DPI this run is for";
    }

    for (const DialogTemplateInfo& info : Templates(language.Module())) {
        HWND dialog = CreateDialogParamW(language.Module(), MAKEINTRESOURCEW(info.id), nullptr, PlainDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << "template " << info.id;
        RECT client;
        GetClientRect(dialog, &client);

        std::vector<PlacedControl> controls;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[64] = {};
            GetClassNameW(child, className, 64);
            const DWORD style = DWORD(GetWindowLongPtrW(child, GWL_STYLE));
            PlacedControl placed{GetDlgCtrlID(child), className, {}, (style & WS_VISIBLE) != 0, IsGroupBox(className, style)};
            GetWindowRect(child, &placed.rect);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed.rect), 2);
            controls.push_back(placed);
            std::wstring why;
            EXPECT_TRUE(TextFits(child, why)) << "template " << info.id << " control " << placed.id << ": "
                                              << TestEnv::Narrow(why) << " at " << dpi << " DPI";
        }
        EXPECT_EQ(controls.size(), info.controls.size()) << "template " << info.id;

        for (const PlacedControl& c : controls) {
            EXPECT_TRUE(c.rect.left >= client.left && c.rect.top >= client.top && c.rect.right <= client.right &&
                        c.rect.bottom <= client.bottom)
                << TestEnv::Narrow(Describe(info.id, c)) << " leaves the client area " << client.right << "x" << client.bottom
                << " at " << dpi << " DPI";
        }
        // A group box frames other controls; a hidden control shares its place
        // with the one shown instead of it.
        for (size_t i = 0; i < controls.size(); ++i) {
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const PlacedControl& a = controls[i];
                const PlacedControl& b = controls[j];
                if (a.groupBox || b.groupBox || !a.visible || !b.visible)
                    continue;
                RECT overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &a.rect, &b.rect))
                    << TestEnv::Narrow(Describe(info.id, a)) << " overlaps " << TestEnv::Narrow(Describe(info.id, b)) << " at " << dpi
                    << " DPI";
            }
        }
        DestroyWindow(dialog);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogTemplates, ::testing::Values("en", "ja"));
