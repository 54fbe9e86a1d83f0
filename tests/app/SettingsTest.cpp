#include "ui/controls/CDialogPositionRestore.h"
#include "app/CIniFile.h"
#include "app/CMultiLanguageSupport.h"
#include "tests/support/TestEnv.h"
#include "ui/controls/CDialogBase.h"

#include <windows.h>
#include <shlwapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

class SettingsFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnv::ScratchFolder("settings");
        path = folder + L"\\quillon.ini";
    }
    std::wstring folder;
    std::wstring path;
};

} // namespace

TEST_F(SettingsFile, IntegersReadAsTheirLeadingNumberElseTheDefault)
{
    WriteBytes(path, "[ToolDlg]\r\nQuickMode=2\r\nSORT_COLUMN= 3\r\nSORT_DESCENDING=x\r\nIGNORE_CASE_SENSITIVE=1\r\n"
                     "minPosX=-7\r\nmaxPosX=12abc\r\nempty=\r\n");
    CIniFile ini(path);
    EXPECT_FALSE(ini.ReadFlag(L"ToolDlg", L"QuickMode", true)) << "2 is not 1";
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"QuickMode", 1), 2);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"SORT_COLUMN", 0), 3);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"SORT_DESCENDING", 5), 5);
    EXPECT_FALSE(ini.ReadFlag(L"ToolDlg", L"SORT_DESCENDING", false));
    EXPECT_TRUE(ini.ReadFlag(L"ToolDlg", L"IGNORE_CASE_SENSITIVE", false));
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"minPosX", -1), -7);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"maxPosX", -1), 12);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"empty", 42), 42);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"missing", 43), 43);
    EXPECT_EQ(ini.ReadInt(L"NoSection", L"QuickMode", 1), 1);
}

TEST_F(SettingsFile, ScanMatchesPercentD)
{
    int value = 99;
    EXPECT_TRUE(ScanLeadingInt(L"  -15 apples", value));
    EXPECT_EQ(value, -15);
    EXPECT_TRUE(ScanLeadingInt(L"+8", value));
    EXPECT_EQ(value, 8);
    value = 99;
    EXPECT_FALSE(ScanLeadingInt(L"a1", value));
    EXPECT_FALSE(ScanLeadingInt(L"", value));
    EXPECT_FALSE(ScanLeadingInt(L"-", value));
    EXPECT_EQ(value, 99);
}

TEST_F(SettingsFile, NoFileGivesDefaultsAndFirstWriteCreatesFolderAndFile)
{
    const std::wstring nested = folder + L"\\Quillon\\deeper\\quillon.ini";
    CIniFile ini(nested);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"QuickMode", 1), 1);
    EXPECT_EQ(ini.ReadString(L"Generic", L"Language", L"Japanese"), L"Japanese");
    EXPECT_FALSE(PathFileExistsW(nested.c_str()));

    EXPECT_TRUE(ini.WriteInt(L"ToolDlg", L"SORT_COLUMN", -3));
    ASSERT_TRUE(PathFileExistsW(nested.c_str()));
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"SORT_COLUMN", 0), -3);
    const std::string text = TestEnv::ReadBytes(nested);
    EXPECT_NE(text.find("[ToolDlg]"), std::string::npos) << text;
    EXPECT_NE(text.find("SORT_COLUMN=-3"), std::string::npos) << text;
}

TEST_F(SettingsFile, EnsureExistsKeepsAnExistingFile)
{
    WriteBytes(path, "[LoginDlg]\r\nACCESS_PUBLIC_ONLY=1\r\n");
    CIniFile ini(path);
    EXPECT_TRUE(ini.EnsureExists());
    EXPECT_EQ(TestEnv::ReadBytes(path), "[LoginDlg]\r\nACCESS_PUBLIC_ONLY=1\r\n");
}

