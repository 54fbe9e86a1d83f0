#include "res/resource.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/controls/CDialogBase.h"
#include "ui/controls/CHyperLink.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

using namespace DialogHarness;

TEST(AnchorColor, ThreeNumbersGiveTheColour)
{
    COLORREF color = RGB(9, 9, 9);
    EXPECT_TRUE(ParseAnchorColor(L"0,128,0", color));
    EXPECT_EQ(color, RGB(0, 128, 0));
    EXPECT_TRUE(ParseAnchorColor(L"255,255,255", color));
    EXPECT_EQ(color, RGB(255, 255, 255));
    // Each number keeps its low 8 bits.
    EXPECT_TRUE(ParseAnchorColor(L"256,300,513", color));
    EXPECT_EQ(color, RGB(0, 44, 1));
}

TEST(AnchorColor, TwoNumbersOrAnEmptyBluePartAreRejected)
{
    COLORREF color = RGB(0, 0, 255);
    EXPECT_FALSE(ParseAnchorColor(L"0,128", color));
    EXPECT_FALSE(ParseAnchorColor(L"0,128,", color));
    EXPECT_FALSE(ParseAnchorColor(L"128", color));
    EXPECT_FALSE(ParseAnchorColor(L"", color));
    EXPECT_FALSE(ParseAnchorColor(nullptr, color));
    EXPECT_EQ(color, RGB(0, 0, 255));
}

namespace {

const wchar_t kTestKey[] = L"Software\\QuillonTests\\AnchorColors";

// Link colours of the test's own making under HKEY_CURRENT_USER.
class ColorKey
{
public:
    ColorKey(const wchar_t* link, const wchar_t* visited)
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        auto set = [key](const wchar_t* name, const wchar_t* value) {
            if (value)
                RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
        };
        set(L"Anchor Color", link);
        set(L"Anchor Color Visited", visited);
        RegCloseKey(key);
    }
    ~ColorKey() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuillonTests"); }
};

// The about box's template as a plain host for a link on control 5920.
class LinkHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = host.Create(nullptr);
        ASSERT_NE(window, nullptr);
        control = host.Item(IDC_SUPPORT_LINK);
        ASSERT_NE(control, nullptr);
        link.SetOpener([this](const std::wstring& address) {
            opened.push_back(address);
            return openSucceeds;
        });
    }

    ScopedLanguage language{"en"};
    CDialogBase host{IDD_ABOUT};
    HWND window = nullptr;
    HWND control = nullptr;
    CHyperLink link;
    std::vector<std::wstring> opened;
    bool openSucceeds = true;
};

} // namespace

TEST_F(LinkHost, RegistryColoursReplaceTheDefaultsWhenTheyParse)
{
    ColorKey colors(L"0,128,0", L"0,128");
    COLORREF link = RGB(0, 0, 255), visited = RGB(128, 0, 128);
    ReadAnchorColors(kTestKey, link, visited);
    EXPECT_EQ(link, RGB(0, 128, 0));
    EXPECT_EQ(visited, RGB(128, 0, 128));
}

TEST_F(LinkHost, AnElevenCharacterColourIsRead)
{
    ColorKey colors(L"255,255,255", L"100,200,150");
    COLORREF link = RGB(0, 0, 255), visited = RGB(128, 0, 128);
    ReadAnchorColors(kTestKey, link, visited);
    EXPECT_EQ(link, RGB(255, 255, 255));
    EXPECT_EQ(visited, RGB(100, 200, 150));
}

TEST_F(LinkHost, MissingKeyKeepsTheDefaultColours)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuillonTests");
    this->link.SetColorKey(kTestKey);
    ASSERT_TRUE(this->link.Attach(control));
    EXPECT_EQ(this->link.LinkColor(), RGB(0, 0, 255));
    EXPECT_EQ(this->link.VisitedColor(), RGB(128, 0, 128));
}

TEST_F(LinkHost, PaintsGreenFromTheRegistryAndTheVisitedColourAfterOpening)
{
    ColorKey colors(L"0,128,0", L"0,128");
    link.SetColorKey(kTestKey);
    ASSERT_TRUE(link.Attach(control));
    EXPECT_EQ(link.LinkColor(), RGB(0, 128, 0));
    EXPECT_GT(CountPixels(control, RGB(0, 128, 0)), 0);
    EXPECT_EQ(CountPixels(control, RGB(0, 0, 255)), 0) << "no trace of the default blue";

    ASSERT_TRUE(link.Open());
    EXPECT_TRUE(link.Visited());
    EXPECT_GT(CountPixels(control, RGB(128, 0, 128)), 0);
    EXPECT_EQ(CountPixels(control, RGB(0, 128, 0)), 0);

    EnableWindow(control, FALSE);
    EXPECT_GT(CountPixels(control, GetSysColor(COLOR_GRAYTEXT)), 0);
    EXPECT_EQ(CountPixels(control, RGB(128, 0, 128)), 0);
}

