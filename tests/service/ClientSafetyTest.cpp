// The client against crafted replies from the scripted server: the token
// stays with the configured servers, a change is sent once, replies that are
// not feeds are failures, names and passwords reach the wire intact.
#include "service/FeedDocument.h"
#include "service/PicasaClient.h"

#include "tests/support/Json.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

namespace {

using TestEnv::Narrow;
using TestEnv::Widen;

const char kFeedHead[] = "<?xml version='1.0' encoding='UTF-8'?>\n"
                         "<feed xmlns='http://www.w3.org/2005/Atom' "
                         "xmlns:gphoto='http://schemas.google.com/photos/2007'>";

std::string OneAlbumFeed(const std::string& title)
{
    return std::string(kFeedHead) + "<entry><title>" + title + "</title><gphoto:id>5</gphoto:id></entry></feed>";
}

std::string Reply(int status, const std::string& body, const std::string& type = "application/atom+xml; charset=UTF-8")
{
    return "{\"status\": " + std::to_string(status) + ", \"headers\": [[\"Content-Type\", " + JsonQuote(type) +
           "]], \"body\": " + JsonQuote(body) + "}";
}

class ClientSafety : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(server.HttpBase().empty()) << "the scripted test server is not running";
        client.OpenPublicSession(Account().c_str(), "tok");
    }

    // An account name of this test alone, so that its paths are its own.
    std::string Account() const
    {
        return std::string("safety_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    std::string FeedPath() const { return "/data/feed/api/user/" + Account(); }
    std::wstring EditLink(const std::string& base, const std::string& suffix) const
    {
        return Widen(base + "/data/entry/api/user/" + Account() + "/albumid/" + suffix);
    }

    ScriptedServer server;
    PicasaClient client{Widen(server.HttpBase()), Widen(server.HttpBase())};
};

} // namespace

TEST_F(ClientSafety, RedirectedFeedFailsAndTheOtherServerNeverSeesTheToken)
{
    const std::string elsewhere = FeedPath() + "_elsewhere";
    ASSERT_TRUE(server.Script(elsewhere, "[" + Reply(200, OneAlbumFeed("not yours")) + "]"));
    ASSERT_TRUE(server.Script(FeedPath(), "[{\"status\": 302, \"headers\": [[\"Location\", " +
                                              JsonQuote(server.OtherHttpBase() + elsewhere) + "]]}]"));
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"302");
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_TRUE(server.Requests(elsewhere).empty());
    auto asked = server.Requests(FeedPath());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Header("Authorization"), "GoogleLogin auth=tok");
}

TEST_F(ClientSafety, ChangesWhoseEditLinkIsElsewhereAreNotSent)
{
    const std::string localhostOtherPort = "http://localhost:" + server.OtherHttpBase().substr(17);
    const std::string bases[] = {
        server.OtherHttpBase(), // another host: 127.0.0.1 is not localhost
        server.HttpsBase(),     // another scheme and port
        localhostOtherPort,     // the same host on another port
    };
    int n = 0;
    for (const std::string& base : bases) {
        const std::wstring link = EditLink(base, std::to_string(++n) + "/1");
        const std::string path = Narrow(link.substr(link.find(L"/data/")));
        ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"body\": \"changed\"}]"));
        const char body[] = "<entry/>";
        const DWORD results[] = {
            client.SetAlbumAccess(link, 1),
            client.SetAlbumCommenting(link, 0),
            client.PatchAlbum(link, body, 8),
            client.DeleteAlbum(link),
        };
        for (DWORD result : results)
            EXPECT_EQ(result, DWORD(ERROR_WRITE_FAULT)) << base;
        EXPECT_EQ(client.GetLastStatus(), L"");
        EXPECT_NE(client.GetLastErrorBody().find(link), std::wstring::npos);
        EXPECT_FALSE(client.IsLastOutcomeUnknown());
        EXPECT_TRUE(server.Requests(path).empty()) << base;
    }
    EXPECT_EQ(client.RequestCount(), 0u);

    // The configured server, its host written in capitals: the change goes.
    std::string base = server.HttpBase();
    base.replace(base.find("localhost"), 9, "LOCALHOST");
    const std::wstring link = EditLink(base, "9/1");
    ASSERT_TRUE(server.Script(Narrow(link.substr(link.find(L"/data/"))), "[{\"status\": 200, \"body\": \"gone\"}]"));
    EXPECT_EQ(client.DeleteAlbum(link), 0u);
    auto requests = server.Requests(Narrow(link.substr(link.find(L"/data/"))));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Authorization"), "GoogleLogin auth=tok");
}

