// Album list, photo list and photo details against the stand-in service.
#include "base/UserCodePage.h"
#include "service/FeedDocument.h"
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"

#include <windows.h>

#include <map>
#include <memory>
#include <regex>
#include <thread>

#include <gtest/gtest.h>

namespace {

// Local time text of milliseconds since 1970, through the platform's own
// FILETIME path (not the feed parser's).
std::wstring LocalText(long long ms)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = ULONGLONG(ms) * 10000 + 116444736000000000ULL;
    FILETIME ft{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&ft, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    wchar_t text[32];
    swprintf(text, 32, L"%04u/%02u/%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
             local.wMinute, local.wSecond);
    return text;
}

class Feeds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StandIn::Reset();
        logPath = TestEnv::ScratchFolder("service_feeds") + L"\\quillon.log";
        log.Open(ClientTest::AsciiPath(logPath).c_str());
        client.SetLog(&log);
        ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
        StandIn::ClearRequests();
    }

    Json AlbumState(const std::string& title)
    {
        const Json account = StandIn::Account("demo");
        for (const Json& album : account["albums"].array)
            if (album["title"].string == title)
                return album;
        ADD_FAILURE() << "no album " << title;
        return Json();
    }

    CLogSupport log;
    std::wstring logPath;
    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
};

} // namespace

TEST_F(Feeds, AlbumListHasEveryFieldAndTheLargeQuota)
{
    ASSERT_EQ(client.LoadAlbums(), 0u);
    const Json account = StandIn::Account("demo");
    const auto& expected = account["albums"].array;
    auto& albums = client.GetAlbums();
    ASSERT_EQ(albums.size(), expected.size());
    ASSERT_EQ(albums.size(), 12u);
    for (const Json& want : expected) {
        const std::wstring id = TestEnv::Widen(want["id"].string);
        const AlbumEntry* got = nullptr;
        for (const AlbumEntry& a : albums)
            if (a.id == id)
                got = &a;
        ASSERT_NE(got, nullptr) << want["id"].string;
        EXPECT_EQ(got->title, TestEnv::Widen(want["title"].string));
        EXPECT_EQ(got->access, TestEnv::Widen(want["access"].string));
        EXPECT_EQ(got->numPhotos, want["numphotos"].Int());
        EXPECT_EQ(got->bytesUsed, want["bytes_used"].Int());
        EXPECT_EQ(got->commentingEnabled, want["commenting"].boolean ? L"true" : L"false");
        EXPECT_EQ(got->published, LocalText(want["published"].Int()));
        EXPECT_EQ(got->updated, LocalText(want["updated"].Int()));
        EXPECT_EQ(got->editLink, StandIn::BaseW() + L"/data/entry/api/user/demo/albumid/" + id + L"/" +
                                     std::to_wstring(want["version"].Int()));
        EXPECT_EQ(got->alternateLink, StandIn::BaseW() + L"/demo/" + TestEnv::Widen(want["name"].string));
    }
    EXPECT_EQ(client.GetQuotaLimit(), 16106127360LL);
    EXPECT_EQ(client.GetQuotaLimit(), account["quota_limit"].Int());
    EXPECT_EQ(client.GetQuotaCurrent(), account["quota_current"].Int());
    EXPECT_GT(client.GetQuotaCurrent(), 2147483647LL);

    auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"].string, "GET");
    EXPECT_EQ(requests[0]["path"].string, "/data/feed/api/user/demo@example.com");
    EXPECT_EQ(requests[0]["query"].string, "");
    EXPECT_EQ(StandIn::HeaderValue(requests[0], "Connection"), "Keep-Alive");
    EXPECT_EQ(client.XmlLoadCount(), 1u);
}

