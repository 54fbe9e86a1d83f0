// The account store never loses what it holds when a write cannot finish;
// account names are cut between characters.
#include "app/CAccountHistory.h"
#include "base/UserCodePage.h"
#include "tests/support/TestEnv.h"

#include <windows.h>
#include <share.h>

#include <clocale>
#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string Read(const std::string& file) { return TestEnv::ReadBytes(TestEnv::Widen(file)); }
void Write(const std::string& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
bool Exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

const char kOld[] = "amy\r\nzed\r\n";
const char kNew[] = "amy\r\nbob\r\nzed\r\n";

class StoreWrite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Write(path, kOld);
        history.Load(path);
        history.Add("bob");
    }

    const std::string path = TestEnv::Narrow(TestEnv::ScratchFolder("store_write") + L"\\quillon.dat");
    CAccountHistory history;
};

} // namespace

TEST_F(StoreWrite, ASaveReplacesTheStoreWholeAndLeavesNoTemporaryFile)
{
    Write(path + ".tmp", "left over by a crash");
    EXPECT_TRUE(history.Save(path));
    EXPECT_EQ(Read(path), kNew);
    EXPECT_FALSE(Exists(path + ".tmp"));
}

// Another program holds the store open: the new names cannot take its
// place, and the old file stays as it was, not emptied half-way; the next
// sign-in saves. Nor is it touched when the temporary file cannot be written.
TEST_F(StoreWrite, AStoreThatCannotBeReplacedKeepsItsOldNames)
{
    FILE* reader = _fsopen(path.c_str(), "rb", _SH_DENYNO);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(history.Save(path));
    std::fclose(reader);
    EXPECT_EQ(Read(path), kOld);
    EXPECT_FALSE(Exists(path + ".tmp"));
    EXPECT_TRUE(history.Save(path));
    EXPECT_EQ(Read(path), kNew);

    Write(path, kOld);
    ASSERT_TRUE(CreateDirectoryA((path + ".tmp").c_str(), nullptr));
    EXPECT_FALSE(history.Save(path));
    EXPECT_EQ(Read(path), kOld);
    RemoveDirectoryA((path + ".tmp").c_str());
}

// The account box gives UTF-16; the store and the wire take at most 99 bytes
// of the user's code page, cut between characters; a character the code
// page lacks counts as the "?" it becomes.
TEST(AccountNameBytes, CutOnlyBetweenCharacters)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "Japanese_Japan.932"))
        GTEST_SKIP() << "no Japanese locale";
    const std::string hiragana = "\x82\xa0"; // あ in code page 932
    std::string fortyNine;
    while (fortyNine.size() < 98)
        fortyNine += hiragana;
    const struct { std::wstring text; std::string bytes; } cases[] = {
        {std::wstring(97, L'a') + L"\u3042", std::string(97, 'a') + hiragana},
        {std::wstring(98, L'a') + L"\u3042", std::string(98, 'a')},
        {std::wstring(50, L'\u3042'), fortyNine},
        {std::wstring(120, L'x'), std::string(99, 'x')},
        {L"name@example.com", "name@example.com"},
        {L"", ""},
        {std::wstring(98, L'a') + L"\U0001F600", std::string(98, 'a')},
    };
    static_assert(CAccountHistory::kMaxNameBytes == 99, "the limit the rows are written for");
    for (const auto& c : cases)
        EXPECT_EQ(UserCodePageFromWide(c.text, CAccountHistory::kMaxNameBytes), c.bytes) << c.text.size();
    std::setlocale(LC_ALL, previous.c_str());
}
