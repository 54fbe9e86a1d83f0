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

const char kFeedOpen[] =
    "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gphoto='http://schemas.google.com/photos/2007'>";
const std::string kFeedHead = "<?xml version='1.0' encoding='UTF-8'?>\n" + std::string(kFeedOpen);
const std::string kEmptyFeed = kFeedHead + "</feed>";

std::string OneAlbumFeed(const std::string& title)
{
    return kFeedHead + ("<entry><title>" + title + "</title><gphoto:id>5</gphoto:id></entry></feed>");
}

// A list of one reply.
std::string Reply(int status, const std::string& body, const std::string& type = "application/atom+xml; charset=UTF-8")
{
    return "[{\"status\": " + std::to_string(status) + ", \"headers\": [[\"Content-Type\", " + JsonQuote(type) +
           "]], \"body\": " + JsonQuote(body) + "}]";
}

// The path of a link on the scripted server.
std::string PathOf(const std::wstring& link)
{
    return Narrow(link.substr(link.find(L"/data/")));
}

class ClientSafety : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(server.HttpBase().empty()) << "the scripted test server is not running";
        client.OpenPublicSession(account.c_str(), "tok");
    }

    std::wstring EditLink(const std::string& base, const std::string& suffix) const
    {
        return Widen(base + "/data/entry/api/user/" + account + "/albumid/" + suffix);
    }
    // The one request logged at `path` (an empty one when there was not one).
    RecordedRequest OnlyRequest(const std::string& path)
    {
        auto requests = server.Requests(path);
        EXPECT_EQ(requests.size(), 1u) << path;
        return requests.size() == 1 ? requests[0] : RecordedRequest();
    }

    // An account name of this test alone, so that its paths are its own.
    const std::string account =
        std::string("safety_") + testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string feedPath = "/data/feed/api/user/" + account;
    ScriptedServer server;
    PicasaClient client{Widen(server.HttpBase()), Widen(server.HttpBase())};
};

} // namespace

TEST_F(ClientSafety, RedirectedFeedFailsAndTheOtherServerNeverSeesTheToken)
{
    const std::string elsewhere = feedPath + "_elsewhere";
    ASSERT_TRUE(server.Script(elsewhere, Reply(200, OneAlbumFeed("not yours"))));
    ASSERT_TRUE(server.Script(feedPath, "[{\"status\": 302, \"headers\": [[\"Location\", " +
                                              JsonQuote(server.OtherHttpBase() + elsewhere) + "]]}]"));
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"302");
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_TRUE(server.Requests(elsewhere).empty());
    EXPECT_EQ(OnlyRequest(feedPath).Header("Authorization"), "GoogleLogin auth=tok");
}

TEST_F(ClientSafety, ChangesWhoseEditLinkIsElsewhereAreNotSent)
{
    const std::string bases[] = {
        server.OtherHttpBase(),                                  // another host: 127.0.0.1 is not localhost
        server.HttpsBase(),                                      // another scheme and port
        "http://localhost:" + server.OtherHttpBase().substr(17), // the same host on another port
    };
    int n = 0;
    for (const std::string& base : bases) {
        SCOPED_TRACE(base);
        const std::wstring link = EditLink(base, std::to_string(++n) + "/1");
        ASSERT_TRUE(server.Script(PathOf(link), R"([{"status": 200, "body": "changed"}])"));
        for (DWORD result : {client.SetAlbumAccess(link, 1), client.SetAlbumCommenting(link, 0),
                             client.PatchAlbum(link, "<entry/>", 8), client.DeleteAlbum(link)})
            EXPECT_EQ(result, DWORD(ERROR_WRITE_FAULT));
        EXPECT_EQ(client.GetLastStatus(), L"");
        EXPECT_NE(client.GetLastErrorBody().find(link), std::wstring::npos);
        EXPECT_FALSE(client.IsLastOutcomeUnknown());
        EXPECT_TRUE(server.Requests(PathOf(link)).empty());
    }
    EXPECT_EQ(client.RequestCount(), 0u);

    // The configured server, its host written in capitals: the change goes.
    std::string base = server.HttpBase();
    base.replace(base.find("localhost"), 9, "LOCALHOST");
    const std::wstring link = EditLink(base, "9/1");
    ASSERT_TRUE(server.Script(PathOf(link), R"([{"status": 200, "body": "gone"}])"));
    EXPECT_EQ(client.DeleteAlbum(link), 0u);
    EXPECT_EQ(OnlyRequest(PathOf(link)).Header("Authorization"), "GoogleLogin auth=tok");
}