TEST_F(Feeds, TwoLoadsInARowKeepOnlyTheSecond)
{
    ASSERT_EQ(client.LoadAlbums(), 0u);
    ASSERT_EQ(client.GetAlbums().size(), 12u);
    const std::wstring firstEdit = client.GetAlbums()[0].editLink;
    ASSERT_EQ(client.DeleteAlbum(firstEdit), 0u);
    ASSERT_EQ(client.LoadAlbums(), 0u);
    EXPECT_EQ(client.GetAlbums().size(), 11u);
    for (const AlbumEntry& album : client.GetAlbums())
        EXPECT_NE(album.editLink, firstEdit);
    EXPECT_EQ(client.RequestCount(), 4u);
    EXPECT_EQ(client.XmlLoadCount(), 2u);
}

TEST_F(Feeds, UnknownUserGivesReadFaultAndTheBody)
{
    PicasaClient anonymous(StandIn::BaseW(), StandIn::BaseW());
    anonymous.OpenPublicSession("nobody-here", "");
    EXPECT_EQ(anonymous.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(anonymous.GetLastStatus(), L"404");
    EXPECT_FALSE(anonymous.GetLastErrorBody().empty());
    EXPECT_TRUE(anonymous.GetAlbums().empty());
    EXPECT_EQ(anonymous.XmlLoadCount(), 0u);
}

TEST_F(Feeds, InjectedFailuresOfTheAlbumList)
{
    ASSERT_EQ(client.LoadAlbums(), 0u);
    const int64_t quota = client.GetQuotaLimit();

    StandIn::Fault("{\"path\": \"/data/feed/api/user/\", \"status\": 500, \"body\": \"backend down\"}");
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"500");
    EXPECT_EQ(client.GetLastErrorBody(), L"backend down");
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_EQ(client.GetQuotaLimit(), quota);
    // A failed album list is not logged.
    EXPECT_EQ(ClientTest::LogLines(logPath).size(), 1u);

    client.Transport().timeouts.receive = 5000;
    StandIn::Fault("{\"path\": \"/data/feed/api/user/\", \"action\": \"reset\", \"count\": 5}");
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"");
    EXPECT_TRUE(client.GetAlbums().empty());
    StandIn::Control("POST", "clear-faults");

    // An HTML page with "200" is no feed: a read fault, not an empty account.
    const uint64_t loads = client.XmlLoadCount();
    StandIn::Fault("{\"path\": \"/data/feed/api/user/\", \"action\": \"html_error\", \"status\": 200}");
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"200");
    EXPECT_NE(client.GetLastErrorBody().find(L"<html"), std::wstring::npos);
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_EQ(client.XmlLoadCount(), loads) << "a page with a DOCTYPE never reaches the parser";
    EXPECT_EQ(client.GetQuotaLimit(), quota);

    StandIn::Fault("{\"path\": \"/data/feed/api/user/\", \"action\": \"html_error\"}");
    EXPECT_EQ(client.LoadAlbums(), DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"500");
    EXPECT_NE(client.GetLastErrorBody().find(L"<html"), std::wstring::npos);
    EXPECT_EQ(client.XmlLoadCount(), loads);

    ASSERT_EQ(client.LoadAlbums(), 0u);
    EXPECT_EQ(client.GetAlbums().size(), 12u);
}

TEST_F(Feeds, PhotosWithoutDetails)
{
    const Json album = AlbumState("Hokkaido summer");
    const std::wstring albumId = TestEnv::Widen(album["id"].string);
    auto photos = client.LoadPhotos(albumId, 1);
    ASSERT_TRUE(photos);
    ASSERT_EQ(photos->size(), size_t(album["numphotos"].Int()));
    EXPECT_EQ(client.RequestCount(), 2u);
    const std::wregex timeText(L"2009/08/\\d\\d \\d\\d:\\d\\d:\\d\\d");
    const std::wregex fullSize(L".*/img/" + albumId + L"/\\d+/s0/[^/]+\\.jpg");
    for (size_t i = 0; i < photos->size(); ++i) {
        const PhotoEntry& p = (*photos)[i];
        EXPECT_EQ(p.sequence, int(i + 1));
        EXPECT_FALSE(p.id.empty());
        EXPECT_FALSE(p.title.empty());
        EXPECT_GT(p.width, 0);
        EXPECT_GT(p.size, 0);
        EXPECT_EQ(p.viewCount, 0);
        EXPECT_EQ(p.commentCount, 0);
        EXPECT_EQ(p.starredTotal, 0);
        EXPECT_TRUE(std::regex_match(p.timestamp, timeText)) << TestEnv::Narrow(p.timestamp);
        EXPECT_TRUE(std::regex_match(p.mediaUrl, fullSize)) << TestEnv::Narrow(p.mediaUrl);
        EXPECT_EQ(p.alternateLink.find(StandIn::BaseW() + L"/demo/HokkaidoSummer/photo/"), 0u);
        EXPECT_EQ(p.mediaType, L"");
        EXPECT_EQ(p.mediaWidth, 0);
    }
    auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["path"].string, "/data/feed/api/user/demo@example.com/albumid/" + album["id"].string);
}