TEST_F(SettingsFile, PathRule)
{
    EXPECT_EQ(SettingsPath(L"Z:\\elsewhere\\my.ini", -1), L"Z:\\elsewhere\\my.ini");
    const std::wstring appData = SettingsPath(L"quillon.ini", kLocalAppDataFolder);
    ASSERT_GT(appData.size(), 12u);
    EXPECT_EQ(appData.substr(appData.size() - 12), L"\\quillon.ini");
    EXPECT_EQ(SettingsLocation::File(path).Path(), path);
}

TEST_F(SettingsFile, LanguageNameIsReadCutTo99Characters)
{
    const std::string longName(100, 'L');
    WriteBytes(path, "[Generic]\r\nLanguage=" + longName + "\r\n");
    CMultiLanguageSupport languages(path.c_str(), -1, folder);
    EXPECT_EQ(languages.ReadLanguage(L"English"), std::wstring(99, L'L'));
    EXPECT_EQ(languages.LanguageName().size(), 99u);
}

TEST_F(SettingsFile, LanguageReadDefaultsAndWriteResults)
{
    CMultiLanguageSupport languages(path.c_str(), -1, folder);
    EXPECT_EQ(languages.ReadLanguage(L"Japanese"), L"Japanese");
    EXPECT_EQ(languages.WriteLanguage(L"English"), 0u);
    EXPECT_EQ(languages.ReadLanguage(L"Japanese"), L"English");
    EXPECT_NE(TestEnv::ReadBytes(path).find("Language=English"), std::string::npos);

    CMultiLanguageSupport noPath(L"", -1, folder);
    EXPECT_EQ(noPath.WriteLanguage(L"English"), DWORD(ERROR_INVALID_PARAMETER));

    // A file where the settings folder should be: nothing can be written.
    WriteBytes(folder + L"\\blocker", "not a folder");
    const std::wstring blocked = folder + L"\\blocker\\quillon.ini";
    CMultiLanguageSupport cannotWrite(blocked.c_str(), -1, folder);
    EXPECT_EQ(cannotWrite.WriteLanguage(L"English"), DWORD(ERROR_WRITE_FAULT));
}

// ---------------------------------------------------------------------------
// Placement
// ---------------------------------------------------------------------------
namespace {

class TestWindow : public CDialogPositionRestore
{
public:
    explicit TestWindow(HWND owner = nullptr)
    {
        static const bool registered = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QuillonPlacementTest";
            return RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        window = CreateWindowExW(0, L"QuillonPlacementTest", L"placement", WS_OVERLAPPEDWINDOW, 50, 60, 300, 200,
                                 owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow() override { DestroyWindow(window); }
    HWND window = nullptr;

protected:
    HWND PlacementWindow() const override { return window; }
};

RECT WorkAreaOf(HWND window)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

RECT WindowRect(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

} // namespace

TEST_F(SettingsFile, PlacementRoundTrip)
{
    TestWindow first;
    ASSERT_TRUE(first.window);
    SetWindowPos(first.window, nullptr, 100, 120, 400, 300, SWP_NOZORDER);
    ShowWindow(first.window, SW_SHOWNORMAL);
    first.SavePosition(path.c_str(), -1, L"ToolDlg");

    CIniFile ini(path);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"rectLeft", 0), 100);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"rectTop", 0), 120);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"rectRight", 0), 500);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"rectBottom", 0), 420);
    EXPECT_EQ(ini.ReadInt(L"ToolDlg", L"maximize", 7), 0);
    // The keys in the documented order.
    const std::string text = TestEnv::ReadBytes(path);
    const char* keys[] = {"minPosX=", "minPosY=", "maxPosX=", "maxPosY=", "rectTop=",
                          "rectLeft=", "rectBottom=", "rectRight=", "maximize="};
    size_t at = 0;
    for (const char* key : keys) {
        size_t found = text.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in\n" << text;
        at = found;
    }

    TestWindow second;
    second.RestorePosition(path.c_str(), -1, L"ToolDlg");
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    ASSERT_TRUE(GetWindowPlacement(second.window, &wp));
    EXPECT_EQ(wp.rcNormalPosition.left, 100);
    EXPECT_EQ(wp.rcNormalPosition.top, 120);
    EXPECT_EQ(wp.rcNormalPosition.right, 500);
    EXPECT_EQ(wp.rcNormalPosition.bottom, 420);
    EXPECT_FALSE(IsZoomed(second.window));
}

