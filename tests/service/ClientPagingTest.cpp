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

const char kManyFeed[] = "/data/feed/api/user/many";

class Paging : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Control("POST", "reset", "{\"fixture\": \"large\"}");
        logPath = TestEnv::ScratchFolder("service_paging") + L"\\quillon.log";
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

    static long long Requests(const char* kind)
    {
        return StandIn::Control("GET", "counters")["by_kind"][kind].Int();
    }

    // The many account's albums as the stand-in lists them, newest first.
    static std::vector<Json> ManyAlbums() { return StandIn::Account("many")["albums"].array; }

    static std::string AlbumId(const std::string& title)
    {
        for (const Json& album : ManyAlbums())
            if (album["title"].string == title)
                return album["id"].string;
        ADD_FAILURE() << "no album " << title;
        return "";
    }

    // A feed of one entry whose own next link is `next`.
    static std::string LoopingFeed(const std::string& next)
    {
        return "<?xml version='1.0' encoding='UTF-8'?>"
               "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gphoto='http://schemas.google.com/photos/2007'>"
               "<link rel='next' type='application/atom+xml' href='" +
               next +
               "'/><entry><title>Looping</title><gphoto:id>1</gphoto:id>"
               "<link rel='next' href='" +
               StandIn::Base() +
               "/elsewhere'/></entry></feed>";
    }

    CLogSupport log;
    std::wstring logPath;
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
};

} // namespace

TEST_F(Paging, EveryAlbumArrivesWithPagesOf1000AndOf7)
{
    std::vector<std::wstring> expected;
    for (const Json& album : ManyAlbums())
        expected.push_back(TestEnv::Widen(album["id"].string));
    ASSERT_EQ(expected.size(), 2500u);

    int64_t quota = -1;
    for (const int size : {1000, 7}) {
        SCOPED_TRACE("pages of " + std::to_string(size));
        PageSize(size);
        const uint64_t requests = client.RequestCount();
        const uint64_t loads = client.XmlLoadCount();
        ASSERT_EQ(client.LoadAlbums(), 0u);
        std::vector<std::wstring> ids;
        for (const AlbumEntry& album : client.GetAlbums())
            ids.push_back(album.id);
        EXPECT_EQ(ids, expected) << "every album once, in the feed's order";
        const uint64_t pages = (2500 + size - 1) / size;
        EXPECT_EQ(client.RequestCount() - requests, pages);
        EXPECT_EQ(client.XmlLoadCount() - loads, pages);
        EXPECT_EQ(Requests("user_feed"), (long long)pages);
        EXPECT_EQ(client.GetLastStatus(), L"200");
        EXPECT_GT(client.GetQuotaLimit(), 0);
        if (quota >= 0) {
            EXPECT_EQ(client.GetQuotaCurrent(), quota) << "the quota whatever the pages";
        }
        quota = client.GetQuotaCurrent();
        const AlbumEntry& last = client.GetAlbums().back();
        EXPECT_EQ(last.title, L"Many 0001");
        EXPECT_EQ(last.numPhotos, 2500);
        EXPECT_FALSE(last.editLink.empty());
    }
}

TEST_F(Paging, EveryPhotoArrivesWithPagesOf1000AndOf7)
{
    const std::wstring albumId = TestEnv::Widen(AlbumId("Many 0001"));
    for (const int size : {1000, 7}) {
        SCOPED_TRACE("pages of " + std::to_string(size));
        PageSize(size);
        const uint64_t requests = client.RequestCount();
        const uint64_t loads = client.XmlLoadCount();
        DWORD result = 1;
        auto photos = client.LoadPhotos(albumId, 1, &result);
        EXPECT_EQ(result, 0u);
        ASSERT_EQ(photos->size(), 2500u);
        std::set<std::wstring> ids;
        for (size_t i = 0; i < photos->size(); ++i) {
            const PhotoEntry& photo = (*photos)[i];
            wchar_t title[32];
            swprintf(title, 32, L"MANY_%04d.JPG", int(i + 1));
            ASSERT_EQ(photo.title, title) << "in album order, none lost at a page's edge";
            ASSERT_EQ(photo.sequence, int(i + 1)) << "counted on across pages";
            ids.insert(photo.id);
        }
        EXPECT_EQ(ids.size(), 2500u);
        const uint64_t pages = (2500 + size - 1) / size;
        EXPECT_EQ(client.RequestCount() - requests, pages);
        EXPECT_EQ(client.XmlLoadCount() - loads, pages);
        EXPECT_EQ(Requests("album_feed"), (long long)pages);
    }
}

