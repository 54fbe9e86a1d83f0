// What the transport refuses to do with crafted replies: follow a redirect,
// send a change twice, take a reply of unknown length for a whole one, send a
// request without its header block; and the charset forms it reads.
#include <gtest/gtest.h>

#include "http/WinHttpClient.h"
#include "tests/support/Json.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"

namespace {

using TestEnv::Narrow;

const wchar_t kSigned[] = L"Authorization: GoogleLogin auth=secret\r\nConnection: Keep-Alive\r\n";

class TransportSafety : public testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(server.HttpBase().empty()) << "the scripted test server is not running"; }

    // Scripts `replies` at this test's path plus `suffix` and aims the client there.
    std::string Aim(const std::string& suffix, const std::string& replies)
    {
        const std::string p = path + suffix;
        EXPECT_TRUE(server.Script(p, replies));
        client.url = TestEnv::Widen(server.HttpBase() + p);
        return p;
    }

    ScriptedServer server;
    std::string path = TestEnv::UniquePath();
    WinHttpClient client;
};

TEST_F(TransportSafety, RedirectsComeBackAsTheirStatusAndTheTokenStaysHome)
{
    const std::string elsewhere = path + "_elsewhere";
    ASSERT_FALSE(server.OtherHttpBase().empty());
    ASSERT_TRUE(server.Script(elsewhere, R"([{"status": 200, "body": "not your albums"}])"));
    client.requestHeaders = kSigned;
    for (const std::string status : {"301", "302", "303", "307", "308"}) {
        SCOPED_TRACE(status);
        const std::string from = Aim("_" + status, "[{\"status\": " + status + ", \"headers\": [[\"Location\", " +
                                                       JsonQuote(server.OtherHttpBase() + elsewhere) +
                                                       "]], \"body\": \"moved\"}]");
        EXPECT_TRUE(client.Send(L"GET"));
        EXPECT_EQ(Narrow(client.StatusCode()), status);
        EXPECT_EQ(client.ResponseText(), L"moved");
        EXPECT_EQ(server.Requests(from).size(), 1u);
    }
    EXPECT_TRUE(server.Requests(elsewhere).empty()) << "the other server was asked";
}

// A change whose reply is late was still made: it is not sent again, and the
// caller learns that its outcome is unknown. A GET is asked for again.
TEST_F(TransportSafety, OnlyAGetIsSentAgainAfterATimeOut)
{
    const struct { const wchar_t* method; size_t sent; bool outcomeUnknown; } cases[] = {
        {L"POST", 1, true}, {L"PATCH", 1, true}, {L"DELETE", 1, true}, {L"GET", 3, false}};
    client.timeouts.receive = 400;
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.method));
        const std::string p = Aim("_" + Narrow(c.method), R"([{"status": 201, "delay": 1.5, "body": "made"}])");
        client.requestHeaders = L"Content-Length: 2\r\n";
        ASSERT_TRUE(client.SetBody("{}", 2));
        EXPECT_FALSE(client.Send(c.method));
        EXPECT_EQ(client.StatusCode(), L"");
        EXPECT_EQ(client.OutcomeUnknown(), c.outcomeUnknown);
        EXPECT_EQ(server.Requests(p).size(), c.sent);
    }
    // A change answered in time is known, and the flag does not linger.
    Aim("_quick", R"([{"status": 201, "body": "made"}])");
    client.timeouts.receive = 30000;
    EXPECT_TRUE(client.Send(L"POST"));
    EXPECT_FALSE(client.OutcomeUnknown());

    // Nothing went out, so a change may still try again, as the proxy
    // fall-back needs; its outcome is known: not made.
    client.url = L"http://localhost:1/closed";
    client.timeouts.connect = 2000;
    EXPECT_FALSE(client.Send(L"DELETE"));
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_FALSE(client.OutcomeUnknown());
}

TEST_F(TransportSafety, ARequestWithoutItsHeaderBlockIsNotSent)
{
    Aim("", R"([{"status": 200, "body": "fine"}])");
    // WinHTTP refuses a header name with a blank in it: the request would
    // otherwise go out without the token line after it.
    client.requestHeaders = std::wstring(L"Bad Name: x\r\n") + kSigned;
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_TRUE(server.Requests(path).empty());

    client.requestHeaders = kSigned;
    EXPECT_TRUE(client.Send(L"GET"));
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Authorization"), "GoogleLogin auth=secret");
}

// Chunked framing is decoded inside WinHTTP, which does not tell a reply cut
// before its last chunk from a whole one; requests ask for HTTP/1.0, where a
// server frames by length, and a chunked reply is not taken as complete.
TEST_F(TransportSafety, RepliesWhoseEndCannotBeCheckedAreFailures)
{
    const struct { const char* name; const char* action; bool complete; } cases[] = {
        {"cut_chunked", R"("action": "chunked_cut", "chunk": 1000, )", false},
        {"whole_chunked", R"("action": "chunked", "chunk": 1000, )", false},
        {"by_length", "", true},
    };
    for (const auto& c : cases) {
        for (const wchar_t* method : {L"GET", L"POST"}) {
            SCOPED_TRACE(std::string(c.name) + " " + Narrow(method));
            const std::string p = Aim(std::string("_") + c.name + "_" + Narrow(method),
                                      std::string("[{\"status\": 200, ") + c.action +
                                          R"("body_repeat": ["<entry/>", 4000]}])");
            EXPECT_EQ(client.Send(method), c.complete);
            EXPECT_EQ(client.StatusCode(), c.complete ? L"200" : L"");
            auto requests = server.Requests(p);
            ASSERT_EQ(requests.size(), 1u) << "not asked for again";
            EXPECT_EQ(requests[0].version, "HTTP/1.0");
        }
    }
}

TEST_F(TransportSafety, CharsetInQuotesAndWithBlanksIsFound)
{
    for (const char* charset : {R"(; charset=\"utf-8\")", R"(;charset=\"UTF-8\"; type=feed)", "; charset = utf-8",
                                R"(; charset= \"utf-8\")", "; charset=utf-8"}) {
        const std::string type = std::string("application/atom+xml") + charset;
        SCOPED_TRACE(type);
        Aim("", std::string(R"([{"status": 200, "headers": [["Content-Type", ")") + type +
                    R"("]], "body_hex": "e697a5e69cac"}])");
        ASSERT_TRUE(client.Send(L"GET"));
        EXPECT_EQ(_wcsicmp(client.ResponseCharset().c_str(), L"utf-8"), 0);
        EXPECT_EQ(client.ResponseText(), L"\u65e5\u672c");
    }
}

} // namespace
