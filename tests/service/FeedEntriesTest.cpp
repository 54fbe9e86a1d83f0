// Album and photo entries read from feed texts, without a server: the
// fields, and the quirks of what a feed may send (other prefixes, names in
// another case, missing elements, odd numbers, entries without ids, repeats,
// links in any order, video renditions).
#include "service/AlbumFeed.h"
#include "service/FeedDocument.h"
#include "service/PhotoFeed.h"

#include "tests/support/TestEnv.h"

#include <climits>
#include <memory>

#include <gtest/gtest.h>

namespace {

const std::wstring kHead = L"<?xml version='1.0' encoding='UTF-8'?>\n"
                           L"<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gd='http://schemas.google.com/g/2005' "
                           L"xmlns:gphoto='http://schemas.google.com/photos/2007' "
                           L"xmlns:g='http://schemas.google.com/photos/2007' xmlns:media='http://search.yahoo.com/mrss/'>";

// A page loaded from `body` (the entries and whatever else stands in the
// feed element), as the client loads a reply.
std::unique_ptr<FeedDocument> Page(const std::wstring& body)
{
    auto document = std::make_unique<FeedDocument>();
    uint32_t elapsed = 0;
    bool parsed = false;
    EXPECT_TRUE(document->Create());
    EXPECT_EQ(document->Load(kHead + body + L"</feed>", elapsed, parsed), S_OK) << TestEnv::Narrow(body);
    return document;
}

// Album times nine hours east of UTC, with no daylight saving, whatever the
// machine's own zone.
FeedTimeSettings NineHoursEast()
{
    FeedTimeSettings times = CurrentFeedTimeSettings();
    times.zone = TIME_ZONE_INFORMATION{};
    times.zone.Bias = -540;
    return times;
}

std::vector<AlbumEntry> Albums(const std::wstring& body, size_t* onPage = nullptr)
{
    std::set<std::wstring> listed;
    std::vector<AlbumEntry> albums;
    const size_t entries = ReadAlbumEntries(*Page(body), NineHoursEast(), listed, albums);
    if (onPage)
        *onPage = entries;
    return albums;
}

std::vector<PhotoEntry> Photos(const std::wstring& body)
{
    std::set<std::wstring> listed;
    std::vector<PhotoEntry> photos;
    ReadPhotoEntries(*Page(body), listed, photos);
    return photos;
}

} // namespace

TEST(AlbumFeedText, EveryFieldOfAnEntry)
{
    const std::vector<AlbumEntry> albums = Albums(
        L"<entry gd:etag='\"7\"'><published>2012-03-24T15:04:05.123Z</published>"
        L"<updated>2012-12-31T20:00:00.000Z</updated><title type='text'>\u65e5\u672c\u306e\u590f &amp; \u79cb</title>"
        L"<summary>\u5317\u6d77\u9053</summary><gphoto:location>\u672d\u5e4c</gphoto:location>"
        L"<link rel='alternate' type='text/html' href='http://x/demo/Summer'/>"
        L"<link rel='edit' href='http://x/data/entry/api/user/demo/albumid/5/7'/>"
        L"<gphoto:id>5</gphoto:id><gphoto:access>protected</gphoto:access><gphoto:numphotos>14</gphoto:numphotos>"
        L"<gphoto:bytesUsed>5000000000</gphoto:bytesUsed><gphoto:commentingEnabled>true</gphoto:commentingEnabled>"
        L"<gphoto:commentCount>3</gphoto:commentCount><gphoto:timestamp>1332601445000</gphoto:timestamp></entry>");
    ASSERT_EQ(albums.size(), 1u);
    const AlbumEntry& a = albums[0];
    EXPECT_EQ(a.title, L"\u65e5\u672c\u306e\u590f & \u79cb");
    EXPECT_EQ(a.id, L"5");
    EXPECT_EQ(a.bytesUsed, 5000000000LL);
    EXPECT_EQ(a.access, L"protected");
    EXPECT_EQ(a.numPhotos, 14);
    EXPECT_EQ(a.commentingEnabled, L"true");
    EXPECT_EQ(a.commentCount, 3);
    // Local time, the milliseconds dropped and never carried.
    EXPECT_EQ(a.published, L"2012/03/25 00:04:05");
    EXPECT_EQ(a.updated, L"2013/01/01 05:00:00");
    EXPECT_EQ(a.editLink, L"http://x/data/entry/api/user/demo/albumid/5/7");
    EXPECT_EQ(a.alternateLink, L"http://x/demo/Summer");
    EXPECT_EQ(a.summary, L"\u5317\u6d77\u9053");
    EXPECT_EQ(a.location, L"\u672d\u5e4c");
    EXPECT_EQ(a.timestamp, L"1332601445000");
    EXPECT_EQ(a.etag, L"\"7\"");
}

