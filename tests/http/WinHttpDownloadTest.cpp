// Downloads cut off by Abort: a Get of a shared object returns at once even
// while the server stalls (before its reply or in the middle of the body),
// calls no sink afterwards, and the object serves the next Get once the
// request left behind has ended.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "http/WinHttpDownload.h"
#include "http/WinHttpHandle.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"
#include "tests/support/WindowDriver.h"

namespace {

using TestEnv::Widen;

TEST(Download, AbortCutsOffAStalledServerAtOnce)
{
    ScriptedServer server;
    ASSERT_FALSE(server.HttpBase().empty()) << "the scripted test server is not running";
    const struct {
        const char* what;
        const char* reply;
        bool headSeen;
    } cases[] = {
        {"no reply", R"({"action": "hang", "delay": 5})", false},
        {"half a body", R"({"action": "stall_mid_body", "hold": 5, "body_repeat": ["0123456789", 10000]})", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = TestEnv::UniquePath();
        ASSERT_TRUE(server.Script(path, std::string("[") + c.reply + "]"));
        ASSERT_TRUE(server.Script(path + "_next", R"([{"status": 200, "body": "next"}])"));
        const auto http = std::make_shared<WinHttpDownload>();
        std::atomic<int> heads{0}, afterReturn{0};
        std::atomic<bool> returned{false}, result{true};
        std::thread caller([&] {
            result = http->Get(
                Widen(server.HttpBase() + path), L"",
                [&](int, int64_t) {
                    afterReturn += returned ? 1 : 0;
                    ++heads;
                    return true;
                },
                [&](const uint8_t*, size_t) {
                    afterReturn += returned ? 1 : 0;
                    return true;
                });
            returned = true;
        });
        EXPECT_TRUE(WindowDriver::WaitUntil([&] { return !server.Requests(path).empty() && (heads > 0) == c.headSeen; }, 15000));
        http->Abort();
        caller.join();
        // Returned while the server still held the request (5 s): a Get
        // that waited for it would return only once it let go.
        EXPECT_FALSE(server.Requests(path).at(0).ended) << "Get waited for the server";
        EXPECT_FALSE(result);
        EXPECT_TRUE(http->Aborted());

        // The next Get goes out once the server has let the old one go.
        http->ClearAbort();
        std::string body;
        EXPECT_TRUE(http->Get(Widen(server.HttpBase() + path + "_next"), L"", [](int status, int64_t) {
            return status == 200;
        }, [&](const uint8_t* bytes, size_t n) {
            body.append(reinterpret_cast<const char*>(bytes), n);
            return true;
        }));
        EXPECT_EQ(body, "next");
        EXPECT_EQ(afterReturn, 0) << "a sink ran for a Get that had returned";
    }
}

// An abort while the download is between two reads, and a request opened
// right after it: closing the download's handle there gave the new request
// its handle value, and the download's next read took that request's reply.
TEST(Download, AnAbortNeverLetsTheDownloadReadAnotherRequestsReply)
{
    ScriptedServer server;
    const std::string path = TestEnv::UniquePath();
    ASSERT_TRUE(server.Script(path, R"([{"status": 200, "body_repeat": ["0123456789", 100000]}])"));
    ASSERT_TRUE(server.Script(path + "_other", R"([{"status": 200, "body": "the other reply"}])"));
    const std::wstring base = Widen(server.HttpBase());
    const UniqueWinHttpHandle session(WinHttpOpen(L"test", 0, nullptr, nullptr, 0));
    const UniqueWinHttpHandle connection(
        WinHttpConnect(session.get(), L"localhost", INTERNET_PORT(std::stoi(base.substr(base.rfind(L':') + 1))), 0));
    WinHttpDownload http; // on this thread
    UniqueWinHttpHandle other;
    EXPECT_FALSE(http.Get(base + Widen(path), L"", [](int, int64_t) { return true; }, [&](const uint8_t*, size_t) {
        if (!other) {
            std::thread([&] { http.Abort(); }).join();
            other.reset(WinHttpOpenRequest(connection.get(), L"GET", Widen(path + "_other").c_str(), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
            EXPECT_TRUE(WinHttpSendRequest(other.get(), nullptr, 0, nullptr, 0, 0, 0) &&
                        WinHttpReceiveResponse(other.get(), nullptr));
        }
        return true;
    }));
    char body[64] = {};
    DWORD read = 0;
    EXPECT_TRUE(WinHttpReadData(other.get(), body, sizeof(body) - 1, &read));
    EXPECT_STREQ(body, "the other reply");
}

} // namespace
