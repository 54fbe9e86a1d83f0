// The album list and the photo list over feeds that come in pages: the
// stand-in's large data (an account of 2,500 albums, an album of 2,500
// photos) with pages of 1,000 and of 7, next links that loop or lead
// elsewhere, and a later page that fails.
#include "base/UserCodePage.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using TestEnv::Widen;

const std::string kManyFeed = "/data/feed/api/user/many";

class Paging : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Control("POST", "reset", "{\"fixture\": \"large\"}");
        log.Open(ClientTest::AsciiPath(logPath).c_str());
        client.SetLog(&log);
        ASSERT_EQ(client.Login("many", "many", "t"), 0u);
        StandIn::ClearRequests();
    }

    void TearDown() override { StandIn::Reset(); }

    static void PageSize(int size)
    {
        StandIn::Control("POST", "settings", "{\"page_size\": " + std::to_string(size) + "}");
        StandIn::ClearRequests();
    }

    static long long Requests(const char* kind) { return StandIn::Control("GET", "counters")["by_kind"][kind].Int(); }

    // The id of the many account's album of that title.
    static std::string AlbumId(const std::string& title)
    {
        const Json account = StandIn::Account("many");
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                return album["id"].string;
        ADD_FAILURE() << "no album " << title;
        return "";
    }

    // The feed at `path` answered by a page of one entry whose feed's next
    // link is `next` (the entry's own next link leads elsewhere), `count`
    // times (-1: always).
    static void LoopingFeed(const std::string& path, const std::string& next, int count)
    {
        const std::string feed =
            "<?xml version='1.0' encoding='UTF-8'?>"
            "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gphoto='http://schemas.google.com/photos/2007'>"
            "<link rel='next' type='application/atom+xml' href='" + next +
            "'/><entry><title>Looping</title><gphoto:id>1</gphoto:id><link rel='next' href='" + StandIn::Base() +
            "/elsewhere'/></entry></feed>";
        StandIn::Fault("{\"path\": \"" + path + "\", \"match\": \"exact\", \"count\": " + std::to_string(count) +
                       ", \"status\": 200, \"content_type\": \"application/atom+xml\", \"charset\": \"UTF-8\", "
                       "\"body\": " + JsonQuote(feed) + "}");
    }

    // The second page of the feed at `path` answers 503; the first gets through.
    static void SecondPageDown(const std::string& path)
    {
        StandIn::Fault("{\"path\": \"" + path +
                       "\", \"match\": \"exact\", \"skip\": 1, \"status\": 503, \"body\": \"page two is down\"}");
    }

    std::wstring logPath = TestEnv::ScratchFolder("service_paging") + L"\\quillon.log";
    CLogSupport log;
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
};

} // namespace

TEST_F(Paging, EveryAlbumAndPhotoArrivesWithPagesOf1000AndOf7)
{
    std::vector<std::wstring> expected;
    const Json account = StandIn::Account("many");
    for (const Json& album : account["albums"].array) // newest first
        expected.push_back(Widen(album["id"].string));
    ASSERT_EQ(expected.size(), 2500u);
    const std::wstring albumId = Widen(AlbumId("Many 0001"));

    int64_t quota = -1;
    for (const int size : {1000, 7}) {
        SCOPED_TRACE("pages of " + std::to_string(size));
        PageSize(size);
        const uint64_t pages = (2500 + size - 1) / size;
        uint64_t requests = client.RequestCount(), loads = client.XmlLoadCount();
        ASSERT_EQ(client.LoadAlbums(), 0u);
        std::vector<std::wstring> ids;
        for (const AlbumEntry& album : client.GetAlbums())
            ids.push_back(album.id);
        EXPECT_EQ(ids, expected) << "every album once, in the feed's order";
        EXPECT_EQ(client.RequestCount() - requests, pages);
        EXPECT_EQ(client.XmlLoadCount() - loads, pages);
        EXPECT_EQ(Requests("user_feed"), (long long)pages);
        EXPECT_EQ(client.GetLastStatus(), L"200");
        EXPECT_GT(client.GetQuotaLimit(), 0);
        if (quota >= 0)
            EXPECT_EQ(client.GetQuotaCurrent(), quota) << "the quota whatever the pages";
        quota = client.GetQuotaCurrent();
        const AlbumEntry& last = client.GetAlbums().back();
        EXPECT_EQ(last.title, L"Many 0001");
        EXPECT_EQ(last.numPhotos, 2500);
        EXPECT_FALSE(last.editLink.empty());

        requests = client.RequestCount(), loads = client.XmlLoadCount();
        DWORD result = 1;
        auto photos = client.LoadPhotos(albumId, 1, &result);
        EXPECT_EQ(result, 0u);
        ASSERT_EQ(photos->size(), 2500u);
        std::set<std::wstring> photoIds;
        for (size_t i = 0; i < photos->size(); ++i) {
            wchar_t title[32];
            swprintf(title, 32, L"MANY_%04d.JPG", int(i + 1));
            ASSERT_EQ((*photos)[i].title, title) << "in album order, none lost at a page's edge";
            ASSERT_EQ((*photos)[i].sequence, int(i + 1)) << "counted on across pages";
            photoIds.insert((*photos)[i].id);
        }
        EXPECT_EQ(photoIds.size(), 2500u);
        EXPECT_EQ(client.RequestCount() - requests, pages);
        EXPECT_EQ(client.XmlLoadCount() - loads, pages);
        EXPECT_EQ(Requests("album_feed"), (long long)pages);
    }
}

