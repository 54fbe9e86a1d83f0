// Album creation, access and commenting changes and deletion against the
// stand-in, checked through its request log and its store.
#include "service/AccessLevel.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"

#include <gtest/gtest.h>

namespace {

class Changes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StandIn::Reset();
        ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
        ASSERT_EQ(client.LoadAlbums(), 0u);
        StandIn::ClearRequests();
    }

    Json AlbumState(const std::string& title)
    {
        const Json account = StandIn::Account("demo");
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                return album;
        return Json();
    }

    const AlbumEntry& Album(const std::wstring& title)
    {
        for (const AlbumEntry& a : client.GetAlbums())
            if (a.title == title)
                return a;
        static AlbumEntry none;
        ADD_FAILURE() << "no album " << TestEnv::Narrow(title);
        return none;
    }

    Json OnlyRequest()
    {
        auto requests = StandIn::Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? Json() : requests[0];
    }

    // Names of the header lines that the client sets, in the order sent.
    static std::vector<std::string> OwnHeaders(const Json& request)
    {
        std::vector<std::string> names;
        for (const auto& line : StandIn::HeaderList(request))
            for (const char* own : {"Content-Length", "Authorization", "Content-Type", "If-Match", "Connection"})
                if (_stricmp(line.first.c_str(), own) == 0)
                    names.push_back(own);
        return names;
    }

    std::string AuthValue() const { return "GoogleLogin auth=" + TestEnv::Narrow(client.Access().Token()); }

    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
};

std::string PatchBody(const std::string& element, const std::string& value)
{
    return "<entry xmlns='http://www.w3.org/2005/Atom'\n"
           "    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
           "  <gphoto:" + element + ">" + value + "</gphoto:" + element + ">\n</entry>\n";
}

} // namespace

TEST_F(Changes, CreateAlbumPostsTheUtf8EntryToTheConfiguredServer)
{
    const std::wstring title = L"\u5bcc\u58eb\u5c71\u306e\u671d"; // 富士山の朝
    ASSERT_EQ(client.CreateAlbum(title, L"Summit", L"Shizuoka", L"public", 1262304000), 0u);
    EXPECT_EQ(client.GetLastStatus(), L"201");

    const Json r = OnlyRequest();
    EXPECT_EQ(r["method"].string, "POST");
    EXPECT_EQ(r["scheme"].string, "http");
    EXPECT_EQ(r["path"].string, "/data/feed/api/user/demo@example.com");
    const std::string expected = TestEnv::Narrow(
        L"<entry xmlns='http://www.w3.org/2005/Atom'\n"
        L"\txmlns:media='http://search.yahoo.com/mrss/'\n"
        L"\txmlns:gphoto='http://schemas.google.com/photos/2007'>\n"
        L"  <title type='text'>" + title + L"</title>\n"
        L"  <summary type='text'>Summit</summary>\n"
        L"  <gphoto:location>Shizuoka</gphoto:location>\n"
        L"  <gphoto:access>public</gphoto:access>\n"
        L"  <gphoto:timestamp>1262304000000</gphoto:timestamp>\n"
        L"  <category scheme='http://schemas.google.com/g/2005#kind'\n"
        L"\tterm='http://schemas.google.com/photos/2007#album'></category>\n"
        L"</entry>\n");
    EXPECT_EQ(r["body"].string, expected);
    // Fifteen UTF-8 bytes for the five characters of the title.
    EXPECT_EQ(StandIn::HeaderValue(r, "Content-Length"), std::to_string(expected.size()));
    EXPECT_EQ(expected.size(), TestEnv::Narrow(PicasaClient::AlbumEntryXml(title, L"Summit", L"Shizuoka", L"public",
                                                                          1262304000))
                                   .size());
    EXPECT_EQ(StandIn::HeaderValue(r, "Authorization"), AuthValue());
    EXPECT_EQ(StandIn::HeaderValue(r, "Content-Type"), "application/atom+xml; charset=UTF-8");
    EXPECT_EQ(OwnHeaders(r),
              (std::vector<std::string>{"Content-Length", "Authorization", "Content-Type", "Connection"}));

    const Json created = AlbumState(TestEnv::Narrow(title));
    EXPECT_EQ(created["access"].string, "public");
    EXPECT_EQ(created["location"].string, "Shizuoka");
    EXPECT_EQ(created["timestamp"].Int(), 1262304000000LL);
}

