// Uploads of files from disk into an album of the stand-in, checked through
// its store, its request log and the originals it serves back.
#include "service/PicasaClient.h"
#include "tests/service/StandIn.h"

#include <gtest/gtest.h>

namespace {

using TestEnv::PatternBytes;

// A PNG signature and header of the given size, then filler bytes.
std::string PngHead(uint32_t width, uint32_t height, size_t size)
{
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += char((v >> shift) & 0xFF);
    return bytes + PatternBytes(size - bytes.size(), 3);
}

class Upload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StandIn::Reset();
        ASSERT_EQ(client.Login("demo@example.com", "demo", "t"), 0u);
        ASSERT_EQ(client.LoadAlbums(), 0u);
        for (const AlbumEntry& a : client.GetAlbums())
            if (a.title == L"Empty album")
                albumId = a.id;
        ASSERT_FALSE(albumId.empty());
        StandIn::ClearRequests();
    }

    std::wstring Write(const std::wstring& name, const std::string& bytes)
    {
        return TestEnv::WriteBytes(folder, name, bytes);
    }
    static Json EmptyAlbum() { return StandIn::Album("demo", "Empty album"); }
    static std::vector<Json> Posts() { return StandIn::RequestsWith("POST"); }

    // The path of the album's feed, as sent.
    std::string Feed() const { return TestEnv::Narrow(client.AlbumFeedUrl(albumId)).substr(StandIn::Base().size()); }

    PicasaClient client{StandIn::BaseW(), StandIn::BaseW()};
    std::wstring albumId;
    std::wstring folder = TestEnv::ScratchFolder(TestEnv::UniquePath().substr(3));
};

TEST_F(Upload, FilesArriveByteIdenticalWithTitlesAndTheAlbumAndQuotaGrow)
{
    struct Case
    {
        std::wstring name;
        std::string bytes;
        int width;
        std::string slug;
    } cases[] = {
        {L"\u7d05\u8449 \u5199\u771f.png", PngHead(640, 480, 150000), 640,
         "%E7%B4%85%E8%91%89%20%E5%86%99%E7%9C%9F.png"},
        {L"IMG_0001.JPG", PatternBytes(300000, 1), 0, "IMG_0001.JPG"},
        {L"clip.mp4", PatternBytes(70000, 2), 0, "clip.mp4"},
    };
    const int64_t quota = int64_t(StandIn::Account("demo")["quota_current"].number);
    int64_t added = 0;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(TestEnv::Narrow(c.name));
        uint64_t lastSent = 0;
        PhotoEntry photo;
        ASSERT_EQ(client.UploadFile(albumId, Write(c.name, c.bytes), photo,
                                    [&](uint64_t sent, uint64_t total) {
                                        EXPECT_EQ(total, c.bytes.size());
                                        lastSent = sent;
                                    }),
                  UploadEnd::Uploaded)
            << TestEnv::Narrow(client.GetLastErrorBody());
        added += int64_t(c.bytes.size());
        ++n;
        EXPECT_EQ(lastSent, c.bytes.size());
        EXPECT_EQ(photo.title, c.name);
        EXPECT_EQ(photo.size, int32_t(c.bytes.size()));
        EXPECT_EQ(photo.width, c.width);
        EXPECT_FALSE(photo.id.empty());
        const Json post = Posts().back();
        EXPECT_EQ(StandIn::HeaderValue(post, "Slug"), c.slug);
        EXPECT_EQ(StandIn::HeaderValue(post, "Content-Length"), std::to_string(c.bytes.size()));
        EXPECT_EQ(post["path"].string, Feed());
        // The original is the file itself, a video's too.
        const std::string path = TestEnv::Narrow(photo.mediaUrl).substr(StandIn::Base().size());
        EXPECT_TRUE(LoopbackRequest(StandIn::Base(), "GET", path).body == c.bytes) << path;
        EXPECT_EQ(int(EmptyAlbum()["numphotos"].number), n);
        EXPECT_EQ(int64_t(StandIn::Account("demo")["quota_current"].number), quota + added);
    }
    EXPECT_EQ(Posts().size(), 3u);
    EXPECT_EQ(StandIn::HeaderValue(Posts()[0], "Content-Type"), "image/png");
    EXPECT_EQ(StandIn::HeaderValue(Posts()[1], "Content-Type"), "image/jpeg");
    EXPECT_EQ(StandIn::HeaderValue(Posts()[2], "Content-Type"), "video/mp4");
}