// A reply later than the receive time-out: the change was made all the same,
// so it is not made twice; the caller hears that the outcome is unknown.
TEST_F(ClientSafety, ChangesWithLateRepliesAreSentOnce)
{
    client.Transport().timeouts.receive = 400;
    ASSERT_TRUE(server.Script(FeedPath(), "[{\"status\": 201, \"delay\": 1.5, \"body\": \"<entry/>\"}]"));
    EXPECT_EQ(client.CreateAlbum(L"Once", L"", L"", L"private", 0), DWORD(ERROR_CREATE_FAILED));
    EXPECT_EQ(client.GetLastStatus(), L"");
    EXPECT_TRUE(client.IsLastOutcomeUnknown());
    EXPECT_EQ(server.Requests(FeedPath()).size(), 1u);

    const std::wstring link = EditLink(server.HttpBase(), "7/3");
    const std::string path = Narrow(link.substr(link.find(L"/data/")));
    ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"delay\": 1.5}, {\"status\": 404}]"));
    EXPECT_EQ(client.DeleteAlbum(link), DWORD(ERROR_WRITE_FAULT));
    EXPECT_TRUE(client.IsLastOutcomeUnknown());
    auto deletes = server.Requests(path);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].method, "DELETE");

    // A change refused by the service is a known outcome.
    client.Transport().timeouts.receive = 30000;
    EXPECT_EQ(client.DeleteAlbum(link), DWORD(ERROR_WRITE_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"404");
    EXPECT_FALSE(client.IsLastOutcomeUnknown());
}

