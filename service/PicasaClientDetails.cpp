// Photo details: one request per photo, one after another on the client's
// own connection or side by side over a pool of transports, with the same
// outcome either way.
#include "service/PicasaClient.h"

#include "base/MultimediaTimer.h"
#include "service/FeedDocument.h"
#include "service/FeedDocumentFactory.h"
#include "service/PhotoFeed.h"
#include "service/PhotoLoadProgress.h"

std::wstring PicasaClient::DetailsUrl(const std::wstring& albumId, const std::wstring& photoId) const
{
    return UserFeedUrl() + L"/albumid/" + albumId + L"/photoid/" + photoId + L"?kind=tag";
}

void PicasaClient::FetchDetails(WinHttpClient& transport, const std::wstring& url, const std::wstring& headers,
                                const std::wstring& unread, PhotoEntry& entry, DetailsReply& reply)
{
    // Until the details arrive the entry keeps the list feed's sizes; the
    // counts and the time show that they are missing.
    entry.viewCount = -1;
    entry.commentCount = -1;
    entry.timestamp = unread;

    transport.url = url;
    transport.ClearBody();
    transport.requestHeaders = headers;
    const DWORD start = MultimediaTime();
    transport.Send(L"GET");
    reply.requestMs = MultimediaTime() - start;
    reply.status = transport.StatusCode();
    if (reply.status != L"200")
        return;

    FeedDocument document;
    if (!document.Create()) {
        reply.noParser = true;
        reply.noParserText = transport.ResponseText();
        return;
    }
    uint32_t elapsed = 0;
    document.Load(transport.ResponseText(), elapsed, reply.parsed);
    reply.loadMs = elapsed;
    if (!document.Loaded())
        return;

    ReadPhotoDetails(document, entry);
}

DWORD PicasaClient::TakeDetails(const DetailsReply& reply)
{
    requestStats_.Add(reply.requestMs);
    lastOutcomeUnknown_ = false; // a GET changes nothing
    if (reply.parsed)
        xmlLoadStats_.Add(reply.loadMs);
    if (!reply.noParser)
        return ERROR_SUCCESS;
    lastStatus_ = reply.status;
    WriteLog(L"\u5199\u771f\u60c5\u5831\u306e\u53d6\u5f97 \uff1a \u5931\u6557"); // 写真情報の取得 ： 失敗
    WriteLog(L"\tHTTP\u30ec\u30b9\u30dd\u30f3\u30b9\u30b3\u30fc\u30c9 = " + reply.status);
    lastErrorBody_ = reply.noParserText;
    return ERROR_READ_FAULT;
}

DWORD PicasaClient::LoadPhotoDetails(const std::wstring& albumId, const std::wstring& photoId, PhotoEntry& entry)
{
    DetailsReply reply;
    const std::wstring url = DetailsUrl(albumId, photoId);
    FetchDetails(transport_, url, access_.HeadersFor(url) + L"Connection: Keep-Alive\r\n",
                 texts_.Text(ServiceText::DetailsUnreadable), entry, reply);
    return TakeDetails(reply);
}

bool PicasaClient::LoadAllDetails(const std::wstring& albumId, std::vector<PhotoEntry>& photos,
                                  PhotoLoadProgress* progress)
{
    const auto stopAsked = [&] { return progress && progress->CancelRequested(); };
    // Every reply read on this thread comes from one class object; the
    // pool's threads have their own.
    FeedDocumentFactory documents;
    if (parallelRequests_ <= 1 || photos.size() <= 1) {
        for (PhotoEntry& entry : photos) {
            if (stopAsked())
                return false;
            LoadPhotoDetails(albumId, entry.id, entry);
            if (progress)
                progress->PhotosDone(1);
        }
        return true;
    }

    // The workers fill their own entries and replies and nothing else; the
    // replies are taken in entry order afterwards, so the statistics, the
    // status and the log come out as one request after the other leaves
    // them.
    // Every details address is on the photo server, as the user feed is.
    const std::wstring headers = access_.HeadersFor(UserFeedUrl()) + L"Connection: Keep-Alive\r\n";
    const std::wstring& unread = texts_.Text(ServiceText::DetailsUnreadable);
    std::vector<std::wstring> urls;
    urls.reserve(photos.size());
    for (const PhotoEntry& entry : photos)
        urls.push_back(DetailsUrl(albumId, entry.id));
    std::vector<DetailsReply> replies(photos.size());

    if (stopAsked())
        return false;
    size_t reported = 0;
    bool stopped = false;
    const size_t started = detailsPool_->Run(
        photos.size(), size_t(parallelRequests_), transport_,
        [&](size_t index, WinHttpClient& transport) {
            FetchDetails(transport, urls[index], headers, unread, photos[index], replies[index]);
        },
        [&](size_t ended) {
            if (progress)
                progress->PhotosDone(uint32_t(ended - reported));
            reported = ended;
            stopped = stopAsked();
            return !stopped;
        });
    for (size_t index = 0; index < started; ++index)
        TakeDetails(replies[index]);
    return !stopped && started == photos.size();
}
