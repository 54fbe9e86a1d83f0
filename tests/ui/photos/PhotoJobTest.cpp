// The photo commands' requests against the stand-in: one table of the
// request each command makes for one photo and for several (method,
// address, If-Match, body fields), and what a stale version, a lost answer
// and Cancel do.
#include <gtest/gtest.h>

#include <algorithm>

#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/TestEnv.h"
#include "ui/photos/PhotoJobRunner.h"

using TestEnv::Narrow;

namespace {

class PhotoJob : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(StandIn::Base().empty()) << "the stand-in service is not running";
        StandIn::Reset();
        ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
        ASSERT_EQ(client.LoadAlbums(), 0u);
        garden = Load(L"Garden");
        ASSERT_GE(garden.size(), 5u);
        StandIn::ClearRequests();
    }
    void TearDown() override { StandIn::Reset(); }

    const AlbumEntry& Album(const std::wstring& title)
    {
        for (const AlbumEntry& album : client.GetAlbums())
            if (album.title == title)
                return album;
        ADD_FAILURE() << "no album " << Narrow(title);
        static AlbumEntry none;
        return none;
    }

    std::vector<PhotoEntry> Load(const std::wstring& title)
    {
        DWORD result = 1;
        auto photos = client.LoadPhotos(Album(title).id, 1, &result);
        EXPECT_EQ(result, 0u);
        return std::move(*photos);
    }

    // The stand-in's photos of an album: id -> fields.
    static std::vector<Json> StoredPhotos(const std::wstring& albumId)
    {
        return StandIn::Control("GET", "photos?album=" + Narrow(albumId))["photos"].array;
    }

    static Json Stored(const std::wstring& albumId, const std::wstring& photoId)
    {
        for (const Json& photo : StoredPhotos(albumId))
            if (photo["id"].string == Narrow(photoId))
                return photo;
        return Json();
    }

    static std::vector<Json> Changes()
    {
        std::vector<Json> found;
        for (const Json& r : StandIn::Requests())
            if (r["kind"].string == "photo_patch" || r["kind"].string == "photo_delete")
                found.push_back(r);
        return found;
    }

    std::vector<PhotoEntry*> First(size_t count)
    {
        std::vector<PhotoEntry*> photos;
        for (size_t i = 0; i < count; ++i)
            photos.push_back(&garden[i]);
        return photos;
    }

    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
    std::vector<PhotoEntry> garden;
};

PhotoChanges Caption(const std::wstring& summary)
{
    PhotoChanges changes;
    changes.summary = summary;
    return changes;
}

} // namespace

TEST_F(PhotoJob, EachCommandSendsOneRequestPerPhotoWithItsVersionAndOnlyItsFields)
{
    const std::wstring family = Album(L"Family").id;
    PhotoChanges all;
    all.title = L"Rose & <ivy>.jpg";
    all.summary = L"赤いバラ";
    all.keywords = L"rose, ivy";
    const struct {
        const char* name;
        PhotoJobKind kind;
        size_t first, count;
        PhotoChanges changes;
        const char* method;
        std::vector<std::string> present, absent;
    } rows[] = {
        {"properties of one", PhotoJobKind::Change, 0, 1, all, "PATCH",
         {"<title type='text'>Rose &amp; &lt;ivy&gt;.jpg</title>", "<summary type='text'>\xE8\xB5\xA4\xE3\x81\x84\xE3\x83\x90\xE3\x83\xA9</summary>",
          "<media:keywords>rose, ivy</media:keywords>"},
         {"gphoto:albumid"}},
        {"caption of three", PhotoJobKind::Change, 1, 3, Caption(L"Caption"), "PATCH",
         {"<summary type='text'>Caption</summary>"}, {"<title", "keywords", "albumid"}},
        {"move of one", PhotoJobKind::Move, 4, 1, {}, "PATCH", {"<gphoto:albumid>" + Narrow(family) + "</gphoto:albumid>"},
         {"<title", "<summary", "keywords"}},
        {"delete of two", PhotoJobKind::Delete, 5, 2, {}, "DELETE", {}, {"<"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        StandIn::ClearRequests();
        std::vector<PhotoEntry*> photos;
        std::vector<std::string> versions, paths;
        for (size_t i = row.first; i < row.first + row.count; ++i) {
            photos.push_back(&garden[i]);
            versions.push_back(Narrow(garden[i].etag));
            const std::string edit = Narrow(garden[i].editLink);
            paths.push_back(edit.substr(edit.find("/data/")));
        }
        const PhotoChanges changes = row.changes;
        const PhotoJobResult result = RunPhotoJob(
            client, photos, row.kind, [&](const PhotoEntry&) { return changes; }, family, L"Family");
        EXPECT_EQ(result.done, row.count);
        const std::vector<Json> sent = Changes();
        ASSERT_EQ(sent.size(), row.count);
        // Side by side: in any order, each photo's edit link once.
        std::vector<bool> seen(paths.size(), false);
        for (size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i]["method"].string, row.method);
            const size_t at = size_t(std::find(paths.begin(), paths.end(), sent[i]["path"].string) - paths.begin());
            ASSERT_LT(at, paths.size()) << sent[i]["path"].string;
            EXPECT_FALSE(seen[at]) << "sent twice";
            seen[at] = true;
            EXPECT_FALSE(versions[at].empty());
            EXPECT_EQ(StandIn::HeaderValue(sent[i], "If-Match"), versions[at]);
            EXPECT_EQ(StandIn::HeaderValue(sent[i], "Authorization").rfind("GoogleLogin auth=", 0), 0u);
            for (const std::string& text : row.present)
                EXPECT_NE(sent[i]["body"].string.find(text), std::string::npos) << text;
            for (const std::string& text : row.absent)
                EXPECT_EQ(sent[i]["body"].string.find(text), std::string::npos) << text;
        }
    }
    // What the stand-in holds now, and what the photos took from its answers.
    const std::wstring gardenId = Album(L"Garden").id;
    const Json first = Stored(gardenId, garden[0].id);
    EXPECT_EQ(first["title"].string, "Rose & <ivy>.jpg");
    EXPECT_EQ(first["tags"].string, "rose,ivy");
    EXPECT_EQ(garden[0].keywords, L"rose, ivy");
    EXPECT_EQ(Narrow(garden[0].etag), "\"" + std::to_string(first["version"].Int()) + "\"");
    for (size_t i = 1; i <= 3; ++i)
        EXPECT_EQ(Stored(gardenId, garden[i].id)["summary"].string, "Caption") << i;
    EXPECT_EQ(Stored(family, garden[4].id)["album_id"].string, Narrow(family));
    EXPECT_EQ(garden[4].albumId, family);
    EXPECT_EQ(Stored(gardenId, garden[5].id).kind, Json::Kind::Null);
    EXPECT_EQ(StoredPhotos(gardenId).size(), garden.size() - 3);
}

