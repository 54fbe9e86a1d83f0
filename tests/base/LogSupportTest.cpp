// The log file: its lines, its rotation at the size limit, and its code page.
#include "base/CLogSupport.h"

#include "tests/support/TestEnv.h"

#include <windows.h>

#include <fstream>
#include <regex>
#include <string>

#include <gtest/gtest.h>

namespace {

class LogFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = TestEnv::ScratchFolder("app_log");
        path = Ascii(folder + L"\\quillon.log");
        DeleteFileA(path.c_str());
        DeleteFileA((path + ".old").c_str());
    }

    static std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

    static std::string Read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static bool Exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

    static void Fill(const std::string& file, size_t size, char c)
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << std::string(size, c);
    }

    std::wstring folder;
    std::string path;
};

std::string ReadBytes(const std::string& file) { return TestEnv::ReadBytes(TestEnv::Widen(file)); }
void WriteBytes(const std::string& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

} // namespace

TEST_F(LogFile, ExactlyTheLimitStaysOneByteMoreIsRotated)
{
    Fill(path, 4194304, 'a');
    {
        CLogSupport log;
        ASSERT_TRUE(log.Open(path.c_str()));
        log.Write("next");
    }
    EXPECT_FALSE(Exists(path + ".old"));
    std::string content = Read(path);
    EXPECT_EQ(content.size(), 4194304u + 20 + 4 + 2);
    EXPECT_EQ(content.substr(content.size() - 6), "next\r\n");

    Fill(path + ".old", 10, 'o');
    Fill(path, 4194305, 'b');
    {
        CLogSupport log;
        ASSERT_TRUE(log.Open(path.c_str()));
        EXPECT_EQ(Read(path), "");
        log.Write("fresh");
    }
    const std::string old = Read(path + ".old");
    EXPECT_EQ(old.size(), 4194305u);
    EXPECT_EQ(old.find_first_not_of('b'), std::string::npos);
    content = Read(path);
    EXPECT_EQ(content.size(), 20u + 5 + 2);
    EXPECT_EQ(content.substr(20), "fresh\r\n");
}

TEST_F(LogFile, RotationOnlyAtOpenAndNotWithoutALimit)
{
    Fill(path, 5000000, 'c');
    {
        CLogSupport log(0);
        ASSERT_TRUE(log.Open(path.c_str()));
    }
    EXPECT_FALSE(Exists(path + ".old"));
    CLogSupport log(100);
    ASSERT_TRUE(log.Open((path + "2").c_str()));
    for (int i = 0; i < 20; ++i)
        log.Write("a line that takes the log beyond its limit");
    EXPECT_FALSE(Exists(path + "2.old"));
    log.Close();
    EXPECT_TRUE(log.Open((path + "2").c_str()));
    EXPECT_TRUE(Exists(path + "2.old"));
    EXPECT_EQ(Read(path + "2"), "");
    log.Close();
    DeleteFileA((path + "2").c_str());
    DeleteFileA((path + "2.old").c_str());
}

TEST_F(LogFile, LinesHaveTheTimePrefixCrLfAndAreFlushedAtOnce)
{
    CLogSupport log;
    EXPECT_EQ(log.Path(), "");
    ASSERT_TRUE(log.Open(path.c_str()));
    EXPECT_FALSE(Exists(path + ".old"));
    EXPECT_TRUE(log.IsOpen());
    EXPECT_EQ(log.Path(), path);
    log.Write("first");
    log.WriteWide(L"second\tline");
    log.Write("");
    // Read while the log is still open: every line is already on disk.
    const std::string content = Read(path);
    const std::regex lines("(\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d )first\r\n"
                           "\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d second\tline\r\n"
                           "\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d \r\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(content, m, lines)) << content;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char today[16];
    std::snprintf(today, sizeof(today), "%04u/%02u/%02u", now.wYear, now.wMonth, now.wDay);
    EXPECT_EQ(m[1].str().substr(0, 10), today);
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.Path(), "");
    log.Write("after close");
    EXPECT_EQ(Read(path), content);
}

