// The lookup rules of feed reading, on canned feeds that the stand-in never
// writes (other prefixes, odd attribute orders, HTML pages).
#include "service/FeedDocument.h"
#include "service/PicasaClient.h"

#include "tests/support/Json.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

const char kHead[] = "<?xml version='1.0' encoding='UTF-8'?>\n"
                     "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gphoto='http://schemas.google.com/photos/2007' "
                     "xmlns:g='http://schemas.google.com/photos/2007' xmlns:media='http://search.yahoo.com/mrss/'>\n";

class CannedFeed : public ::testing::Test
{
protected:
    // A user name of this test alone, so that its feed path is its own.
    std::string Account() const
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("canned_") + info->name();
        return name;
    }

    std::string FeedPath() const { return "/data/feed/api/user/" + Account(); }

    void Serve(const std::string& path, const std::string& body, const std::string& type = "application/atom+xml; charset=UTF-8",
               int status = 200)
    {
        ASSERT_TRUE(server.Script(path, "[{\"status\": " + std::to_string(status) +
                                            ", \"headers\": [[\"Content-Type\", " + JsonQuote(type) +
                                            "]], \"body\": " + JsonQuote(body) + "}]"));
    }

    DWORD LoadAlbums(const std::string& feedBody)
    {
        Serve(FeedPath(), feedBody);
        client.OpenPublicSession(Account().c_str(), "");
        return client.LoadAlbums();
    }

    ScriptedServer server;
    PicasaClient client{TestEnv::Widen(server.HttpBase()), TestEnv::Widen(server.HttpBase())};
};

} // namespace

TEST_F(CannedFeed, AnotherPrefixForTheGphotoNamespaceIsNotFound)
{
    ASSERT_EQ(LoadAlbums(std::string(kHead) +
                         "<entry><title>Other prefix</title><g:id>77</g:id><g:numphotos>5</g:numphotos></entry>\n"
                         "<entry><title>Usual prefix</title><gphoto:id>78</gphoto:id></entry></feed>"),
              0u);
    auto& albums = client.GetAlbums();
    ASSERT_EQ(albums.size(), 2u);
    EXPECT_EQ(albums[0].title, L"Other prefix");
    EXPECT_EQ(albums[0].id, L"");
    EXPECT_EQ(albums[0].numPhotos, 0);
    EXPECT_EQ(albums[1].id, L"78");
}

TEST_F(CannedFeed, LinksFirstOfARelWinsInAnyOrderOfAttributes)
{
    ASSERT_EQ(LoadAlbums(std::string(kHead) +
                         "<entry><title>a</title>"
                         "<link rel='alternate' type='text/html' href='http://x/first'/>"
                         "<link href='http://x/edit' type='application/atom+xml' rel='edit'/>"
                         "<link rel='alternate' href='http://x/second'/>"
                         "</entry>"
                         "<entry><title>b</title><link href='http://x/self' rel='self'/>"
                         "<link rel='EDIT' href='http://x/upper'/><link ref='edit' href='http://x/no'/></entry></feed>"),
              0u);
    auto& albums = client.GetAlbums();
    ASSERT_EQ(albums.size(), 2u);
    EXPECT_EQ(albums[0].alternateLink, L"http://x/first");
    EXPECT_EQ(albums[0].editLink, L"http://x/edit");
    EXPECT_EQ(albums[1].editLink, L"");
    EXPECT_EQ(albums[1].alternateLink, L"");
}

TEST_F(CannedFeed, MissingElementsGiveEmptyTextAndZeroAndNamesAreCaseSensitive)
{
    ASSERT_EQ(LoadAlbums(std::string(kHead) +
                         "<entry><Title>upper</Title><gphoto:ID>1</gphoto:ID><gphoto:numphotos>12abc</gphoto:numphotos>"
                         "<published>2012-03-24T15:04:05Z</published></entry></feed>"),
              0u);
    auto& albums = client.GetAlbums();
    ASSERT_EQ(albums.size(), 1u);
    EXPECT_EQ(albums[0].title, L"");
    EXPECT_EQ(albums[0].id, L"");
    EXPECT_EQ(albums[0].numPhotos, 12);
    EXPECT_EQ(albums[0].bytesUsed, 0);
    EXPECT_EQ(albums[0].commentingEnabled, L"");
    EXPECT_EQ(albums[0].published, L"2012-03-24T15:04:05Z");
    EXPECT_EQ(albums[0].updated, L"");
    EXPECT_EQ(client.GetQuotaLimit(), 0);
    EXPECT_EQ(client.GetQuotaCurrent(), 0);
    EXPECT_EQ(client.XmlLoadCount(), 1u);
}

