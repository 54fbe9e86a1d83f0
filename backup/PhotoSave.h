#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "service/PhotoEntry.h"

class PicasaClient;

// Chosen photos saved at full size into one folder, by the backup's rules
// without its index: safe names unique in the folder (the same for the same
// photos), each file fetched under a temporary name and moved into place
// when complete, dated with the photo's time, a file already there at its
// expected length kept (so a stopped save goes on where it stopped), and
// the token sent only to the photo server.

enum class PhotoSaveState
{
    NotRun, // stopped before it
    Saved,
    Kept,   // already in the folder at its length
    Failed,
};

struct PhotoSaveResult
{
    std::vector<PhotoSaveState> states; // one per photo, in order
    std::vector<std::wstring> names;    // the file name of each photo in the folder
    bool stopped = false;
    DWORD diskError = 0; // the folder could not be written: the run ended there
};

// Saves the photos into `folder` (made when missing), one after another,
// writing a log line per photo through the client. `goOn` is asked before
// each photo with how many are done; `stop` is read while a file comes in.
PhotoSaveResult SavePhotos(PicasaClient& client, const std::vector<PhotoEntry>& photos, const std::wstring& folder,
                           const std::atomic<bool>& stop, const std::function<bool(size_t done)>& goOn = {});
