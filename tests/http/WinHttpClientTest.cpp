#include <gtest/gtest.h>

#include <cstring>

#include "http/WinHttpClient.h"
#include "tests/http/TransportFixture.h"
#include "tests/support/Json.h"

namespace {

using TestEnv::Widen;

std::string Ok(const std::string& body, const std::string& contentType = "text/plain")
{
    return "[{\"status\": 200, \"headers\": [[\"Content-Type\", " + JsonQuote(contentType) + "]], \"body\": " +
           JsonQuote(body) + "}]";
}

class Transport : public ScriptedServerTest
{
protected:
    WinHttpClient client;
};

TEST_F(Transport, MethodNamesAreMatchedInAnyCaseAndSentInCapitals)
{
    ASSERT_TRUE(server.Script(path, Ok("fine")));
    client.url = Url(path);
    for (const wchar_t* m : {L"get", L"Get", L"GET", L"post", L"Delete", L"pAtCh"}) {
        EXPECT_TRUE(client.Send(m)) << TestEnv::Narrow(m);
        EXPECT_EQ(client.StatusCode(), L"200");
        EXPECT_EQ(client.ResponseText(), L"fine");
    }
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 6u);
    const char* expected[] = {"GET", "GET", "GET", "POST", "DELETE", "PATCH"};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(requests[i].method, expected[i]);
    EXPECT_EQ(requests[0].Header("User-Agent"), "WinHttpClient");
}

TEST_F(Transport, UnknownMethodOrEmptyUrlSendsNothing)
{
    ASSERT_TRUE(server.Script(path, Ok("fine")));
    client.url = Url(path);
    ASSERT_TRUE(client.Send(L"GET"));
    EXPECT_FALSE(client.Send(L"PUT"));
    EXPECT_EQ(client.StatusCode(), L""); // the previous status is gone
    EXPECT_EQ(client.ResponseText(), L"");
    EXPECT_FALSE(client.Send(nullptr));
    client.url.clear();
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(server.Requests(path).size(), 1u);
}

TEST_F(Transport, UnparsableUrlFailsWithEmptyStatus)
{
    client.url = L"not a url";
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"");
}

TEST_F(Transport, CallersHeaderBlockAndBodyArriveIntact)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 201, \"body\": \"made\"}]"));
    const char body[] = "a=1&b=\x00\xff&c=3";
    const int32_t length = int32_t(sizeof(body) - 1);
    client.url = Url(path);
    client.requestHeaders = L"Content-Length: " + std::to_wstring(length) +
                            L"\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                            L"X-Custom: one two\r\nConnection: Keep-Alive\r\n";
    ASSERT_TRUE(client.SetBody(body, length));
    ASSERT_TRUE(client.Send(L"POST"));
    EXPECT_EQ(client.StatusCode(), L"201");
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, std::string(body, size_t(length)));
    EXPECT_EQ(requests[0].Header("Content-Length"), std::to_string(length));
    EXPECT_EQ(requests[0].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].Header("X-Custom"), "one two");
    int lengths = 0;
    for (const auto& h : requests[0].headers)
        lengths += _stricmp(h.first.c_str(), "Content-Length") == 0;
    EXPECT_EQ(lengths, 1); // the engine adds none of its own
}

TEST_F(Transport, BodyStaysUntilClearedAndANullBodyIsRefused)
{
    ASSERT_TRUE(server.Script(path, Ok("fine")));
    client.url = Url(path);
    client.requestHeaders = L"Content-Length: 3\r\n";
    ASSERT_TRUE(client.SetBody("abc", 3));
    EXPECT_FALSE(client.SetBody(nullptr, 5)); // keeps "abc"
    ASSERT_TRUE(client.Send(L"POST"));
    ASSERT_TRUE(client.Send(L"POST")); // Send does not clear the body
    client.ClearBody();
    client.requestHeaders.clear();
    ASSERT_TRUE(client.Send(L"DELETE"));
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].body, "abc");
    EXPECT_EQ(requests[1].body, "abc");
    EXPECT_EQ(requests[2].body, "");
    EXPECT_FALSE(requests[2].HasHeader("Content-Length"));
}

TEST_F(Transport, QueryReachesTheServer)
{
    ASSERT_TRUE(server.Script(path, Ok("tags")));
    client.url = Url(path + "?kind=tag");
    ASSERT_TRUE(client.Send(L"GET"));
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, path + "?kind=tag");
}

