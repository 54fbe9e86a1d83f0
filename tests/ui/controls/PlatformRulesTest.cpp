// What Windows demands and Wine forgives: no C++ exception through a window
// procedure, and layouts, icons and fonts that follow a DPI change.
#include "app/CAppModule.h"
#include "base/CLogSupport.h"
#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CGroupBoxBackground.h"
#include "ui/controls/CHyperLink.h"
#include "ui/controls/CResizeRule.h"
#include "ui/controls/CWindowSubclass.h"
#include "ui/controls/DpiMetrics.h"

#include <windows.h>

#include <new>
#include <regex>
#include <string>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

// The program's log for one test, registered where the window procedures
// report to.
class ScopedProgramLog
{
public:
    ScopedProgramLog() : m_path(TestEnv::Narrow(TestEnv::ScratchFolder("callbacks")) + "\\program.log")
    {
        DeleteFileA(m_path.c_str());
        m_log.Open(m_path.c_str());
        CAppModule::SetLog(&m_log);
    }
    ~ScopedProgramLog()
    {
        CAppModule::SetLog(nullptr);
        m_log.Close();
        DeleteFileA(m_path.c_str());
    }
    std::string Text() { return TestEnv::ReadBytes(TestEnv::Widen(m_path)); }

private:
    std::string m_path;
    CLogSupport m_log;
};

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A dialog whose command handler throws what a handler may throw.
class ThrowingDlg : public CDialogBase
{
public:
    ThrowingDlg() : CDialogBase(IDD_LANGUAGE) {}
protected:
    bool OnCommand(int id, int code, HWND control) override
    {
        if (id == 101)
            throw std::bad_alloc();
        if (id == 102)
            throw std::regex_error(std::regex_constants::error_brack);
        if (id == 103)
            throw 42;
        return CDialogBase::OnCommand(id, code, control);
    }
};

class ThrowingSubclass : public CWindowSubclass
{
protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_GETTEXTLENGTH)
            throw std::bad_alloc();
        if (message == WM_CHAR)
            std::regex("[unclosed"); // throws regex_error
        return DefaultProc(message, wParam, lParam);
    }
};

} // namespace

TEST(CallbackBoundary, ADialogHandlerThatThrowsIsLoggedAndTheDialogGoesOn)
{
    ScopedLanguage language("en");
    ScopedProgramLog log;
    ThrowingDlg dlg;
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);

    const struct {
        WPARAM command;
        const char* logged;
    } cases[] = {{101, "bad_alloc"}, {102, "Mismatched"}, {103, "unknown exception"}};
    for (const auto& c : cases) {
        // Not handled: the dialog manager's default result.
        EXPECT_EQ(SendMessageW(window, WM_COMMAND, c.command, 0), 0);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(CountOf(log.Text(), c.logged), 1) << c.logged << "\n" << log.Text();
    }
    EXPECT_EQ(CountOf(log.Text(), "message 0x0111"), 3);
    // The next handler runs as if nothing had happened.
    // Still dispatching: Cancel ends it as before.
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(dlg.Result(), IDCANCEL);
    EXPECT_FALSE(IsWindow(window));
}

TEST(CallbackBoundary, ASubclassThatThrowsGivesTheControlsOwnResult)
{
    ScopedProgramLog log;
    HWND edit = CreateWindowExW(0, L"EDIT", L"twelve chars", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    ThrowingSubclass subclass;
    ASSERT_TRUE(subclass.Subclass(edit));
    EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 12) << "the edit control's own answer";
    SendMessageW(edit, WM_CHAR, L'x', 0);
    wchar_t text[32] = {};
    GetWindowTextW(edit, text, 32);
    EXPECT_STREQ(text, L"xtwelve chars") << "the character reached the control";
    const std::string logged = log.Text();
    EXPECT_EQ(CountOf(logged, "Unexpected failure in a control"), 2) << logged;
    DestroyWindow(edit);
    EXPECT_EQ(subclass.Handle(), nullptr);
}

TEST(ResizeRule, UnplaceUndoesPlaceForEveryAnchor)
{
    const RECT r = {10, 20, 110, 70};
    const unsigned anchors[] = {ResizeNone, ResizeMoveX, ResizeMoveY, ResizeSizeX, ResizeSizeY,
                                ResizeMoveX | ResizeMoveY, ResizeSizeX | ResizeSizeY, ResizeMoveX | ResizeSizeY};
    for (unsigned anchor : anchors) {
        for (POINT d : {POINT{30, 40}, POINT{-7, 0}, POINT{0, -12}}) {
            const RECT back = CResizeRule::Unplace(CResizeRule::Place(r, anchor, d.x, d.y), anchor, d.x, d.y);
            EXPECT_TRUE(EqualRect(&back, &r)) << "anchor " << anchor << " by " << d.x << "," << d.y;
        }
    }
}

namespace {

class ScalingDlg : public CDialogBase
{
public:
    explicit ScalingDlg(UINT templateId = IDD_LOGIN) : CDialogBase(templateId) {}
    CResizeRule rule;

protected:
    bool OnInitDialog() override
    {
        static const ResizeItem items[] = {
            {IDOK, ResizeMoveX | ResizeMoveY},
            {IDC_ACCOUNT, ResizeSizeX},
        };
        rule.Init(Handle(), items, std::size(items));
        SetIcons(IDI_APP);
        return true;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) override
    {
        rule.HandleMessage(message, wParam, lParam);
        return false;
    }
};

RECT ChildRect(HWND dialog, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

RECT Scaled(RECT r, int num, int den)
{
    return {MulDiv(r.left, num, den), MulDiv(r.top, num, den), MulDiv(r.right, num, den), MulDiv(r.bottom, num, den)};
}

} // namespace

TEST(ResizeRule, ADpiChangeTakesTheRescaledRectanglesAsTheNewLayout)
{
    ScopedLanguage language("en");
    ScalingDlg dlg;
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);
    const UINT before = dlg.rule.Dpi();
    const UINT after = before * 3 / 2;

