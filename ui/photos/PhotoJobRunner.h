#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "service/PhotoChanges.h"
#include "service/PhotoEntry.h"

class PicasaClient;

// One change that the photo list makes to each selected photo, one request
// per photo, and how each ended.

enum class PhotoJobKind
{
    Change, // title, caption, keywords: each photo its own PhotoChanges
    Move,   // to the album `targetAlbumId`
    Delete,
};

enum class PhotoState
{
    NotRun,    // the run stopped before it (Cancel)
    Done,      // changed (also: nothing to change)
    Failed,    // refused or not sent; `status` says why
    Stale,     // changed meanwhile (412): read again, not changed
    Unknown,   // sent, no whole answer: read again, outcome not known
};

struct PhotoJobResult
{
    std::vector<PhotoState> states; // one per photo, in order
    std::vector<std::wstring> statuses; // the HTTP status of each failure ("" when none came)
    size_t done = 0;
    bool stopped = false;

    size_t Count(PhotoState state) const;
};

// Asked before the first request and as requests end, with how many have
// ended; false stops the run: no request starts after it, and those under
// way end first.
using PhotoJobGoOn = std::function<bool(size_t sent)>;

// Sends the change of each photo, side by side over the client's parallel
// connections (PhotoChangeBatch), then writes a log line per photo in the
// program's language, in the photos' order. A photo that changed meanwhile (412), or whose
// answer was lost after its change was sent, is read again and never sent
// twice. A failure does not stop the run. The photos take what the
// service answered (their new versions; a moved one its new album).
// Change: changesFor gives each photo's change (an empty one sends nothing).
PhotoJobResult RunPhotoJob(PicasaClient& client, const std::vector<PhotoEntry*>& photos, PhotoJobKind kind,
                           const std::function<PhotoChanges(const PhotoEntry&)>& changesFor,
                           const std::wstring& targetAlbumId, const std::wstring& targetTitle,
                           const PhotoJobGoOn& goOn = {});
