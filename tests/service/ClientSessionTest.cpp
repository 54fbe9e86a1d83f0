// Sign-in, public mode, logout and the statistics report, against the
// stand-in service over WinHTTP.
#include "base/CLogSupport.h"
#include "base/UserCodePage.h"
#include "service/ClientLoginErrorTable.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/ScriptedServer.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include <gtest/gtest.h>

using ClientTest::LogLines;
using ClientTest::WithoutTime;

namespace {

class Session : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StandIn::Reset();
        logPath = TestEnv::ScratchFolder("service_session") + L"\\quillon.log";
        ASSERT_TRUE(log.Open(ClientTest::AsciiPath(logPath).c_str()));
        client = std::make_unique<PicasaClient>(StandIn::BaseW(), StandIn::BaseW());
        client->SetLog(&log);
    }

    std::vector<std::string> Logged()
    {
        std::vector<std::string> lines;
        for (const std::string& line : LogLines(logPath))
            lines.push_back(WithoutTime(line));
        return lines;
    }

    CLogSupport log;
    std::wstring logPath;
    std::unique_ptr<PicasaClient> client;
};

} // namespace

TEST_F(Session, SignInSendsTheEncodedFormAndKeepsTheToken)
{
    ASSERT_EQ(client->Login("demo@example.com", "demo", "QUILLON 1.0.0.19"), 0u);
    EXPECT_TRUE(client->IsSignedIn());
    EXPECT_EQ(client->GetAccountName(), "demo@example.com");
    EXPECT_EQ(client->GetLastStatus(), L"200");
    const std::wstring token = client->Access().Token();
    EXPECT_GE(token.size(), 20u);
    EXPECT_EQ(token.find_first_of(L"\r\n="), std::wstring::npos);
    EXPECT_EQ(client->RequestCount(), 1u);
    const DWORD signInMs = client->RequestStatistics().last;

    auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    const Json& r = requests[0];
    EXPECT_EQ(r["method"].string, "POST");
    EXPECT_EQ(r["path"].string, "/accounts/ClientLogin");
    const std::string body = "accountType=HOSTED_OR_GOOGLE&Email=demo%40example.com&Passwd=demo&service=lh2"
                             "&source=QUILLON%201.0.0.19";
    EXPECT_EQ(r["body"].string, body);
    EXPECT_EQ(StandIn::HeaderValue(r, "Content-Length"), std::to_string(body.size()));
    EXPECT_EQ(StandIn::HeaderValue(r, "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(StandIn::HeaderValue(r, "Connection"), "Keep-Alive");
    EXPECT_FALSE(StandIn::HasHeader(r, "Authorization"));

    // The token is the one that the service now accepts.
    StandIn::ClearRequests();
    ASSERT_EQ(client->LoadAlbums(), 0u);
    requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(StandIn::HeaderValue(requests[0], "Authorization"), "GoogleLogin auth=" + TestEnv::Narrow(token));
    EXPECT_EQ(requests[0]["status"].Int(), 200);

    auto lines = Logged();
    ASSERT_EQ(lines.size(), 1u);
    // The comma is U+3001 in the user's code page ("?" where it has none).
    char expected[128];
    std::snprintf(expected, sizeof(expected), "Login : Success, Account = demo@example.com%stime = %.3f [Sec]",
                  UserCodePageFromWide(L"\u3001").c_str(), signInMs / 1000.0);
    EXPECT_EQ(lines[0], expected);
}

TEST_F(Session, EveryClientLoginErrorLeavesTheClientSignedOut)
{
    struct Case
    {
        const char* account;
        const char* password;
        const wchar_t* error;
        const wchar_t* status;
        unsigned index;
    };
    const Case cases[] = {
        {"demo@example.com", "wrong", L"BadAuthentication", L"403", 0},
        {"notverified@example.com", "demo", L"NotVerified", L"403", 1},
        {"termsnotagreed@example.com", "demo", L"TermsNotAgreed", L"403", 2},
        {"captcharequired@example.com", "demo", L"CaptchaRequired", L"403", 3},
        {"unknown@example.com", "demo", L"Unknown", L"403", 4},
        {"accountdeleted@example.com", "demo", L"AccountDeleted", L"403", 5},
        {"accountdisabled@example.com", "demo", L"AccountDisabled", L"403", 6},
        {"servicedisabled@example.com", "demo", L"ServiceDisabled", L"403", 7},
        {"serviceunavailable@example.com", "demo", L"ServiceUnavailable", L"503", 8},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(client->Login("demo", "demo", "t"), 0u);
        ASSERT_TRUE(client->IsSignedIn());
        EXPECT_EQ(client->Login(c.account, c.password, "t"), DWORD(ERROR_SERVICE_LOGON_FAILED)) << c.account;
        EXPECT_FALSE(client->IsSignedIn()) << c.account;
        EXPECT_EQ(client->Access().Token(), L"");
        EXPECT_EQ(client->GetAccountName(), "");
        EXPECT_EQ(client->GetLastStatus(), c.status) << c.account;
        EXPECT_EQ(client->GetLastServiceError(), c.error) << c.account;
        EXPECT_EQ(FindClientLoginError(client->GetLastServiceError()), c.index);
        EXPECT_EQ(client->GetLastErrorBody(), L"") << c.account;
    }
    auto lines = Logged();
    ASSERT_EQ(lines.size(), 9u * 4);
    EXPECT_EQ(lines[1], "Logout");
    EXPECT_EQ(lines[2], "Login : Failed, Account = demo@example.com");
    EXPECT_EQ(lines[3], "\tHTTP Response Code = 403, Picasa Error Code = BadAuthentication");
    EXPECT_EQ(lines[35], "\tHTTP Response Code = 503, Picasa Error Code = ServiceUnavailable");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("wrong"), std::string::npos) << "the password reached the log";
}

TEST_F(Session, SymbolsInThePasswordArriveAsTyped)
{
    char password[64];
    if (std::wcstombs(password, L"p&ss=w+rd% \u00fc", sizeof(password)) == size_t(-1))
        GTEST_SKIP() << "the user code page has no \u00fc";
    ASSERT_EQ(client->Login("symbols@example.com", password, "t"), 0u);
    EXPECT_TRUE(client->IsSignedIn());
    auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0]["body"].string.find("&Passwd=p%26ss%3Dw%2Brd%25%20%C3%BC&"), std::string::npos)
        << requests[0]["body"].string;
}

