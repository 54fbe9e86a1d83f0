#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/WinHttpUpload.h"
#include "tests/http/TransportFixture.h"

namespace {

using Outcome = WinHttpUpload::Outcome;

using TestEnv::PatternBytes;
using TestEnv::WriteBytes;

class Upload : public ScriptedServerTest
{
protected:
    void SetUp() override
    {
        ScriptedServerTest::SetUp();
        upload.url = Url(path);
        upload.requestHeaders = L"Content-Type: image/jpeg\r\nSlug: a%20b.jpg\r\n";
    }

    std::wstring folder = TestEnv::ScratchFolder(TestEnv::UniquePath().substr(3));
    WinHttpUpload upload;
};

TEST_F(Upload, FilesArriveWholeInPiecesWithTheirLengthAndHeaders)
{
    const size_t piece = WinHttpUpload::kPieceSize;
    struct Case
    {
        const wchar_t* name;
        size_t size;
    } cases[] = {{L"one.jpg", 1}, {L"piece.jpg", piece}, {L"more.jpg", 3 * piece + 17}, {L"empty.jpg", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(TestEnv::Narrow(c.name));
        const std::string bytes = PatternBytes(c.size);
        const std::wstring file = WriteBytes(folder, c.name, bytes);
        ASSERT_TRUE(server.Script(path, "[{\"status\": 201, \"body\": \"<entry>\\u7d05</entry>\"}]"));
        std::vector<uint64_t> progress;
        upload.onProgress = [&](uint64_t sent, uint64_t total) {
            EXPECT_EQ(total, c.size);
            progress.push_back(sent);
        };
        ASSERT_EQ(upload.SendFile(file), Outcome::Replied);
        EXPECT_EQ(upload.StatusCode(), L"201");
        EXPECT_EQ(upload.ResponseText(), L"<entry>\u7d05</entry>");
        EXPECT_EQ(upload.BytesSent(), c.size);
        EXPECT_EQ(progress.size(), (c.size + piece - 1) / piece);
        for (size_t i = 1; i < progress.size(); ++i)
            EXPECT_LT(progress[i - 1], progress[i]);
        if (!progress.empty()) {
            EXPECT_EQ(progress.back(), c.size);
        }
        auto requests = server.Requests(path);
        ASSERT_FALSE(requests.empty());
        const RecordedRequest& r = requests.back();
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.Header("Content-Length"), std::to_string(c.size));
        EXPECT_EQ(r.Header("Content-Type"), "image/jpeg");
        EXPECT_EQ(r.Header("Slug"), "a%20b.jpg");
        EXPECT_TRUE(r.body == bytes) << "the body differs from the file";
    }
}

TEST_F(Upload, AFileThatCannotBeReadSendsNothing)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 201, \"body\": \"\"}]"));
    EXPECT_EQ(upload.SendFile(folder + L"\\missing.jpg"), Outcome::NotSent);
    EXPECT_EQ(upload.LastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(upload.SendFile(folder), Outcome::NotSent); // a folder
    EXPECT_TRUE(server.Requests(path).empty());
}

TEST_F(Upload, NoReplyAfterTheWholeBodyIsAnUnknownOutcomeSentOnce)
{
    ASSERT_TRUE(server.Script(path, "[{\"action\": \"hang\", \"delay\": 60}, {\"status\": 201, \"body\": \"\"}]"));
    const std::wstring file = WriteBytes(folder, L"slow.jpg", PatternBytes(100000));
    upload.timeouts.receive = 500;
    EXPECT_EQ(upload.SendFile(file), Outcome::OutcomeUnknown);
    EXPECT_EQ(upload.StatusCode(), L"");
    EXPECT_EQ(upload.BytesSent(), 100000u);
    EXPECT_NE(upload.LastError(), 0u);
    EXPECT_EQ(server.Requests(path).size(), 1u);
}

TEST_F(Upload, AbortMidBodyCancelsAndKeepsLaterSendsFromGoingOut)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 201, \"body\": \"\"}]"));
    const std::wstring file = WriteBytes(folder, L"big.jpg", PatternBytes(20 * WinHttpUpload::kPieceSize));
    upload.onProgress = [&](uint64_t sent, uint64_t) {
        if (sent >= 2 * WinHttpUpload::kPieceSize)
            upload.Abort();
    };
    EXPECT_EQ(upload.SendFile(file), Outcome::Cancelled);
    EXPECT_EQ(upload.BytesSent(), 2 * uint64_t(WinHttpUpload::kPieceSize));
    EXPECT_EQ(upload.SendFile(file), Outcome::Cancelled);
    EXPECT_EQ(upload.BytesSent(), 0u);
    upload.ClearAbort();
    upload.onProgress = nullptr;
    EXPECT_EQ(upload.SendFile(file), Outcome::Replied);
    EXPECT_EQ(upload.StatusCode(), L"201");
}

TEST_F(Upload, NothingListeningIsNotSent)
{
    const std::wstring file = WriteBytes(folder, L"x.jpg", PatternBytes(10));
    upload.url = L"http://127.0.0.1:9/nowhere";
    EXPECT_EQ(upload.SendFile(file), Outcome::NotSent);
    EXPECT_NE(upload.LastError(), 0u);
    upload.url = L"not a url";
    EXPECT_EQ(upload.SendFile(file), Outcome::NotSent);
}

} // namespace
