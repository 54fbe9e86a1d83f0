#include "service/PicasaClient.h"

#include "service/FeedDocument.h"
#include "service/FeedNumbers.h"
#include "service/FeedTime.h"

#include <mmsystem.h>

#include <algorithm>

namespace {

const wchar_t kDetailsFailed[] = L"\u5199\u771f\u60c5\u5831\u306e\u8aad\u307f\u8fbc\u307f\u5931\u6557"; // 写真情報の読み込み失敗

std::wstring ChildText(const FeedNodes& children, const wchar_t* name)
{
    std::wstring text;
    children.ChildText(name, text);
    return text;
}

std::wstring DocumentText(const FeedDocument& document, const wchar_t* tag)
{
    std::wstring text;
    document.DocumentText(tag, text);
    return text;
}

bool Named(BSTR name, const SysString& wanted)
{
    return FeedDocument::SameName(name, wanted.Get());
}

} // namespace

bool PicasaClient::LoadReply(FeedDocument& document, bool& created)
{
    created = document.Create();
    if (!created)
        return false;
    uint32_t elapsed = 0;
    bool parsed = false;
    xmlLoadStats_.start = timeGetTime();
    document.Load(transport_.ResponseText(), elapsed, parsed);
    if (parsed)
        xmlLoadStats_.Add(elapsed);
    return document.Loaded();
}

bool PicasaClient::LoadFeed(FeedDocument& document, bool& created)
{
    return LoadReply(document, created) && document.RootName() == L"feed";
}

DWORD PicasaClient::LoadAlbums()
{
    albums_.clear();
    transport_.url = UserFeedUrl();
    transport_.ClearBody();
    transport_.requestHeaders = AuthorizationLine() + L"Connection: Keep-Alive\r\n";
    lastStatus_ = Send(L"GET");
    if (lastStatus_ != L"200") {
        lastErrorBody_ = transport_.ResponseText();
        return ERROR_READ_FAULT;
    }

    // A "200" that is not a feed (cut short, HTML, another encoding) is a
    // failure, not an account without albums.
    FeedDocument document;
    bool created = false;
    if (!LoadFeed(document, created)) {
        if (!created)
            return ERROR_SUCCESS;
        lastErrorBody_ = transport_.ResponseText();
        return ERROR_READ_FAULT;
    }

    document.ForEachEntry([&](const FeedNodes& children) {
        AlbumEntry album;
        album.title = ChildText(children, L"title");
        album.id = ChildText(children, L"gphoto:id");
        album.bytesUsed = FeedInt64(ChildText(children, L"gphoto:bytesUsed"));
        album.access = ChildText(children, L"gphoto:access");
        album.numPhotos = FeedInt32(ChildText(children, L"gphoto:numphotos"));
        album.commentingEnabled = ChildText(children, L"gphoto:commentingEnabled");
        album.commentCount = FeedInt32(ChildText(children, L"gphoto:commentCount"));
        album.published = FeedTimeToLocal(ChildText(children, L"published"));
        album.updated = FeedTimeToLocal(ChildText(children, L"updated"));
        children.LinkHref(L"link", L"rel", L"edit", L"href", album.editLink);
        children.LinkHref(L"link", L"rel", L"alternate", L"href", album.alternateLink);
        albums_.push_back(std::move(album));
    });

    quotaLimit_ = FeedInt64(DocumentText(document, L"gphoto:quotalimit"));
    quotaCurrent_ = FeedInt64(DocumentText(document, L"gphoto:quotacurrent"));
    return ERROR_SUCCESS;
}

std::wstring PicasaClient::FullSizeUrl(const std::wstring& contentUrl)
{
    const size_t slash = contentUrl.rfind(L'/');
    if (slash == std::wstring::npos || slash < 2)
        return contentUrl;
    std::wstring url = contentUrl;
    url.insert(slash, L"/s0");
    return url;
}

void PicasaClient::ReadMedia(const FeedNodes& children, PhotoEntry& entry)
{
    const SysString originalVideo(L"gphoto:originalvideo");
    const SysString mediaGroup(L"media:group");
    const SysString mediaContent(L"media:content");

    children.ForEach([&](IXMLDOMNode* node, BSTR name) {
        if (Named(name, originalVideo)) {
            for (const FeedAttribute& a : FeedDocument::Attributes(node)) {
                if (a.name == L"width")
                    entry.uploadedVideoWidth = FeedInt32(a.text);
                else if (a.name == L"height")
                    entry.uploadedVideoHeight = FeedInt32(a.text);
                else if (a.name == L"type")
                    entry.uploadedVideoType = a.text;
                else if (a.name == L"duration")
                    entry.uploadedVideoDuration = FeedInt32(a.text);
                else if (a.name == L"fps")
                    entry.uploadedVideoFps = FeedDouble(a.text);
            }
        } else if (Named(name, mediaGroup)) {
            FeedDocument::Children(node).ForEach([&](IXMLDOMNode* content, BSTR contentName) {
                if (!Named(contentName, mediaContent))
                    return true;
                std::wstring url = entry.mediaUrl;
                std::wstring type = entry.mediaType;
                std::wstring medium;
                int32_t width = entry.mediaWidth;
                int32_t height = entry.mediaHeight;
                for (const FeedAttribute& a : FeedDocument::Attributes(content)) {
                    if (a.name == L"url")
                        url = a.text;
                    else if (a.name == L"width")
                        width = FeedInt32(a.text);
                    else if (a.name == L"height")
                        height = FeedInt32(a.text);
                    else if (a.name == L"type")
                        type = a.text;
                    else if (a.name == L"medium")
                        medium = a.text;
                }
                // The largest side wins; on a tie the earlier rendition stays.
                if (medium == L"video" && std::max(width, height) > std::max(entry.mediaWidth, entry.mediaHeight)) {
                    entry.mediaType = type;
                    entry.mediaWidth = width;
                    entry.mediaHeight = height;
                    entry.mediaUrl = url;
                }
                return true;
            });
        }
        return true;
    });
}

