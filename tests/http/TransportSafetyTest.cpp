// What the transport refuses to do with crafted replies: follow a redirect,
// send a change twice, take a reply of unknown length for a whole one, send a
// request without its header block; and the charset forms it reads.
#include <gtest/gtest.h>

#include "http/WinHttpClient.h"
#include "tests/support/Json.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"

namespace {

using TestEnv::Widen;

class TransportSafety : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(server.HttpBase().empty()) << "the scripted test server is not running";
    }

    std::wstring Url(const std::string& p) const { return Widen(server.HttpBase() + p); }

    ScriptedServer server;
    std::string path = TestEnv::UniquePath();
    WinHttpClient client;
};

TEST_F(TransportSafety, RedirectsComeBackAsTheirStatusAndTheTokenStaysHome)
{
    const std::string elsewhere = path + "_elsewhere";
    const std::string target = server.OtherHttpBase() + elsewhere;
    ASSERT_FALSE(server.OtherHttpBase().empty());
    ASSERT_TRUE(server.Script(elsewhere, "[{\"status\": 200, \"body\": \"not your albums\"}]"));
    for (int status : {301, 302, 303, 307, 308}) {
        const std::string from = path + "_" + std::to_string(status);
        ASSERT_TRUE(server.Script(from, "[{\"status\": " + std::to_string(status) +
                                            ", \"headers\": [[\"Location\", " + JsonQuote(target) +
                                            "]], \"body\": \"moved\"}]"));
        client.url = Url(from);
        client.requestHeaders = L"Authorization: GoogleLogin auth=secret\r\nConnection: Keep-Alive\r\n";
        EXPECT_TRUE(client.Send(L"GET")) << status;
        EXPECT_EQ(client.StatusCode(), std::to_wstring(status));
        EXPECT_EQ(client.ResponseText(), L"moved");
        EXPECT_EQ(server.Requests(from).size(), 1u) << status;
    }
    EXPECT_TRUE(server.Requests(elsewhere).empty()) << "the other server was asked";
}

// A change whose reply is late was still made: it is not sent again, and the
// caller learns that its outcome is unknown. A GET is asked for again.
TEST_F(TransportSafety, OnlyAGetIsSentAgainAfterATimeOut)
{
    struct Case
    {
        const wchar_t* method;
        size_t sent;
        bool outcomeUnknown;
    };
    const Case cases[] = {
        {L"POST", 1, true},
        {L"PATCH", 1, true},
        {L"DELETE", 1, true},
        {L"GET", 3, false},
    };
    for (const Case& c : cases) {
        const std::string p = path + "_" + TestEnv::Narrow(c.method);
        ASSERT_TRUE(server.Script(p, "[{\"status\": 201, \"delay\": 1.5, \"body\": \"made\"}]"));
        client.url = Url(p);
        client.requestHeaders = L"Content-Length: 2\r\n";
        ASSERT_TRUE(client.SetBody("{}", 2));
        client.timeouts.receive = 400;
        EXPECT_FALSE(client.Send(c.method));
        EXPECT_EQ(client.StatusCode(), L"");
        EXPECT_EQ(client.OutcomeUnknown(), c.outcomeUnknown) << TestEnv::Narrow(c.method);
        EXPECT_EQ(server.Requests(p).size(), c.sent) << TestEnv::Narrow(c.method);
    }
    // A change answered in time is known, and the flag does not linger.
    const std::string quick = path + "_quick";
    ASSERT_TRUE(server.Script(quick, "[{\"status\": 201, \"body\": \"made\"}]"));
    client.url = Url(quick);
    client.timeouts.receive = 30000;
    EXPECT_TRUE(client.Send(L"POST"));
    EXPECT_FALSE(client.OutcomeUnknown());
}

// Nothing went out, so a change may still try again, as the proxy fall-back
// needs; its outcome is known: not made.
TEST_F(TransportSafety, AChangeThatNeverLeftIsNotOfUnknownOutcome)
{
    client.url = L"http://localhost:1/closed";
    client.timeouts.connect = 2000;
    EXPECT_FALSE(client.Send(L"DELETE"));
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_FALSE(client.OutcomeUnknown());
}

TEST_F(TransportSafety, ARequestWithoutItsHeaderBlockIsNotSent)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"body\": \"fine\"}]"));
    client.url = Url(path);
    // WinHTTP refuses a header name with a blank in it: the request would
    // otherwise go out without the token line after it.
    client.requestHeaders = L"Bad Name: x\r\nAuthorization: GoogleLogin auth=secret\r\nConnection: Keep-Alive\r\n";
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_TRUE(server.Requests(path).empty());

    client.requestHeaders = L"Authorization: GoogleLogin auth=secret\r\nConnection: Keep-Alive\r\n";
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
    struct Case
    {
        const char* name;
        const char* reply;
        bool complete;
    };
    const Case cases[] = {
        {"cut_chunked", "{\"status\": 200, \"action\": \"chunked_cut\", \"body_repeat\": [\"<entry/>\", 4000], "
                        "\"chunk\": 1000}",
         false},
        {"whole_chunked", "{\"status\": 200, \"action\": \"chunked\", \"body_repeat\": [\"<entry/>\", 4000], "
                          "\"chunk\": 1000}",
         false},
        {"by_length", "{\"status\": 200, \"body_repeat\": [\"<entry/>\", 4000]}", true},
    };
    for (const Case& c : cases) {
        for (const wchar_t* method : {L"GET", L"POST"}) {
            const std::string p = path + "_" + c.name + "_" + TestEnv::Narrow(method);
            ASSERT_TRUE(server.Script(p, std::string("[") + c.reply + "]"));
            client.url = Url(p);
            EXPECT_EQ(client.Send(method), c.complete) << c.name;
            EXPECT_EQ(client.StatusCode(), c.complete ? L"200" : L"") << c.name;
            auto requests = server.Requests(p);
            ASSERT_EQ(requests.size(), 1u) << c.name << " is not asked for again";
            EXPECT_EQ(requests[0].version, "HTTP/1.0");
        }
    }
}

TEST_F(TransportSafety, CharsetInQuotesAndWithBlanksIsFound)
{
    const char* const types[] = {
        "application/atom+xml; charset=\\\"utf-8\\\"",
        "application/atom+xml;charset=\\\"UTF-8\\\"; type=feed",
        "application/atom+xml; charset = utf-8",
        "application/atom+xml; charset= \\\"utf-8\\\"",
        "application/atom+xml; charset=utf-8",
    };
    for (const char* type : types) {
        ASSERT_TRUE(server.Script(path, std::string("[{\"status\": 200, \"headers\": [[\"Content-Type\", \"") + type +
                                            "\"]], \"body_hex\": \"e697a5e69cac\"}]"));
        client.url = Url(path);
        ASSERT_TRUE(client.Send(L"GET")) << type;
        EXPECT_EQ(_wcsicmp(client.ResponseCharset().c_str(), L"utf-8"), 0) << type;
        EXPECT_EQ(client.ResponseText(), L"\u65e5\u672c") << type;
    }
}

} // namespace
