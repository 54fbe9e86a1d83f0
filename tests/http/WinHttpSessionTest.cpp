#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "http/WinHttpClient.h"
#include "http/WinHttpDownload.h"
#include "http/WinHttpUpload.h"
#include "tests/http/TransportFixture.h"

namespace {

constexpr const wchar_t* kNothingListens = L"http://localhost:1/nothing-listens";

// Each of the three transports on a session the test hands it: a sender of
// one request to a URL (the file's bytes for the upload), which keeps the
// transport, and so the session, alive for the test to look at.
using Sender = std::function<bool(const std::wstring& url)>;
struct TransportCase
{
    const char* name;
    std::function<Sender(std::unique_ptr<WinHttpSession>, const std::wstring& file)> make;
};

const TransportCase kTransports[] = {
    {"request engine",
     [](std::unique_ptr<WinHttpSession> session, const std::wstring&) -> Sender {
         auto client = std::make_shared<WinHttpClient>(std::move(session));
         client->timeouts.connect = 2000;
         return [client](const std::wstring& url) {
             client->url = url;
             return client->Send(L"GET");
         };
     }},
    {"upload",
     [](std::unique_ptr<WinHttpSession> session, const std::wstring& file) -> Sender {
         auto upload = std::make_shared<WinHttpUpload>(std::move(session));
         upload->timeouts.connect = 2000;
         return [upload, file](const std::wstring& url) {
             upload->url = url;
             return upload->SendFile(file) == WinHttpUpload::Outcome::Replied;
         };
     }},
    {"download",
     [](std::unique_ptr<WinHttpSession> session, const std::wstring&) -> Sender {
         auto download = std::make_shared<WinHttpDownload>(std::move(session));
         download->connectTimeout = 2000;
         return [download](const std::wstring& url) {
             return download->Get(
                 url, L"", [](int, int64_t) { return true; }, [](const uint8_t*, size_t) { return true; });
         };
     }},
};

class Session : public ScriptedServerTest
{
protected:
    void SetUp() override
    {
        ScriptedServerTest::SetUp();
        file = TestEnv::WriteBytes(TestEnv::ScratchFolder(TestEnv::UniquePath().substr(3)), L"one.jpg", "bytes");
        ASSERT_FALSE(file.empty());
    }

    std::wstring file;
};

TEST_F(Session, EveryTransportFallsBackToTheBrowsersProxy)
{
    for (const TransportCase& t : kTransports) {
        SCOPED_TRACE(t.name);
        auto* named = new ProxiedSession;
        named->proxy = L"proxy.example:8080";
        const Sender viaNamed = t.make(std::unique_ptr<WinHttpSession>(named), file);
        EXPECT_FALSE(viaNamed(kNothingListens));
        EXPECT_GE(named->reads, 1);
        ASSERT_FALSE(named->applied.empty());
        EXPECT_EQ(named->applied[0].accessType, DWORD(WINHTTP_ACCESS_TYPE_NAMED_PROXY));
        EXPECT_EQ(named->applied[0].proxy, L"proxy.example:8080");

        auto* scripted = new ProxiedSession;
        scripted->autoConfigUrl = L"http://wpad.example/proxy.pac";
        scripted->scriptAnswer = L"script.example:3128";
        const Sender viaScript = t.make(std::unique_ptr<WinHttpSession>(scripted), file);
        EXPECT_FALSE(viaScript(kNothingListens));
        EXPECT_GE(scripted->finds, 1);
        EXPECT_EQ(scripted->askedUrl, kNothingListens);
        ASSERT_FALSE(scripted->applied.empty());
        EXPECT_EQ(scripted->applied[0].proxy, L"script.example:3128");
    }
}

TEST_F(Session, EveryTransportGoesDirectWhenItCanAndSaysWhoItIs)
{
    for (const TransportCase& t : kTransports) {
        SCOPED_TRACE(t.name);
        const std::string p = path + "/" + t.name[0];
        ASSERT_TRUE(server.Script(p, "[{\"status\": 200, \"body\": \"direct\"}]"));
        auto* session = new ProxiedSession;
        session->proxy = L"proxy.example:8080";
        const Sender send = t.make(std::unique_ptr<WinHttpSession>(session), file);
        EXPECT_TRUE(send(Url(p)));
        EXPECT_EQ(session->reads, 0);
        const auto requests = server.Requests(p);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].Header("User-Agent"), "WinHttpClient");
        EXPECT_EQ(requests[0].version, "HTTP/1.0"); // so that the reply comes framed by its length
    }
}

TEST_F(Session, RequestsToOneServerShareItsConnection)
{
    ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"body\": \"a\"}, {\"status\": 200, \"body\": \"b\"}, "
                                    "{\"status\": 200, \"body\": \"c\"}]"));
    WinHttpSession session;
    WinHttpSession::Timeouts timeouts;
    for (int i = 0; i < 3; ++i) {
        const UniqueWinHttpHandle request(session.OpenRequest(L"GET", Url(path), timeouts, false));
        ASSERT_TRUE(request);
        WinHttpAddRequestHeaders(request.get(), L"Connection: Keep-Alive\r\n", DWORD(-1), WINHTTP_ADDREQ_FLAG_ADD);
        ASSERT_TRUE(session.SendHead(request.get(), Url(path), 0));
        ASSERT_TRUE(WinHttpReceiveResponse(request.get(), nullptr));
        char body[8] = {};
        DWORD read = 0;
        WinHttpReadData(request.get(), body, sizeof(body), &read);
        EXPECT_EQ(std::string(body, read), std::string(1, char('a' + i)));
    }
    const auto requests = server.Requests(path);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].conn, requests[2].conn); // one socket for all three

    // A path and query past the caller's limit open nothing.
    EXPECT_EQ(session.OpenRequest(L"GET", Url(path + std::string(40, 'x')), timeouts, false, 20), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_WINHTTP_INVALID_URL));
    EXPECT_EQ(session.OpenRequest(L"GET", L"not a url", timeouts, false), nullptr);
}

} // namespace
