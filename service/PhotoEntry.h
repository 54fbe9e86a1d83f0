#pragma once
#include <cstdint>
#include <string>

// One photo or video of an album feed, optionally completed from its own feed.
struct PhotoEntry
{
    int32_t sequence = 0; // 1-based position in the feed
    std::wstring title;
    std::wstring id;
    int32_t width = 0;
    int32_t height = 0;
    int32_t size = 0;
    int32_t viewCount = 0;    // -1 when details were asked for and not delivered
    int32_t commentCount = 0; // likewise
    int32_t starredTotal = 0;
    std::wstring summary;
    std::wstring alternateLink;
    std::wstring mediaUrl; // full-size image, or the largest video rendition
    std::wstring contentUrl; // the still picture (a video's too), as the feed gives it; "" when none
    std::wstring contentType; // its type ("image/png" ...)
    std::wstring mediaType;
    int32_t mediaWidth = 0;
    int32_t mediaHeight = 0;
    std::wstring uploadedVideoType;
    int32_t uploadedVideoWidth = 0;
    int32_t uploadedVideoHeight = 0;
    int32_t uploadedVideoDuration = 0;
    double uploadedVideoFps = 0.0;
    std::wstring timestamp; // UTC text, or the failure placeholder
    std::wstring editLink; // where changes go; "" when the reader may not change it
    std::wstring etag;     // the entry's version as the feed gave it ("" when none)
    std::wstring keywords; // the tags, comma separated as media:keywords has them
    std::wstring albumId;  // gphoto:albumid
};

// True for a video: its picture is a still.
inline bool IsVideo(const PhotoEntry& photo)
{
    return !photo.mediaType.empty() || !photo.uploadedVideoType.empty();
}