// One field of the first album, per feed quirk.
TEST(AlbumFeedText, QuirksOfOneField)
{
    const struct
    {
        const char* name;
        std::wstring entry;
        std::wstring AlbumEntry::*text;
        std::wstring expected;
    } texts[] = {
        {"another prefix for the gphoto namespace", L"<g:id>77</g:id>", &AlbumEntry::id, L""},
        {"another prefix for the gphoto namespace", L"<g:location>no</g:location><gphoto:location>yes</gphoto:location>",
         &AlbumEntry::location, L"yes"},
        {"a name in another case", L"<Title>upper</Title>", &AlbumEntry::title, L""},
        {"a name in another case", L"<gphoto:ID>1</gphoto:ID>", &AlbumEntry::id, L""},
        {"only direct children", L"<author><gphoto:id>nested</gphoto:id></author><gphoto:id>direct</gphoto:id>",
         &AlbumEntry::id, L"direct"},
        {"the text of the descendants", L"<title>a<b xmlns=''>b</b>c</title>", &AlbumEntry::title, L"abc"},
        {"the first of two", L"<title>one</title><title>two</title>", &AlbumEntry::title, L"one"},
        {"a CDATA section", L"<title><![CDATA[<i>&</i>]]></title>", &AlbumEntry::title, L"<i>&</i>"},
        {"a time without milliseconds", L"<published>2012-03-24T15:04:05Z</published>", &AlbumEntry::published,
         L"2012-03-24T15:04:05Z"},
        {"a time with an offset", L"<updated>2012-03-24T15:04:05.000+09:00</updated>", &AlbumEntry::updated,
         L"2012-03-24T15:04:05.000+09:00"},
        {"no time", L"", &AlbumEntry::published, L""},
        {"the first edit link", L"<link rel='edit' href='http://x/1'/><link rel='edit' href='http://x/2'/>",
         &AlbumEntry::editLink, L"http://x/1"},
        {"an edit link with its attributes the other way round", L"<link href='http://x/e' type='t' rel='edit'/>",
         &AlbumEntry::editLink, L"http://x/e"},
        {"an alternate link after the edit link",
         L"<link rel='edit' href='http://x/e'/><link rel='alternate' href='http://x/a'/>", &AlbumEntry::alternateLink,
         L"http://x/a"},
        {"the first of two alternate links",
         L"<link rel='alternate' type='text/html' href='http://x/first'/><link rel='alternate' href='http://x/second'/>",
         &AlbumEntry::alternateLink, L"http://x/first"},
        {"a rel in capitals", L"<link rel='EDIT' href='http://x/upper'/>", &AlbumEntry::editLink, L""},
        {"a link without rel", L"<link ref='edit' href='http://x/no'/>", &AlbumEntry::editLink, L""},
        {"a link without href", L"<link rel='edit' src='http://x/no'/>", &AlbumEntry::editLink, L""},
        {"a rel with blanks around it", L"<link rel=' edit ' href='http://x/no'/>", &AlbumEntry::editLink, L""},
        {"an href of blanks alone", L"<link rel='edit' href='  \t'/><link rel='edit' href='http://x/2'/>",
         &AlbumEntry::editLink, L""},
        {"an href with blanks around it", L"<link rel='edit' href=' http://x/b '/>", &AlbumEntry::editLink,
         L" http://x/b "},
        {"a prefixed rel", L"<link g:rel='edit' href='http://x/no'/><link rel='edit' g:href='http://x/no'/>",
         &AlbumEntry::editLink, L""},
    };
    for (const auto& c : texts) {
        SCOPED_TRACE(std::string(c.name) + ": " + TestEnv::Narrow(c.entry));
        const std::vector<AlbumEntry> albums = Albums(L"<entry>" + c.entry + L"</entry>");
        ASSERT_EQ(albums.size(), 1u);
        EXPECT_EQ(albums[0].*c.text, c.expected);
    }

    const struct
    {
        std::wstring text;
        int32_t numPhotos;
        int64_t bytesUsed;
    } numbers[] = {
        {L"12abc", 12, 12},
        {L"", 0, 0},
        {L" 7", 7, 7},
        {L"-3", -3, -3},
        {L"x1", 0, 0},
        {L"4.6", 4, 4},
        {L"99999999999", INT32_MAX, 99999999999LL},
        {L"-99999999999999999999999", INT32_MIN, INT64_MIN},
    };
    for (const auto& c : numbers) {
        SCOPED_TRACE(TestEnv::Narrow(c.text));
        const std::vector<AlbumEntry> albums = Albums(L"<entry><gphoto:numphotos>" + c.text +
                                                      L"</gphoto:numphotos><gphoto:bytesUsed>" + c.text +
                                                      L"</gphoto:bytesUsed></entry>");
        ASSERT_EQ(albums.size(), 1u);
        EXPECT_EQ(albums[0].numPhotos, c.numPhotos);
        EXPECT_EQ(albums[0].bytesUsed, c.bytesUsed);
    }
}