    // What the system does on a move to a monitor at 1.5 times the DPI: the
    // window and every control are scaled, then the dialog hears of it.
    RECT frame;
    GetWindowRect(window, &frame);
    const SIZE client = dlg.rule.InitialClientSize();
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT r = Scaled(ChildRect(window, GetDlgCtrlID(child)), 3, 2);
        SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
    }
    const RECT ok150 = ChildRect(window, IDOK), account150 = ChildRect(window, IDC_ACCOUNT);
    RECT suggested = {frame.left, frame.top, frame.left + (frame.right - frame.left) * 3 / 2,
                      frame.top + (frame.bottom - frame.top) * 3 / 2};
    SendMessageW(window, kDpiChangedMessage, MAKEWPARAM(after, after), reinterpret_cast<LPARAM>(&suggested));
    // Windows resizes the window to the suggested rectangle in its default handling.
    SetWindowPos(window, nullptr, 0, 0, suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages(window);

    EXPECT_EQ(dlg.rule.Dpi(), after);
    EXPECT_EQ(dlg.rule.InitialClientSize().cx, MulDiv(client.cx, 3, 2));
    EXPECT_EQ(dlg.rule.InitialClientSize().cy, MulDiv(client.cy, 3, 2));
    EXPECT_GT(dlg.rule.MinTrackSize().cx, dlg.rule.InitialClientSize().cx);

    // While the system placed them, the controls stayed where it put them.
    RECT scaledClient;
    GetClientRect(window, &scaledClient);
    EXPECT_TRUE(SameRect(ok150, ChildRect(window, IDOK)));
    EXPECT_TRUE(SameRect(account150, ChildRect(window, IDC_ACCOUNT)));

    // Growing the client to 60 x 30 beyond the new initial size places the
    // controls from the scaled rectangles, not from the 96-DPI ones.
    const SIZE initial = dlg.rule.InitialClientSize();
    RECT now;
    GetWindowRect(window, &now);
    SetWindowPos(window, nullptr, 0, 0, now.right - now.left + initial.cx + 60 - scaledClient.right,
                 now.bottom - now.top + initial.cy + 30 - scaledClient.bottom, SWP_NOMOVE | SWP_NOZORDER);
    const int dx = initial.cx + 60 - scaledClient.right;
    const int dy = initial.cy + 30 - scaledClient.bottom;
    RECT expectedOk = ok150;
    OffsetRect(&expectedOk, dx, dy);
    RECT expectedAccount = account150;
    expectedAccount.right += dx;
    EXPECT_TRUE(SameRect(expectedOk, ChildRect(window, IDOK)));
    EXPECT_TRUE(SameRect(expectedAccount, ChildRect(window, IDC_ACCOUNT)));
    DestroyWindow(window);
}

TEST(HyperLinkFont, FollowsTheFontTheDialogHandsItAfterADpiChange)
{
    ScopedLanguage language("en");
    CDialogBase host{IDD_ABOUT};
    HWND window = host.Create(nullptr);
    ASSERT_NE(window, nullptr);
    CHyperLink link;
    link.SetLabel(L"a link label");
    ASSERT_TRUE(link.Attach(host.Item(IDC_SUPPORT_LINK)));
    // Room for the larger label.
    SetWindowPos(link.Handle(), nullptr, 0, 0, 600, 80, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(link.Handle(), WM_SETFONT, SendMessageW(window, WM_GETFONT, 0, 0), TRUE);
    const RECT small = link.LabelRect();

    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfHeight = lf.lfHeight * 3 / 2;
    HFONT larger = CreateFontIndirectW(&lf);
    SendMessageW(link.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(larger), TRUE);
    const RECT big = link.LabelRect();
    EXPECT_GT(big.right - big.left, small.right - small.left);
    EXPECT_GT(big.bottom - big.top, small.bottom - small.top);

    DestroyWindow(window);
    DeleteObject(larger);
}

TEST(ResizeRule, GroupBoxesOfAClipChildrenDialogPaintTheirInside)
{
    ScopedLanguage language("en");
    ScalingDlg dlg{IDD_NEW_ALBUM};
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);
    HWND box = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child && !box; child = GetWindow(child, GW_HWNDNEXT))
        if (CGroupBoxBackground::IsGroupBox(child))
            box = child;
    ASSERT_NE(box, nullptr) << "the new album dialog frames its title and description";
    EXPECT_EQ(GetWindow(box, GW_HWNDLAST), box) << "below the controls it frames";
    EXPECT_TRUE(GetWindowLongPtrW(box, GWL_STYLE) & WS_CLIPSIBLINGS);

    // Erasing fills the whole inside with the dialog's background instead of
    // leaving what was there (black here).
    RECT inside;
    GetClientRect(box, &inside);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), inside.right, -inside.bottom, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_NE(SendMessageW(box, WM_ERASEBKGND, WPARAM(dc), 0), 0);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    const uint32_t background = pixels[(inside.bottom / 2) * inside.right + inside.right / 2] & 0xFFFFFF;
    const uint32_t corner = pixels[(inside.bottom - 3) * inside.right + 3] & 0xFFFFFF;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_NE(background, 0u);
    EXPECT_NE(corner, 0u);
    DestroyWindow(window);
}