std::unique_ptr<std::vector<PhotoEntry>> PicasaClient::LoadPhotos(const std::wstring& albumId, int skipDetails,
                                                                  DWORD* result)
{
    auto photos = std::make_unique<std::vector<PhotoEntry>>();
    DWORD ignored = ERROR_SUCCESS;
    DWORD& outcome = result ? *result : ignored;
    outcome = ERROR_SUCCESS;
    auto fail = [&] {
        WriteLog(L"\u5199\u771f\u30ea\u30b9\u30c8\u306e\u53d6\u5f97 \uff1a \u5931\u6557"); // 写真リストの取得 ： 失敗
        WriteLog(L"\tHTTP\u30ec\u30b9\u30dd\u30f3\u30b9\u30b3\u30fc\u30c9 = " + lastStatus_); // HTTPレスポンスコード
        lastErrorBody_ = transport_.ResponseText();
        WriteLog(L"\t" + lastErrorBody_);
        outcome = ERROR_READ_FAULT;
    };

    transport_.url = UserFeedUrl() + L"/albumid/" + albumId;
    transport_.ClearBody();
    transport_.requestHeaders = AuthorizationLine() + L"Connection: Keep-Alive\r\n";
    lastStatus_ = Send(L"GET");
    if (lastStatus_ != L"200") {
        fail();
        return photos;
    }

    // As for the album list: a "200" that is not a feed is a failure.
    FeedDocument document;
    bool created = false;
    if (!LoadFeed(document, created)) {
        if (created)
            fail();
        return photos;
    }

    int32_t position = 0;
    document.ForEachEntry([&](const FeedNodes& children) {
        PhotoEntry entry;
        entry.sequence = ++position;
        entry.title = ChildText(children, L"title");
        entry.id = ChildText(children, L"gphoto:id");
        entry.summary = ChildText(children, L"summary");
        entry.width = FeedInt32(ChildText(children, L"gphoto:width"));
        entry.height = FeedInt32(ChildText(children, L"gphoto:height"));
        entry.size = FeedInt32(ChildText(children, L"gphoto:size"));
        entry.timestamp = MillisToUtcText(ChildText(children, L"gphoto:timestamp"));
        children.LinkHref(L"link", L"rel", L"alternate", L"href", entry.alternateLink);
        std::wstring content;
        children.LinkHref(L"content", L"type", L"image/jpeg", L"src", content);
        entry.mediaUrl = FullSizeUrl(content);
        ReadMedia(children, entry);
        if (skipDetails == 0)
            LoadPhotoDetails(albumId, entry.id, entry);
        photos->push_back(entry);
    });
    return photos;
}

DWORD PicasaClient::LoadPhotoDetails(const std::wstring& albumId, const std::wstring& photoId, PhotoEntry& entry)
{
    // Until the details arrive the entry keeps the list feed's sizes; the
    // counts and the time show that they are missing.
    entry.viewCount = -1;
    entry.commentCount = -1;
    entry.timestamp = kDetailsFailed;

    transport_.url = UserFeedUrl() + L"/albumid/" + albumId + L"/photoid/" + photoId + L"?kind=tag";
    transport_.ClearBody();
    transport_.requestHeaders = AuthorizationLine() + L"Connection: Keep-Alive\r\n";
    const std::wstring status = Send(L"GET");
    if (status != L"200")
        return ERROR_SUCCESS;

    FeedDocument document;
    bool created = false;
    if (!LoadReply(document, created)) {
        if (created)
            return ERROR_SUCCESS;
        lastStatus_ = status;
        WriteLog(L"\u5199\u771f\u60c5\u5831\u306e\u53d6\u5f97 \uff1a \u5931\u6557"); // 写真情報の取得 ： 失敗
        WriteLog(L"\tHTTP\u30ec\u30b9\u30dd\u30f3\u30b9\u30b3\u30fc\u30c9 = " + status);
        lastErrorBody_ = transport_.ResponseText();
        return ERROR_READ_FAULT;
    }

    entry.width = FeedInt32(DocumentText(document, L"gphoto:width"));
    entry.height = FeedInt32(DocumentText(document, L"gphoto:height"));
    entry.size = FeedInt32(DocumentText(document, L"gphoto:size"));
    entry.viewCount = FeedInt32(DocumentText(document, L"gphoto:viewCount"));
    entry.commentCount = FeedInt32(DocumentText(document, L"gphoto:commentCount"));
    std::wstring starred;
    document.DocumentAttribute(L"gphoto:starred", L"total", starred);
    entry.starredTotal = FeedInt32(starred);
    entry.timestamp = MillisToUtcText(DocumentText(document, L"gphoto:timestamp"));
    return ERROR_SUCCESS;
}