TEST_F(Transport, RawHeadersAndStatusAreKeptAsText)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 403, \"reason\": \"Forbidden\", \"headers\": [[\"X-Note\", "
                                    "\"see charset=Latin_1-x; ok\"]], \"body\": \"Error=BadAuthentication\\n\"}]"));
    client.url = Url(path);
    ASSERT_TRUE(client.Send(L"POST")); // a 403 is a complete response
    EXPECT_EQ(client.StatusCode(), L"403");
    EXPECT_EQ(client.ResponseText(), L"Error=BadAuthentication\n");
    const std::wstring& headers = client.ResponseHeaders();
    EXPECT_EQ(headers.rfind(L"HTTP/1.1 403 Forbidden\r\n", 0), 0u) << TestEnv::Narrow(headers);
    EXPECT_NE(headers.find(L"X-Note: see charset=Latin_1-x; ok\r\n"), std::wstring::npos);
    EXPECT_EQ(client.ResponseCharset(), L"Latin_1-x"); // found anywhere in the header text
}

// Code pages: run once as the machine is set up and once under a Japanese
// locale (QUILLON_EXPECT_ACP=932), where Shift_JIS text must come out right.
class TransportCodePage : public Transport
{
protected:
    std::wstring Send(const std::string& contentType, const std::string& bodyHex)
    {
        EXPECT_TRUE(server.Script(path, "[{\"status\": 200, \"headers\": [[\"Content-Type\", " +
                                            JsonQuote(contentType) + "]], \"body_hex\": \"" + bodyHex + "\"}]"));
        client.url = Url(path);
        EXPECT_TRUE(client.Send(L"GET"));
        return client.ResponseText();
    }

    static std::wstring AnsiDecoded(const std::string& bytes)
    {
        wchar_t buf[256] = {};
        MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, bytes.data(), int(bytes.size()), buf, 255);
        return buf;
    }
};

// "héllo 日本" in UTF-8, and "日本" in Shift_JIS
const char kUtf8Hex[] = "68c3a96c6c6f20e697a5e69cac";
const char kShiftJisHex[] = "93fa967b";
const char kShiftJisBytes[] = "\x93\xfa\x96\x7b";

TEST_F(TransportCodePage, Utf8CharsetInAnyCaseDecodesAsUtf8)
{
    EXPECT_EQ(Send("text/plain; charset=UTF-8", kUtf8Hex), L"h\u00e9llo \u65e5\u672c");
    EXPECT_EQ(client.ResponseCharset(), L"UTF-8");
    EXPECT_EQ(Send("text/plain; charset=utf-8", kUtf8Hex), L"h\u00e9llo \u65e5\u672c");
    EXPECT_EQ(Send("text/plain; CHARSET=Utf-8", kUtf8Hex), L"h\u00e9llo \u65e5\u672c");
    EXPECT_EQ(client.ResponseCharset(), L"Utf-8");
}

TEST_F(TransportCodePage, ShiftJisOrNoCharsetDecodesWithTheDefaultCodePage)
{
    const std::string expectAcp = TestEnv::Var("QUILLON_EXPECT_ACP");
    if (!expectAcp.empty()) {
        ASSERT_EQ(GetACP(), UINT(std::stoi(expectAcp)));
    }
    const std::wstring sjis = Send("text/plain; charset=Shift_JIS", kShiftJisHex);
    EXPECT_EQ(client.ResponseCharset(), L"Shift_JIS");
    EXPECT_EQ(sjis, AnsiDecoded(kShiftJisBytes));
    EXPECT_EQ(Send("text/plain", kShiftJisHex), AnsiDecoded(kShiftJisBytes));
    EXPECT_EQ(client.ResponseCharset(), L"");
    if (GetACP() == 932) {
        EXPECT_EQ(sjis, L"\u65e5\u672c");
    }
}