// Entries without an id are all kept; one whose id came before, on this
// page or an earlier one, is counted but listed once.
TEST(AlbumFeedText, EntriesWithoutIdsAndRepeats)
{
    const auto entry = [](const wchar_t* title, const wchar_t* id) {
        return std::wstring(L"<entry><title>") + title + L"</title>" +
               (id ? std::wstring(L"<gphoto:id>") + id + L"</gphoto:id>" : L"") + L"</entry>";
    };
    std::set<std::wstring> listed;
    std::vector<AlbumEntry> albums;
    const FeedTimeSettings times = NineHoursEast();
    EXPECT_EQ(ReadAlbumEntries(*Page(entry(L"a", L"11") + entry(L"b", nullptr) + entry(L"c", nullptr) +
                                     entry(L"again", L"11") + entry(L"d", L"12")),
                               times, listed, albums),
              5u);
    EXPECT_EQ(ReadAlbumEntries(*Page(entry(L"later", L"12") + entry(L"e", L"13")), times, listed, albums), 2u);
    EXPECT_EQ(ReadAlbumEntries(*Page(L""), times, listed, albums), 0u);
    std::vector<std::wstring> titles;
    for (const AlbumEntry& album : albums)
        titles.push_back(album.title);
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
    EXPECT_EQ(listed, (std::set<std::wstring>{L"11", L"12", L"13"}));
}

TEST(AlbumFeedText, QuotaIsTheFirstAnywhereAndZeroWhenMissing)
{
    const struct
    {
        std::wstring body;
        int64_t limit, current;
    } cases[] = {
        {L"<gphoto:quotalimit>16106127360</gphoto:quotalimit><gphoto:quotacurrent>5</gphoto:quotacurrent>",
         16106127360LL, 5},
        {L"<entry><gphoto:quotalimit>111</gphoto:quotalimit></entry><gphoto:quotalimit>222</gphoto:quotalimit>"
         L"<gphoto:quotacurrent>99999999999999999999</gphoto:quotacurrent>",
         111, INT64_MAX},
        {L"<entry><title>no quota</title></entry>", 0, 0},
        {L"<g:quotalimit>9</g:quotalimit><gphoto:QuotaCurrent>9</gphoto:QuotaCurrent>", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TestEnv::Narrow(c.body));
        const AccountQuota quota = ReadQuota(*Page(c.body));
        EXPECT_EQ(quota.limit, c.limit);
        EXPECT_EQ(quota.current, c.current);
    }
}

