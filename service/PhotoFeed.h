#pragma once
#include <set>
#include <string>
#include <vector>

#include "service/PhotoEntry.h"

class FeedDocument;

// The photos and videos of one loaded page of an album feed, appended to
// `photos` in feed order and numbered on from the ones already there. A
// photo whose id is in `listed` (an earlier page had it) is passed over; the
// ids of those taken are added. Returns how many entries the page held,
// repeats included.
size_t ReadPhotoEntries(const FeedDocument& page, std::set<std::wstring>& listed, std::vector<PhotoEntry>& photos);

// The photo of an upload's reply (an entry document); false when it holds
// none.
bool ReadUploadedPhoto(const FeedDocument& reply, PhotoEntry& entry);

// A photo's own feed (its details): sizes, counts and time, each from the
// first such element anywhere in the document (0, and 1970 for the time,
// where there is none).
void ReadPhotoDetails(const FeedDocument& details, PhotoEntry& entry);

// "/s0" before the file name of a content URL: the address of the full-size
// picture.
std::wstring FullSizeUrl(const std::wstring& contentUrl);
