#pragma once
#include <cstdint>

// What a photo list load tells whoever waits for it, and how they stop it.
// Both are called on the thread that called LoadPhotos, between requests.
class PhotoLoadProgress
{
public:
    virtual ~PhotoLoadProgress() = default;

    // `photos` more photos are done: their details have come back (or
    // failed), or, when details are skipped, their list entries were read.
    virtual void PhotosDone(uint32_t photos) = 0;

    // True to stop: no further request goes out, the ones already sent are
    // waited for, and the load ends as cancelled.
    virtual bool CancelRequested() = 0;
};