TEST_F(LogFile, UnopenableFileLosesLinesQuietly)
{
    CLogSupport log;
    const std::string missing = Ascii(folder) + "\\no\\such\\folder\\quillon.log";
    EXPECT_FALSE(log.Open(missing.c_str()));
    EXPECT_TRUE(log.IsOpen());
    log.Write("lost");
    log.WriteWide(L"lost too");
    EXPECT_FALSE(Exists(missing));
}

TEST_F(LogFile, ALogThatCannotBeOpenedForReadingCountsAsEmpty)
{
    Fill(path + ".old", 10, 'o');
    Fill(path, 4194305, 'd');
    // Another process holds the log without sharing it: its size cannot be
    // read, so it counts as 0 and nothing is rotated or deleted.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        CLogSupport log;
        EXPECT_FALSE(log.Open(path.c_str()));
        EXPECT_TRUE(log.IsOpen());
        log.Write("lost");
    }
    CloseHandle(held);
    EXPECT_EQ(Read(path + ".old"), std::string(10, 'o'));
    const std::string content = Read(path);
    EXPECT_EQ(content.size(), 4194305u);
    EXPECT_EQ(content.find_first_not_of('d'), std::string::npos);
}

// Another instance of the program has the log open: moving it would fail,
// so neither file is touched, and the rotation happens at a later start.
TEST(LogRotation, ALogHeldByAnotherInstanceKeepsBothFiles)
{
    const std::string path = TestEnv::Narrow(TestEnv::ScratchFolder("log_held") + L"\\quillon.log");
    WriteBytes(path, std::string(150, 'n'));
    WriteBytes(path + ".old", "older runs");
    {
        CLogSupport other(0), log(100);
        ASSERT_TRUE(other.Open(path.c_str()));
        ASSERT_TRUE(log.Open(path.c_str()));
        log.Write("still here");
    }
    EXPECT_EQ(ReadBytes(path + ".old"), "older runs");
    const std::string current = ReadBytes(path);
    EXPECT_EQ(current.substr(0, 150), std::string(150, 'n'));
    EXPECT_EQ(current.substr(current.size() - 12), "still here\r\n");

    CLogSupport later(100);
    ASSERT_TRUE(later.Open(path.c_str()));
    later.Close();
    EXPECT_EQ(ReadBytes(path + ".old"), current);
    EXPECT_EQ(ReadBytes(path), "");
}

// Run under a Japanese locale by its own ctest entry.
TEST(LogCodePage, WideLinesAreWrittenInTheUserCodePage)
{
    const std::string expectAcp = TestEnv::Var("QUILLON_EXPECT_ACP");
    if (!expectAcp.empty()) {
        ASSERT_EQ(GetACP(), UINT(std::stoi(expectAcp)));
    }
    const std::string path = [] {
        std::wstring w = TestEnv::ScratchFolder("app_log_cp") + L"\\quillon.log";
        return std::string(w.begin(), w.end());
    }();
    DeleteFileA(path.c_str());
    {
        CLogSupport log;
        ASSERT_TRUE(log.Open(path.c_str()));
        log.WriteWide(L"\u5199\u771f\u30ea\u30b9\u30c8 \uff1a \u5931\u6557"); // 写真リスト ： 失敗
        log.WriteWide(L"caf\u00e9 \u0394");
    }
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(content.size(), 40u);
    const std::string first = content.substr(20, content.find("\r\n") - 20);
    const std::string second = content.substr(content.find("\r\n") + 2 + 20);
    if (GetACP() == 932) {
        EXPECT_EQ(first, "\x8e\xca\x90\x5e\x83\x8a\x83\x58\x83\x67\x20\x81\x46\x20\x8e\xb8\x94\x73");
        EXPECT_EQ(second, "caf? \x83\xa2\r\n");
    } else if (GetACP() == 1252) {
        EXPECT_EQ(first, "????? ? ??");
        EXPECT_EQ(second, "caf\xe9 ?\r\n");
    } else {
        GTEST_SKIP() << "code page " << GetACP();
    }
}
