#include "service/PhotoFeed.h"

#include "service/FeedDocument.h"
#include "service/FeedNumbers.h"
#include "service/FeedTime.h"

#include <algorithm>
#include <iterator>

namespace {

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

void ReadOriginalVideo(IXMLDOMNode* video, PhotoEntry& entry)
{
    for (const FeedAttribute& a : FeedNodes::Attributes(video)) {
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
}

// A picture's address and type as the feed gives it.
struct Picture
{
    std::wstring url;
    std::wstring type;
};

// How much a picture type is preferred where an entry offers several: JPEG
// first, then PNG, GIF, BMP, any other image; -1 for what is no image.
int PictureRank(const std::wstring& type)
{
    static const wchar_t* const preferred[] = {L"image/jpeg", L"image/png", L"image/gif", L"image/bmp"};
    const std::wstring base = type.substr(0, type.find(L';'));
    for (int i = 0; i < int(std::size(preferred)); ++i)
        if (_wcsicmp(base.c_str(), preferred[i]) == 0)
            return i;
    return _wcsnicmp(base.c_str(), L"image/", 6) == 0 ? int(std::size(preferred)) : -1;
}

// The entry's content picture: the best ranked `content` element of an
// image type that has an address.
Picture ContentPicture(const FeedNodes& children)
{
    Picture best;
    int bestRank = -1;
    children.ForEachNamed({L"content"}, [&](size_t, IXMLDOMNode* content) {
        Picture candidate;
        for (const FeedAttribute& a : FeedNodes::Attributes(content)) {
            if (a.name == L"src")
                candidate.url = a.text;
            else if (a.name == L"type")
                candidate.type = a.text;
        }
        const int rank = PictureRank(candidate.type);
        if (rank >= 0 && !candidate.url.empty() && (bestRank < 0 || rank < bestRank)) {
            best = std::move(candidate);
            bestRank = rank;
        }
        return bestRank != 0;
    });
    return best;
}

// A video's renditions: the one with the largest side wins, the earlier one
// on a tie; one whose medium is not exactly "video" never does. The first
// content of medium "image" is the group's picture.
void ReadRenditions(const FeedNodes& group, PhotoEntry& entry, Picture& groupPicture)
{
    group.ForEachNamed({L"media:content"}, [&](size_t, IXMLDOMNode* content) {
        std::wstring url = entry.mediaUrl;
        std::wstring type = entry.mediaType;
        std::wstring medium;
        Picture own; // the address and type this content names itself
        int32_t width = entry.mediaWidth;
        int32_t height = entry.mediaHeight;
        for (const FeedAttribute& a : FeedNodes::Attributes(content)) {
            if (a.name == L"url")
                url = own.url = a.text;
            else if (a.name == L"width")
                width = FeedInt32(a.text);
            else if (a.name == L"height")
                height = FeedInt32(a.text);
            else if (a.name == L"type")
                type = own.type = a.text;
            else if (a.name == L"medium")
                medium = a.text;
        }
        if (medium == L"image" && groupPicture.url.empty() && !own.url.empty() &&
            (own.type.empty() || PictureRank(own.type) >= 0))
            groupPicture = std::move(own);
        if (medium == L"video" && std::max(width, height) > std::max(entry.mediaWidth, entry.mediaHeight)) {
            entry.mediaType = type;
            entry.mediaWidth = width;
            entry.mediaHeight = height;
            entry.mediaUrl = url;
        }
        return true;
    });
}

void ReadMedia(const FeedNodes& children, PhotoEntry& entry, Picture& groupPicture)
{
    children.ForEachNamed({L"gphoto:originalvideo", L"media:group"}, [&](size_t which, IXMLDOMNode* node) {
        if (which == 0) {
            ReadOriginalVideo(node, entry);
        } else {
            const FeedNodes group = children.ChildrenOf(node);
            ReadRenditions(group, entry, groupPicture);
            group.ChildText(L"media:keywords", entry.keywords);
        }
        return true;
    });
}

std::wstring EntryVersion(IXMLDOMNode* entry)
{
    for (const FeedAttribute& a : FeedNodes::Attributes(entry))
        if (a.name == L"gd:etag")
            return a.text;
    return L"";
}

} // namespace

size_t ReadPhotoEntries(const FeedDocument& page, std::set<std::wstring>& listed, std::vector<PhotoEntry>& photos)
{
    size_t onPage = 0;
    page.ForEachEntryNode([&](IXMLDOMNode* node, const FeedNodes& children) {
        ++onPage;
        PhotoEntry entry;
        entry.id = ChildText(children, L"gphoto:id");
        // A photo that a later page lists again is shown once.
        if (!entry.id.empty() && !listed.insert(entry.id).second)
            return;
        entry.sequence = int32_t(photos.size() + 1);
        entry.title = ChildText(children, L"title");
        entry.summary = ChildText(children, L"summary");
        entry.width = FeedInt32(ChildText(children, L"gphoto:width"));
        entry.height = FeedInt32(ChildText(children, L"gphoto:height"));
        entry.size = FeedInt32(ChildText(children, L"gphoto:size"));
        entry.timestamp = MillisToUtcText(ChildText(children, L"gphoto:timestamp"));
        children.LinkHref(L"link", L"rel", L"alternate", L"href", entry.alternateLink);
        children.LinkHref(L"link", L"rel", L"edit", L"href", entry.editLink);
        entry.etag = EntryVersion(node);
        entry.albumId = ChildText(children, L"gphoto:albumid");
        // The picture of any image type, the media group's where the entry
        // has no content picture; a video's still is the group's picture.
        Picture content = ContentPicture(children);
        entry.mediaUrl = FullSizeUrl(content.url);
        Picture group;
        ReadMedia(children, entry, group);
        const bool fromGroup = !group.url.empty() && (content.url.empty() || IsVideo(entry));
        if (fromGroup && content.url.empty() && entry.mediaType.empty())
            entry.mediaUrl = FullSizeUrl(group.url);
        const Picture& picture = fromGroup ? group : content;
        entry.contentUrl = picture.url;
        entry.contentType = picture.type.empty() && !picture.url.empty() ? L"image/jpeg" : picture.type;
        photos.push_back(std::move(entry));
    });
    return onPage;
}

bool ReadUploadedPhoto(const FeedDocument& reply, PhotoEntry& entry)
{
    std::set<std::wstring> listed;
    std::vector<PhotoEntry> photos;
    ReadPhotoEntries(reply, listed, photos);
    if (photos.empty())
        return false;
    entry = std::move(photos.front());
    return true;
}

void ReadPhotoDetails(const FeedDocument& details, PhotoEntry& entry)
{
    entry.width = FeedInt32(DocumentText(details, L"gphoto:width"));
    entry.height = FeedInt32(DocumentText(details, L"gphoto:height"));
    entry.size = FeedInt32(DocumentText(details, L"gphoto:size"));
    entry.viewCount = FeedInt32(DocumentText(details, L"gphoto:viewCount"));
    entry.commentCount = FeedInt32(DocumentText(details, L"gphoto:commentCount"));
    std::wstring starred;
    details.DocumentAttribute(L"gphoto:starred", L"total", starred);
    entry.starredTotal = FeedInt32(starred);
    entry.timestamp = MillisToUtcText(DocumentText(details, L"gphoto:timestamp"));
}

std::wstring FullSizeUrl(const std::wstring& contentUrl)
{
    const size_t slash = contentUrl.rfind(L'/');
    if (slash == std::wstring::npos || slash < 2)
        return contentUrl;
    std::wstring url = contentUrl;
    url.insert(slash, L"/s0");
    return url;
}
