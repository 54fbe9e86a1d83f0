#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "service/AlbumEntry.h"
#include "service/PhotoChanges.h"
#include "service/PhotoEntry.h"

// What the photo list's commands do with the selection, without a window:
// which commands are offered, the fields of the properties dialog and the
// change each photo gets from them, the albums a move may go to, and the
// question asked before a deletion.

// The most photos one album holds; a move that would pass it is refused
// before anything is sent.
inline constexpr int32_t kMostPhotosPerAlbum = 1000;

// Open, Copy and Save need nothing but a selection; Properties, Move and
// Delete need a signed-in session and every selected photo's edit link (the
// service gives one only to the photo's owner).
bool PhotosMayChange(bool signedIn, const std::vector<const PhotoEntry*>& selection);

// Keywords as the properties dialog shows them: each one trimmed, in its
// first place only (case kept, compared exactly), empty ones dropped, joined
// by ", ".
std::wstring NormalizedKeywords(const std::wstring& text);

// The properties dialog's fields.
struct PhotoEditFields
{
    std::wstring title;
    std::wstring summary;
    std::wstring keywords;
    bool operator==(const PhotoEditFields&) const = default;
};

// The fields the dialog opens with: one photo's own; for several, a field
// they all share, else empty (the title always, as each has its own).
PhotoEditFields PhotoEditFieldsOf(const std::vector<const PhotoEntry*>& selection);

// The change one photo gets: each field the user changed from what the
// dialog opened with, and only where the photo's own value differs from the
// new one (keywords compared as NormalizedKeywords has them). `several`:
// the title is not offered and never changes.
PhotoChanges PhotoChangesFor(const PhotoEntry& photo, const PhotoEditFields& opened, const PhotoEditFields& now,
                             bool several);

// The albums a move may go to, in the list's order: every album of the
// list that none of the selected photos is in.
std::vector<size_t> MoveTargets(const std::vector<AlbumEntry>& albums, const std::vector<const PhotoEntry*>& selection);

// Whether `count` more photos fit into the album.
bool AlbumHasRoom(const AlbumEntry& album, size_t count);

// The question before a deletion (from the language module): one photo by
// its title, several by their count, with the album's title when they are
// all of one album. albumTitles: the title of each selected photo's album.
std::wstring DeletePhotosQuestion(const std::vector<const PhotoEntry*>& selection,
                                  const std::vector<std::wstring>& albumTitles);