TEST(PhotoFeedText, EveryFieldOfAPhotoAndTimesBefore1970)
{
    const std::vector<PhotoEntry> photos = Photos(
        L"<entry><title>\u5bcc\u58eb\u5c71.jpg</title><summary>\u671d &lt;\u65e5&gt;</summary>"
        L"<gphoto:id>101</gphoto:id><gphoto:width>4000</gphoto:width><gphoto:height>3000</gphoto:height>"
        L"<gphoto:size>2345678</gphoto:size><gphoto:timestamp>1332601445999</gphoto:timestamp>"
        L"<link rel='alternate' href='http://x/demo/Summer/photo/101'/>"
        L"<content type='image/jpeg' src='http://x/img/5/101/fuji.jpg'/></entry>"
        L"<entry><title>old.jpg</title><gphoto:id>102</gphoto:id>"
        L"<gphoto:timestamp>-86400001</gphoto:timestamp><content src='http://x/img/5/102/old.png' type='image/png'/>"
        L"</entry>");
    ASSERT_EQ(photos.size(), 2u);
    const PhotoEntry& p = photos[0];
    EXPECT_EQ(p.sequence, 1);
    EXPECT_EQ(p.title, L"\u5bcc\u58eb\u5c71.jpg");
    EXPECT_EQ(p.summary, L"\u671d <\u65e5>");
    EXPECT_EQ(p.id, L"101");
    EXPECT_EQ(p.width, 4000);
    EXPECT_EQ(p.height, 3000);
    EXPECT_EQ(p.size, 2345678);
    EXPECT_EQ(p.timestamp, L"2012/03/24 15:04:05"); // UTC, milliseconds dropped
    EXPECT_EQ(p.alternateLink, L"http://x/demo/Summer/photo/101");
    EXPECT_EQ(p.contentUrl, L"http://x/img/5/101/fuji.jpg");
    EXPECT_EQ(p.mediaUrl, L"http://x/img/5/101/s0/fuji.jpg");
    EXPECT_EQ(p.mediaType, L"");
    EXPECT_EQ(p.mediaWidth, 0);
    // Without details the counts stay 0.
    EXPECT_EQ(p.viewCount, 0);
    EXPECT_EQ(p.commentCount, 0);
    EXPECT_EQ(p.starredTotal, 0);

    const PhotoEntry& old = photos[1];
    EXPECT_EQ(old.sequence, 2);
    EXPECT_EQ(old.timestamp, L"1969/12/31 00:00:00"); // toward zero: the millisecond is dropped
    EXPECT_EQ(old.width, 0);
}

