#include "service/PicasaClient.h"
#include "service/PhotoFeed.h"

#include "base/SystemMessage.h"

#include "http/UrlText.h"
#include "service/FeedDocument.h"

std::wstring PicasaClient::AlbumFeedUrl(const std::wstring& albumId) const
{
    return UserFeedUrl() + L"/albumid/" + PathSegment(albumId);
}

UploadEnd PicasaClient::UploadFile(const std::wstring& albumId, const std::wstring& path, PhotoEntry& photo,
                                   const std::function<void(uint64_t sent, uint64_t total)>& progress)
{
    lastStatus_.clear();
    lastServiceError_.clear();
    lastErrorBody_.clear();
    lastFailureCause_.clear();
    lastOutcomeUnknown_ = false;

    const std::wstring name = UploadFileName(path);
    const std::wstring type = UploadContentType(name);
    upload_.url = AlbumFeedUrl(albumId);
    upload_.timeouts = transport_.timeouts;
    upload_.acceptUntrustedCertificates = transport_.acceptUntrustedCertificates;
    // The Slug is the file name as UTF-8, percent-encoded like a path segment.
    upload_.requestHeaders = access_.HeadersFor(upload_.url) + L"Content-Type: " + (type.empty() ? L"application/octet-stream" : type) +
                             L"\r\nSlug: " + PathSegment(name) + L"\r\nConnection: Keep-Alive\r\n";
    upload_.onProgress = progress;

    const DWORD start = GetTickCount();
    const WinHttpUpload::Outcome outcome = upload_.SendFile(path);
    upload_.onProgress = nullptr;
    if (outcome != WinHttpUpload::Outcome::Cancelled && outcome != WinHttpUpload::Outcome::NotSent)
        requestStats_.Add(GetTickCount() - start);

    switch (outcome) {
    case WinHttpUpload::Outcome::Cancelled:
        return UploadEnd::Cancelled;
    case WinHttpUpload::Outcome::NotSent:
        lastErrorBody_ = SystemMessage(upload_.LastError());
        return UploadEnd::NotSent;
    case WinHttpUpload::Outcome::OutcomeUnknown:
        lastOutcomeUnknown_ = true;
        lastErrorBody_ = SystemMessage(upload_.LastError());
        return UploadEnd::OutcomeUnknown;
    case WinHttpUpload::Outcome::Replied:
        break;
    }

    lastStatus_ = upload_.StatusCode();
    const std::wstring& text = upload_.ResponseText();
    const UploadEnd end = ClassifyUploadReply(lastStatus_, text);
    if (end != UploadEnd::Uploaded) {
        lastServiceError_ = ParseServiceError(text);
        lastErrorBody_ = text;
        return end;
    }
    // The reply's entry is the new photo; one that cannot be read still was
    // uploaded, and a refresh shows it.
    FeedDocument document;
    uint32_t elapsed = 0;
    bool parsed = false;
    if (document.Create() && document.Load(text, elapsed, parsed) == S_OK && document.RootName() == L"entry") {
        xmlLoadStats_.Add(elapsed);
        ReadUploadedPhoto(document, photo);
    }
    return UploadEnd::Uploaded;
}
