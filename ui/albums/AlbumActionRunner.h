#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "service/AlbumEntry.h"

class AlbumActionTarget;

// One change that the album window makes to each chosen album.
struct AlbumAction
{
    enum class Kind
    {
        Delete,
        Access,
        Commenting,
    };
    Kind kind = Kind::Delete;
    unsigned accessLevel = 0; // Access: the index of the new level
    bool commentingOn = true; // Commenting: the new setting
};

// Where a run of an album action stopped.
struct AlbumActionOutcome
{
    size_t done = 0;     // the albums changed, the first `done` in order
    bool failed = false; // albums[done] could not be changed
    bool stopped = false; // the user stopped the run before albums[done]
    DWORD error = ERROR_SUCCESS; // the failure's result
};

// Asked before each album with how many are done; false stops the run there.
using AlbumActionGoOn = std::function<bool(size_t done)>;

// Makes the change to each album in order, writing a log line for each, and
// stops at the first failure (whose status and body the window then reports)
// or when goOn says so (a log line then names where the run stopped).
AlbumActionOutcome RunAlbumAction(AlbumActionTarget& target, const std::vector<AlbumEntry>& albums,
                                  const AlbumAction& action, const AlbumActionGoOn& goOn = {});