// Which picture an entry names, whatever its type: one row per shape of
// entry the service sent.
TEST(PhotoFeedText, ThePictureOfAnyImageType)
{
    const wchar_t* group = L"<media:group><media:content url='http://x/g/p.gif' type='image/gif' medium='image'/>"
                           L"<media:thumbnail url='http://x/g/s72/p.gif'/></media:group>";
    const struct
    {
        const char* name;
        std::wstring entry;
        std::wstring content, type, media;
    } cases[] = {
        {"a JPEG", L"<content type='image/jpeg' src='http://x/i/1/a.jpg'/>", L"http://x/i/1/a.jpg", L"image/jpeg",
         L"http://x/i/1/s0/a.jpg"},
        {"a PNG", L"<content type='image/png' src='http://x/i/1/a.png'/>", L"http://x/i/1/a.png", L"image/png",
         L"http://x/i/1/s0/a.png"},
        {"a GIF", L"<content src='http://x/i/1/a.gif' type='image/gif'/>", L"http://x/i/1/a.gif", L"image/gif",
         L"http://x/i/1/s0/a.gif"},
        {"a BMP", L"<content type='image/bmp' src='http://x/i/1/a.bmp'/>", L"http://x/i/1/a.bmp", L"image/bmp",
         L"http://x/i/1/s0/a.bmp"},
        {"another image type", L"<content type='image/x-icon' src='http://x/i/1/a.ico'/>", L"http://x/i/1/a.ico",
         L"image/x-icon", L"http://x/i/1/s0/a.ico"},
        {"JPEG first of several", L"<content type='image/png' src='http://x/p.png'/><content type='text/html' "
         L"src='http://x/page'/><content type='image/jpeg' src='http://x/j.jpg'/>", L"http://x/j.jpg", L"image/jpeg",
         L"http://x/s0/j.jpg"},
        {"PNG before GIF", L"<content type='image/gif' src='http://x/g.gif'/><content type='image/png' "
         L"src='http://x/p.png'/>", L"http://x/p.png", L"image/png", L"http://x/s0/p.png"},
        {"a type with a parameter", L"<content type='IMAGE/PNG; q=1' src='http://x/i/p.png'/>", L"http://x/i/p.png",
         L"IMAGE/PNG; q=1", L"http://x/i/s0/p.png"},
        {"no content: the group's picture", group, L"http://x/g/p.gif", L"image/gif", L"http://x/g/s0/p.gif"},
        {"the content before the group's picture", L"<content type='image/png' src='http://x/i/c.png'/>" +
         std::wstring(group), L"http://x/i/c.png", L"image/png", L"http://x/i/s0/c.png"},
        {"no image at all", L"<content type='text/html' src='http://x/page'/><content type='image/png'/>", L"", L"",
         L""},
        {"a video's still is the group's picture", L"<content type='image/jpeg' src='http://x/i/v.jpg'/>"
         L"<media:group><media:content url='http://x/i/still.jpg' type='image/jpeg' medium='image'/>"
         L"<media:content url='http://x/v/1.mp4' width='640' height='480' type='video/mp4' medium='video'/>"
         L"</media:group>", L"http://x/i/still.jpg", L"image/jpeg", L"http://x/v/1.mp4"},
    };
    for (const auto& c : cases) {
        const std::vector<PhotoEntry> photos = Photos(L"<entry><gphoto:id>1</gphoto:id>" + c.entry + L"</entry>");
        ASSERT_EQ(photos.size(), 1u) << c.name;
        EXPECT_EQ(photos[0].contentUrl, c.content) << c.name;
        EXPECT_EQ(photos[0].contentType, c.type) << c.name;
        EXPECT_EQ(photos[0].mediaUrl, c.media) << c.name;
    }
}

TEST(PhotoFeedText, VideoRenditionsTakeTheFirstLargestAndIgnoreCapitalVideo)
{
    const std::vector<PhotoEntry> photos = Photos(
        L"<entry><title>clip</title><gphoto:id>1</gphoto:id>"
        L"<content type='image/jpeg' src='http://x/img/9/1/clip.jpg'/>"
        L"<gphoto:originalvideo fps='29.97' type='MOV' duration='12' width='1920' height='1080' codec='x'/>"
        L"<media:group>"
        L"<media:content url='http://x/v/320' width='320' height='240' type='video/a' medium='video'/>"
        L"<media:content url='http://x/v/480a' height='360' width='480' type='video/b' medium='video'/>"
        L"<media:content url='http://x/v/480b' width='480' height='360' type='video/c' medium='video'/>"
        L"<media:content url='http://x/v/big' width='1280' height='720' type='video/d' medium='Video'/>"
        L"<media:content url='http://x/v/img' width='2000' height='2000' type='image/jpeg' medium='image'/>"
        L"</media:group></entry>"
        L"<entry><title>portrait</title><gphoto:id>2</gphoto:id>"
        L"<media:group><media:content url='http://x/v/a' width='360' height='640' medium='video'/>"
        L"<media:content url='http://x/v/b' width='640' height='360' medium='video'/></media:group>"
        L"<media:group><media:content url='http://x/v/c' width='641' height='1' medium='video'/></media:group>"
        L"</entry>"
        L"<entry><title>still</title><gphoto:id>3</gphoto:id>"
        L"<content src='noslash' type='image/jpeg'/>"
        L"<media:group><media:content url='http://x/v/z' medium='video'/></media:group></entry>");
    ASSERT_EQ(photos.size(), 3u);
    const PhotoEntry& clip = photos[0];
    EXPECT_EQ(clip.mediaUrl, L"http://x/v/480a");
    EXPECT_EQ(clip.mediaType, L"video/b");
    EXPECT_EQ(clip.mediaWidth, 480);
    EXPECT_EQ(clip.mediaHeight, 360);
    EXPECT_EQ(clip.contentUrl, L"http://x/v/img"); // a video's still: the group's picture
    EXPECT_EQ(clip.uploadedVideoType, L"MOV");
    EXPECT_EQ(clip.uploadedVideoWidth, 1920);
    EXPECT_EQ(clip.uploadedVideoHeight, 1080);
    EXPECT_EQ(clip.uploadedVideoDuration, 12);
    EXPECT_DOUBLE_EQ(clip.uploadedVideoFps, 29.97);
    // Every group counts; a rendition keeps the size of the one before it
    // for what it leaves out.
    const PhotoEntry& portrait = photos[1];
    EXPECT_EQ(portrait.mediaUrl, L"http://x/v/c");
    EXPECT_EQ(portrait.mediaWidth, 641);
    EXPECT_EQ(portrait.mediaHeight, 1);
    EXPECT_EQ(portrait.uploadedVideoType, L"");
    // A rendition without a size is never larger than nothing.
    const PhotoEntry& still = photos[2];
    EXPECT_EQ(still.mediaUrl, L"noslash");
    EXPECT_EQ(still.mediaType, L"");
    EXPECT_EQ(still.timestamp, L"1970/01/01 00:00:00");
}