TEST_F(Feeds, PhotosWithDetailsCostOneRequestEach)
{
    const Json album = AlbumState("New year");
    const std::wstring albumId = TestEnv::Widen(album["id"].string);
    auto plain = client.LoadPhotos(albumId, 1);
    StandIn::ClearRequests();
    const uint64_t before = client.RequestCount();
    // One after another, so that the service sees them in entry order.
    client.SetParallelRequests(1);
    auto photos = client.LoadPhotos(albumId, 0);
    const size_t n = photos->size();
    ASSERT_EQ(n, 14u);
    EXPECT_EQ(client.RequestCount() - before, n + 1);
    auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), n + 1);
    for (size_t i = 0; i < n; ++i) {
        const PhotoEntry& p = (*photos)[i];
        EXPECT_EQ(requests[i + 1]["path"].string, "/data/feed/api/user/demo@example.com/albumid/" +
                                                      album["id"].string + "/photoid/" + TestEnv::Narrow(p.id));
        EXPECT_EQ(requests[i + 1]["query"].string, "kind=tag");
        EXPECT_EQ(p.width, (*plain)[i].width);
        EXPECT_EQ(p.size, (*plain)[i].size);
        EXPECT_EQ(p.timestamp, (*plain)[i].timestamp);
        EXPECT_GE(p.viewCount, 0);
        EXPECT_GE(p.commentCount, 0);
    }
    // One photo's counts against its own feed, read here with plain sockets.
    const PhotoEntry& first = (*photos)[0];
    LoopbackReply feed = LoopbackRequest(StandIn::Base(), "GET",
                                         "/data/feed/api/user/demo/albumid/" + album["id"].string + "/photoid/" +
                                             TestEnv::Narrow(first.id) + "?kind=tag");
    ASSERT_EQ(feed.status, 200);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(feed.body, m, std::regex("<gphoto:viewCount>(\\d+)<")));
    EXPECT_EQ(first.viewCount, std::stoi(m[1]));
    ASSERT_TRUE(std::regex_search(feed.body, m, std::regex("<gphoto:commentCount>(\\d+)<")));
    EXPECT_EQ(first.commentCount, std::stoi(m[1]));
    ASSERT_TRUE(std::regex_search(feed.body, m, std::regex("<gphoto:starred total='(\\d+)'")));
    EXPECT_EQ(first.starredTotal, std::stoi(m[1]));
    int starred = 0;
    for (const PhotoEntry& p : *photos)
        starred += p.starredTotal;
    EXPECT_GT(starred, 0);
}

