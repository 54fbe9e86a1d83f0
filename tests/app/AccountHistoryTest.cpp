#include "app/CAccountHistory.h"
#include "tests/support/TestEnv.h"
#include "ui/login/CCustomAutoComplete.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
    auto* offered = new CCustomAutoComplete();
    offered->AddRef();
    for (size_t i = 0; i < history.Count(); ++i) {
        wchar_t wide[100] = L"";
        std::mbstowcs(wide, history.Name(i).c_str(), 99);
        if (wide[0] && offered->FindItem(wide) < 0)
            offered->AddItem(wide);
    }
    EXPECT_EQ(offered->ItemCount(), 1u);
    offered->Release();

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
