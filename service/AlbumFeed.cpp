#include "service/AlbumFeed.h"

#include "service/FeedDocument.h"
#include "service/FeedNumbers.h"

namespace {

std::wstring ChildText(const FeedNodes& children, const wchar_t* name)
{
    std::wstring text;
    children.ChildText(name, text);
    return text;
}

AlbumEntry ReadAlbum(IXMLDOMNode* entry, const FeedNodes& children, const FeedTimeSettings& times)
{
    AlbumEntry album;
    album.title = ChildText(children, L"title");
    album.id = ChildText(children, L"gphoto:id");
    album.bytesUsed = FeedInt64(ChildText(children, L"gphoto:bytesUsed"));
    album.access = ChildText(children, L"gphoto:access");
    album.numPhotos = FeedInt32(ChildText(children, L"gphoto:numphotos"));
    album.commentingEnabled = ChildText(children, L"gphoto:commentingEnabled");
    album.commentCount = FeedInt32(ChildText(children, L"gphoto:commentCount"));
    album.published = FeedTimeToLocal(ChildText(children, L"published"), times);
    album.updated = FeedTimeToLocal(ChildText(children, L"updated"), times);
    children.LinkHref(L"link", L"rel", L"edit", L"href", album.editLink);
    children.LinkHref(L"link", L"rel", L"alternate", L"href", album.alternateLink);
    album.summary = ChildText(children, L"summary");
    album.location = ChildText(children, L"gphoto:location");
    album.timestamp = ChildText(children, L"gphoto:timestamp");
    for (const FeedAttribute& attribute : FeedNodes::Attributes(entry))
        if (attribute.name == L"gd:etag")
            album.etag = attribute.text;
    return album;
}

} // namespace

size_t ReadAlbumEntries(const FeedDocument& page, const FeedTimeSettings& times, std::set<std::wstring>& listed,
                        std::vector<AlbumEntry>& albums)
{
    size_t onPage = 0;
    page.ForEachEntryNode([&](IXMLDOMNode* entry, const FeedNodes& children) {
        ++onPage;
        AlbumEntry album = ReadAlbum(entry, children, times);
        // An album that a later page lists again is shown once.
        if (!album.id.empty() && !listed.insert(album.id).second)
            return;
        albums.push_back(std::move(album));
    });
    return onPage;
}

AccountQuota ReadQuota(const FeedDocument& page)
{
    AccountQuota quota;
    std::wstring text;
    page.DocumentText(L"gphoto:quotalimit", text);
    quota.limit = FeedInt64(text);
    page.DocumentText(L"gphoto:quotacurrent", text);
    quota.current = FeedInt64(text);
    return quota;
}
