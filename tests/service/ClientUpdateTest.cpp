// The album update of the properties dialog against the stand-in: the
// album fields read from the feed, the body of only the changed fields, the
// version sent in If-Match and the service's refusal of an old one.
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"

#include <gtest/gtest.h>

namespace {

class AlbumUpdate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StandIn::Reset();
        ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
        ASSERT_EQ(client.LoadAlbums(), 0u);
        StandIn::ClearRequests();
    }
    void TearDown() override { StandIn::Reset(); }

    static Json AlbumState(const std::string& title)
    {
        const Json account = StandIn::Account("demo"); // kept: the loop reads into it
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                return album;
        return Json();
    }

    AlbumEntry Album(const std::wstring& title)
    {
        for (const AlbumEntry& a : client.GetAlbums())
            if (a.title == title)
                return a;
        ADD_FAILURE() << "no album " << TestEnv::Narrow(title);
        return AlbumEntry();
    }

    std::vector<Json> Patches()
    {
        std::vector<Json> found;
        for (const Json& r : StandIn::Requests())
            if (r["method"].string == "PATCH")
                found.push_back(r);
        return found;
    }

    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
};

const std::string kEntryStart = "<entry xmlns='http://www.w3.org/2005/Atom'\n"
                                "    xmlns:gphoto='http://schemas.google.com/photos/2007'>\n";

} // namespace

TEST_F(AlbumUpdate, TheFeedGivesEachAlbumsFieldsAndVersion)
{
    for (const char* title : {"Hokkaido summer", "Paris & Rome <2009>", "Garden"}) {
        SCOPED_TRACE(title);
        const Json state = AlbumState(title);
        const AlbumEntry album = Album(TestEnv::Widen(title));
        EXPECT_EQ(TestEnv::Narrow(album.summary), state["summary"].string);
        EXPECT_EQ(TestEnv::Narrow(album.location), state["location"].string);
        EXPECT_EQ(TestEnv::Narrow(album.timestamp), std::to_string(state["timestamp"].Int()));
        EXPECT_EQ(TestEnv::Narrow(album.etag), "\"" + std::to_string(state["version"].Int()) + "\"");
        EXPECT_EQ(PicasaClient::AlbumVersion(album), album.etag);
    }
}

TEST(AlbumUpdateText, TheVersionFallsBackToTheEditLink)
{
    const struct {
        std::wstring etag, editLink, version;
    } cases[] = {
        {L"\"7\"", L"http://h/data/entry/api/user/u/albumid/5/3", L"\"7\""},
        {L"", L"http://h/data/entry/api/user/u/albumid/5/3", L"\"3\""},
        {L"", L"http://h/data/entry/api/user/u/albumid/5/12?x=1", L"\"12\""},
        {L"", L"http://h/data/entry/api/user/u/albumid/5", L""},
        {L"", L"http://h/data/entry/api/user/u/albumid/5/", L""},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        AlbumEntry album;
        album.etag = c.etag;
        album.editLink = c.editLink;
        EXPECT_EQ(PicasaClient::AlbumVersion(album), c.version) << TestEnv::Narrow(c.editLink);
    }
}

TEST(AlbumUpdateText, TheBodyHoldsOnlyTheChangedFieldsEscaped)
{
    AlbumChanges dateOnly;
    dateOnly.timestampSeconds = 1332572400;
    AlbumChanges texts;
    texts.title = L"Tom & Jerry <live>";
    texts.summary = L"a\"b'c";
    texts.location = L"R&D";
    AlbumChanges flags;
    flags.access = L"protected";
    flags.commentingEnabled = false;
    const struct {
        AlbumChanges changes;
        std::wstring lines;
    } cases[] = {
        {dateOnly, L"  <gphoto:timestamp>1332572400000</gphoto:timestamp>\n"},
        {texts, L"  <title type='text'>Tom &amp; Jerry &lt;live&gt;</title>\n"
                L"  <summary type='text'>a\"b'c</summary>\n"
                L"  <gphoto:location>R&amp;D</gphoto:location>\n"},
        {flags, L"  <gphoto:access>protected</gphoto:access>\n"
                L"  <gphoto:commentingEnabled>false</gphoto:commentingEnabled>\n"},
    };
    const std::wstring start = TestEnv::Widen(kEntryStart);
    for (const auto& c : cases)
        EXPECT_EQ(PicasaClient::AlbumChangesXml(c.changes), start + c.lines + L"</entry>\n");
    EXPECT_TRUE(AlbumChanges().Empty());
    EXPECT_FALSE(dateOnly.Empty());
}