TEST_F(Feeds, FailedDetailsKeepTheListSizes)
{
    const Json album = AlbumState("New year");
    const std::wstring albumId = TestEnv::Widen(album["id"].string);
    auto plain = client.LoadPhotos(albumId, 1);
    ASSERT_GE(plain->size(), 2u);
    const std::string second = TestEnv::Narrow((*plain)[1].id);
    StandIn::Fault("{\"path\": \"/data/feed/api/user/demo@example.com/albumid/" + album["id"].string +
                   "/photoid/" + second + "\", \"status\": 503}");
    auto photos = client.LoadPhotos(albumId, 0);
    ASSERT_EQ(photos->size(), plain->size());
    const PhotoEntry& failed = (*photos)[1];
    EXPECT_EQ(failed.viewCount, -1);
    EXPECT_EQ(failed.commentCount, -1);
    EXPECT_EQ(failed.timestamp, L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557");
    EXPECT_EQ(failed.width, (*plain)[1].width);
    EXPECT_EQ(failed.height, (*plain)[1].height);
    EXPECT_EQ(failed.size, (*plain)[1].size);
    EXPECT_GT(failed.width, 0);
    EXPECT_GE((*photos)[0].viewCount, 0);
    EXPECT_GE((*photos)[2].viewCount, 0);
    EXPECT_EQ(client.GetLastStatus(), L"200");

    PhotoEntry alone = (*plain)[1];
    StandIn::Fault("{\"path\": \"/data/feed/api/user/demo@example.com/albumid/" + album["id"].string +
                   "/photoid/" + second + "\", \"status\": 404}");
    const std::wstring bodyBefore = client.GetLastErrorBody();
    EXPECT_EQ(client.LoadPhotoDetails(albumId, alone.id, alone), 0u);
    EXPECT_EQ(alone.viewCount, -1);
    EXPECT_EQ(alone.size, (*plain)[1].size);
    // A failed details request records neither its status nor its body.
    EXPECT_EQ(client.GetLastStatus(), L"200");
    EXPECT_EQ(client.GetLastErrorBody(), bodyBefore);
}

// Without COM on the calling thread the XML parser cannot be created.
TEST_F(Feeds, NoXmlParserMeansNoDataAndDetailsReportAReadFault)
{
    ASSERT_EQ(client.LoadAlbums(), 0u);
    const int64_t quota = client.GetQuotaLimit();
    const uint64_t loads = client.XmlLoadCount();
    const Json album = AlbumState("New year");
    const std::wstring albumId = TestEnv::Widen(album["id"].string);
    auto plain = client.LoadPhotos(albumId, 1);
    ASSERT_FALSE(plain->empty());
    PhotoEntry entry = (*plain)[0];
    const size_t linesBefore = ClientTest::LogLines(logPath).size();

    DWORD albumsResult = 1;
    DWORD detailsResult = 1;
    bool noParser = false;
    std::thread worker([&] {
        FeedDocument probe;
        noParser = !probe.Create();
        albumsResult = client.LoadAlbums();
        detailsResult = client.LoadPhotoDetails(albumId, entry.id, entry);
    });
    worker.join();
    if (!noParser)
        GTEST_SKIP() << "the parser is available without COM on this thread";

    EXPECT_EQ(albumsResult, 0u);
    EXPECT_TRUE(client.GetAlbums().empty());
    EXPECT_EQ(client.GetQuotaLimit(), quota);
    EXPECT_EQ(client.XmlLoadCount(), loads + 1); // the photo list only

    EXPECT_EQ(detailsResult, DWORD(ERROR_READ_FAULT));
    EXPECT_EQ(client.GetLastStatus(), L"200");
    EXPECT_NE(client.GetLastErrorBody().find(L"<gphoto:viewCount>"), std::wstring::npos);
    EXPECT_EQ(entry.viewCount, -1);
    EXPECT_EQ(entry.width, (*plain)[0].width);
    auto lines = ClientTest::LogLines(logPath);
    ASSERT_EQ(lines.size(), linesBefore + 2);
    EXPECT_EQ(ClientTest::WithoutTime(lines[linesBefore]),
              UserCodePageFromWide(L"\u5199\u771f\u60c5\u5831\u306e\u53d6\u5f97 \uff1a \u5931\u6557"));
    EXPECT_EQ(ClientTest::WithoutTime(lines[linesBefore + 1]),
              UserCodePageFromWide(L"\tHTTP\u30ec\u30b9\u30dd\u30f3\u30b9\u30b3\u30fc\u30c9 = 200"));
}

TEST_F(Feeds, PhotosBefore1970HaveTheirYears)
{
    const Json album = AlbumState("Old family photos");
    auto photos = client.LoadPhotos(TestEnv::Widen(album["id"].string), 1);
    ASSERT_EQ(photos->size(), 20u);
    int before1970 = 0;
    for (const PhotoEntry& p : *photos) {
        const int year = std::stoi(p.timestamp.substr(0, 4));
        EXPECT_GE(year, 1952) << TestEnv::Narrow(p.timestamp);
        EXPECT_LE(year, 1983) << TestEnv::Narrow(p.timestamp);
        EXPECT_EQ(p.timestamp.size(), 19u);
        if (year < 1970)
            ++before1970;
    }
    EXPECT_EQ(before1970, 11);
}

TEST_F(Feeds, VideosTakeTheFirstOfTheTwoLargestRenditions)
{
    const Json album = AlbumState("Videos");
    auto photos = client.LoadPhotos(TestEnv::Widen(album["id"].string), 1);
    ASSERT_EQ(photos->size(), 8u);
    int videos = 0;
    for (const PhotoEntry& p : *photos) {
        if (p.uploadedVideoType.empty()) {
            EXPECT_EQ(p.mediaType, L"");
            EXPECT_NE(p.mediaUrl.find(L"/s0/"), std::wstring::npos);
            continue;
        }
        ++videos;
        EXPECT_NE(p.mediaUrl.find(StandIn::BaseW() + L"/video/" + p.id + L"/"), std::wstring::npos);
        EXPECT_GT(p.uploadedVideoDuration, 0);
        EXPECT_GT(p.uploadedVideoFps, 0.0);
        if (p.title.rfind(L"MVI_0001", 0) == 0) {
            EXPECT_EQ(p.mediaUrl, StandIn::BaseW() + L"/video/" + p.id + L"/1/MVI_0001.flv");
            EXPECT_EQ(p.mediaType, L"application/x-shockwave-flash");
            EXPECT_EQ(p.mediaWidth, 640);
            EXPECT_EQ(p.mediaHeight, 480);
            EXPECT_EQ(p.uploadedVideoType, L"AVI");
            EXPECT_EQ(p.uploadedVideoWidth, 640);
            EXPECT_EQ(p.uploadedVideoHeight, 480);
            EXPECT_EQ(p.uploadedVideoDuration, 15);
            EXPECT_DOUBLE_EQ(p.uploadedVideoFps, 30.0);
        }
        if (p.title.rfind(L"MVI_0003", 0) == 0) {
            EXPECT_EQ(p.mediaUrl, StandIn::BaseW() + L"/video/" + p.id + L"/0/MVI_0003.flv");
            EXPECT_EQ(p.mediaWidth, 360);
            EXPECT_EQ(p.mediaHeight, 640);
        }
    }
    EXPECT_EQ(videos, 5);
}

TEST_F(Feeds, EmptyAlbumAndUnknownAlbum)
{
    const Json album = AlbumState("Empty album");
    auto photos = client.LoadPhotos(TestEnv::Widen(album["id"].string), 0);
    EXPECT_TRUE(photos->empty());
    EXPECT_EQ(client.GetLastStatus(), L"200");
    EXPECT_EQ(client.RequestCount(), 2u);

    photos = client.LoadPhotos(L"1234", 0);
    EXPECT_TRUE(photos->empty());
    EXPECT_EQ(client.GetLastStatus(), L"404");
    EXPECT_FALSE(client.GetLastErrorBody().empty());
    // The body ends in a line feed, which continues the log line.
    std::string body = TestEnv::Narrow(client.GetLastErrorBody());
    ASSERT_EQ(body.back(), '\n');
    body.pop_back();
    auto lines = ClientTest::LogLines(logPath);
    ASSERT_EQ(lines.size(), 5u);
    const std::string status = ClientTest::WithoutTime(lines[2]);
    EXPECT_EQ(status.substr(0, 5), "\tHTTP");
    EXPECT_EQ(status.substr(status.size() - 6), " = 404");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(ClientTest::WithoutTime(lines[3]), "\t" + body);
}
