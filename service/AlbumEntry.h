#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One album of the user feed.
struct AlbumEntry
{
    std::wstring title;
    std::wstring id;
    int64_t bytesUsed = 0;
    std::wstring access;
    int32_t numPhotos = 0;
    std::wstring commentingEnabled;
    int32_t commentCount = 0;
    std::wstring published; // local time text
    std::wstring updated;   // local time text
    std::wstring editLink;
    std::wstring alternateLink;
    std::wstring summary;
    std::wstring location;
    std::wstring timestamp; // the album's date: milliseconds since 1970 UTC, as the feed writes them
    std::wstring etag;      // the entry's version as the feed gave it ("" when it gave none)
};