TEST_F(CannedFeed, EntryFieldsAreDirectChildrenAndDocumentLookupsTakeTheFirstAnywhere)
{
    ASSERT_EQ(LoadAlbums(std::string(kHead) +
                         "<entry><author><gphoto:id>nested</gphoto:id></author><gphoto:id>direct</gphoto:id>"
                         "<title>a<b xmlns=''>b</b>c</title>"
                         "<gphoto:quotalimit>111</gphoto:quotalimit><gphoto:bytesUsed>5000000000</gphoto:bytesUsed>"
                         "</entry>"
                         "<gphoto:quotalimit>222</gphoto:quotalimit>"
                         "<gphoto:quotacurrent>99999999999999999999</gphoto:quotacurrent></feed>"),
              0u);
    auto& albums = client.GetAlbums();
    ASSERT_EQ(albums.size(), 1u);
    EXPECT_EQ(albums[0].id, L"direct");
    EXPECT_EQ(albums[0].title, L"abc");
    EXPECT_EQ(albums[0].bytesUsed, 5000000000LL);
    EXPECT_EQ(client.GetQuotaLimit(), 111);
    EXPECT_EQ(client.GetQuotaCurrent(), INT64_MAX);
}

TEST_F(CannedFeed, HtmlErrorPageIsOneXmlLoadWithoutEntries)
{
    const uint64_t requestsBefore = client.RequestCount();
    const char page[] = "<html><head><title>Error</title></head><body><p>Something broke<br></body></html>";
    ASSERT_EQ(LoadAlbums(page), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastErrorBody(), TestEnv::Widen(page));
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_EQ(client.GetLastStatus(), L"200");
    EXPECT_EQ(client.RequestCount(), requestsBefore + 1);
    EXPECT_EQ(client.XmlLoadCount(), 1u);
    EXPECT_EQ(client.GetQuotaLimit(), 0);
}

TEST_F(CannedFeed, ServedFeedIsAskedForWithoutAuthorizationInPublicMode)
{
    ASSERT_EQ(LoadAlbums(std::string(kHead) + "</feed>"), 0u);
    auto requests = server.Requests(FeedPath());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_FALSE(requests[0].HasHeader("Authorization"));
    EXPECT_EQ(requests[0].Header("Connection"), "Keep-Alive");
}

TEST_F(CannedFeed, VideoRenditionsTakeTheFirstLargestAndIgnoreCapitalVideo)
{
    const std::string album = "/data/feed/api/user/" + Account() + "/albumid/9";
    Serve(album, std::string(kHead) +
                     "<entry><title>clip</title><gphoto:id>1</gphoto:id>"
                     "<content type='image/jpeg' src='http://x/img/9/1/clip.jpg'/>"
                     "<gphoto:originalvideo fps='29.97' type='MOV' duration='12' width='1920' height='1080'/>"
                     "<media:group>"
                     "<media:content url='http://x/v/320' width='320' height='240' type='video/a' medium='video'/>"
                     "<media:content url='http://x/v/480a' height='360' width='480' type='video/b' medium='video'/>"
                     "<media:content url='http://x/v/480b' width='480' height='360' type='video/c' medium='video'/>"
                     "<media:content url='http://x/v/big' width='1280' height='720' type='video/d' medium='Video'/>"
                     "<media:content url='http://x/v/img' width='2000' height='2000' type='image/jpeg' medium='image'/>"
                     "</media:group></entry>"
                     "<entry><title>still</title><gphoto:id>2</gphoto:id>"
                     "<content src='noslash' type='image/jpeg'/>"
                     "<media:group><media:content url='http://x/v/z' medium='video'/></media:group></entry>"
                     "</feed>");
    client.OpenPublicSession(Account().c_str(), "");
    auto photos = client.LoadPhotos(L"9", 1);
    ASSERT_TRUE(photos);
    ASSERT_EQ(photos->size(), 2u);
    const PhotoEntry& clip = (*photos)[0];
    EXPECT_EQ(clip.sequence, 1);
    EXPECT_EQ(clip.mediaUrl, L"http://x/v/480a");
    EXPECT_EQ(clip.mediaType, L"video/b");
    EXPECT_EQ(clip.mediaWidth, 480);
    EXPECT_EQ(clip.mediaHeight, 360);
    EXPECT_EQ(clip.uploadedVideoType, L"MOV");
    EXPECT_EQ(clip.uploadedVideoWidth, 1920);
    EXPECT_EQ(clip.uploadedVideoHeight, 1080);
    EXPECT_EQ(clip.uploadedVideoDuration, 12);
    EXPECT_DOUBLE_EQ(clip.uploadedVideoFps, 29.97);
    const PhotoEntry& still = (*photos)[1];
    EXPECT_EQ(still.sequence, 2);
    // A rendition without a size is never larger than nothing.
    EXPECT_EQ(still.mediaUrl, L"noslash");
    EXPECT_EQ(still.mediaType, L"");
    EXPECT_EQ(still.viewCount, 0);
    EXPECT_EQ(still.timestamp, L"1970/01/01 00:00:00");
}