TEST_F(Paging, ANextLinkBackToAPageAlreadyReadEndsTheWalk)
{
    const std::string albumPath = std::string(kManyFeed) + "/albumid/" + AlbumId("Many 0002");
    const std::wstring albumId = TestEnv::Widen(AlbumId("Many 0002"));
    // Entries of a list read by the client, for the album list and for a
    // photo list.
    const struct {
        const char* list;
        std::string path;
        std::function<size_t()> load;
    } lists[] = {
        {"albums", kManyFeed,
         [&] {
             EXPECT_EQ(client.LoadAlbums(), 0u);
             return client.GetAlbums().size();
         }},
        {"photos", albumPath,
         [&] {
             DWORD result = 1;
             auto photos = client.LoadPhotos(albumId, 1, &result);
             EXPECT_EQ(result, 0u);
             return photos->size();
         }},
    };
    const struct {
        const char* what;
        std::string next;
        size_t pages;
    } loops[] = {
        {"to itself", "", 1},
        {"to a second page that names itself", "?start-index=2", 2},
    };
    for (const auto& list : lists) {
        for (const auto& loop : loops) {
            SCOPED_TRACE(std::string(list.list) + ", next link " + loop.what);
            StandIn::Control("POST", "clear-faults");
            StandIn::Fault("{\"path\": \"" + list.path + "\", \"match\": \"exact\", \"count\": -1, " +
                           "\"status\": 200, \"content_type\": \"application/atom+xml\", \"charset\": \"UTF-8\", " +
                           "\"body\": " + JsonQuote(LoopingFeed(StandIn::Base() + list.path + loop.next)) + "}");
            StandIn::ClearRequests();
            const uint64_t requests = client.RequestCount();
            EXPECT_EQ(list.load(), loop.pages) << "one entry per page read";
            EXPECT_EQ(client.RequestCount() - requests, loop.pages);
            const std::vector<Json> log = StandIn::Requests();
            ASSERT_EQ(log.size(), loop.pages) << "an entry's own next link is not the feed's";
            if (loop.pages == 2) {
                EXPECT_EQ(log[1]["query"].string, "start-index=2");
            }
        }
    }
}

TEST_F(Paging, ANextLinkToAnotherServerIsNotFollowed)
{
    // 127.0.0.1 is the stand-in too, but not the photo server as configured.
    const std::string port = StandIn::Base().substr(StandIn::Base().rfind(':'));
    const std::string elsewhere = "http://127.0.0.1" + port + kManyFeed + "?start-index=2";
    StandIn::Fault("{\"path\": \"" + std::string(kManyFeed) + "\", \"match\": \"exact\", \"status\": 200, " +
                   "\"content_type\": \"application/atom+xml\", \"body\": " + JsonQuote(LoopingFeed(elsewhere)) +
                   "}");
    ASSERT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_EQ(client.GetLastStatus(), L"");
    EXPECT_NE(client.GetLastErrorBody().find(TestEnv::Widen(elsewhere)), std::wstring::npos);
    EXPECT_EQ(StandIn::Requests().size(), 1u) << "the token went nowhere else";
}

TEST_F(Paging, ALaterPageThatFailsFailsTheWholeList)
{
    PageSize(1000);
    ASSERT_EQ(client.LoadAlbums(), 0u);
    const int64_t quota = client.GetQuotaCurrent();
    const std::string albumPath = std::string(kManyFeed) + "/albumid/" + AlbumId("Many 0001");
    const std::wstring albumId = TestEnv::Widen(AlbumId("Many 0001"));
    const size_t linesBefore = ClientTest::LogLines(logPath).size();

    // The second page of each list answers 503; the first gets through.
    StandIn::Fault("{\"path\": \"" + std::string(kManyFeed) +
                   "\", \"match\": \"exact\", \"skip\": 1, \"status\": 503, \"body\": \"page two is down\"}");
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_TRUE(client.GetAlbums().empty()) << "no list that only looks whole";
    EXPECT_EQ(client.GetQuotaCurrent(), quota);
    EXPECT_EQ(client.GetLastStatus(), L"503");
    EXPECT_EQ(client.GetLastErrorBody(), L"page two is down");
    EXPECT_EQ(ClientTest::LogLines(logPath).size(), linesBefore) << "a failed album list is not logged";

    StandIn::Fault("{\"path\": \"" + albumPath +
                   "\", \"match\": \"exact\", \"skip\": 1, \"status\": 503, \"body\": \"page two is down\"}");
    DWORD result = 0;
    auto photos = client.LoadPhotos(albumId, 1, &result);
    EXPECT_EQ(result, DWORD(ERROR_READ_FAULT));
    EXPECT_TRUE(photos->empty());
    const auto lines = ClientTest::LogLines(logPath);
    ASSERT_EQ(lines.size(), linesBefore + 3);
    EXPECT_EQ(ClientTest::WithoutTime(lines[linesBefore]),
              UserCodePageFromWide(L"\u5199\u771f\u30ea\u30b9\u30c8\u306e\u53d6\u5f97 \uff1a \u5931\u6557"));
    EXPECT_EQ(ClientTest::WithoutTime(lines[linesBefore + 1]),
              UserCodePageFromWide(L"\tHTTP\u30ec\u30b9\u30dd\u30f3\u30b9\u30b3\u30fc\u30c9 = 503"));

    ASSERT_EQ(client.LoadAlbums(), 0u);
    EXPECT_EQ(client.GetAlbums().size(), 2500u) << "whole again once the service is";
}