TEST_F(LinkHost, InitialisationTakesTheTextAndAddsNotify)
{
    SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) & ~LONG_PTR(SS_NOTIFY));
    ASSERT_TRUE(link.Attach(control));
    EXPECT_TRUE(GetWindowLongPtrW(control, GWL_STYLE) & SS_NOTIFY);
    EXPECT_TRUE(link.PaintsLabel());
    EXPECT_EQ(link.Label(), L"Support forum");
    EXPECT_EQ(link.Address(), L"Support forum") << "no address: the label is the address";
    EXPECT_EQ(SendMessageW(control, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
    const RECT r = link.LabelRect();
    EXPECT_GT(r.right - r.left, 10);
    EXPECT_GT(r.bottom - r.top, 5);

    // No address at initialisation: no tool is registered, and a later
    // address only updates the (absent) tool.
    ASSERT_NE(link.Tooltip(), nullptr);
    EXPECT_EQ(SendMessageW(link.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 0);
    link.SetAddress(L"https://example.com/a");
    EXPECT_EQ(link.Address(), L"https://example.com/a");
    EXPECT_EQ(SendMessageW(link.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(LinkHost, AnAddressSetBeforeInitialisationGetsTheTooltip)
{
    link.SetAddress(L"https://example.com/a");
    ASSERT_TRUE(link.Attach(control));
    EXPECT_EQ(link.Label(), L"Support forum");
    ASSERT_NE(link.Tooltip(), nullptr);
    EXPECT_EQ(SendMessageW(link.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[100] = L"";
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = control;
    info.uId = 1;
    info.lpszText = text;
    SendMessageW(link.Tooltip(), TTM_GETTEXTW, 100, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L"https://example.com/a");
    link.SetAddress(L"https://example.com/b");
    SendMessageW(link.Tooltip(), TTM_GETTEXTW, 100, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L"https://example.com/b");
    EXPECT_EQ(SendMessageW(link.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(LinkHost, PictureStaticsAreNotPaintedAsText)
{
    HWND icon = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0, 32, 32, window, nullptr,
                                nullptr, nullptr);
    CHyperLink pictureLink;
    ASSERT_TRUE(pictureLink.Attach(icon));
    EXPECT_FALSE(pictureLink.PaintsLabel());
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 40, 32, 2, window,
                                 nullptr, nullptr, nullptr);
    CHyperLink lineLink;
    ASSERT_TRUE(lineLink.Attach(frame));
    EXPECT_TRUE(lineLink.PaintsLabel()) << "kind 16 is not in the picture range";
}

TEST_F(LinkHost, LabelPaintingIsOffExactlyForStaticKindsThreeToNineAndThirteenToFifteen)
{
    for (LONG kind = 0; kind <= 18; ++kind) {
        HWND item = CreateWindowExW(0, L"Static", L"x", WS_CHILD | kind, 0, 0, 40, 12, window, nullptr, nullptr,
                                    nullptr);
        ASSERT_NE(item, nullptr);
        ASSERT_EQ(GetWindowLongPtrW(item, GWL_STYLE) & SS_TYPEMASK, kind);
        CHyperLink kindLink;
        ASSERT_TRUE(kindLink.Attach(item));
        const bool picture = (kind >= 3 && kind <= 9) || (kind >= 13 && kind <= 15);
        EXPECT_EQ(kindLink.PaintsLabel(), !picture) << "static kind " << kind;
        DestroyWindow(item);
    }
}

TEST_F(LinkHost, SpaceAndEnterOnTheFocusedLinkOpenTheAddress)
{
    ASSERT_TRUE(link.Attach(control));
    link.SetAddress(L"https://example.com/forum");
    ShowWindow(window, SW_SHOW);
    SetFocus(control);
    ASSERT_EQ(GetFocus(), control);

    PostMessageW(control, WM_CHAR, L'a', 0);
    PumpMessages(window);
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(link.Visited());

    PostMessageW(control, WM_CHAR, VK_SPACE, 0);
    PumpMessages(window);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], L"https://example.com/forum");
    EXPECT_TRUE(link.Visited());

    PostMessageW(control, WM_CHAR, VK_RETURN, 0);
    PumpMessages(window);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(LinkHost, AFailedOpenLeavesTheLinkUnvisited)
{
    ASSERT_TRUE(link.Attach(control));
    openSucceeds = false;
    EXPECT_FALSE(link.Open());
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_FALSE(link.Visited());
}

TEST_F(LinkHost, AClickOpensOnlyInsideTheLabel)
{
    ASSERT_TRUE(link.Attach(control));
    link.SetLabel(L"Help");
    link.SetAddress(L"https://example.com/help");
    ShowWindow(window, SW_SHOW);
    const RECT label = link.LabelRect();
    RECT client;
    GetClientRect(control, &client);
    ASSERT_LT(label.right + 5, client.right) << "a short label leaves room beside it";

    // Pressed and released beside the label: nothing.
    LPARAM outside = MAKELPARAM(client.right - 2, label.top + 1);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, outside);
    SendMessageW(control, WM_LBUTTONUP, 0, outside);
    EXPECT_TRUE(opened.empty());

    // Pressed on the label: focus and capture; released there: open.
    LPARAM inside = MAKELPARAM(label.left + 2, label.top + 2);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(GetCapture(), control);
    EXPECT_EQ(GetFocus(), control);
    SendMessageW(control, WM_LBUTTONUP, 0, inside);
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], L"https://example.com/help");

    // Pressed on the label but released beside it: no open.
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageW(control, WM_LBUTTONUP, 0, outside);
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(LinkHost, TheLinkLetsGoWhenItsWindowIsDestroyed)
{
    ASSERT_TRUE(link.Attach(control));
    HWND tooltip = link.Tooltip();
    ASSERT_TRUE(IsWindow(tooltip));
    host.EndDialog(IDOK);
    EXPECT_EQ(link.Handle(), nullptr);
    EXPECT_EQ(link.Tooltip(), nullptr);
    EXPECT_FALSE(IsWindow(tooltip));
}