// A next link to the page itself, or to a second page that names itself: the
// walk ends, for the album list and for a photo list.
TEST_F(Paging, ANextLinkBackToAPageAlreadyReadEndsTheWalk)
{
    const std::string albumId = AlbumId("Many 0002");
    const struct { std::string path; std::function<size_t()> load; } lists[] = {
        {kManyFeed, [&] { return client.LoadAlbums() == 0 ? client.GetAlbums().size() : 0; }},
        {kManyFeed + "/albumid/" + albumId, [&] {
             DWORD result = 1;
             const size_t entries = client.LoadPhotos(Widen(albumId), 1, &result)->size();
             return result == 0 ? entries : 0;
         }},
    };
    for (const auto& list : lists) {
        for (const std::string next : {"", "?start-index=2"}) {
            SCOPED_TRACE(list.path + " with a next link to " + list.path + next);
            const size_t pages = next.empty() ? 1 : 2;
            StandIn::Control("POST", "clear-faults");
            LoopingFeed(list.path, StandIn::Base() + list.path + next, -1);
            StandIn::ClearRequests();
            const uint64_t requests = client.RequestCount();
            EXPECT_EQ(list.load(), 1u) << "loaded; the entry that every page repeats is listed once";
            EXPECT_EQ(client.RequestCount() - requests, pages);
            const std::vector<Json> log = StandIn::Requests();
            ASSERT_EQ(log.size(), pages) << "an entry's own next link is not the feed's";
            if (pages == 2)
                EXPECT_EQ(log[1]["query"].string, "start-index=2");
        }
    }
}

// A server whose next link is new on every page: the walk stops where the
// feed's own total says it must have ended, or at the fixed maximum when it
// gives none, and the failure says why.
TEST_F(Paging, ANextLinkThatIsNewOnEveryPageStopsAtABound)
{
    for (const bool total : {true, false}) {
        SCOPED_TRACE(total ? "a feed that gives its total" : "a feed without a total");
        StandIn::Control("POST", "clear-faults");
        const std::string feed =
            "<?xml version='1.0' encoding='UTF-8'?>"
            "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gphoto='http://schemas.google.com/photos/2007' "
            "xmlns:openSearch='http://a9.com/-/spec/opensearch/1.1/'>" +
            std::string(total ? "<openSearch:totalResults>3</openSearch:totalResults>"
                                "<openSearch:itemsPerPage>1</openSearch:itemsPerPage>"
                              : "") +
            "<link rel='next' type='application/atom+xml' href='" + StandIn::Base() + kManyFeed +
            "?start-index={next}'/><entry><title>Page {hit}</title><gphoto:id>{hit}</gphoto:id></entry></feed>";
        StandIn::Fault("{\"path\": \"" + kManyFeed + "\", \"match\": \"exact\", \"count\": -1, \"numbered\": true, "
                       "\"status\": 200, \"content_type\": \"application/atom+xml\", \"charset\": \"UTF-8\", "
                       "\"body\": " + JsonQuote(feed) + "}");
        StandIn::ClearRequests();
        const uint64_t requests = client.RequestCount();
        EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
        EXPECT_TRUE(client.GetAlbums().empty()) << "no list that only looks whole";
        const uint64_t expected = total ? 3 / 1 + 2 : PicasaClient::kMostFeedPages;
        EXPECT_EQ(client.RequestCount() - requests, expected);
        EXPECT_EQ(client.GetLastStatus(), L"");
        const std::wstring why = client.GetLastErrorBody();
        EXPECT_NE(why.find(L" " + std::to_wstring(expected) + L" "), std::wstring::npos) << "the pages read";
        EXPECT_NE(why.find(Widen(kManyFeed + "?start-index=" + std::to_string(expected + 1))), std::wstring::npos)
            << "the link that was not followed";
    }
}