TEST_F(Transport, BodiesAroundTheFirstBufferSizeAndLargeOnesAreReadWhole)
{
    // Smaller bodies after a large one reuse its buffer: a letter of its own
    // for each, so that a byte left from the one before would show.
    const size_t sizes[] = {0, 10239, 10240, 10241, 5u << 20, 10241, 3, 0, 6u << 20};
    for (size_t i = 0; i < std::size(sizes); ++i) {
        const size_t size = sizes[i];
        const char letter = char('a' + i);
        const std::string p = path + "_" + std::to_string(i);
        ASSERT_TRUE(server.Script(p, "[{\"status\": 200, \"headers\": [[\"Content-Type\", \"text/plain; "
                                     "charset=utf-8\"]], \"body_repeat\": [\"" +
                                         std::string(1, letter) + "\", " + std::to_string(size) + "]}]"));
        client.url = Url(p);
        ASSERT_TRUE(client.Send(L"GET")) << size;
        EXPECT_EQ(client.StatusCode(), L"200");
        ASSERT_EQ(client.ResponseLength(), size);
        ASSERT_EQ(client.ResponseText().size(), size);
        EXPECT_EQ(client.ResponseText(), std::wstring(size, wchar_t(letter)));
        ASSERT_NE(client.ResponseBytes(), nullptr);
        EXPECT_EQ(client.ResponseBytes()[size], 0) << "a zero byte follows the data";
    }
}

TEST_F(Transport, TextEndsAtAZeroByte)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"body_hex\": \"6162006364\"}]"));
    client.url = Url(path);
    ASSERT_TRUE(client.Send(L"GET"));
    EXPECT_EQ(client.ResponseText(), L"ab");
    EXPECT_EQ(client.ResponseLength(), 5u);
    EXPECT_EQ(std::memcmp(client.ResponseBytes(), "ab\0cd", 5), 0);
}

TEST_F(Transport, CutShortHtmlIsAskedForThreeTimesOnGet)
{
    ASSERT_TRUE(server.Script(path, Ok("<HTML><body>half a page", "text/html")));
    client.url = Url(path);
    client.requestHeaders = L"X-Token: one\r\nConnection: Keep-Alive\r\n";
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"200");
    EXPECT_EQ(client.ResponseText(), L"<HTML><body>half a page");
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& r : requests) // a retry carries the same headers, not merged copies
        EXPECT_EQ(r.Header("X-Token"), "one");
}

TEST_F(Transport, WithoutTextRepliesOnlyTheBytesAreReadAndNothingIsRetried)
{
    // Bytes that would be a cut-short page as text: a picture's reply is
    // neither converted nor asked for again.
    ASSERT_TRUE(server.Script(path, Ok("<html>\x01\x02", "image/png")));
    client.url = Url(path);
    client.textReplies = false;
    ASSERT_TRUE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"200");
    EXPECT_TRUE(client.ResponseText().empty());
    ASSERT_EQ(client.ResponseLength(), 8u);
    EXPECT_EQ(std::memcmp(client.ResponseBytes(), "<html>\x01\x02", 8), 0);
    EXPECT_EQ(server.Requests(path).size(), 1u);
}

TEST_F(Transport, CutShortHtmlIsAcceptedOnPost)
{
    ASSERT_TRUE(server.Script(path, Ok("<html><body>half", "text/html")));
    client.url = Url(path);
    EXPECT_TRUE(client.Send(L"POST"));
    EXPECT_EQ(server.Requests(path).size(), 1u);
}

TEST_F(Transport, PagesWithoutHtmlOrWithTheClosingTagAreAcceptedAtOnce)
{
    ASSERT_TRUE(server.Script(path, Ok("<feed>no page</feed>", "text/xml")));
    client.url = Url(path);
    EXPECT_TRUE(client.Send(L"GET"));
    const std::string whole = path + "_whole";
    ASSERT_TRUE(server.Script(whole, Ok("<Html><body>all</body></HTML>", "text/html")));
    client.url = Url(whole);
    EXPECT_TRUE(client.Send(L"GET"));
    EXPECT_EQ(server.Requests(path).size(), 1u);
    EXPECT_EQ(server.Requests(whole).size(), 1u);
}

TEST_F(Transport, CutShortPageFollowedByTheWholePageSucceeds)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"body\": \"<html>cut\"}, "
                                    "{\"status\": 200, \"body\": \"<html>whole</html>\"}]"));
    client.url = Url(path);
    EXPECT_TRUE(client.Send(L"GET"));
    EXPECT_EQ(client.ResponseText(), L"<html>whole</html>");
    EXPECT_EQ(server.Requests(path).size(), 2u);
}

