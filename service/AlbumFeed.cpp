#include "service/AlbumFeed.h"

#include "service/FeedDocument.h"
#include "service/FeedNumbers.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr size_t kMostReservedAlbums = 10000;

// The fields of an album entry that are its children's texts, found in one
// pass over the children.
enum Field { Title, Id, BytesUsed, Access, NumPhotos, CommentingEnabled, CommentCount, Published, Updated, Summary,
             Location, Timestamp, Fields };

FeedNameSet AlbumFieldNames()
{
    return FeedNameSet({L"title", L"gphoto:id", L"gphoto:bytesUsed", L"gphoto:access", L"gphoto:numphotos",
                        L"gphoto:commentingEnabled", L"gphoto:commentCount", L"published", L"updated", L"summary",
                        L"gphoto:location", L"gphoto:timestamp"});
}

// The text of an attribute of `node` named exactly `name`; only that
// attribute's text is read.
std::wstring AttributeText(IXMLDOMNode* node, const wchar_t* name)
{
    ComRef<IXMLDOMNamedNodeMap> attributes;
    long count = 0;
    if (FAILED(node->get_attributes(attributes.Out())) || !attributes || FAILED(attributes->get_length(&count)))
        return L"";
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> attribute;
        if (FAILED(attributes->get_item(i, attribute.Out())) || !attribute)
            continue;
        const SysString attributeName = FeedNodes::NodeName(attribute.Get());
        if (attributeName.View() == name)
            return FeedNodes::NodeText(attribute.Get());
    }
    return L"";
}

AlbumEntry ReadAlbum(IXMLDOMNode* entry, const FeedNodes& children, FeedNameSet& fields,
                     std::vector<IXMLDOMNode*>& found, const FeedTimeSettings& times)
{
    children.FirstOfEach(fields, found);
    auto text = [&](Field field) { return found[field] ? FeedNodes::NodeText(found[field]) : std::wstring(); };
    AlbumEntry album;
    album.title = text(Title);
    album.id = text(Id);
    album.bytesUsed = FeedInt64(text(BytesUsed));
    album.access = text(Access);
    album.numPhotos = FeedInt32(text(NumPhotos));
    album.commentingEnabled = text(CommentingEnabled);
    album.commentCount = FeedInt32(text(CommentCount));
    album.published = FeedTimeToLocal(text(Published), times);
    album.updated = FeedTimeToLocal(text(Updated), times);
    children.LinkHref(L"link", L"rel", L"edit", L"href", album.editLink);
    children.LinkHref(L"link", L"rel", L"alternate", L"href", album.alternateLink);
    album.summary = text(Summary);
    album.location = text(Location);
    album.timestamp = text(Timestamp);
    album.etag = AttributeText(entry, L"gd:etag");
    return album;
}

} // namespace

size_t ReadAlbumEntries(const FeedDocument& page, const FeedTimeSettings& times, std::set<std::wstring>& listed,
                        std::vector<AlbumEntry>& albums)
{
    size_t onPage = 0;
    FeedNameSet fields = AlbumFieldNames();
    std::vector<IXMLDOMNode*> found;
    // Room for the page's records at once; a text full of "<entry" in its
    // comments gets no more than a few pages' worth.
    albums.reserve(albums.size() + std::min<size_t>(page.EntryTags(), kMostReservedAlbums));
    page.ForEachEntryNode([&](IXMLDOMNode* entry, const FeedNodes& children) {
        ++onPage;
        AlbumEntry album = ReadAlbum(entry, children, fields, found, times);
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