// Entries that a later page lists again (a list that changed while it was
// read) are listed once, in the order they first came.
TEST_F(Paging, AnEntryThatALaterPageListsAgainIsListedOnce)
{
    const std::string albumId = AlbumId("Many 0002");
    const std::string head = "<?xml version='1.0' encoding='UTF-8'?>"
                             "<feed xmlns='http://www.w3.org/2005/Atom' "
                             "xmlns:gphoto='http://schemas.google.com/photos/2007'>";
    auto entry = [](const char* id) {
        return std::string("<entry><title>T") + id + "</title><gphoto:id>" + id + "</gphoto:id></entry>";
    };
    for (const std::string& path : {kManyFeed, kManyFeed + "/albumid/" + albumId}) {
        SCOPED_TRACE(path);
        StandIn::Control("POST", "clear-faults"); // none left over for this case
        const std::string first = head + "<link rel='next' href='" + StandIn::Base() + path + "?start-index=3'/>" +
                                  entry("11") + entry("12") + "</feed>";
        const std::string second = head + entry("12") + entry("13") + "</feed>";
        for (const std::string& page : {first, second})
            StandIn::Fault("{\"path\": \"" + path + "\", \"match\": \"exact\", \"status\": 200, "
                           "\"content_type\": \"application/atom+xml\", \"body\": " + JsonQuote(page) + "}");
        std::vector<std::wstring> ids;
        if (path == kManyFeed) {
            ASSERT_EQ(client.LoadAlbums(), 0u);
            for (const AlbumEntry& album : client.GetAlbums())
                ids.push_back(album.id);
        } else {
            DWORD result = 1;
            std::vector<int> places;
            const auto photos = client.LoadPhotos(Widen(albumId), 1, &result);
            for (const PhotoEntry& photo : *photos) {
                ids.push_back(photo.id);
                places.push_back(photo.sequence);
            }
            EXPECT_EQ(result, 0u);
            EXPECT_EQ(places, (std::vector<int>{1, 2, 3})) << "counted without the repeat";
        }
        EXPECT_EQ(ids, (std::vector<std::wstring>{L"11", L"12", L"13"}));
    }
}

TEST_F(Paging, ANextLinkToAnotherServerIsNotFollowed)
{
    // 127.0.0.1 is the stand-in too, but not the photo server as configured.
    const std::string elsewhere =
        "http://127.0.0.1" + StandIn::Base().substr(StandIn::Base().rfind(':')) + kManyFeed + "?start-index=2";
    LoopingFeed(kManyFeed, elsewhere, 1);
    ASSERT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_EQ(client.GetLastStatus(), L"");
    EXPECT_NE(client.GetLastErrorBody().find(Widen(elsewhere)), std::wstring::npos);
    EXPECT_EQ(StandIn::Requests().size(), 1u) << "the token went nowhere else";
}

TEST_F(Paging, ALaterPageThatFailsFailsTheWholeList)
{
    PageSize(1000);
    ASSERT_EQ(client.LoadAlbums(), 0u);
    const int64_t quota = client.GetQuotaCurrent();
    const std::string albumId = AlbumId("Many 0001");
    const size_t linesBefore = ClientTest::LogLines(logPath).size();

    SecondPageDown(kManyFeed);
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_TRUE(client.GetAlbums().empty()) << "no list that only looks whole";
    EXPECT_EQ(client.GetQuotaCurrent(), quota);
    EXPECT_EQ(client.GetLastStatus(), L"503");
    EXPECT_EQ(client.GetLastErrorBody(), L"page two is down");
    EXPECT_EQ(ClientTest::LogLines(logPath).size(), linesBefore) << "a failed album list is not logged";

    SecondPageDown(kManyFeed + "/albumid/" + albumId);
    DWORD result = 0;
    EXPECT_TRUE(client.LoadPhotos(Widen(albumId), 1, &result)->empty());
    EXPECT_EQ(result, DWORD(ERROR_READ_FAULT));
    const auto lines = ClientTest::LogLines(logPath);
    ASSERT_EQ(lines.size(), linesBefore + 3);
    EXPECT_EQ(ClientTest::WithoutTime(lines[linesBefore]),
              UserCodePageFromWide(L"\u5199\u771f\u30ea\u30b9\u30c8\u306e\u53d6\u5f97 \uff1a \u5931\u6557"));
    EXPECT_EQ(ClientTest::WithoutTime(lines[linesBefore + 1]),
              UserCodePageFromWide(L"\tHTTP\u30ec\u30b9\u30dd\u30f3\u30b9\u30b3\u30fc\u30c9 = 503"));

    ASSERT_EQ(client.LoadAlbums(), 0u);
    EXPECT_EQ(client.GetAlbums().size(), 2500u) << "whole again once the service is";
}
