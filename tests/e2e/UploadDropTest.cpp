// Files dropped on the album window from another process, as the shell
// drops them: they arrive in the album under the drop point.
#include "tests/e2e/ProgramFixture.h"

using namespace ProgramFixture;
using namespace WindowDriver;

namespace {

TEST_F(Program, FilesDroppedOnAnAlbumsRowAreUploadedIntoIt)
{
    Start();
    HWND albums = SignIn(L"demo@example.com", L"demo");
    ASSERT_NE(albums, nullptr);
    SetControlText(albums, 1009, L"Empty album"); // the pattern, as a whole title
    SendDlgItemMessageW(albums, 1019, BM_SETCHECK, BST_CHECKED, 0);
    Click(albums, 1008);
    ASSERT_TRUE(WaitUntil([&] { return _wtoi(ControlText(albums, 1035).c_str()) == 1; }));

    const std::wstring folder = TestEnv::ScratchFolder("e2e-drop");
    const std::string first = TestEnv::PatternBytes(3000, 1), second = TestEnv::PatternBytes(5000, 2);
    ASSERT_TRUE(DropFilesOnList(GetDlgItem(albums, kAlbumList),
                                {TestEnv::WriteBytes(folder, L"drop.jpg", first),
                                 TestEnv::WriteBytes(folder, L"\u7d05\u8449.png", second)}));
    HWND summary = WaitForMessageBox(60000, process.dwProcessId);
    ASSERT_NE(summary, nullptr);
    EXPECT_NE(ControlText(summary, 0xFFFF).find(L"Empty album"), std::wstring::npos);
    Click(summary, IDOK);

    const Json state = Json::Parse(LoopbackRequest(service, "GET", "/__control/state").body);
    int found = 0;
    for (const Json& account : state["accounts"].array)
        for (const Json& album : account["albums"].array)
            if (account["name"].string == "demo" && album["title"].string == "Empty album") {
                ++found;
                EXPECT_EQ(int(album["numphotos"].number), 2);
                EXPECT_EQ(int64_t(album["bytes_used"].number), int64_t(first.size() + second.size()));
            }
    EXPECT_EQ(found, 1);
}

} // namespace
