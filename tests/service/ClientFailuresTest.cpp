// Requests that get no reply say why and name the host: real sockets, real
// WinHTTP, the texts from the real language modules.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/ServiceTextTable.h"
#include "base/TextFormat.h"
#include "http/UrlText.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"

using namespace DialogHarness;

namespace {

// A listener on 127.0.0.1 that answers every connection with a line that is
// not HTTP and closes it.
class NotHttpServer
{
public:
    NotHttpServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        int length = sizeof(address);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] {
            for (;;) {
                SOCKET peer = accept(listener_, nullptr, nullptr);
                if (peer == INVALID_SOCKET)
                    return;
                const char line[] = "SSH-2.0-OpenSSH_9.2 not a web server\r\n\r\n";
                send(peer, line, int(sizeof(line) - 1), 0);
                shutdown(peer, SD_BOTH);
                closesocket(peer);
            }
        });
    }
    ~NotHttpServer()
    {
        closesocket(listener_); // ends accept
        thread_.join();
        WSACleanup();
    }
    std::wstring Base() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }

private:
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
};

class ClientFailures : public testing::TestWithParam<const char*>
{
protected:
    // Signs in at `base` (account and photo server) with short time-outs;
    // the cause the client gives.
    std::wstring SignInCause(const std::wstring& base, PicasaClient& client)
    {
        client.SetServers(base, base);
        LoadServiceTexts(client.Texts());
        client.Transport().timeouts.connect = 3000;
        client.Transport().timeouts.send = 3000;
        client.Transport().timeouts.receive = 500;
        EXPECT_NE(client.Login("someone", L"secret", "QUILLON test"), DWORD(ERROR_SUCCESS));
        EXPECT_EQ(client.GetLastStatus(), L"");
        EXPECT_EQ(client.GetLastErrorBody(), client.GetLastFailureCause());
        return client.GetLastFailureCause();
    }
};

TEST_P(ClientFailures, EachCauseHasItsOwnTextNamingTheHost)
{
    ScopedLanguage language(GetParam());
    ScriptedServer scripted;
    ASSERT_FALSE(scripted.HttpBase().empty()) << "the scripted test server is not running";
    ASSERT_TRUE(scripted.Script("/accounts/ClientLogin", "[{\"action\": \"hang\", \"delay\": 20}]"));
    NotHttpServer notHttp;

    const struct
    {
        std::wstring base;
        UINT text;
    } cases[] = {
        {L"http://localhost:1", IDS_SERVICE_CONNECTION_REFUSED},
        {L"http://nonexistent.invalid", IDS_SERVICE_HOST_NOT_FOUND},
        {TestEnv::Widen(scripted.HttpBase()), IDS_SERVICE_TIMED_OUT},
        {TestEnv::Widen(scripted.HttpsBase()), IDS_SERVICE_CERTIFICATE_UNTRUSTED},
        {notHttp.Base(), IDS_SERVICE_NOT_HTTP},
    };
    std::vector<std::wstring> seen;
    for (const auto& c : cases) {
        PicasaClient client;
        const std::wstring cause = SignInCause(c.base, client);
        const std::wstring host = UrlHost(c.base);
        EXPECT_EQ(cause, FormatText(language.String(c.text), {host})) << TestEnv::Narrow(c.base);
        EXPECT_NE(cause.find(host), std::wstring::npos) << TestEnv::Narrow(c.base);
        seen.push_back(cause);
    }
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
            EXPECT_NE(seen[i], seen[j]);
    scripted.Script("/accounts/ClientLogin", "[{\"status\": 404, \"body\": \"gone\"}]");
}

TEST_P(ClientFailures, AReplyKeepsItsStatusAndBodyAndHasNoCause)
{
    ScopedLanguage language(GetParam());
    ScriptedServer scripted;
    ASSERT_TRUE(scripted.Script("/accounts/ClientLogin", "[{\"status\": 403, \"body\": \"Error=BadAuthentication\"}]"));
    PicasaClient client(TestEnv::Widen(scripted.HttpBase()), TestEnv::Widen(scripted.HttpBase()));
    LoadServiceTexts(client.Texts());
    EXPECT_NE(client.Login("someone", L"secret", "QUILLON test"), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(client.GetLastStatus(), L"403");
    EXPECT_EQ(client.GetLastServiceError(), L"BadAuthentication");
    EXPECT_EQ(client.GetLastFailureCause(), L"");
}

// A feed that fails before any reply gives its cause as the error body that
// the album window shows and logs.
TEST_P(ClientFailures, AFeedWithoutAReplyHasTheCauseAsItsErrorBody)
{
    ScopedLanguage language(GetParam());
    PicasaClient client(L"http://localhost:1", L"http://localhost:1");
    LoadServiceTexts(client.Texts());
    client.Transport().timeouts.connect = 3000;
    ASSERT_EQ(client.OpenPublicSession("someone", ""), DWORD(ERROR_SUCCESS));
    EXPECT_NE(client.LoadAlbums(), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(client.GetLastErrorBody(), FormatText(language.String(IDS_SERVICE_CONNECTION_REFUSED), {std::wstring(L"localhost")}));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ClientFailures, testing::Values("en", "ja"));

TEST(TransportFailureText, WinHttpNumbersMapToTheirCause)
{
    const struct
    {
        DWORD error;
        ServiceText text;
    } cases[] = {
        {12007, ServiceText::HostNotFound},          {12029, ServiceText::ConnectionRefused},
        {12002, ServiceText::TimedOut},              {10060, ServiceText::TimedOut},
        {12175, ServiceText::CertificateUntrusted},
        {12157, ServiceText::CertificateUntrusted},  {12045, ServiceText::CertificateUntrusted},
        {12038, ServiceText::CertificateUntrusted},  {12037, ServiceText::CertificateUntrusted},
        {12044, ServiceText::SecureConnectionFailed}, {12152, ServiceText::NotHttp},
        {12030, ServiceText::ConnectionFailed},      {5, ServiceText::ConnectionFailed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransportFailureText(c.error), c.text) << c.error;
}

TEST(ServiceTexts, TheJapaneseModuleHoldsExactlyTheBuiltInTexts)
{
    const ServiceTexts builtIn;
    ScopedLanguage japanese("ja");
    for (unsigned i = 0; i < unsigned(ServiceText::Count); ++i) {
        const ServiceText key = ServiceText(i);
        EXPECT_EQ(japanese.String(ServiceTextStringId(key)), builtIn.Text(key)) << i;
    }
    ScopedLanguage english("en");
    ServiceTexts texts;
    LoadServiceTexts(texts);
    for (unsigned i = 0; i < unsigned(ServiceText::Count); ++i) {
        const ServiceText key = ServiceText(i);
        EXPECT_EQ(texts.Text(key), english.String(ServiceTextStringId(key))) << i;
        EXPECT_NE(texts.Text(key), builtIn.Text(key)) << i;
    }
    // The numbered text shows its number.
    EXPECT_NE(texts.Format(ServiceText::ConnectionFailed, {std::wstring(L"h"), int64_t(12030)}).find(L"12030"),
              std::wstring::npos);
}

} // namespace