TEST_F(Transport, ConnectionResetInTheMiddleOfTheBodyIsAFailure)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"action\": \"reset_mid_body\", "
                                    "\"body_repeat\": [\"<feed>\", 50000]}]"));
    client.url = Url(path);
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L""); // never a "200" for half a feed
    EXPECT_EQ(server.Requests(path).size(), 1u);

    const std::string post = path + "_post";
    ASSERT_TRUE(server.Script(post, "[{\"status\": 201, \"action\": \"reset_mid_body\", "
                                    "\"body_repeat\": [\"<entry>\", 50000]}]"));
    client.url = Url(post);
    EXPECT_FALSE(client.Send(L"POST"));
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_EQ(server.Requests(post).size(), 1u);

    // The client is still fit for the next request.
    const std::string next = path + "_next";
    ASSERT_TRUE(server.Script(next, Ok("fine")));
    client.url = Url(next);
    EXPECT_TRUE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"200");
}

TEST_F(Transport, ServerThatNeverAnswersTimesOutWithEmptyStatus)
{
    // The server keeps silent for 10 s, then closes: only the 400 ms asked
    // for (not the default 30 s) ends each of the tries (a GET is tried
    // three times) as a time-out while it is silent.
    ASSERT_TRUE(server.Script(path, "[{\"action\": \"hang\", \"delay\": 10}]"));
    client.url = Url(path);
    client.timeouts.receive = 400;
    EXPECT_FALSE(client.Send(L"GET"));
    // A time-out, as Windows (12002) or Wine (10060, the socket's) reports it.
    EXPECT_TRUE(client.LastError() == ERROR_WINHTTP_TIMEOUT || client.LastError() == 10060)
        << client.LastError() << ": the receive time-out asked for was not used";
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_EQ(client.ResponseText(), L"");
    EXPECT_GE(server.Requests(path).size(), 1u);
}

TEST_F(Transport, TimeoutsAreAppliedOnEveryCall)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"delay\": 1.0, \"body\": \"late\"}]"));
    client.url = Url(path);
    ASSERT_TRUE(client.Send(L"GET")); // opens the session with the default time-outs
    EXPECT_EQ(client.ResponseText(), L"late");
    client.timeouts.receive = 250;
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"");
    client.timeouts.receive = 30000;
    EXPECT_TRUE(client.Send(L"GET"));
}

TEST_F(Transport, FailedRequestAfterAGoodOneReportsAnEmptyStatus)
{
    ASSERT_TRUE(server.Script(path, Ok("fine")));
    client.url = Url(path);
    ASSERT_TRUE(client.Send(L"GET"));
    ASSERT_EQ(client.StatusCode(), L"200");
    client.url = L"http://localhost:1/closed";
    client.timeouts.connect = 2000;
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_EQ(client.ResponseText(), L"");
    EXPECT_EQ(client.ResponseHeaders(), L"");
}

TEST_F(Transport, LastErrorKeepsTheNumberOfAFailureBeforeAnyReply)
{
    client.url = L"http://localhost:1/closed";
    client.timeouts.connect = 2000;
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.LastError(), DWORD(ERROR_WINHTTP_CANNOT_CONNECT));
    client.url = SecureUrl(path);
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_NE(client.LastError(), 0u);
    EXPECT_NE(client.LastError(), DWORD(ERROR_WINHTTP_CANNOT_CONNECT));
    // A reply, even a failing one, leaves no error number.
    ASSERT_TRUE(server.Script(path, "[{\"status\": 500, \"body\": \"broken\"}]"));
    client.url = Url(path);
    EXPECT_TRUE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"500");
    EXPECT_EQ(client.LastError(), 0u);
}

TEST_F(Transport, ManyRequestsShareOneConnection)
{
    ASSERT_TRUE(server.Script(path, Ok("again")));
    client.url = Url(path);
    client.requestHeaders = L"Connection: Keep-Alive\r\n";
    for (int i = 0; i < 25; ++i)
        ASSERT_TRUE(client.Send(L"GET"));
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 25u);
    for (const auto& r : requests)
        EXPECT_EQ(r.conn, requests[0].conn);
}

TEST_F(Transport, SelfSignedCertificateIsRefusedByDefault)
{
    ASSERT_TRUE(server.Script(path, Ok("secret")));
    client.url = SecureUrl(path);
    EXPECT_FALSE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"");
    EXPECT_EQ(client.ResponseText(), L"");
    EXPECT_EQ(server.Requests(path).size(), 0u);
}

