#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "service/AlbumEntry.h"
#include "service/PhotoEntry.h"

// What the photo list shows, without a window: the albums with the photos
// loaded for them, the column table, the cells of a row, the media
// description and the time estimate asked about before loading.

// One selected album and the photos loaded for it. The photo list command
// owns these for as long as the dialog shows them.
struct PhotoListAlbum
{
    AlbumEntry album;
    std::unique_ptr<std::vector<PhotoEntry>> photos;
    bool readFailed = false; // the photos could not be read: the empty list is no answer
};

// One column of the photo list: header string, alignment (LVCFMT_*) and sort
// type (ListSortType).
struct PhotoListColumn
{
    UINT headerId;
    int format;
    WORD sortType;
};

constexpr int kPhotoListColumnCount = 14;
// The columns in order. The photo id's header (5112) comes before the web
// page's (5111).
extern const PhotoListColumn kPhotoListColumns[kPhotoListColumnCount];

// The columns that carry links: the photo's web page and its media file.
constexpr int kPhotoPageColumn = 12;
constexpr int kPhotoMediaColumn = 13;

// Shown instead of the counts that quick mode does not load.
inline constexpr wchar_t kNotLoadedCount[] = L"-----";

// The media type names the description spells out.
inline constexpr wchar_t kFlashVideoType[] = L"application/x-shockwave-flash";
inline constexpr wchar_t kMpeg4VideoType[] = L"video/mpeg4";

// A still photo: stillText. A video: videoText, its rendition's size and the
// uploaded length as " (%4dx%4d, %d[Sec]", then " ,FLV" or " ,MPEG4" for
// those two types (exact, case-sensitive), then ")".
std::wstring MediaDescription(const PhotoEntry& photo, const std::wstring& stillText, const std::wstring& videoText);

// "%.5d - %.4d": the album's place among the selected albums (from 1) and
// the photo's place in its album.
std::wstring PhotoNumberText(int albumOrdinal, int32_t sequence);

// The texts of the 14 cells of a photo's row.
std::vector<std::wstring> PhotoRowCells(const AlbumEntry& album, int albumOrdinal, const PhotoEntry& photo,
                                        bool quickMode, const std::wstring& stillText, const std::wstring& videoText);

// The tooltip of both link cells of an album's photos: the given text when
// the album is not open to everyone who has its link (protected, or an
// access value that is missing or unknown), else none.
std::wstring PhotoLinkTooltip(const AlbumEntry& album, const std::wstring& protectedTip);

// How long loading the photo details takes, at a tenth of a second per
// photo: the number of photos (as the feeds' counts add up, unsigned), and
// the whole minutes and the seconds left over.
struct PhotoListEstimate
{
    uint32_t photos = 0;
    uint32_t minutes = 0;
    uint32_t seconds = 0;
};
PhotoListEstimate EstimatePhotoList(const std::vector<AlbumEntry>& albums, const std::vector<size_t>& selected);
PhotoListEstimate EstimateForPhotos(uint32_t photos);

// Loads shorter than this many seconds are not asked about.
constexpr uint32_t kAskAboveSeconds = 10;
bool EstimateWorthAsking(const PhotoListEstimate& estimate);

// A time in words, rounded as a person would say it: "about 40 seconds",
// "about 1 minute", "about 3 hours" (from the language module).
std::wstring DurationText(uint32_t seconds);

// The photo list's title: the template's caption, the album's title (or how
// many albums) and how many photos.
std::wstring PhotoListCaption(const std::wstring& caption, const std::vector<PhotoListAlbum>& albums);