TEST_F(Changes, CreateAlbumOverHttpsWhenTheServerIsHttps)
{
    PicasaClient secure(TestEnv::ServerW("photo_https"), TestEnv::ServerW("photo_https"));
    secure.SetAcceptUntrustedCertificates(true);
    ASSERT_EQ(secure.Login("demo", "demo", "t"), 0u);
    StandIn::ClearRequests();
    ASSERT_EQ(secure.CreateAlbum(L"Secure", L"", L"", L"private", 0), 0u);
    const Json r = OnlyRequest();
    EXPECT_EQ(r["scheme"].string, "https");
    EXPECT_EQ(r["path"].string, "/data/feed/api/user/demo");
    EXPECT_EQ(AlbumState("Secure")["access"].string, "private");
}

TEST_F(Changes, TitlesWithAmpersandAndLessThanSurviveTheRoundTrip)
{
    ASSERT_EQ(client.CreateAlbum(L"Tom & Jerry <live>", L"a<b & c", L"R&D", L"protected", -86400), 0u);
    const Json r = OnlyRequest();
    EXPECT_NE(r["body"].string.find("<title type='text'>Tom &amp; Jerry &lt;live&gt;</title>"), std::string::npos);
    EXPECT_NE(r["body"].string.find("<gphoto:timestamp>-86400000</gphoto:timestamp>"), std::string::npos);
    const Json created = AlbumState("Tom & Jerry <live>");
    EXPECT_EQ(created["summary"].string, "a<b & c");
    EXPECT_EQ(created["location"].string, "R&D");
    EXPECT_EQ(created["timestamp"].Int(), -86400000LL);
    ASSERT_EQ(client.LoadAlbums(), 0u);
    EXPECT_EQ(Album(L"Tom & Jerry <live>").access, L"protected");
}

// A vertical tab (a pasted line break) made the service refuse the whole
// entry as malformed XML; tab, CR and LF are text like any other.
TEST_F(Changes, ACharacterXmlCannotHoldIsLeftOutOfACreationAndAChange)
{
    ASSERT_EQ(client.CreateAlbum(L"Line\vbreak", L"\ta\r\nb\x01\xFFFF\xD83D\xDE00\xDE00", L"", L"public", 0), 0u);
    EXPECT_EQ(AlbumState("Linebreak")["summary"].string, "\ta\nb\xF0\x9F\x98\x80"); // CR LF read as LF
    AlbumChanges changes;
    changes.location = L"Ky\x1Boto\xD83D";
    ASSERT_EQ(client.UpdateAlbum(Album(L"Garden").editLink, L"", changes), 0u) << client.GetLastErrorBody();
    EXPECT_EQ(AlbumState("Garden")["location"].string, "Kyoto");
}

TEST_F(Changes, CreateAlbumFailureKeepsTheReply)
{
    PicasaClient anonymous(StandIn::BaseW(), StandIn::BaseW());
    anonymous.OpenPublicSession("demo", "");
    EXPECT_EQ(anonymous.CreateAlbum(L"x", L"", L"", L"public", 0), DWORD(ERROR_CREATE_FAILED));
    EXPECT_EQ(anonymous.GetLastStatus(), L"401");
    EXPECT_FALSE(anonymous.GetLastErrorBody().empty());
    const Json r = OnlyRequest();
    EXPECT_FALSE(StandIn::HasHeader(r, "Authorization"));

    StandIn::Fault("{\"path\": \"/data/feed/api/user/demo\", \"method\": \"POST\", \"status\": 403, "
                   "\"body\": \"Error=ServiceDisabled\\n\"}");
    EXPECT_EQ(client.CreateAlbum(L"y", L"", L"", L"public", 0), DWORD(ERROR_CREATE_FAILED));
    EXPECT_EQ(client.GetLastServiceError(), L"ServiceDisabled");
    EXPECT_EQ(client.GetLastErrorBody(), L"Error=ServiceDisabled\n");
}

TEST_F(Changes, AccessChangesPatchOneElement)
{
    const AlbumEntry album = Album(L"Family");
    ASSERT_FALSE(album.editLink.empty());
    for (unsigned index : {0u, 2u, 1u}) {
        StandIn::ClearRequests();
        ASSERT_EQ(client.SetAlbumAccess(album.editLink, index), 0u) << index;
        const Json r = OnlyRequest();
        EXPECT_EQ(r["method"].string, "PATCH");
        EXPECT_EQ(StandIn::Base() + r["path"].string, TestEnv::Narrow(album.editLink));
        const std::string body = PatchBody("access", AccessWireNameA(index));
        EXPECT_EQ(r["body"].string, body);
        EXPECT_EQ(StandIn::HeaderValue(r, "Content-Length"), std::to_string(body.size()));
        EXPECT_EQ(StandIn::HeaderValue(r, "Content-Type"), "application/xml");
        EXPECT_EQ(StandIn::HeaderValue(r, "If-Match"), "*");
        EXPECT_EQ(StandIn::HeaderValue(r, "Authorization"), AuthValue());
        EXPECT_EQ(OwnHeaders(r), (std::vector<std::string>{"Content-Length", "Authorization", "Content-Type",
                                                            "If-Match", "Connection"}));
        EXPECT_EQ(AlbumState("Family")["access"].string, TestEnv::Narrow(AccessWireName(index)));
    }
}

