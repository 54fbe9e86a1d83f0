// The lookup rules of feed reading on documents, and what the client does
// with canned replies that the stand-in never writes (HTML pages, details
// that do not parse). The fields of entries are read from texts in
// FeedEntriesTest.cpp.
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

    // A reply of exactly these bytes.
    void ServeBytes(const std::string& path, const std::string& bytes, const std::string& type)
    {
        static const char digits[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char byte : bytes) {
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        ASSERT_TRUE(server.Script(path, "[{\"status\": 200, \"headers\": [[\"Content-Type\", " + JsonQuote(type) +
                                            "]], \"body_hex\": \"" + hex + "\"}]"));
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

// A reply marked UTF-8 reads as the text it decodes to, loaded as text,
// whether the parser reads its bytes or that text: whatever its declaration
// names (the parser refuses some declarations in a text), with a byte order
// mark, and with bytes that are no UTF-8 in it.
TEST_F(CannedFeed, RepliesMarkedUtf8ReadAsTheirText)
{
    const std::string feed = "<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>";
    const std::wstring wideFeed = L"<feed xmlns='http://www.w3.org/2005/Atom'><entry><title>";
    const std::string end = "</title></entry></feed>";
    const std::wstring wideEnd = L"</title></entry></feed>";
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
    const std::wstring wideNihon = L"\u65e5\u672c";
    const struct
    {
        const char* name;
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"plain", "<?xml version='1.0' encoding='UTF-8'?>" + feed + nihon + end,
         L"<?xml version='1.0' encoding='UTF-8'?>" + wideFeed + wideNihon + wideEnd},
        {"without a declaration", feed + nihon + end, wideFeed + wideNihon + wideEnd},
        {"a declaration naming Shift_JIS", "<?xml version='1.0' encoding='Shift_JIS'?>" + feed + nihon + end,
         L"<?xml version='1.0' encoding='Shift_JIS'?>" + wideFeed + wideNihon + wideEnd},
        {"a declaration naming Latin-1", "<?xml version='1.0' encoding='ISO-8859-1'?>" + feed + "caf\xC3\xA9" + end,
         L"<?xml version='1.0' encoding='ISO-8859-1'?>" + wideFeed + L"caf\u00e9" + wideEnd},
        {"a byte order mark", "\xEF\xBB\xBF" + feed + nihon + end, L"\ufeff" + wideFeed + wideNihon + wideEnd},
        {"a byte that is no UTF-8", feed + "a\xFF" "b" + end, wideFeed + L"a\ufffd" L"b" + wideEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FeedDocument text;
        ASSERT_TRUE(text.Create());
        uint32_t elapsed = 0;
        bool parsed = false;
        const bool loads = text.Load(c.text, elapsed, parsed) == S_OK;
        std::wstring title;
        text.ForEachEntry([&](const FeedNodes& children) { children.ChildText(L"title", title); });

        ServeBytes(FeedPath(), c.bytes, "application/atom+xml; charset=UTF-8");
        client.OpenPublicSession(Account().c_str(), "");
        EXPECT_EQ(client.LoadAlbums(), loads ? 0u : DWORD(ERROR_READ_FAULT));
        ASSERT_EQ(client.GetAlbums().size(), loads ? 1u : 0u);
        if (loads)
            EXPECT_EQ(client.GetAlbums()[0].title, title);
    }
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

// Bytes that the parser may read in place of the text decoded from them.
TEST(FeedDocumentDirect, PlainUtf8BytesOnly)
{
    const std::string feed = "<feed/>";
    const struct
    {
        std::string bytes;
        bool plain;
    } cases[] = {
        {feed, true},
        {"<?xml version='1.0'?>" + feed, true},
        {"<?xml version='1.0' encoding='UTF-8'?>" + feed, true},
        {"<?xml version=\"1.0\" encoding = \"utf-8\" ?>" + feed, true},
        {"<t>\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF</t>", true},
        {"<?xml version='1.0' encoding='Shift_JIS'?>" + feed, false},
        {"<?xml version='1.0' encoding='UTF8'?>" + feed, false},
        {"<?xml version='1.0' encoding='UTF-8 '?>" + feed, false},
        {"<?xml version='1.0' encoding=UTF-8?>" + feed, false},
        {"", false},
        {" " + feed, false},
        {"\xEF\xBB\xBF" + feed, false},
        {std::string("<t>a\0b</t>", 10), false},
        {std::string("<feed>abcdefghijklm\0nopqrstuvw</feed>", 37), false},
        {"<feed>abcdefgh\xE6\x97\xA5ijklmnopqrstuvwxyz\xF0\x9F\x98\x80</feed>", true},
        {"<feed>abcdefghijklmnopqrstu\xFF</feed>", false},
        {"<t>\xC0\xAF</t>", false},         // an overlong "/"
        {"<t>\xE0\x80\xAF</t>", false},     // the same in three bytes
        {"<t>\xED\xA0\x80</t>", false},     // a surrogate
        {"<t>\xF4\x90\x80\x80</t>", false}, // above U+10FFFF
        {"<t>\xF5\x80\x80\x80</t>", false},
        {"<t>\x80</t>", false},
        {"<t>\xE6\x97</t>", false},
        {"<t>\xE6\x97", false},
        {"<t>\xFF</t>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(FeedDocument::PlainUtf8(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()),
                  c.plain);
    }
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

// One set of names serves the entries of several documents: each document
// numbers its names afresh, and the set follows.
TEST(FeedDocumentDirect, FirstOfEachNameAcrossDocuments)
{
    FeedNameSet names({L"b", L"m:a", L"none"});
    const wchar_t* const texts[] = {
        L"<feed xmlns:m='urn:m'><entry><m:a>1</m:a><A>no</A><b>2</b><m:a>no</m:a></entry>"
        L"<entry><b>3</b></entry></feed>",
        // Other names met first: numbered otherwise than in the first.
        L"<feed xmlns:m='urn:m'><entry><x/><y/><b>4</b><b>no</b><M:a xmlns:M='urn:m'>no</M:a><m:a>5</m:a></entry></feed>",
    };
    std::vector<std::wstring> seen;
    for (const wchar_t* text : texts) {
        FeedDocument document;
        ASSERT_TRUE(document.Create());
        uint32_t elapsed = 0;
        bool parsed = false;
        ASSERT_EQ(document.Load(text, elapsed, parsed), S_OK);
        document.ForEachEntry([&](const FeedNodes& children) {
            std::vector<IXMLDOMNode*> found;
            children.FirstOfEach(names, found);
            ASSERT_EQ(found.size(), 3u);
            std::wstring row;
            for (IXMLDOMNode* node : found)
                row += (node ? FeedNodes::NodeText(node) : L"-") + L";";
            seen.push_back(row);
        });
    }
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"2;1;-;", L"3;-;-;", L"4;5;-;"}));
}
