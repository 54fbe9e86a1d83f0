#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "service/PhotoChanges.h"
#include "service/PhotoEntry.h"

class PicasaClient;
class TransportPool;

// Changes of many photos sent side by side: each photo's one request (a
// partial update at its version, or a deletion) over up to the client's
// ParallelRequests() connections at once, never sent twice. The replies are
// taken in the photos' order on the calling thread.
class PhotoChangeBatch
{
public:
    struct Request
    {
        PhotoEntry* photo = nullptr;
        PhotoChanges changes; // ignored for a deletion
        bool remove = false;
    };
    struct Reply
    {
        bool sent = false;     // the request started (false: stopped before it)
        DWORD result = ERROR_SUCCESS; // as PicasaClient::UpdatePhoto's
        std::wstring status;   // the HTTP status ("" when none came)
        bool outcomeUnknown = false;
    };
    // On the calling thread as requests end: how many have; false stops the
    // run (the requests under way end first).
    using Progress = std::function<bool(size_t ended)>;

    explicit PhotoChangeBatch(PicasaClient& client);
    ~PhotoChangeBatch();
    PhotoChangeBatch(const PhotoChangeBatch&) = delete;
    PhotoChangeBatch& operator=(const PhotoChangeBatch&) = delete;

    // Sends every request (an empty change: no request, done). A changed
    // photo takes the entry of its reply (its new version).
    std::vector<Reply> Send(const std::vector<Request>& requests, const Progress& progress = {});

private:
    PicasaClient& client_;
    std::unique_ptr<TransportPool> pool_;
};