TEST_F(Changes, AccessIndexThreeOrBeyondSendsAnEmptyElement)
{
    const AlbumEntry album = Album(L"Family");
    // A failed creation leaves a service error that the PATCH failures keep.
    StandIn::Fault("{\"path\": \"/data/feed/api/user/\", \"method\": \"POST\", \"status\": 403, "
                   "\"body\": \"Error=Unknown\\n\"}");
    ASSERT_EQ(client.CreateAlbum(L"z", L"", L"", L"public", 0), DWORD(ERROR_CREATE_FAILED));
    for (unsigned index : {3u, 7u}) {
        StandIn::ClearRequests();
        EXPECT_EQ(client.SetAlbumAccess(album.editLink, index), DWORD(ERROR_WRITE_FAULT));
        const Json r = OnlyRequest();
        EXPECT_EQ(r["body"].string, PatchBody("access", ""));
        EXPECT_EQ(client.GetLastStatus(), L"400");
        EXPECT_FALSE(client.GetLastErrorBody().empty());
        EXPECT_EQ(client.GetLastServiceError(), L"Unknown");
    }
    EXPECT_EQ(AlbumState("Family")["access"].string, "private");
}

TEST_F(Changes, CommentingFlagTwoMeansTrue)
{
    const AlbumEntry album = Album(L"Garden");
    ASSERT_EQ(client.SetAlbumCommenting(album.editLink, 2), 0u);
    EXPECT_EQ(OnlyRequest()["body"].string, PatchBody("commentingEnabled", "true"));
    EXPECT_TRUE(AlbumState("Garden")["commenting"].boolean);
    StandIn::ClearRequests();
    ASSERT_EQ(client.SetAlbumCommenting(album.editLink, 0), 0u);
    EXPECT_EQ(OnlyRequest()["body"].string, PatchBody("commentingEnabled", "false"));
    EXPECT_FALSE(AlbumState("Garden")["commenting"].boolean);
    EXPECT_EQ(client.GetAlbums().size(), 12u);
}

TEST_F(Changes, PatchAlbumSendsTheGivenBytes)
{
    const AlbumEntry album = Album(L"Garden");
    const std::string body = "<entry xmlns='http://www.w3.org/2005/Atom' "
                             "xmlns:gphoto='http://schemas.google.com/photos/2007'>"
                             "<gphoto:location>Kew</gphoto:location></entry>";
    ASSERT_EQ(client.PatchAlbum(album.editLink, body.data(), uint32_t(body.size())), 0u);
    const Json r = OnlyRequest();
    EXPECT_EQ(r["body"].string, body);
    EXPECT_EQ(StandIn::HeaderValue(r, "Content-Length"), std::to_string(body.size()));
    EXPECT_EQ(AlbumState("Garden")["location"].string, "Kew");

    EXPECT_EQ(client.PatchAlbum(album.editLink, "<x/>", 4), DWORD(ERROR_WRITE_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"400");
}

TEST_F(Changes, DeleteSendsNoBodyHeadersAndFailsTheSecondTime)
{
    const AlbumEntry album = Album(L"Office party");
    ASSERT_EQ(client.DeleteAlbum(album.editLink), 0u);
    const Json r = OnlyRequest();
    EXPECT_EQ(r["method"].string, "DELETE");
    EXPECT_EQ(StandIn::Base() + r["path"].string, TestEnv::Narrow(album.editLink));
    EXPECT_FALSE(StandIn::HasHeader(r, "Content-Length"));
    EXPECT_FALSE(StandIn::HasHeader(r, "Content-Type"));
    EXPECT_EQ(StandIn::HeaderValue(r, "If-Match"), "*");
    EXPECT_EQ(OwnHeaders(r), (std::vector<std::string>{"Authorization", "If-Match", "Connection"}));
    EXPECT_EQ(r["body"].string, "");
    EXPECT_EQ(AlbumState("Office party").kind, Json::Kind::Null);
    // The client's list changes only with the next load.
    EXPECT_EQ(client.GetAlbums().size(), 12u);

    EXPECT_EQ(client.DeleteAlbum(album.editLink), DWORD(ERROR_WRITE_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"404");
    EXPECT_FALSE(client.GetLastErrorBody().empty());
}
