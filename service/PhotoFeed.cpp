#include "service/PhotoFeed.h"

#include "service/FeedDocument.h"
#include "service/FeedNumbers.h"
#include "service/FeedTime.h"

#include <algorithm>

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

// A video's renditions: the one with the largest side wins, the earlier one
// on a tie; one whose medium is not exactly "video" never does.
void ReadRenditions(const FeedNodes& group, PhotoEntry& entry)
{
    group.ForEachNamed({L"media:content"}, [&](size_t, IXMLDOMNode* content) {
        std::wstring url = entry.mediaUrl;
        std::wstring type = entry.mediaType;
        std::wstring medium;
        int32_t width = entry.mediaWidth;
        int32_t height = entry.mediaHeight;
        for (const FeedAttribute& a : FeedNodes::Attributes(content)) {
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
        if (medium == L"video" && std::max(width, height) > std::max(entry.mediaWidth, entry.mediaHeight)) {
            entry.mediaType = type;
            entry.mediaWidth = width;
            entry.mediaHeight = height;
            entry.mediaUrl = url;
        }
        return true;
    });
}

void ReadMedia(const FeedNodes& children, PhotoEntry& entry)
{
    children.ForEachNamed({L"gphoto:originalvideo", L"media:group"}, [&](size_t which, IXMLDOMNode* node) {
        if (which == 0)
            ReadOriginalVideo(node, entry);
        else
            ReadRenditions(children.ChildrenOf(node), entry);
        return true;
    });
}

} // namespace

size_t ReadPhotoEntries(const FeedDocument& page, std::set<std::wstring>& listed, std::vector<PhotoEntry>& photos)
{
    size_t onPage = 0;
    page.ForEachEntry([&](const FeedNodes& children) {
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
        std::wstring content;
        children.LinkHref(L"content", L"type", L"image/jpeg", L"src", content);
        entry.mediaUrl = FullSizeUrl(content);
        entry.contentUrl = content;
        ReadMedia(children, entry);
        photos.push_back(std::move(entry));
    });
    return onPage;
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
