#include "ui/photos/PhotoListRows.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "app/ResourceText.h"
#include "base/TextFormat.h"
#include "res/resource.h"
#include "service/AccessLevel.h"
#include "base/TextFormat.h"
#include "ui/controls/ListSort.h"

const PhotoListColumn kPhotoListColumns[kPhotoListColumnCount] = {
    {IDS_PHOTO_COLUMN_ALBUM, LVCFMT_LEFT, SortText},
    {IDS_PHOTO_COLUMN_NUMBER, LVCFMT_LEFT, SortText},
    {IDS_PHOTO_COLUMN_TITLE, LVCFMT_LEFT, SortText},
    {IDS_PHOTO_COLUMN_VIEWS, LVCFMT_RIGHT, SortLong},
    {IDS_PHOTO_COLUMN_COMMENTS, LVCFMT_RIGHT, SortLong},
    {IDS_PHOTO_COLUMN_STARS, LVCFMT_RIGHT, SortLong},
    {IDS_PHOTO_COLUMN_TAKEN, LVCFMT_LEFT, SortText},
    {IDS_PHOTO_COLUMN_WIDTH, LVCFMT_RIGHT, SortLong},
    {IDS_PHOTO_COLUMN_HEIGHT, LVCFMT_RIGHT, SortLong},
    {IDS_PHOTO_COLUMN_SIZE, LVCFMT_RIGHT, SortLong},
    {IDS_PHOTO_COLUMN_CAPTION, LVCFMT_LEFT, SortText},
    {IDS_PHOTO_COLUMN_ID, LVCFMT_LEFT, SortText},
    {IDS_PHOTO_COLUMN_PAGE, LVCFMT_LEFT, SortText},
    {IDS_PHOTO_COLUMN_MEDIA, LVCFMT_LEFT, SortText},
};

namespace {

// Photos whose details load in one second.
constexpr uint32_t kPhotosPerSecond = 10;

std::wstring CountText(int32_t value, bool quickMode)
{
    return quickMode ? std::wstring(kNotLoadedCount) : std::to_wstring(value);
}

} // namespace

std::wstring MediaDescription(const PhotoEntry& photo, const std::wstring& stillText, const std::wstring& videoText)
{
    // An entry the feed gives no address for has nothing to show or open.
    if (photo.mediaUrl.empty())
        return L"";
    if (photo.mediaType.empty())
        return stillText;
    wchar_t size[96] = L"";
    std::swprintf(size, std::size(size), L" (%4dx%4d, %d[Sec]", int(photo.mediaWidth), int(photo.mediaHeight),
                  int(photo.uploadedVideoDuration));
    std::wstring text = videoText + size;
    if (photo.mediaType == kFlashVideoType)
        text += L" ,FLV";
    else if (photo.mediaType == kMpeg4VideoType)
        text += L" ,MPEG4";
    text += L")";
    return text;
}

std::wstring PhotoNumberText(int albumOrdinal, int32_t sequence)
{
    wchar_t text[48] = L"";
    std::swprintf(text, std::size(text), L"%.5d - %.4d", albumOrdinal, int(sequence));
    return text;
}

std::vector<std::wstring> PhotoRowCells(const AlbumEntry& album, int albumOrdinal, const PhotoEntry& photo,
                                        bool quickMode, const std::wstring& stillText, const std::wstring& videoText)
{
    return {
        album.title,
        PhotoNumberText(albumOrdinal, photo.sequence),
        photo.title,
        CountText(photo.viewCount, quickMode),
        CountText(photo.commentCount, quickMode),
        CountText(photo.starredTotal, quickMode),
        photo.timestamp,
        std::to_wstring(photo.width),
        std::to_wstring(photo.height),
        std::to_wstring(photo.size),
        photo.summary,
        photo.id,
        photo.alternateLink,
        MediaDescription(photo, stillText, videoText),
    };
}

std::wstring PhotoLinkTooltip(const AlbumEntry& album, const std::wstring& protectedTip)
{
    return FindAccessLevel(album.access) > 1 ? protectedTip : std::wstring();
}

PhotoListEstimate EstimateForPhotos(uint32_t photos)
{
    // In tenths of a second, so that no rounding of 0.1 moves a boundary.
    PhotoListEstimate estimate;
    estimate.photos = photos;
    const uint32_t wholeSeconds = photos / kPhotosPerSecond;
    estimate.minutes = wholeSeconds / 60;
    estimate.seconds = wholeSeconds % 60;
    return estimate;
}

bool EstimateWorthAsking(const PhotoListEstimate& estimate)
{
    return estimate.minutes > 0 || estimate.seconds > kAskAboveSeconds;
}

std::wstring DurationText(uint32_t seconds)
{
    if (seconds < 60) {
        // To the nearest ten seconds, never "about 0".
        const int64_t tens = std::max<int64_t>(10, (int64_t(seconds) + 5) / 10 * 10);
        return tens >= 60 ? ResourceString(IDS_ABOUT_MINUTE) : FormatText(ResourceString(IDS_ABOUT_SECONDS), {tens});
    }
    if (seconds < 3570) {
        const int64_t minutes = (int64_t(seconds) + 30) / 60;
        return minutes == 1 ? ResourceString(IDS_ABOUT_MINUTE) : FormatText(ResourceString(IDS_ABOUT_MINUTES), {minutes});
    }
    const int64_t hours = (int64_t(seconds) + 1800) / 3600;
    return hours == 1 ? ResourceString(IDS_ABOUT_HOUR) : FormatText(ResourceString(IDS_ABOUT_HOURS), {hours});
}

std::wstring PhotoListCaption(const std::wstring& caption, const std::vector<PhotoListAlbum>& albums)
{
    int64_t photos = 0;
    for (const PhotoListAlbum& entry : albums)
        photos += entry.photos ? int64_t(entry.photos->size()) : 0;
    const std::wstring what = albums.size() == 1 ? albums.front().album.title
                                                 : CountText(IDS_COUNT_ALBUM, IDS_COUNT_ALBUMS, int64_t(albums.size()));
    return FormatText(ResourceString(IDS_PHOTO_LIST_CAPTION_FORMAT),
                      {caption, what, CountText(IDS_COUNT_PHOTO, IDS_COUNT_PHOTOS, photos)});
}

PhotoListEstimate EstimatePhotoList(const std::vector<AlbumEntry>& albums, const std::vector<size_t>& selected)
{
    uint32_t photos = 0;
    for (size_t index : selected)
        if (index < albums.size())
            photos += static_cast<uint32_t>(albums[index].numPhotos);
    return EstimateForPhotos(photos);
}
