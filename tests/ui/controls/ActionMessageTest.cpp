// The message box with a button that leads on: the window grows to hold a
// long text and a long label, at the DPI of the run.
#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/controls/CActionMessageDlg.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

RECT ChildRect(HWND dialog, HWND child)
{
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The room the text of a control needs on one line, or wrapped at its width.
SIZE Needed(HWND control, bool wrap)
{
    const std::wstring text = WindowText(control);
    RECT box = {};
    GetClientRect(control, &box);
    RECT need = {0, 0, wrap ? box.right : 0, 0};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), int(text.size()), &need,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {need.right, need.bottom};
}

} // namespace

TEST(ActionMessage, TheWindowHoldsALongTextAndLabelWithItsControlsInsideAndApart)
{
    InitControls();
    ScopedLanguage language("en");
    std::wstring text = L"The backup finished.\n\n";
    for (int i = 0; i < 12; ++i)
        text += L"Line " + std::to_wstring(i) + L" of a summary that goes on for a while and wraps.\n";
    text += L"The albums are in C:\\Users\\someone\\Pictures\\A-folder-name-without-any-blank-in-it-at-all-"
            L"that-goes-on-and-on";
    const struct {
        std::wstring text, label;
    } cases[] = {{text, L"&Open the folder"}, {L"Short.", L"A label much longer than the button the template gives it"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(TestEnv::Narrow(c.label));
        CActionMessageDlg box(L"Back up", c.text, MB_ICONWARNING, c.label);
        HWND window = box.Create(nullptr);
        ASSERT_NE(window, nullptr);
        HWND textControl = GetDlgItem(window, 0xFFFF);
        EXPECT_EQ(MessageBoxText(window), c.text);
        EXPECT_EQ(WindowText(GetDlgItem(window, IDC_MESSAGE_ACTION)), c.label);
        RECT client = {};
        GetClientRect(window, &client);
        std::vector<std::pair<int, RECT>> placed;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const int id = GetDlgCtrlID(child);
            const RECT r = ChildRect(window, child);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                << "control " << id << " leaves the client area";
            for (const auto& [other, rect] : placed) {
                RECT overlap = {};
                EXPECT_FALSE(IntersectRect(&overlap, &r, &rect)) << "control " << id << " overlaps " << other;
            }
            placed.emplace_back(id, r);
        }
        EXPECT_EQ(placed.size(), 4u);
        const SIZE need = Needed(textControl, true);
        RECT box1 = {};
        GetClientRect(textControl, &box1);
        EXPECT_LE(need.cy, box1.bottom) << "the whole text is shown";
        HWND action = GetDlgItem(window, IDC_MESSAGE_ACTION);
        RECT actionBox = {};
        GetClientRect(action, &actionBox);
        EXPECT_LT(Needed(action, false).cx, actionBox.right) << "the label fits its button";
        EXPECT_EQ(ChildRect(window, action).top, ChildRect(window, GetDlgItem(window, IDOK)).top);
        DestroyWindow(window);
    }
}