// The numbering goes on from the photos already read; repeats are passed
// over and not counted in it, photos without an id are all kept.
TEST(PhotoFeedText, NumberedOnAcrossPagesWithoutRepeats)
{
    std::set<std::wstring> listed;
    std::vector<PhotoEntry> photos;
    const auto entry = [](const wchar_t* id) {
        return std::wstring(L"<entry><title>t</title>") + (id[0] ? L"<gphoto:id>" + std::wstring(id) + L"</gphoto:id>" : L"") +
               L"</entry>";
    };
    EXPECT_EQ(ReadPhotoEntries(*Page(entry(L"1") + entry(L"") + entry(L"1") + entry(L"2")), listed, photos), 4u);
    EXPECT_EQ(ReadPhotoEntries(*Page(entry(L"2") + entry(L"") + entry(L"3")), listed, photos), 3u);
    std::vector<std::pair<int32_t, std::wstring>> seen;
    for (const PhotoEntry& photo : photos)
        seen.emplace_back(photo.sequence, photo.id);
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, std::wstring>>{{1, L"1"}, {2, L""}, {3, L"2"}, {4, L""}, {5, L"3"}}));
}

TEST(PhotoFeedText, DetailsFromTheFirstElementsAnywhere)
{
    const struct
    {
        const char* name;
        std::wstring body;
        int32_t width, size, views, comments, stars;
        std::wstring time;
    } cases[] = {
        {"all there",
         L"<gphoto:width>640</gphoto:width><gphoto:size>999</gphoto:size><entry><gphoto:viewCount>12</gphoto:viewCount>"
         L"<gphoto:commentCount>3</gphoto:commentCount><gphoto:starred total='4' by='me'/></entry>"
         L"<gphoto:starred total='9'/><gphoto:timestamp>1000</gphoto:timestamp>",
         640, 999, 12, 3, 4, L"1970/01/01 00:00:01"},
        {"nothing there", L"<entry/>", 0, 0, 0, 0, 0, L"1970/01/01 00:00:00"},
        {"a star without its total", L"<gphoto:starred/><gphoto:starred total='5'/>", 0, 0, 0, 0, 0,
         L"1970/01/01 00:00:00"},
        {"odd numbers", L"<gphoto:viewCount>3 views</gphoto:viewCount><gphoto:size>9999999999</gphoto:size>", 0,
         INT32_MAX, 3, 0, 0, L"1970/01/01 00:00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PhotoEntry entry;
        entry.width = 5;
        entry.viewCount = -1;
        entry.timestamp = L"before";
        ReadPhotoDetails(*Page(c.body), entry);
        EXPECT_EQ(entry.width, c.width);
        EXPECT_EQ(entry.size, c.size);
        EXPECT_EQ(entry.viewCount, c.views);
        EXPECT_EQ(entry.commentCount, c.comments);
        EXPECT_EQ(entry.starredTotal, c.stars);
        EXPECT_EQ(entry.timestamp, c.time);
    }
}