TEST_F(SettingsFile, MaximizedPlacementRestoresMaximizedThenToItsRectangle)
{
    TestWindow first;
    SetWindowPos(first.window, nullptr, 80, 90, 360, 240, SWP_NOZORDER);
    ShowWindow(first.window, SW_SHOWNORMAL);
    ShowWindow(first.window, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(first.window));
    first.SavePosition(path.c_str(), -1, L"PhotoInfoDlg");

    CIniFile ini(path);
    EXPECT_EQ(ini.ReadInt(L"PhotoInfoDlg", L"maximize", 0), 1);
    EXPECT_EQ(ini.ReadInt(L"PhotoInfoDlg", L"rectLeft", 0), 80);
    EXPECT_EQ(ini.ReadInt(L"PhotoInfoDlg", L"rectBottom", 0), 330);

    TestWindow second;
    second.RestorePosition(path.c_str(), -1, L"PhotoInfoDlg");
    EXPECT_TRUE(IsZoomed(second.window));
    ShowWindow(second.window, SW_RESTORE);
    const RECT r = WindowRect(second.window);
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.top, 90);
    EXPECT_EQ(r.right, 440);
    EXPECT_EQ(r.bottom, 330);
}

TEST_F(SettingsFile, EmptyRectangleCentresOnTheWorkAreaWithoutVisibleOwner)
{
    WriteBytes(path, "[UrlDlg]\r\nrectTop=10\r\nrectBottom=10\r\nrectLeft=0\r\nrectRight=300\r\n");
    TestWindow window;
    const RECT before = WindowRect(window.window);
    window.RestorePosition(path.c_str(), -1, L"UrlDlg");
    const RECT work = WorkAreaOf(window.window);
    const RECT expected = CenteredRect(before, work, work);
    const RECT after = WindowRect(window.window);
    EXPECT_EQ(after.left, expected.left);
    EXPECT_EQ(after.top, expected.top);
    EXPECT_EQ(after.right - after.left, 300);
    // Really in the middle, not just where the rule function says.
    EXPECT_LE(std::abs((after.left + after.right) / 2 - (work.left + work.right) / 2), 1);
    EXPECT_LE(std::abs((after.top + after.bottom) / 2 - (work.top + work.bottom) / 2), 1);
}

TEST_F(SettingsFile, AllZeroRectangleCentresOverAVisibleOwner)
{
    TestWindow owner;
    SetWindowPos(owner.window, nullptr, 200, 150, 600, 500, SWP_NOZORDER);
    ShowWindow(owner.window, SW_SHOWNORMAL);
    TestWindow window(owner.window);
    window.RestorePosition(path.c_str(), -1, L"NewAlbumDlg"); // no file at all
    const RECT r = WindowRect(window.window);
    EXPECT_EQ((r.left + r.right) / 2, 500);
    EXPECT_EQ((r.top + r.bottom) / 2, 400);
    EXPECT_FALSE(PathFileExistsW(path.c_str())) << "restoring writes nothing";
}

TEST(CenteredRect, KeepsTheWindowInsideTheWorkArea)
{
    const RECT work = {0, 0, 1000, 800};
    // Over an owner in the middle: plain centring.
    RECT r = CenteredRect({0, 0, 200, 100}, {300, 300, 500, 500}, work);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 350);
    // An owner near the bottom-right corner: pushed back in.
    r = CenteredRect({0, 0, 200, 100}, {900, 760, 1000, 800}, work);
    EXPECT_EQ(r.right, 1000);
    EXPECT_EQ(r.bottom, 800);
    // Near the top-left: pushed right and down.
    r = CenteredRect({0, 0, 200, 100}, {-50, -40, 10, 10}, work);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    // Larger than the work area: the top-left corner wins.
    r = CenteredRect({0, 0, 1200, 900}, work, work);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1200);
}