// A "200" whose body is not a feed is a read fault with the reply kept, for
// the album list and the photo list alike; an empty feed is no failure.
TEST_F(ClientSafety, RepliesThatAreNotFeedsAreReadFaults)
{
    struct Case
    {
        const char* name;
        std::string body;
        std::string type;
        DWORD result;
    };
    const Case cases[] = {
        {"html page", "<html><head><title>Error</title></head><body>busy<br></body></html>", "text/html", 30},
        {"well-formed page", "<html><body><p>Sign in again</p></body></html>", "text/html", 30},
        {"cut short", OneAlbumFeed("half").substr(0, 150), "application/atom+xml", 30},
        {"empty body", "", "application/atom+xml", 30},
        {"doctype", "<!DOCTYPE feed><feed/>", "application/atom+xml", 30},
        {"empty feed", std::string(kFeedHead) + "</feed>", "application/atom+xml", 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(server.Script(FeedPath(), "[" + Reply(200, c.body, c.type) + "]"));
        EXPECT_EQ(client.LoadAlbums(), c.result) << c.name;
        EXPECT_EQ(client.GetLastStatus(), L"200") << c.name;
        EXPECT_TRUE(client.GetAlbums().empty());
        if (c.result != 0)
            EXPECT_EQ(client.GetLastErrorBody(), Widen(c.body)) << c.name;

        const std::string album = FeedPath() + "/albumid/5";
        ASSERT_TRUE(server.Script(album, "[" + Reply(200, c.body, c.type) + "]"));
        DWORD photosResult = 99;
        auto photos = client.LoadPhotos(L"5", 1, &photosResult);
        ASSERT_TRUE(photos);
        EXPECT_TRUE(photos->empty());
        EXPECT_EQ(photosResult, c.result) << c.name;
        if (c.result != 0)
            EXPECT_EQ(client.GetLastErrorBody(), Widen(c.body)) << c.name;
    }
    // A failed status is reported through the same result.
    ASSERT_TRUE(server.Script(FeedPath() + "/albumid/6", "[" + Reply(404, "no album", "text/plain") + "]"));
    DWORD result = 0;
    EXPECT_TRUE(client.LoadPhotos(L"6", 1, &result)->empty());
    EXPECT_EQ(result, DWORD(ERROR_READ_FAULT));
}

TEST_F(ClientSafety, FeedWithAnExternalEntityIsNotRead)
{
    const std::wstring folder = TestEnv::ScratchFolder("client_safety");
    {
        std::ofstream secret(Narrow(folder + L"\\secret.txt"), std::ios::binary);
        secret << "local secret";
    }
    std::string file = Narrow(folder + L"\\secret.txt");
    const std::string feed = std::string("<?xml version='1.0'?>\n<!DOCTYPE feed [<!ENTITY s SYSTEM 'file:///") +
                             file + "'>]>\n" +
                             "<feed xmlns='http://www.w3.org/2005/Atom' "
                             "xmlns:gphoto='http://schemas.google.com/photos/2007'>"
                             "<entry><title>&s;</title><gphoto:id>1</gphoto:id></entry></feed>";
    ASSERT_TRUE(server.Script(FeedPath(), "[" + Reply(200, feed) + "]"));
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_EQ(client.XmlLoadCount(), 0u) << "the text never reached the parser";
}

TEST(FeedDocumentSafety, ParserSettingsReadBackAndDeclarationsAreRefused)
{
    FeedDocument document;
    ASSERT_TRUE(document.Create());
    IXMLDOMDocument* parser = document.Get();
    ASSERT_NE(parser, nullptr);
    VARIANT_BOOL value = VARIANT_TRUE;
    ASSERT_EQ(parser->get_resolveExternals(&value), S_OK);
    EXPECT_EQ(value, VARIANT_FALSE);
    value = VARIANT_TRUE;
    ASSERT_EQ(parser->get_validateOnParse(&value), S_OK);
    EXPECT_EQ(value, VARIANT_FALSE);
    // MSXML answers for ProhibitDTD; Wine's parser takes the setting but
    // cannot report it, which is why Load refuses declarations itself.
    IXMLDOMDocument2* second = nullptr;
    const IID document2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
    ASSERT_EQ(parser->QueryInterface(document2, reinterpret_cast<void**>(&second)), S_OK);
    VARIANT prohibit;
    VariantInit(&prohibit);
    BSTR name = SysAllocString(L"ProhibitDTD");
    if (SUCCEEDED(second->getProperty(name, &prohibit))) {
        EXPECT_EQ(prohibit.vt, VT_BOOL);
        EXPECT_EQ(prohibit.boolVal, VARIANT_TRUE);
    }
    SysFreeString(name);
    VariantClear(&prohibit);
    second->Release();

    struct Case
    {
        const wchar_t* text;
        HRESULT result;
        bool parsed;
    };
    const Case cases[] = {
        {L"<!DOCTYPE feed><feed/>", S_FALSE, false},
        {L"\ufeff<?xml version='1.0'?>\r\n<!-- note -->\n<!doctype feed [<!ENTITY a 'aaaa'>]>\n<feed>&a;</feed>",
         S_FALSE, false},
        {L"<?xml version='1.0'?><feed><title><![CDATA[<!DOCTYPE x>]]></title></feed>", S_OK, true},
        {L"<feed><title>&lt;!DOCTYPE</title></feed>", S_OK, true},
    };
    for (const Case& c : cases) {
        uint32_t elapsed = 0;
        bool parsed = !c.parsed;
        EXPECT_EQ(document.Load(c.text, elapsed, parsed), c.result) << Narrow(c.text);
        EXPECT_EQ(parsed, c.parsed) << Narrow(c.text);
        EXPECT_EQ(document.Loaded(), c.result == S_OK);
    }
    EXPECT_EQ(document.RootName(), L"feed");
}

TEST_F(ClientSafety, QuotedCharsetKeepsJapaneseTitles)
{
    ASSERT_TRUE(server.Script(FeedPath(), "[" +
                                              Reply(200, OneAlbumFeed("\xe6\x97\xa5\xe6\x9c\xac"),
                                                    "application/atom+xml; charset=\"utf-8\"") +
                                              "]"));
    ASSERT_EQ(client.LoadAlbums(), 0u);
    ASSERT_EQ(client.GetAlbums().size(), 1u);
    EXPECT_EQ(client.GetAlbums()[0].title, L"\u65e5\u672c");
}

TEST_F(ClientSafety, AccountNameIsOneEncodedPathSegment)
{
    struct Case
    {
        std::string suffix;
        std::string encoded;
    };
    const Case cases[] = {
        {"?album=1#top", "%3Falbum%3D1%23top"},
        {"/../../admin", "%2F..%2F..%2Fadmin"},
        {"@example.com", "@example.com"},
    };
    for (const Case& c : cases) {
        const std::string name = Account() + c.suffix;
        const std::string path = "/data/feed/api/user/" + Account() + c.encoded;
        ASSERT_TRUE(server.Script(path, "[" + Reply(200, OneAlbumFeed("found")) + "]"));
        ASSERT_TRUE(server.Script(path + "/albumid/5", "[" + Reply(200, std::string(kFeedHead) + "</feed>") + "]"));
        ASSERT_TRUE(client.OpenPublicSession(name.c_str(), "tok") == 0);
        EXPECT_EQ(client.LoadAlbums(), 0u) << name;
        EXPECT_EQ(client.GetAlbums().size(), 1u) << name;
        DWORD result = 99;
        client.LoadPhotos(L"5", 1, &result);
        EXPECT_EQ(result, 0u) << name;
        auto requests = server.Requests(path);
        ASSERT_EQ(requests.size(), 1u) << name;
        EXPECT_EQ(requests[0].target, path);
        EXPECT_EQ(requests[0].Header("Authorization"), "GoogleLogin auth=tok");
        EXPECT_EQ(server.Requests(path + "/albumid/5").size(), 1u) << name;
    }
}

TEST_F(ClientSafety, SignInReplyWithCrLfLinesGivesACleanToken)
{
    ASSERT_TRUE(server.Script("/accounts/ClientLogin",
                              "[{\"status\": 200, \"body\": \"SID=1\\r\\nLSID=2\\r\\nAuth=tok-en\\r\\n\"},"
                              " {\"status\": 403, \"body\": \"Url=x\\r\\nError=BadAuthentication\\r\\n\"}]"));
    ASSERT_EQ(client.Login(Account().c_str(), L"pw", "t"), 0u);
    EXPECT_EQ(client.GetAuthToken(), L"tok-en");
    ASSERT_TRUE(server.Script(FeedPath(), "[" + Reply(200, std::string(kFeedHead) + "</feed>") + "]"));
    ASSERT_EQ(client.LoadAlbums(), 0u);
    auto requests = server.Requests(FeedPath());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Authorization"), "GoogleLogin auth=tok-en");

    EXPECT_EQ(client.Login(Account().c_str(), L"pw", "t"), DWORD(ERROR_SERVICE_LOGON_FAILED));
    EXPECT_EQ(client.GetLastServiceError(), L"BadAuthentication");
}

TEST_F(ClientSafety, PasswordReachesTheFormAsUtf8AndLeavesNoBodyBehind)
{
    struct Case
    {
        std::wstring password;
        std::string encoded;
    };
    std::string hundredEuros;
    for (int i = 0; i < 100; ++i)
        hundredEuros += "%E2%82%AC";
    const Case cases[] = {
        {L"p\u20acss", "p%E2%82%ACss"},
        {L"\u65e5\u672c&=+", "%E6%97%A5%E6%9C%AC%26%3D%2B"},
        {std::wstring(100, L'\u20ac'), hundredEuros},
    };
    ASSERT_TRUE(server.Script("/accounts/ClientLogin", "[{\"status\": 200, \"body\": \"Auth=x\\n\"}]"));
    for (const Case& c : cases) {
        ASSERT_EQ(client.Login("someone", c.password.c_str(), "t"), 0u);
        EXPECT_EQ(client.Transport().BodyLength(), 0) << "the form outlived the sign-in";
        auto requests = server.Requests("/accounts/ClientLogin");
        ASSERT_FALSE(requests.empty());
        EXPECT_NE(requests.back().body.find("&Passwd=" + c.encoded + "&"), std::string::npos)
            << requests.back().body;
    }
    ASSERT_TRUE(server.Script("/accounts/ClientLogin", "[{\"status\": 403, \"body\": \"Error=BadAuthentication\"}]"));
    EXPECT_EQ(client.Login("someone", L"wrong", "t"), DWORD(ERROR_SERVICE_LOGON_FAILED));
    EXPECT_EQ(client.Transport().BodyLength(), 0) << "the form outlived a failed sign-in";
    ASSERT_TRUE(server.Script("/accounts/ClientLogin", "[{\"status\": 200, \"body\": \"Auth=x\\n\"}]"));

    // The narrow form, where the code page has the euro sign.
    char narrow[8] = {};
    if (std::wcstombs(narrow, L"\u20ac", sizeof(narrow)) != size_t(-1)) {
        ASSERT_EQ(client.Login("someone", narrow, "t"), 0u);
        EXPECT_NE(server.Requests("/accounts/ClientLogin").back().body.find("&Passwd=%E2%82%AC&"),
                  std::string::npos);
    }
}