TEST_F(Upload, RefusalsAreToldApartAndSomeStopTheRest)
{
    const std::string feed = Feed();
    struct Case
    {
        const char* what;
        std::string fault; // "" for the stand-in's own answer
        std::string bytes;
        UploadEnd end;
        bool stops;
    } cases[] = {
        {"empty", "", "", UploadEnd::TypeRefused, false},
        {"over the limit", "", PatternBytes(size_t(kUploadPhotoLimit) + 1, 4), UploadEnd::TooLarge, false},
        {"quota", "\"status\": 403, \"body\": \"Quota exceeded: 10 of 10 bytes used\"", "x", UploadEnd::QuotaFull,
         true},
        {"album full", "\"status\": 403, \"body\": \"Photo limit reached: 1000 photos\"", "x", UploadEnd::AlbumFull,
         true},
        {"not the owner", "\"status\": 403, \"body\": \"Not authorized\"", "x", UploadEnd::NotOwner, true},
        {"signed out", "\"status\": 401, \"body\": \"Token invalid\"", "x", UploadEnd::SignedOut, true},
        {"server error", "\"status\": 500, \"body\": \"down\"", "x", UploadEnd::OtherStatus, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StandIn::Control("POST", "clear-faults"); // none left over for this case
        if (!c.fault.empty())
            StandIn::Fault("{\"path\": \"" + feed + "\", \"method\": \"POST\", " + c.fault + "}");
        PhotoEntry photo;
        const UploadEnd end = client.UploadFile(albumId, Write(L"f.jpg", c.bytes), photo);
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(StopsTheRest(end), c.stops);
        EXPECT_FALSE(client.GetLastErrorBody().empty());
        EXPECT_FALSE(client.IsLastOutcomeUnknown());
    }
    EXPECT_EQ(int(EmptyAlbum()["numphotos"].number), 0);
}

TEST_F(Upload, NoReplyInTimeIsAnUnknownOutcomeAfterOnePost)
{
    const std::string feed = Feed();
    StandIn::Fault("{\"path\": \"" + feed + "\", \"method\": \"POST\", \"action\": \"hang\", \"delay\": 10}");
    client.Transport().timeouts.receive = 1000;
    PhotoEntry photo;
    EXPECT_EQ(client.UploadFile(albumId, Write(L"slow.jpg", PatternBytes(200000, 5)), photo), UploadEnd::OutcomeUnknown);
    EXPECT_TRUE(client.IsLastOutcomeUnknown());
    EXPECT_EQ(Posts().size(), 1u);
}

TEST_F(Upload, CancelMidFileLeavesNothingOnTheServer)
{
    PhotoEntry photo;
    const UploadEnd end = client.UploadFile(albumId, Write(L"big.jpg", PatternBytes(4u << 20, 6)), photo,
                                            [&](uint64_t sent, uint64_t) {
                                                if (sent >= 256 * 1024)
                                                    client.AbortRequests();
                                            });
    EXPECT_EQ(end, UploadEnd::Cancelled);
    client.ResumeRequests();
    EXPECT_EQ(int(EmptyAlbum()["numphotos"].number), 0);
    // The next file goes out as usual.
    EXPECT_EQ(client.UploadFile(albumId, Write(L"small.jpg", PatternBytes(1000, 7)), photo), UploadEnd::Uploaded);
    EXPECT_EQ(int(EmptyAlbum()["numphotos"].number), 1);
}

} // namespace
