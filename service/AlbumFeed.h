#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "service/AlbumEntry.h"
#include "service/FeedTime.h"

class FeedDocument;

// The albums of one loaded page of the user feed, appended to `albums` in
// feed order with their times converted with `times`. An album whose id is
// in `listed` (an earlier page had it) is passed over; the ids of those
// taken are added. Returns how many entries the page held, repeats
// included.
size_t ReadAlbumEntries(const FeedDocument& page, const FeedTimeSettings& times, std::set<std::wstring>& listed,
                        std::vector<AlbumEntry>& albums);

// The account's storage quota in bytes: the first gphoto:quotalimit and
// gphoto:quotacurrent anywhere in the document, 0 where there is none.
struct AccountQuota
{
    int64_t limit = 0;
    int64_t current = 0;
};
AccountQuota ReadQuota(const FeedDocument& page);