TEST_F(Session, SignInOverHttpsAsByDefault)
{
    PicasaClient secure(TestEnv::ServerW("photo_https"), TestEnv::ServerW("photo_https"));
    secure.SetAcceptUntrustedCertificates(true);
    ASSERT_EQ(secure.Login("friend", "friend", "t"), 0u);
    ASSERT_EQ(secure.LoadAlbums(), 0u);
    EXPECT_EQ(secure.GetAlbums().size(), 4u);
    auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0]["scheme"].string, "https");
    EXPECT_EQ(requests[1]["path"].string, "/data/feed/api/user/friend");
}

TEST_F(Session, PublicModeSendsNoAuthorizationAndSeesPublicAlbumsOnly)
{
    ASSERT_EQ(client->OpenPublicSession("demo@example.com", ""), 0u);
    EXPECT_TRUE(client->IsSignedIn());
    EXPECT_EQ(client->Access().Token(), L"");
    EXPECT_EQ(client->RequestCount(), 0u);
    ASSERT_EQ(client->LoadAlbums(), 0u);

    size_t publicAlbums = 0;
    const Json account = StandIn::Account("demo");
    for (const Json& album : account["albums"].array)
        if (album["access"].string == "public")
            ++publicAlbums;
    ASSERT_GT(publicAlbums, 0u);
    ASSERT_EQ(client->GetAlbums().size(), publicAlbums);
    for (const AlbumEntry& album : client->GetAlbums()) {
        EXPECT_EQ(album.access, L"public");
        EXPECT_EQ(album.editLink, L"");
    }
    EXPECT_EQ(client->GetQuotaLimit(), 0);

    auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["path"].string, "/data/feed/api/user/demo@example.com");
    EXPECT_FALSE(StandIn::HasHeader(requests[0], "Authorization"));
    auto lines = Logged();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Login : Success, Account = demo@example.com" + UserCodePageFromWide(L"\u3001") +
                            "time = 0.000 [Sec]");
}

TEST_F(Session, LogoutClearsTheAccountAndWritesOnlyWhenSignedIn)
{
    client->Logout();
    EXPECT_TRUE(Logged().empty());
    ASSERT_EQ(client->Login("demo", "demo", "t"), 0u);
    ASSERT_EQ(client->LoadAlbums(), 0u);
    ASSERT_FALSE(client->GetAlbums().empty());
    ASSERT_GT(client->GetQuotaLimit(), 0);
    client->Logout();
    client->Logout();
    EXPECT_FALSE(client->IsSignedIn());
    EXPECT_TRUE(client->GetAlbums().empty());
    EXPECT_EQ(client->GetQuotaLimit(), 0);
    EXPECT_EQ(client->GetQuotaCurrent(), 0);
    EXPECT_EQ(client->Access().Token(), L"");
    EXPECT_EQ(client->GetLastStatus(), L"200");
    EXPECT_EQ(client->RequestCount(), 2u);
    auto lines = Logged();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Logout");
}

