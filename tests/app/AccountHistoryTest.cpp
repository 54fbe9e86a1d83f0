#include "app/CAccountHistory.h"
#include "base/UserCodePage.h"
#include "tests/support/TestEnv.h"
#include "ui/login/CCustomAutoComplete.h"

#include <windows.h>
#include <share.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

class AccountStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnv::ScratchFolder("accounts");
        wpath = folder + L"\\quillon.dat";
        path = TestEnv::Narrow(wpath); // the scratch path is plain ASCII
    }

    void Write(const std::string& bytes) const
    {
        std::ofstream out(std::filesystem::path(wpath), std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    std::string Read() const
    {
        std::ifstream in(std::filesystem::path(wpath), std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

    static std::vector<std::string> NamesOf(const CAccountHistory& history)
    {
        std::vector<std::string> names;
        for (size_t i = 0; i < history.Count(); ++i)
            names.push_back(history.Name(i));
        return names;
    }

    std::wstring folder, wpath;
    std::string path;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(AccountStore, NamesDifferingOnlyInCaseAreTwoLines)
{
    CAccountHistory history;
    history.Load(path); // no file yet
    EXPECT_EQ(history.Add("alice"), 1u);
    EXPECT_EQ(history.Add("Alice"), 2u);
    history.Save(path);
    EXPECT_EQ(Read(), "Alice\r\nalice\r\n");
}

TEST_F(AccountStore, SigningInAgainWithAKnownNameWritesNothing)
{
    // Written by hand with bare line feeds: any save would turn them into CR LF.
    Write("bob\n");
    CAccountHistory history;
    history.Load(path);
    EXPECT_EQ(history.Add("bob"), 1u);
    EXPECT_FALSE(history.Changed());
    history.Save(path);
    EXPECT_EQ(Read(), "bob\n");
}

TEST_F(AccountStore, DuplicateLinesAreOfferedOnceButKeptUntilTheNextSave)
{
    Write("carol\r\ncarol\r\n");
    CAccountHistory history;
    history.Load(path);
    EXPECT_EQ(NamesOf(history), (Names{"carol", "carol"}));

    // Offered as the login dialog offers them: each distinct name once.
    auto offered = ComRef<CCustomAutoComplete>::Share(new CCustomAutoComplete());
    for (size_t i = 0; i < history.Count(); ++i) {
        wchar_t wide[100] = L"";
        std::mbstowcs(wide, history.Name(i).c_str(), 99);
        if (wide[0] && offered->FindItem(wide) < 0)
            offered->AddItem(wide);
    }
    EXPECT_EQ(offered->ItemCount(), 1u);
    offered.Reset();

    history.Add("dave");
    history.Save(path);
    EXPECT_EQ(Read(), "carol\r\ncarol\r\ndave\r\n");
}

TEST_F(AccountStore, DescendingFileIsShownAndSavedAscending)
{
    Write("zed\r\namy\r\n");
    CAccountHistory history;
    history.Load(path);
    EXPECT_EQ(NamesOf(history), (Names{"amy", "zed"}));
    history.Add("bob");
    history.Save(path);
    EXPECT_EQ(Read(), "amy\r\nbob\r\nzed\r\n");
}

TEST_F(AccountStore, EmptyLineIsSkippedAndGoneAfterTheNextSave)
{
    Write("amy\r\n\r\nzed\r\n\r\n");
    CAccountHistory history;
    history.Load(path);
    EXPECT_EQ(NamesOf(history), (Names{"amy", "zed"}));
    history.Add("max");
    history.Save(path);
    EXPECT_EQ(Read(), "amy\r\nmax\r\nzed\r\n");
}

TEST_F(AccountStore, OverlongHandEditedLineIsSkippedWholeAndTheOthersSurvive)
{
    const std::string longest(99, 'k');
    const std::string tooLong(150, 'x');
    Write("amy\r\n" + tooLong + "\r\n" + longest + "\r\nzed");
    CAccountHistory history;
    history.Load(path);
    EXPECT_EQ(NamesOf(history), (Names{"amy", longest, "zed"})) << "no piece of the long line becomes a name";
    history.Add("bob");
    history.Save(path);
    EXPECT_EQ(Read(), "amy\r\nbob\r\n" + longest + "\r\nzed\r\n");
}

TEST_F(AccountStore, OrderIsByCharacterCodeWithPrefixesFirst)
{
    CAccountHistory history;
    for (const char* name : {"alicea", "alice", "Bob", "bob", "Alice"})
        history.Add(name);
    EXPECT_EQ(NamesOf(history), (Names{"Alice", "Bob", "alice", "alicea", "bob"}));
    EXPECT_EQ(history.Find("bob"), 4);
    EXPECT_EQ(history.Find("BOB"), -1);
    EXPECT_TRUE(CAccountHistory::Less("Zed", "adam"));
    EXPECT_FALSE(CAccountHistory::Less("adam", "adam"));
}

TEST_F(AccountStore, MissingFileChangesNothingAndUnwritablePathIsIgnored)
{
    CAccountHistory history;
    history.Add("kept");
    history.Load(path + ".missing");
    EXPECT_EQ(NamesOf(history), (Names{"kept"}));

    // A folder in the way of the file: the save fails quietly.
    CreateDirectoryW((folder + L"\\blocked.dat").c_str(), nullptr);
    history.Save(path.substr(0, path.size() - 11) + "blocked.dat");
    EXPECT_EQ(NamesOf(history), (Names{"kept"}));

    // An unchanged history writes nothing, even where it could.
    CAccountHistory untouched;
    untouched.Save(path);
    EXPECT_EQ(GetFileAttributesW(wpath.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The account store never loses what it holds when a write cannot finish;
// account names are cut between characters.
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
