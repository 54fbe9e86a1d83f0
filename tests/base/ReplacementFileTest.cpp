// A file written under a temporary name: moved into place whole, or leaving
// the folder as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "base/ReplacementFile.h"
#include "tests/support/TestEnv.h"

namespace {

using TestEnv::ReadBytes;
using TestEnv::ScratchFolder;
using TestEnv::WriteBytes;

// The names in `folder`, "." and ".." left out.
std::set<std::wstring> Names(const std::wstring& folder)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.insert(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

class ReplacementFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = ScratchFolder(std::string("ReplacementFile.") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_FALSE(folder.empty());
        temporary = folder + L"\\a.jpg.part";
        final = folder + L"\\a.jpg";
    }
    std::wstring folder;
    std::wstring temporary;
    std::wstring final;
};

TEST_F(ReplacementFileTest, ACommittedFileReplacesTheOlderOneWhole)
{
    ASSERT_FALSE(WriteBytes(folder, L"a.jpg", "older and longer").empty());
    ReplacementFile file(temporary, final);
    ASSERT_EQ(file.Create(), 0u);
    ASSERT_EQ(file.Write("new", 3), 0u);
    ASSERT_EQ(file.Write(" bytes", 6), 0u);
    EXPECT_EQ(ReadBytes(final), "older and longer") << "the final name keeps the older file until the move";
    ASSERT_EQ(file.Commit(), 0u);
    EXPECT_EQ(ReadBytes(final), "new bytes");
    EXPECT_EQ(Names(folder), (std::set<std::wstring>{L"a.jpg"}));
}

TEST_F(ReplacementFileTest, AFileNotCommittedLeavesTheFolderAsItWas)
{
    ASSERT_FALSE(WriteBytes(folder, L"a.jpg", "older").empty());
    {
        ReplacementFile file(temporary, final);
        ASSERT_EQ(file.Create(), 0u);
        ASSERT_EQ(file.Write("cut sh", 6), 0u);
    } // given up: a download cut short, a run stopped
    EXPECT_EQ(ReadBytes(final), "older");
    EXPECT_EQ(Names(folder), (std::set<std::wstring>{L"a.jpg"}));
}

TEST_F(ReplacementFileTest, AMoveThatFailsLeavesNoTemporaryFile)
{
    // A folder holds the final name: the move cannot replace it.
    ASSERT_TRUE(CreateDirectoryW(final.c_str(), nullptr));
    ReplacementFile file(temporary, final);
    ASSERT_EQ(file.Create(), 0u);
    ASSERT_EQ(file.Write("whole", 5), 0u);
    EXPECT_NE(file.Commit(), 0u);
    EXPECT_EQ(Names(folder), (std::set<std::wstring>{L"a.jpg"}));
    EXPECT_TRUE(GetFileAttributesW(final.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(ReplacementFileTest, WriteWholeFileSaysWhyItCouldNot)
{
    EXPECT_EQ(WriteWholeFile(temporary, final, "abc", 3), 0u);
    EXPECT_EQ(ReadBytes(final), "abc");
    const std::wstring missing = folder + L"\\no such folder\\b.csv";
    EXPECT_EQ(WriteWholeFile(missing + L".part", missing, "abc", 3), DWORD(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Names(folder), (std::set<std::wstring>{L"a.jpg"}));
}

} // namespace