TEST_F(Session, ReportOfARunWithoutRequests)
{
    client.reset();
    auto lines = Logged();
    const std::vector<std::string> expected = {
        "Picasa Client Statistics",
        "\tHTTP Request = 0 times",
        "\tResponse Time (Average) = 0.000 [Sec]",
        "\tResponse Time (Min)     = 0.000 [Sec]",
        "\tResponse Time (Max)     = 0.000 [Sec]",
        "\tLoad XML = 0 times",
        "\tLoad Time (Average) = 0.000 [Sec]",
        "\tLoad Time (Min)     = 0.000 [Sec]",
        "\tLoad Time (Max)     = 0.000 [Sec]",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(Session, ReportCountsRequestsAndLoadsAfterTheLogout)
{
    ASSERT_EQ(client->Login("demo", "demo", "t"), 0u);
    ASSERT_EQ(client->LoadAlbums(), 0u);
    const PicasaClient::Statistics requests = client->RequestStatistics();
    EXPECT_EQ(requests.count, 2u);
    EXPECT_LE(requests.min, requests.max);
    EXPECT_GE(requests.sum, requests.max);
    client.reset();
    auto lines = Logged();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[1], "Logout");
    EXPECT_EQ(lines[2], "Picasa Client Statistics");
    EXPECT_EQ(lines[3], "\tHTTP Request = 2 times");
    EXPECT_EQ(lines[7], "\tLoad XML = 1 times");
    char max[64];
    std::snprintf(max, sizeof(max), "\tResponse Time (Max)     = %.3f [Sec]", requests.max / 1000.0);
    EXPECT_EQ(lines[6], max);
}

// Replies that the stand-in never gives, from the scripted server.
TEST(CannedSignIn, AuthKeyInAnyCaseAndAReplyWithoutOne)
{
    ScriptedServer server;
    PicasaClient client(TestEnv::Widen(server.HttpBase()), TestEnv::Widen(server.HttpBase()));
    ASSERT_TRUE(server.Script("/accounts/ClientLogin",
                              "[{\"status\": 200, \"body\": \"SID=1\\nLSID=2\\nAuth=tok-en\\nauth=second\\n\"},"
                              " {\"status\": 200, \"body\": \"AUTH=UPPER\"},"
                              " {\"status\": 200, \"body\": \"SID=1\\nLSID=2\\n\"},"
                              " {\"status\": 403, \"body\": \"Url=x\\nerror=First\\nError=Second\\n\"}]"));
    ASSERT_EQ(client.Login("a", "b", "c"), 0u);
    EXPECT_TRUE(client.IsSignedIn());
    EXPECT_EQ(client.Access().Token(), L"tok-en");
    ASSERT_EQ(client.Login("a", "b", "c"), 0u);
    EXPECT_EQ(client.Access().Token(), L"UPPER");
    ASSERT_EQ(client.Login("a", "b", "c"), 0u);
    EXPECT_FALSE(client.IsSignedIn());
    EXPECT_EQ(client.Access().Token(), L"");
    EXPECT_EQ(client.GetAccountName(), "a");
    ASSERT_EQ(client.Login("a", "b", "c"), DWORD(ERROR_SERVICE_LOGON_FAILED));
    EXPECT_EQ(client.GetLastServiceError(), L"First");
    EXPECT_EQ(client.GetLastErrorBody(), L"");
}

// The client's sign-in line under a Japanese locale: the account name as
// given, byte for byte, and the ideographic comma in the user's code page.
TEST(LogCodePage, SignInLineKeepsTheAccountBytes)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "code page " << GetACP();
    const std::string path = [] {
        std::wstring w = TestEnv::ScratchFolder("service_log_cp") + L"\\signin.log";
        return std::string(w.begin(), w.end());
    }();
    DeleteFileA(path.c_str());
    {
        CLogSupport log;
        ASSERT_TRUE(log.Open(path.c_str()));
        PicasaClient client(L"http://127.0.0.1:9", L"http://127.0.0.1:9");
        client.SetLog(&log);
        // 0x8790 (a NEC row-13 symbol whose UTF-16 form maps back to 0x81E0)
        // and a lead byte without its trail byte.
        ASSERT_EQ(client.OpenPublicSession("\x83\x65\x83\x58\x83\x67\x87\x90x\x81", ""), 0u);
        EXPECT_EQ(client.GetAccountName(), "\x83\x65\x83\x58\x83\x67\x87\x90x\x81");
        log.Close();
    }
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(content.size(), 20u);
    EXPECT_EQ(content.substr(20), "Login : Success, Account = \x83\x65\x83\x58\x83\x67\x87\x90x\x81"
                                  "\x81\x41time = 0.000 [Sec]\r\n");
}
