// Cancel, the one way: every transport a user can stop (the request engine
// of feeds, details and previews, and the uploads) lets its caller go as
// soon as Abort comes, while the server still stalls, and serves the next
// request once the stop is cleared.
#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>

#include "http/WinHttpClient.h"
#include "http/WinHttpUpload.h"
#include "tests/http/TransportFixture.h"
#include "tests/support/WindowDriver.h"

namespace {

using TestEnv::Widen;

// Runs `call` on a thread of its own, aborts once the server holds the
// request, and waits for the call to return.
void AbortWhileHeld(ScriptedServer& server, const std::string& path, const std::function<void()>& call,
                    const std::function<void()>& abort)
{
    std::thread caller(call);
    EXPECT_TRUE(WindowDriver::WaitUntil([&] { return !server.Requests(path).empty(); }, 15000));
    abort();
    caller.join();
}

class Cancel : public ScriptedServerTest
{
};

} // namespace

TEST_F(Cancel, ARequestReturnsAtOnceWhileTheServerStalls)
{
    const struct {
        const char* what;
        const char* script;
        const wchar_t* method;
        bool textReplies;
        bool changeMayHaveGone; // the outcome of a change is unknown
    } cases[] = {
        {"a feed with no reply", R"([{"action": "hang", "delay": 20}])", L"GET", true, false},
        {"a picture cut off mid body",
         R"([{"action": "stall_mid_body", "hold": 20, "body_repeat": ["0123456789", 100000]}])", L"GET", false,
         false},
        {"a change with no reply", R"([{"action": "hang", "delay": 20}])", L"POST", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string held = path + "_" + std::to_string(&c - cases);
        ASSERT_TRUE(server.Script(held, c.script));
        ASSERT_TRUE(server.Script(held + "_next", R"([{"status": 200, "body": "next"}])"));
        WinHttpClient client;
        client.url = Url(held);
        client.textReplies = c.textReplies;
        bool sent = true;
        AbortWhileHeld(
            server, held, [&] { sent = client.Send(c.method); }, [&] { client.Abort(); });
        // Returned while the server still held the request (20 s): a Send
        // that waited for it would return only once it let go.
        EXPECT_FALSE(server.Requests(held).at(0).ended) << "Send waited for the server";
        EXPECT_FALSE(sent);
        EXPECT_EQ(client.LastError(), DWORD(ERROR_WINHTTP_OPERATION_CANCELLED));
        EXPECT_EQ(client.StatusCode(), L"");
        EXPECT_EQ(client.OutcomeUnknown(), c.changeMayHaveGone);
        EXPECT_FALSE(client.Send(L"GET")) << "nothing goes out until the stop is cleared";

        client.ClearAbort();
        client.url = Url(held + "_next");
        client.textReplies = true;
        ASSERT_TRUE(client.Send(L"GET"));
        EXPECT_EQ(client.StatusCode(), L"200");
        EXPECT_EQ(client.ResponseText(), L"next");
        EXPECT_EQ(server.Requests(held).size(), 1u) << "the stopped request was not tried again";
    }
}

TEST_F(Cancel, AnUploadReturnsAtOnceWhileTheServerStallsAndReportsNoProgressAfter)
{
    ASSERT_TRUE(server.Script(path, R"([{"action": "hang", "delay": 20}])"));
    ASSERT_TRUE(server.Script(path + "_next", R"([{"status": 201, "body": ""}])"));
    const std::wstring folder = TestEnv::ScratchFolder(TestEnv::UniquePath().substr(3));
    const std::wstring file = TestEnv::WriteBytes(folder, L"held.jpg", TestEnv::PatternBytes(3000));
    WinHttpUpload upload;
    upload.url = Url(path);
    upload.requestHeaders = L"Content-Type: image/jpeg\r\n";
    std::atomic<bool> returned{false};
    std::atomic<int> progressAfter{0};
    upload.onProgress = [&](uint64_t, uint64_t) { progressAfter += returned ? 1 : 0; };
    WinHttpUpload::Outcome outcome = WinHttpUpload::Outcome::Replied;
    AbortWhileHeld(
        server, path,
        [&] {
            outcome = upload.SendFile(file);
            returned = true;
        },
        [&] { upload.Abort(); });
    EXPECT_FALSE(server.Requests(path).at(0).ended) << "SendFile waited for the server";
    // The whole file went out before the server fell silent.
    EXPECT_EQ(outcome, WinHttpUpload::Outcome::OutcomeUnknown);
    EXPECT_EQ(upload.StatusCode(), L"");
    EXPECT_EQ(progressAfter, 0);

    upload.ClearAbort();
    upload.onProgress = nullptr;
    upload.url = Url(path + "_next");
    EXPECT_EQ(upload.SendFile(file), WinHttpUpload::Outcome::Replied);
    EXPECT_EQ(upload.StatusCode(), L"201");
    EXPECT_EQ(server.Requests(path).size(), 1u) << "the stopped upload was not sent again";
}