// A reply later than the receive time-out: the change was made all the same,
// so it is not made twice; the caller hears that the outcome is unknown.
TEST_F(ClientSafety, ChangesWithLateRepliesAreSentOnce)
{
    client.Transport().timeouts.receive = 400;
    ASSERT_TRUE(server.Script(feedPath, R"([{"status": 201, "delay": 1.5, "body": "<entry/>"}])"));
    EXPECT_EQ(client.CreateAlbum(L"Once", L"", L"", L"private", 0), DWORD(ERROR_CREATE_FAILED));
    EXPECT_EQ(client.GetLastStatus(), L"");
    EXPECT_TRUE(client.IsLastOutcomeUnknown());
    EXPECT_EQ(server.Requests(feedPath).size(), 1u);

    const std::wstring link = EditLink(server.HttpBase(), "7/3");
    ASSERT_TRUE(server.Script(PathOf(link), R"([{"status": 200, "delay": 1.5}, {"status": 404}])"));
    EXPECT_EQ(client.DeleteAlbum(link), DWORD(ERROR_WRITE_FAULT));
    EXPECT_TRUE(client.IsLastOutcomeUnknown());
    EXPECT_EQ(OnlyRequest(PathOf(link)).method, "DELETE");

    // A change refused by the service is a known outcome.
    client.Transport().timeouts.receive = 30000;
    EXPECT_EQ(client.DeleteAlbum(link), DWORD(ERROR_WRITE_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"404");
    EXPECT_FALSE(client.IsLastOutcomeUnknown());
}

// A "200" whose body is not a feed is a read fault with the reply kept, for
// the album list and the photo list alike, as is a failed status; an empty
// feed is no failure. A declaration, which could pull in a local file, keeps
// the text from the parser.
TEST_F(ClientSafety, RepliesThatAreNotFeedsAreReadFaults)
{
    const std::string secret = Narrow(TestEnv::ScratchFolder("client_safety") + L"\\secret.txt");
    std::ofstream(secret, std::ios::binary) << "local secret";
    const std::string entity = "<?xml version='1.0'?>\n<!DOCTYPE feed [<!ENTITY s SYSTEM 'file:///" + secret +
                               "'>]>\n" + kFeedOpen +
                               "<entry><title>&s;</title><gphoto:id>1</gphoto:id></entry></feed>";
    const char atom[] = "application/atom+xml";
    const struct { const char* name; int status; std::string body; const char* type; DWORD result; bool parsed; }
        cases[] = {
        {"html page", 200, "<html><head><title>Error</title></head><body>busy<br></body></html>", "text/html", 30,
         true},
        {"well-formed page", 200, "<html><body><p>Sign in again</p></body></html>", "text/html", 30, true},
        {"cut short", 200, OneAlbumFeed("half").substr(0, 150), atom, 30, true},
        {"empty body", 200, "", atom, 30, true},
        {"doctype", 200, "<!DOCTYPE feed><feed/>", atom, 30, false},
        {"external entity", 200, entity, atom, 30, false},
        {"empty feed", 200, kEmptyFeed, atom, 0, true},
        {"failed status", 404, "no album", "text/plain", 30, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint64_t loads = client.XmlLoadCount();
        ASSERT_TRUE(server.Script(feedPath, Reply(c.status, c.body, c.type)));
        EXPECT_EQ(client.LoadAlbums(), c.result);
        EXPECT_EQ(client.GetLastStatus(), std::to_wstring(c.status));
        EXPECT_TRUE(client.GetAlbums().empty());
        if (c.result != 0)
            EXPECT_EQ(client.GetLastErrorBody(), Widen(c.body));

        ASSERT_TRUE(server.Script(feedPath + "/albumid/5", Reply(c.status, c.body, c.type)));
        DWORD photosResult = 99;
        auto photos = client.LoadPhotos(L"5", 1, &photosResult);
        ASSERT_TRUE(photos);
        EXPECT_TRUE(photos->empty());
        EXPECT_EQ(photosResult, c.result);
        if (c.result != 0)
            EXPECT_EQ(client.GetLastErrorBody(), Widen(c.body));
        EXPECT_EQ(client.XmlLoadCount() - loads, c.parsed ? 2u : 0u) << "texts that reached the parser";
    }
}

TEST(FeedDocumentSafety, ParserSettingsReadBackAndDeclarationsAreRefused)
{
    FeedDocument document;
    ASSERT_TRUE(document.Create());
    IXMLDOMDocument* parser = document.Get();
    ASSERT_NE(parser, nullptr);
    VARIANT_BOOL resolve = VARIANT_TRUE, validate = VARIANT_TRUE;
    ASSERT_EQ(parser->get_resolveExternals(&resolve), S_OK);
    ASSERT_EQ(parser->get_validateOnParse(&validate), S_OK);
    EXPECT_EQ(resolve, VARIANT_FALSE);
    EXPECT_EQ(validate, VARIANT_FALSE);
    // MSXML answers for ProhibitDTD; Wine's parser takes the setting but
    // cannot report it, which is why Load refuses declarations itself.
    const IID document2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
    ComRef<IXMLDOMDocument2> second;
    ASSERT_EQ(parser->QueryInterface(document2, reinterpret_cast<void**>(second.Out())), S_OK);
    VARIANT prohibit;
    VariantInit(&prohibit);
    if (SUCCEEDED(second->getProperty(SysString(L"ProhibitDTD").Get(), &prohibit))) {
        EXPECT_EQ(prohibit.vt, VT_BOOL);
        EXPECT_EQ(prohibit.boolVal, VARIANT_TRUE);
    }
    VariantClear(&prohibit);

    const struct { const wchar_t* text; HRESULT result; bool parsed; } cases[] = {
        {L"<!DOCTYPE feed><feed/>", S_FALSE, false},
        {L"\ufeff<?xml version='1.0'?>\r\n<!-- note -->\n<!doctype feed [<!ENTITY a 'aaaa'>]>\n<feed>&a;</feed>",
         S_FALSE, false},
        {L"<?xml version='1.0'?><feed><title><![CDATA[<!DOCTYPE x>]]></title></feed>", S_OK, true},
        {L"<feed><title>&lt;!DOCTYPE</title></feed>", S_OK, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        uint32_t elapsed = 0;
        bool parsed = !c.parsed;
        EXPECT_EQ(document.Load(c.text, elapsed, parsed), c.result);
        EXPECT_EQ(parsed, c.parsed);
        EXPECT_EQ(document.Loaded(), c.result == S_OK);
    }
    EXPECT_EQ(document.RootName(), L"feed");
}

// The name stays one percent-encoded path segment, an e-mail address as
// typed; the feed's charset comes in quotes and its Japanese title is whole.
TEST_F(ClientSafety, AccountNameIsOneEncodedPathSegment)
{
    const struct { const char* suffix; const char* encoded; } cases[] = {
        {"?album=1#top", "%3Falbum%3D1%23top"},
        {"/../../admin", "%2F..%2F..%2Fadmin"},
        {"@example.com", "@example.com"},
    };
    for (const auto& c : cases) {
        const std::string name = account + c.suffix;
        const std::string path = "/data/feed/api/user/" + account + c.encoded;
        SCOPED_TRACE(name);
        ASSERT_TRUE(server.Script(path, Reply(200, OneAlbumFeed("\xe6\x97\xa5\xe6\x9c\xac"),
                                              "application/atom+xml; charset=\"utf-8\"")));
        ASSERT_TRUE(server.Script(path + "/albumid/5", Reply(200, kEmptyFeed)));
        ASSERT_EQ(client.OpenPublicSession(name.c_str(), "tok"), 0u);
        EXPECT_EQ(client.LoadAlbums(), 0u);
        ASSERT_EQ(client.GetAlbums().size(), 1u);
        EXPECT_EQ(client.GetAlbums()[0].title, L"\u65e5\u672c");
        DWORD result = 99;
        client.LoadPhotos(L"5", 1, &result);
        EXPECT_EQ(result, 0u);
        const RecordedRequest request = OnlyRequest(path);
        EXPECT_EQ(request.target, path);
        EXPECT_EQ(request.Header("Authorization"), "GoogleLogin auth=tok");
        EXPECT_EQ(server.Requests(path + "/albumid/5").size(), 1u);
    }
}

// Reply lines may end in CR LF or in LF alone; the password goes into the
// form as UTF-8 whatever the code page, and no copy of the form stays in the
// transport after a sign-in, good or failed.
TEST_F(ClientSafety, SignInSendsThePasswordAsUtf8AndKeepsACleanToken)
{
    const char signIn[] = "/accounts/ClientLogin";
    const std::string ok = R"({"status": 200, "body": "SID=1\r\nLSID=2\r\nAuth=tok-en\r\n"}, )";
    ASSERT_TRUE(server.Script(signIn, R"([{"status": 403, "body": "Url=x\r\nError=BadAuthentication\r\n"}, )" + ok +
                                          ok + ok + R"({"status": 200, "body": "Auth=x\n"}])"));
    const auto lastForm = [&] {
        const auto requests = server.Requests(signIn);
        return requests.empty() ? std::string("<none>") : requests.back().body;
    };
    std::string hundredEuros;
    while (hundredEuros.size() < 900)
        hundredEuros += "%E2%82%AC";
    const struct { std::wstring password; std::string encoded; DWORD result; std::wstring said; } cases[] = {
        {L"wrong", "wrong", ERROR_SERVICE_LOGON_FAILED, L"BadAuthentication"},
        {L"p\u20acss", "p%E2%82%ACss", 0, L"tok-en"},
        {L"\u65e5\u672c&=+", "%E6%97%A5%E6%9C%AC%26%3D%2B", 0, L"tok-en"},
        {std::wstring(100, L'\u20ac'), hundredEuros, 0, L"tok-en"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoded);
        EXPECT_EQ(client.Login(account.c_str(), c.password.c_str(), "t"), c.result);
        EXPECT_EQ(c.result ? client.GetLastServiceError() : client.Access().Token(), c.said);
        EXPECT_EQ(client.Transport().BodyLength(), 0) << "the form outlived the sign-in";
        EXPECT_NE(lastForm().find("&Passwd=" + c.encoded + "&"), std::string::npos) << lastForm();
    }
    ASSERT_TRUE(server.Script(feedPath, Reply(200, kEmptyFeed)));
    ASSERT_EQ(client.LoadAlbums(), 0u);
    EXPECT_EQ(OnlyRequest(feedPath).Header("Authorization"), "GoogleLogin auth=tok-en");

    // The narrow form, where the code page has the euro sign.
    char narrow[8] = {};
    if (std::wcstombs(narrow, L"\u20ac", sizeof(narrow)) != size_t(-1)) {
        ASSERT_EQ(client.Login(account.c_str(), narrow, "t"), 0u);
        EXPECT_EQ(client.Access().Token(), L"x");
        EXPECT_NE(lastForm().find("&Passwd=%E2%82%AC&"), std::string::npos);
    }
}