TEST_F(AlbumUpdate, ARenameArrivesIntactWithTheVersionInIfMatch)
{
    const AlbumEntry album = Album(L"Garden");
    AlbumChanges changes;
    changes.title = L"Tom & Jerry <\u5bcc\u58eb\u5c71>"; // 富士山
    changes.summary = L"a < b & c";
    ASSERT_EQ(client.UpdateAlbum(album.editLink, PicasaClient::AlbumVersion(album), changes), 0u);

    const std::vector<Json> patches = Patches();
    ASSERT_EQ(patches.size(), 1u);
    const Json& r = patches[0];
    EXPECT_EQ(StandIn::HeaderValue(r, "If-Match"), TestEnv::Narrow(album.etag));
    EXPECT_EQ(StandIn::HeaderValue(r, "Content-Type"), "application/xml");
    const std::string body = kEntryStart + "  <title type='text'>Tom &amp; Jerry &lt;\xe5\xaf\x8c\xe5\xa3\xab\xe5\xb1\xb1&gt;</title>\n"
                             "  <summary type='text'>a &lt; b &amp; c</summary>\n</entry>\n";
    EXPECT_EQ(r["body"].string, body);
    EXPECT_EQ(StandIn::HeaderValue(r, "Content-Length"), std::to_string(body.size()));

    const Json state = AlbumState("Tom & Jerry <\xe5\xaf\x8c\xe5\xa3\xab\xe5\xb1\xb1>");
    EXPECT_EQ(state["summary"].string, "a < b & c");
    EXPECT_EQ(state["location"].string, "") << "what was not sent stays";
}

TEST_F(AlbumUpdate, NothingChangedSendsNothing)
{
    const AlbumEntry album = Album(L"Garden");
    EXPECT_EQ(client.UpdateAlbum(album.editLink, album.etag, AlbumChanges()), 0u);
    EXPECT_TRUE(StandIn::Requests().empty());
}

TEST_F(AlbumUpdate, AnOldVersionIsRefusedAndChangesNothing)
{
    const AlbumEntry album = Album(L"Family");
    // Someone else changes the album first.
    PicasaClient other(StandIn::BaseW(), StandIn::BaseW());
    ASSERT_EQ(other.Login("demo@example.com", "demo", "t"), 0u);
    ASSERT_EQ(other.SetAlbumCommenting(album.editLink, 0), 0u);

    AlbumChanges changes;
    changes.location = L"Elsewhere";
    EXPECT_EQ(client.UpdateAlbum(album.editLink, PicasaClient::AlbumVersion(album), changes),
              DWORD(ERROR_REVISION_MISMATCH));
    EXPECT_EQ(client.GetLastStatus(), L"412");
    EXPECT_FALSE(client.GetLastErrorBody().empty());
    EXPECT_EQ(AlbumState("Family")["location"].string, "Home");

    // With the version of a fresh list it goes through.
    ASSERT_EQ(client.LoadAlbums(), 0u);
    const AlbumEntry fresh = Album(L"Family");
    EXPECT_NE(fresh.etag, album.etag);
    EXPECT_EQ(client.UpdateAlbum(fresh.editLink, PicasaClient::AlbumVersion(fresh), changes), 0u);
    EXPECT_EQ(AlbumState("Family")["location"].string, "Elsewhere");
}

TEST_F(AlbumUpdate, AnEditLinkOnAnotherServerIsNeverAsked)
{
    AlbumEntry album = Album(L"Garden");
    album.editLink.replace(0, album.editLink.find(L"/data/"), L"http://127.0.0.2:9");
    AlbumChanges changes;
    changes.title = L"Moved";
    EXPECT_EQ(client.UpdateAlbum(album.editLink, album.etag, changes), DWORD(ERROR_WRITE_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"");
    EXPECT_TRUE(StandIn::Requests().empty());
}