TEST_F(CannedFeed, DetailsThatDoNotParseKeepTheListSizes)
{
    const std::string album = "/data/feed/api/user/" + Account() + "/albumid/9";
    Serve(album, std::string(kHead) +
                     "<entry><title>p</title><gphoto:id>5</gphoto:id><gphoto:width>800</gphoto:width>"
                     "<gphoto:height>600</gphoto:height><gphoto:size>12345</gphoto:size>"
                     "<gphoto:timestamp>1000</gphoto:timestamp></entry></feed>");
    Serve(album + "/photoid/5", "<html><body>busy<br></body></html>", "text/html", 200);
    client.OpenPublicSession(Account().c_str(), "");
    auto photos = client.LoadPhotos(L"9", 0);
    ASSERT_EQ(photos->size(), 1u);
    const PhotoEntry& p = (*photos)[0];
    EXPECT_EQ(p.width, 800);
    EXPECT_EQ(p.height, 600);
    EXPECT_EQ(p.size, 12345);
    EXPECT_EQ(p.viewCount, -1);
    EXPECT_EQ(p.commentCount, -1);
    EXPECT_EQ(p.timestamp, L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557");
    EXPECT_EQ(client.RequestCount(), 2u);
    EXPECT_EQ(client.XmlLoadCount(), 2u);
    auto details = server.Requests(album + "/photoid/5");
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0].target, album + "/photoid/5?kind=tag");
}

TEST(FeedDocumentDirect, AttributeOfTheFirstElementAndNotFoundResults)
{
    FeedDocument document;
    ASSERT_TRUE(document.Create());
    uint32_t elapsed = 0;
    bool parsed = false;
    std::wstring text;
    EXPECT_EQ(document.DocumentText(L"a", text), DWORD(ERROR_NOT_FOUND));
    ASSERT_EQ(document.Load(L"<r xmlns:gphoto='urn:x'><gphoto:starred total='3' x='1'/>"
                            L"<gphoto:starred total='9'/><e><k>v</k></e></r>",
                            elapsed, parsed),
              S_OK);
    EXPECT_TRUE(parsed);
    EXPECT_EQ(document.DocumentAttribute(L"gphoto:starred", L"total", text), 0u);
    EXPECT_EQ(text, L"3");
    EXPECT_EQ(document.DocumentAttribute(L"gphoto:starred", L"none", text), 0u);
    EXPECT_EQ(text, L"");
    EXPECT_EQ(document.DocumentAttribute(L"starred", L"total", text), 0u);
    EXPECT_EQ(text, L"");
    EXPECT_EQ(document.DocumentText(L"k", text), 0u);
    EXPECT_EQ(text, L"v");
    EXPECT_EQ(document.DocumentText(L"K", text), 0u);
    EXPECT_EQ(text, L"");
    int entries = 0;
    EXPECT_EQ(document.ForEachEntry([&](const FeedNodes& children) {
        ++entries;
        std::wstring value;
        EXPECT_EQ(children.ChildText(L"missing", value), DWORD(ERROR_NOT_FOUND));
    }), 0u);
    EXPECT_EQ(entries, 0);

    EXPECT_EQ(document.Load(L"<r><unclosed></r>", elapsed, parsed), S_FALSE);
    EXPECT_TRUE(parsed);
    EXPECT_FALSE(document.Loaded());
}

