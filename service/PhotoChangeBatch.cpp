#include "service/PhotoChangeBatch.h"

#include "http/CUtf8Support.h"
#include "http/UrlText.h"
#include "service/FeedDocument.h"
#include "service/PhotoFeed.h"
#include "service/PicasaClient.h"
#include "service/TransportPool.h"

namespace {

// What a worker keeps of one reply.
struct Taken
{
    bool read = false; // the reply's entry was read into `entry`
    PhotoEntry entry;
};

} // namespace

PhotoChangeBatch::PhotoChangeBatch(PicasaClient& client) : client_(client), pool_(std::make_unique<TransportPool>()) {}

PhotoChangeBatch::~PhotoChangeBatch() = default;

std::vector<PhotoChangeBatch::Reply> PhotoChangeBatch::Send(const std::vector<Request>& requests,
                                                            const Progress& progress)
{
    std::vector<Reply> replies(requests.size());
    std::vector<Taken> taken(requests.size());
    const PhotoServerAccess& access = client_.Access();

    const auto job = [&](size_t index, WinHttpClient& transport) {
        const Request& request = requests[index];
        Reply& reply = replies[index];
        reply.sent = true;
        const PhotoEntry& photo = *request.photo;
        // The edit link comes from the feed, and a change carries the
        // token: it goes only to the photo server.
        if (!access.IsPhotoServer(photo.editLink)) {
            reply.result = ERROR_WRITE_FAULT;
            return;
        }
        const std::wstring version = PicasaClient::PhotoVersion(photo);
        const std::wstring ifMatch = L"If-Match: " + (version.empty() ? std::wstring(L"*") : version) + L"\r\n";
        transport.url = photo.editLink;
        const std::wstring authorization = access.HeadersFor(photo.editLink);
        transport.ClearBody();
        if (request.remove) {
            transport.requestHeaders = authorization + ifMatch + L"Connection: Keep-Alive\r\n";
            transport.Send(L"DELETE");
        } else {
            CUtf8Support utf8;
            const std::wstring entry = PicasaClient::PhotoChangesXml(request.changes);
            if (!utf8.ToUtf8(entry.c_str()) || utf8.Count() == 0) {
                reply.result = ERROR_WRITE_FAULT;
                return;
            }
            const uint32_t length = utf8.Count() - 1;
            transport.SetBody(utf8.Data(), int32_t(length));
            transport.requestHeaders = L"Content-Length: " + std::to_wstring(length) + L"\r\n" + authorization +
                                       L"Content-Type: application/xml\r\n" + ifMatch + L"Connection: Keep-Alive\r\n";
            transport.Send(L"PATCH");
        }
        reply.status = transport.StatusCode();
        reply.outcomeUnknown = transport.OutcomeUnknown();
        if (reply.status == L"200") {
            reply.result = ERROR_SUCCESS;
            if (!request.remove) {
                FeedDocument document;
                uint32_t elapsed = 0;
                bool parsed = false;
                taken[index].read = document.Create() &&
                                    document.Load(transport.ResponseText(), elapsed, parsed) == S_OK &&
                                    document.RootName() == L"entry" && ReadUploadedPhoto(document, taken[index].entry);
            }
        } else {
            reply.result = reply.status == L"412"   ? ERROR_REVISION_MISMATCH
                           : reply.status == L"404" ? ERROR_NOT_FOUND
                                                    : ERROR_WRITE_FAULT;
        }
    };

    // Only the photos with something to send take a request.
    std::vector<size_t> sending;
    for (size_t i = 0; i < requests.size(); ++i) {
        if (requests[i].remove || !requests[i].changes.Empty())
            sending.push_back(i);
        else
            replies[i].sent = true;
    }
    const size_t workers = size_t(client_.ParallelRequests());
    pool_->Run(sending.size(), workers < 1 ? 1 : workers, client_.Transport(),
               [&](size_t index, WinHttpClient& transport) { job(sending[index], transport); },
               [&](size_t ended) { return !progress || progress(ended); });

    // The changed photos take what their replies say, in order.
    for (size_t i = 0; i < requests.size(); ++i) {
        if (replies[i].result != ERROR_SUCCESS || requests[i].remove || !replies[i].sent)
            continue;
        PhotoEntry& photo = *requests[i].photo;
        const PhotoChanges& changes = requests[i].changes;
        if (taken[i].read) {
            const PhotoEntry& changed = taken[i].entry;
            photo.title = changed.title;
            photo.summary = changed.summary;
            photo.keywords = changed.keywords;
            photo.albumId = changed.albumId;
            photo.etag = changed.etag;
            if (!changed.editLink.empty())
                photo.editLink = changed.editLink;
            continue;
        }
        if (changes.title)
            photo.title = *changes.title;
        if (changes.summary)
            photo.summary = *changes.summary;
        if (changes.keywords)
            photo.keywords = *changes.keywords;
        if (changes.albumId)
            photo.albumId = *changes.albumId;
    }
    return replies;
}