TEST_F(Transport, SelfSignedCertificateIsAcceptedWhenToldTo)
{
    ASSERT_TRUE(server.Script(path, Ok("secret")));
    client.url = SecureUrl(path);
    client.acceptUntrustedCertificates = true;
    ASSERT_TRUE(client.Send(L"GET"));
    EXPECT_EQ(client.StatusCode(), L"200");
    EXPECT_EQ(client.ResponseText(), L"secret");
    auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].tls);
}

// A client on a ProxiedSession, whose settings and counters it shows.
class ProxiedClient : public WinHttpClient
{
public:
    ProxiedClient() : ProxiedClient(new ProxiedSession) {}
    ProxiedSession& proxies;

private:
    explicit ProxiedClient(ProxiedSession* session)
        : WinHttpClient(std::unique_ptr<WinHttpSession>(session)), proxies(*session)
    {
    }
};

class ProxyFallback : public Transport
{
protected:
    void SetUp() override
    {
        Transport::SetUp();
        proxied.url = L"http://localhost:1/nothing-listens";
        proxied.timeouts.connect = 2000;
    }
    ProxiedClient proxied;
};

TEST_F(ProxyFallback, NamedProxyIsSetForTheNextAttempt)
{
    proxied.proxies.proxy = L"proxy.example:8080";
    proxied.proxies.bypass = L"<local>";
    EXPECT_FALSE(proxied.Send(L"GET"));
    EXPECT_EQ(proxied.proxies.reads, 3); // once per failed attempt
    EXPECT_EQ(proxied.proxies.finds, 0);
    ASSERT_EQ(proxied.proxies.applied.size(), 3u);
    EXPECT_EQ(proxied.proxies.applied[0].accessType, DWORD(WINHTTP_ACCESS_TYPE_NAMED_PROXY));
    EXPECT_EQ(proxied.proxies.applied[0].proxy, L"proxy.example:8080");
    EXPECT_EQ(proxied.proxies.applied[0].bypass, L"<local>");
    EXPECT_EQ(proxied.StatusCode(), L"");
}

TEST_F(ProxyFallback, ConfigurationScriptIsAskedAndItsAnswerApplied)
{
    proxied.proxies.autoConfigUrl = L"http://wpad.example/proxy.pac";
    proxied.proxies.proxy = L"ignored.example:1"; // the script wins over a named proxy
    proxied.proxies.scriptAnswer = L"script.example:3128";
    EXPECT_FALSE(proxied.Send(L"GET"));
    EXPECT_EQ(proxied.proxies.finds, 3);
    EXPECT_EQ(proxied.proxies.askedScript, L"http://wpad.example/proxy.pac");
    EXPECT_EQ(proxied.proxies.askedUrl, L"http://localhost:1/nothing-listens");
    ASSERT_EQ(proxied.proxies.applied.size(), 3u);
    EXPECT_EQ(proxied.proxies.applied[0].proxy, L"script.example:3128");
}

TEST_F(ProxyFallback, NothingIsAppliedWithoutAnAnswerOrSettings)
{
    proxied.proxies.autoConfigUrl = L"http://wpad.example/proxy.pac";
    EXPECT_FALSE(proxied.Send(L"GET"));
    EXPECT_EQ(proxied.proxies.finds, 3);
    EXPECT_TRUE(proxied.proxies.applied.empty());

    ProxiedClient bare;
    bare.url = proxied.url;
    EXPECT_FALSE(bare.Send(L"GET"));
    EXPECT_EQ(bare.proxies.reads, 3);
    EXPECT_TRUE(bare.proxies.applied.empty());

    ProxiedClient unreadable;
    unreadable.url = proxied.url;
    unreadable.proxies.configReadable = false;
    unreadable.proxies.proxy = L"proxy.example:8080";
    EXPECT_FALSE(unreadable.Send(L"GET"));
    EXPECT_TRUE(unreadable.proxies.applied.empty());
}

TEST_F(ProxyFallback, IsNotConsultedWhenTheRequestGoesOut)
{
    ASSERT_TRUE(server.Script(path, Ok("direct")));
    proxied.url = Url(path);
    proxied.proxies.proxy = L"proxy.example:8080";
    ASSERT_TRUE(proxied.Send(L"GET"));
    EXPECT_EQ(proxied.proxies.reads, 0);
    EXPECT_EQ(proxied.ResponseText(), L"direct");
}

} // namespace