// Entries are every "entry" element in document order, wherever it stands:
// the usual feed has them under its root only, and text that looks like one
// in a comment or a CDATA section is no entry.
TEST(FeedDocumentDirect, EntriesInDocumentOrderWhereverTheyStand)
{
    const struct
    {
        const wchar_t* body;
        std::vector<std::wstring> titles;
    } cases[] = {
        {L"<feed><entry><title>a</title></entry><x/><entry ><title>b</title></entry></feed>", {L"a", L"b"}},
        {L"<feed><entry><title>a</title><author><entry><title>n</title></entry></author></entry>"
         L"<entry><title>b</title></entry></feed>",
         {L"a", L"n", L"b"}},
        {L"<feed><group><entry><title>g</title></entry></group><entry><title>a</title></entry></feed>",
         {L"g", L"a"}},
        {L"<feed><!-- <entry> --><entry><title>a</title><summary><![CDATA[<entry/>]]></summary></entry>"
         L"<?entry x?></feed>",
         {L"a"}},
        {L"<entry><title>r</title><entry><title>c</title></entry></entry>", {L"r", L"c"}},
        {L"<feed><entryx><title>no</title></entryx><Entry><title>no</title></Entry></feed>", {}},
    };
    // Each case from a text and from one system string that every case
    // resizes in turn, longer and shorter, as the client keeps its own.
    SysString kept;
    for (int way = 0; way < 2; ++way) {
        for (const auto& c : cases) {
            SCOPED_TRACE(TestEnv::Narrow(c.body));
            FeedDocument document;
            ASSERT_TRUE(document.Create());
            uint32_t elapsed = 0;
            bool parsed = false;
            ASSERT_TRUE(way == 0 || kept.Assign(c.body));
            const HRESULT hr = way == 0 ? document.Load(c.body, elapsed, parsed) : document.Load(kept, elapsed, parsed);
            ASSERT_EQ(hr, S_OK);
            std::vector<std::wstring> titles;
            EXPECT_EQ(document.ForEachEntry([&](const FeedNodes& children) {
                std::wstring title;
                children.ChildText(L"title", title);
                titles.push_back(title);
            }), 0u);
            EXPECT_EQ(titles, c.titles);
        }
    }
}

// Nodes of several names in one pass: document order, the first of the names
// a node equals, case-sensitive, a stop on request; grandchildren compared
// through the same names.
TEST(FeedDocumentDirect, NodesOfSeveralNamesInOrderAndTheirChildren)
{
    FeedDocument document;
    ASSERT_TRUE(document.Create());
    uint32_t elapsed = 0;
    bool parsed = false;
    ASSERT_EQ(document.Load(L"<feed xmlns:m='urn:m'><entry><m:g><c>1</c><C>no</C><c>2</c></m:g><x/>"
                            L"<a>first</a><M:G xmlns:M='urn:m'/><m:g><c>3</c></m:g><a>last</a></entry></feed>",
                            elapsed, parsed),
              S_OK);
    std::vector<std::wstring> seen;
    document.ForEachEntry([&](const FeedNodes& children) {
        children.ForEachNamed({L"a", L"m:g", L"a"}, [&](size_t which, IXMLDOMNode* node) {
            if (which == 0) {
                seen.push_back(L"a=" + FeedNodes::NodeText(node));
                return true;
            }
            std::wstring texts;
            children.ChildrenOf(node).ForEachNamed({L"c"}, [&](size_t, IXMLDOMNode* c) {
                texts += FeedNodes::NodeText(c);
                return true;
            });
            seen.push_back(std::to_wstring(which) + L":" + texts);
            return true;
        });
        int visits = 0;
        children.ForEachNamed({L"a", L"m:g"}, [&](size_t, IXMLDOMNode*) { return ++visits < 2; });
        EXPECT_EQ(visits, 2);
    });
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"1:12", L"a=first", L"1:3", L"a=last"}));
}