TEST_F(PhotoJob, AStaleVersionIsNotSentAgainAndThePhotoIsReadAgain)
{
    // Another client changes the second photo first.
    PhotoEntry elsewhere = garden[1];
    ASSERT_EQ(client.UpdatePhoto(elsewhere, Caption(L"theirs")), 0u);
    StandIn::ClearRequests();

    const PhotoJobResult result = RunPhotoJob(
        client, First(3), PhotoJobKind::Change, [](const PhotoEntry&) { return Caption(L"mine"); }, L"", L"");
    EXPECT_EQ(result.states, (std::vector{PhotoState::Done, PhotoState::Stale, PhotoState::Done}));
    EXPECT_EQ(result.statuses[1], L"412");
    EXPECT_EQ(Changes().size(), 3u) << "one request each, none again";
    EXPECT_EQ(garden[1].summary, L"theirs") << "read again";
    EXPECT_EQ(garden[1].etag, elsewhere.etag);
    EXPECT_EQ(Stored(Album(L"Garden").id, garden[1].id)["summary"].string, "theirs");
}

TEST_F(PhotoJob, AnAnswerLostAfterTheChangeIsOutcomeUnknownAndNeverSentTwice)
{
    const std::string edit = Narrow(garden[0].editLink);
    StandIn::Fault("{\"path\": \"" + edit.substr(edit.find("/data/")) +
                   "\", \"method\": \"PATCH\", \"action\": \"cut_body\", \"keep\": 10}");
    const PhotoJobResult result = RunPhotoJob(
        client, First(2), PhotoJobKind::Change, [](const PhotoEntry&) { return Caption(L"sent once"); }, L"", L"");
    EXPECT_EQ(result.states, (std::vector{PhotoState::Unknown, PhotoState::Done}));
    EXPECT_EQ(Changes().size(), 2u);
    EXPECT_EQ(garden[0].summary, L"sent once") << "read again: the change was made";
}

TEST_F(PhotoJob, CancelStartsNoFurtherRequestAndLetsTheOneInFlightEnd)
{
    // One connection: after the stop at most the one request under way ends.
    client.SetParallelRequests(1);
    const PhotoJobResult result =
        RunPhotoJob(client, First(5), PhotoJobKind::Delete, {}, L"", L"", [&](size_t ended) { return ended < 2; });
    EXPECT_TRUE(result.stopped);
    EXPECT_GE(result.Count(PhotoState::Done), 2u);
    EXPECT_LE(result.Count(PhotoState::Done), 3u);
    EXPECT_EQ(result.Count(PhotoState::Done) + result.Count(PhotoState::NotRun), 5u);
    EXPECT_EQ(Changes().size(), result.Count(PhotoState::Done)) << "every request sent ended, and was done";
    for (size_t i = 1; i < 5; ++i)
        if (result.states[i] == PhotoState::Done)
            EXPECT_EQ(result.states[i - 1], PhotoState::Done) << "in order";
}

TEST_F(PhotoJob, AChangeGoesOnlyToThePhotoServer)
{
    // The same stand-in under another name is another server: the edit link
    // came from a feed, and the token must not follow it there.
    std::wstring& edit = garden[0].editLink;
    const size_t host = edit.find(L"localhost");
    ASSERT_NE(host, std::wstring::npos);
    edit.replace(host, 9, L"127.0.0.1");
    const PhotoJobResult result = RunPhotoJob(
        client, First(2), PhotoJobKind::Change, [](const PhotoEntry&) { return Caption(L"elsewhere"); }, L"", L"");
    EXPECT_EQ(result.states, (std::vector{PhotoState::Failed, PhotoState::Done}));
    EXPECT_EQ(Changes().size(), 1u) << "nothing sent to the other server";
}
