#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CResizeRule.h"
#include "ui/controls/CWindowSubclass.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

using namespace DialogHarness;

namespace {

// A dialog on the language dialog's template that records what reaches it.
class RecordingDlg : public CDialogBase
{
public:
    RecordingDlg() : CDialogBase(IDD_LANGUAGE) {}
    int inits = 0;
    std::vector<int> commands;
    int destroys = 0;

protected:
    bool OnInitDialog() override
    {
        ++inits;
        SetIcons(IDI_APP);
        return true;
    }
    bool OnCommand(int id, int code, HWND control) override
    {
        commands.push_back(id);
        return CDialogBase::OnCommand(id, code, control);
    }
    void OnDestroy() override { ++destroys; }
};

RECT ChildRect(HWND dialog, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE ClientSize(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

} // namespace

TEST(DialogBase, ModalRunEndsWithTheCommandsCode)
{
    ScopedLanguage language("en");
    RecordingDlg dlg;
    ModalDriver driver;
    HWND seen = nullptr;
    driver.Then([&](HWND dialog) {
        seen = dialog;
        EXPECT_EQ(dialog, dlg.Handle());
        EXPECT_TRUE(dlg.IsModal());
        EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0) << "icon 128 from the module";
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(dlg.inits, 1);
    // The list reports its focus changes too; the button's command comes last.
    ASSERT_FALSE(dlg.commands.empty());
    EXPECT_EQ(dlg.commands.back(), IDCANCEL);
    EXPECT_EQ(std::count(dlg.commands.begin(), dlg.commands.end(), IDCANCEL), 1);
    EXPECT_EQ(dlg.destroys, 1);
    EXPECT_EQ(dlg.Handle(), nullptr);
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_TRUE(driver.Unexpected().empty());
}

TEST(DialogBase, CloseBoxEndsWithCancel)
{
    ScopedLanguage language("ja");
    RecordingDlg dlg;
    ModalDriver driver;
    driver.Then([](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(dlg.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(std::count(dlg.commands.begin(), dlg.commands.end(), IDCANCEL), 1) << "WM_CLOSE became IDCANCEL";
}

TEST(DialogBase, ModelessDialogEndsByDestroyingItself)
{
    ScopedLanguage language("en");
    RecordingDlg dlg;
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(dlg.IsModal());
    EXPECT_EQ(dlg.inits, 1);
    EXPECT_EQ(dlg.Result(), -1);
    EXPECT_EQ(dlg.ItemText(IDOK), L"OK");
    dlg.SetItemText(IDOK, L"Fine");
    EXPECT_EQ(dlg.ItemText(IDOK), L"Fine");
    EXPECT_EQ(dlg.ItemText(4242), L"");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(dlg.Result(), IDOK);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dlg.Handle(), nullptr);
}

TEST(DialogBase, DestroyingTheObjectClosesItsModelessWindow)
{
    ScopedLanguage language("en");
    HWND window = nullptr;
    {
        RecordingDlg dlg;
        window = dlg.Create(nullptr);
        ASSERT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST(DialogBase, MissingTemplateFails)
{
    ScopedLanguage language("en");
    CDialogBase dlg(IDD_CHANGE_ACCESS + 1000);
    EXPECT_EQ(dlg.Create(nullptr), nullptr);
    EXPECT_EQ(dlg.DoModal(nullptr), -1);
}

TEST(DialogBase, ItemHelpersOnTheLoginTemplate)
{
    ScopedLanguage language("en");
    CDialogBase dlg(IDD_LOGIN);
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    EXPECT_FALSE(dlg.IsChecked(IDC_PUBLIC_ONLY));
    dlg.SetCheck(IDC_PUBLIC_ONLY, true);
    EXPECT_TRUE(dlg.IsChecked(IDC_PUBLIC_ONLY));
    dlg.EnableItem(IDC_PASSWORD, false);
    EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDC_PASSWORD)));
    dlg.SendItem(IDC_ACCOUNT, EM_LIMITTEXT, 5);
    dlg.SetItemText(IDC_ACCOUNT, L"abcdefgh"); // WM_SETTEXT ignores the limit
    SendMessageW(dlg.Item(IDC_ACCOUNT), EM_SETSEL, 0, -1);
    SendMessageW(dlg.Item(IDC_ACCOUNT), WM_CHAR, L'z', 0);
    EXPECT_EQ(dlg.ItemText(IDC_ACCOUNT), L"z");
}

// ---------------------------------------------------------------------------
// Resize rule
// ---------------------------------------------------------------------------
TEST(ResizeRule, PlaceFollowsTheAnchors)
{
    const RECT r = {10, 20, 110, 70};
    auto eq = [](RECT a, RECT b) { return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom; };
    EXPECT_TRUE(eq(CResizeRule::Place(r, ResizeNone, 30, 40), r));
    EXPECT_TRUE(eq(CResizeRule::Place(r, ResizeMoveX, 30, 40), RECT{40, 20, 140, 70}));
    EXPECT_TRUE(eq(CResizeRule::Place(r, ResizeMoveY, 30, 40), RECT{10, 60, 110, 110}));
    EXPECT_TRUE(eq(CResizeRule::Place(r, ResizeSizeX, 30, 40), RECT{10, 20, 140, 70}));
    EXPECT_TRUE(eq(CResizeRule::Place(r, ResizeSizeY, 30, 40), RECT{10, 20, 110, 110}));
    EXPECT_TRUE(eq(CResizeRule::Place(r, ResizeSizeX | ResizeSizeY, 30, 40), RECT{10, 20, 140, 110}));
    EXPECT_TRUE(eq(CResizeRule::Place(r, ResizeMoveX | ResizeSizeY, -5, 40), RECT{5, 20, 105, 110}));
}

namespace {

class ResizableDlg : public CDialogBase
{
public:
    ResizableDlg() : CDialogBase(IDD_LOGIN) {}
    CResizeRule rule;
    SIZE clientBefore = {0, 0};

protected:
    bool OnInitDialog() override
    {
        clientBefore = ClientSize(Handle());
        static const ResizeItem items[] = {
            {IDOK, ResizeMoveX | ResizeMoveY},
            {IDC_ACCOUNT, ResizeSizeX},
            {IDC_VERSION, ResizeMoveY | ResizeSizeX},
            {IDC_PASSWORD, ResizeSizeX | ResizeSizeY},
        };
        rule.Init(Handle(), items, std::size(items));
        return true;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) override
    {
        rule.HandleMessage(message, wParam, lParam);
        return false;
    }
};

} // namespace

TEST(ResizeRule, ControlsFollowTheClientSizeFromTheirInitialRectangles)
{
    ScopedLanguage language("en");
    ResizableDlg dlg;
    HWND window = dlg.Create(nullptr);
    ASSERT_NE(window, nullptr);

    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    // The frame grew outward: the client area the template was laid out for is intact.
    EXPECT_EQ(ClientSize(window).cx, dlg.clientBefore.cx);
    EXPECT_EQ(ClientSize(window).cy, dlg.clientBefore.cy);

    HWND grip = GetDlgItem(window, CResizeRule::kGripId);
    ASSERT_NE(grip, nullptr);
    RECT gripRect = ChildRect(window, CResizeRule::kGripId);
    EXPECT_EQ(gripRect.right, dlg.clientBefore.cx);
    EXPECT_EQ(gripRect.bottom, dlg.clientBefore.cy);

    const RECT ok = ChildRect(window, IDOK), account = ChildRect(window, IDC_ACCOUNT),
               version = ChildRect(window, IDC_VERSION), password = ChildRect(window, IDC_PASSWORD),
               cancel = ChildRect(window, IDCANCEL);
    RECT frame;
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 50,
                 SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(ClientSize(window).cx, dlg.clientBefore.cx + 100);
    ASSERT_EQ(ClientSize(window).cy, dlg.clientBefore.cy + 50);

    RECT r = ChildRect(window, IDOK);
    EXPECT_EQ(r.left, ok.left + 100);
    EXPECT_EQ(r.top, ok.top + 50);
    EXPECT_EQ(r.right - r.left, ok.right - ok.left);
    r = ChildRect(window, IDC_ACCOUNT);
    EXPECT_EQ(r.left, account.left);
    EXPECT_EQ(r.top, account.top);
    EXPECT_EQ(r.right, account.right + 100);
    EXPECT_EQ(r.bottom, account.bottom);
    r = ChildRect(window, IDC_VERSION);
    EXPECT_EQ(r.top, version.top + 50);
    EXPECT_EQ(r.right, version.right + 100);
    r = ChildRect(window, IDC_PASSWORD);
    EXPECT_EQ(r.right, password.right + 100);
    EXPECT_EQ(r.bottom, password.bottom + 50);
    r = ChildRect(window, IDCANCEL);
    EXPECT_EQ(r.left, cancel.left) << "controls without a rule keep their place";
    EXPECT_EQ(r.top, cancel.top);
    gripRect = ChildRect(window, CResizeRule::kGripId);
    EXPECT_EQ(gripRect.right, dlg.clientBefore.cx + 100);
    EXPECT_EQ(gripRect.bottom, dlg.clientBefore.cy + 50);

    // Back to a smaller size: positions come from the initial rectangles, not
    // from the previous layout.
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 10, frame.bottom - frame.top + 20,
                 SWP_NOMOVE | SWP_NOZORDER);
    r = ChildRect(window, IDOK);
    EXPECT_EQ(r.left, ok.left + 10);
    EXPECT_EQ(r.top, ok.top + 20);

    // The initial size is the minimum tracking size.
    MINMAXINFO info = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(info.ptMinTrackSize.y, frame.bottom - frame.top);
    EXPECT_EQ(dlg.rule.MinTrackSize().cx, frame.right - frame.left);
    // A maximum below it (a screen smaller than the layout) is raised to it.
    EXPECT_EQ(info.ptMaxTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(info.ptMaxTrackSize.y, frame.bottom - frame.top);
    EXPECT_EQ(info.ptMaxSize.x, frame.right - frame.left);
    EXPECT_EQ(info.ptMaxSize.y, frame.bottom - frame.top);
}

// ---------------------------------------------------------------------------
// Subclassing and centring
// ---------------------------------------------------------------------------
namespace {

class CharCounter : public CWindowSubclass
{
public:
    int chars = 0;
    bool finalSeen = false;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CHAR && wParam == L'x') {
            ++chars;
            return 0; // swallowed
        }
        return DefaultProc(message, wParam, lParam);
    }
    void OnFinalMessage() override { finalSeen = true; }
};

} // namespace

TEST(WindowSubclass, SeesMessagesFirstAndLetsGoOnDestruction)
{
    ScopedLanguage language("en");
    CDialogBase dlg(IDD_LOGIN);
    ASSERT_NE(dlg.Create(nullptr), nullptr);
    HWND edit = dlg.Item(IDC_ACCOUNT);
    CharCounter counter;
    ASSERT_TRUE(counter.Subclass(edit));
    EXPECT_FALSE(counter.Subclass(edit)) << "one window at a time";
    SendMessageW(edit, WM_CHAR, L'x', 0);
    SendMessageW(edit, WM_CHAR, L'y', 0);
    EXPECT_EQ(counter.chars, 1);
    EXPECT_EQ(dlg.ItemText(IDC_ACCOUNT), L"y");

    counter.Unsubclass();
    SendMessageW(edit, WM_CHAR, L'x', 0);
    EXPECT_EQ(counter.chars, 1);
    EXPECT_EQ(dlg.ItemText(IDC_ACCOUNT), L"yx");

    ASSERT_TRUE(counter.Subclass(edit));
    dlg.EndDialog(IDCANCEL); // destroys the modeless window
    EXPECT_TRUE(counter.finalSeen);
    EXPECT_EQ(counter.Handle(), nullptr);
}

TEST(CenterWindow, OverAVisibleOwnerElseOverTheWorkArea)
{
    ScopedLanguage language("en");
    CDialogBase owner(IDD_LOGIN), dlg(IDD_LANGUAGE);
    HWND ownerWindow = owner.Create(nullptr);
    ASSERT_NE(ownerWindow, nullptr);
    SetWindowPos(ownerWindow, nullptr, 120, 100, 500, 400, SWP_NOZORDER);
    HWND window = dlg.Create(ownerWindow);
    ASSERT_NE(window, nullptr);

    // Hidden owner: the work area's middle.
    CenterWindowInWorkArea(window, ownerWindow);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - (info.rcWork.left + info.rcWork.right) / 2), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - (info.rcWork.top + info.rcWork.bottom) / 2), 1);

    ShowWindow(ownerWindow, SW_SHOWNOACTIVATE);
    CenterWindowInWorkArea(window, ownerWindow);
    GetWindowRect(window, &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - 370), 1);
    EXPECT_LE(std::abs((r.top + r.bottom) / 2 - 300), 1);

    // A minimised owner counts as absent.
    ShowWindow(ownerWindow, SW_MINIMIZE);
    CenterWindowInWorkArea(window, ownerWindow);
    GetWindowRect(window, &r);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - (info.rcWork.left + info.rcWork.right) / 2), 1);
}
