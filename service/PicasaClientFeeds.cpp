#include "service/PicasaClient.h"

#include "base/MultimediaTimer.h"
#include "service/AlbumFeed.h"
#include "service/FeedDocument.h"
#include "service/FeedDocumentFactory.h"
#include "service/FeedNumbers.h"
#include "service/PhotoFeed.h"
#include "service/PhotoLoadProgress.h"

#include <algorithm>
#include <set>

namespace {

std::wstring DocumentText(const FeedDocument& document, const wchar_t* tag)
{
    std::wstring text;
    document.DocumentText(tag, text);
    return text;
}

// The href of the feed's own link rel="next" (not an entry's), or "".
std::wstring NextPageLink(const FeedDocument& document)
{
    std::wstring next;
    if (document.Loaded())
        document.RootChildren().LinkHref(L"link", L"rel", L"next", L"href", next);
    return next;
}

// How far a walk over a feed's pages may go.
struct FeedBounds
{
    size_t pages = PicasaClient::kMostFeedPages;
    size_t entries = PicasaClient::kMostFeedEntries;
};

// From the first page: the feed's own total, where it gives one, and a page
// of slack for entries added while the pages are read; the fixed maxima
// otherwise, and never more than those.
FeedBounds FeedBoundsFor(const std::wstring& totalText, const std::wstring& perPageText, size_t firstPage)
{
    FeedBounds bounds;
    if (totalText.empty())
        return bounds;
    const int64_t total = std::max<int64_t>(FeedInt64(totalText), 0);
    const int64_t perPage =
        std::max<int64_t>({perPageText.empty() ? 0 : FeedInt64(perPageText), int64_t(firstPage), 1});
    bounds.entries = size_t(std::min<int64_t>(total + perPage + 1, int64_t(bounds.entries)));
    bounds.pages = size_t(std::min<int64_t>(total / perPage + 2, int64_t(bounds.pages)));
    return bounds;
}

} // namespace

bool PicasaClient::LoadReply(FeedDocument& document, bool& created)
{
    created = document.Create();
    if (!created)
        return false;
    uint32_t elapsed = 0;
    bool parsed = false;
    xmlLoadStats_.start = MultimediaTime();
    // A reply marked UTF-8 was decoded as UTF-8: when its bytes are plain
    // UTF-8, the parser reads them rather than a copy of the text that it
    // would convert back.
    const std::wstring& charset = transport_.ResponseCharset();
    if (charset.size() >= 5 && _wcsnicmp(charset.c_str(), L"utf-8", 5) == 0 &&
        FeedDocument::PlainUtf8(transport_.ResponseBytes(), transport_.ResponseLength())) {
        document.LoadUtf8(transport_.ResponseText(), transport_.ResponseBytes(), transport_.ResponseLength(), elapsed,
                          parsed);
    } else {
        // The text ends at its first NUL already. Its system string is
        // resized from one reply to the next rather than made anew: a new
        // block of megabytes costs more to touch than to fill.
        replyText_.Assign(transport_.ResponseText());
        document.Load(replyText_, elapsed, parsed);
        if (replyText_.Length() > kLargestKeptReply)
            replyText_.Reset();
    }
    if (parsed)
        xmlLoadStats_.Add(elapsed);
    return document.Loaded();
}

bool PicasaClient::LoadFeed(FeedDocument& document, bool& created)
{
    return LoadReply(document, created) && document.RootName() == L"feed";
}

PicasaClient::FeedWalk PicasaClient::WalkFeed(std::wstring url,
                                              const std::function<size_t(const FeedDocument&)>& page,
                                              PhotoLoadProgress* progress)
{
    std::set<std::wstring> read;
    FeedDocumentFactory documents; // one class object for every page
    FeedBounds bounds;
    size_t pages = 0;
    size_t entries = 0;
    for (;;) {
        // Asked before every request, the first one too: a load of many
        // albums stops between them.
        if (progress && progress->CancelRequested())
            return FeedWalk::Cancelled;
        read.insert(url);
        transport_.url = url;
        transport_.ClearBody();
        transport_.requestHeaders = access_.HeadersFor(url) + L"Connection: Keep-Alive\r\n";
        lastStatus_ = Send(L"GET");
        if (lastStatus_ != L"200") {
            // A request cut by the stop is the stop, not a failure.
            if (progress && progress->CancelRequested())
                return FeedWalk::Cancelled;
            lastErrorBody_ = ReplyOrCause();
            return FeedWalk::Failed;
        }
        // A "200" that is not a feed (cut short, HTML, another encoding) is
        // a failure, not a list without entries.
        FeedDocument document;
        bool created = false;
        if (!LoadFeed(document, created)) {
            if (!created)
                return FeedWalk::NoParser;
            lastErrorBody_ = transport_.ResponseText();
            return FeedWalk::Failed;
        }
        const size_t onPage = page(document);
        if (pages++ == 0)
            bounds = FeedBoundsFor(DocumentText(document, L"openSearch:totalResults"),
                                   DocumentText(document, L"openSearch:itemsPerPage"), onPage);
        entries += onPage;

        // A next link back to a page already read would never end.
        std::wstring next = NextPageLink(document);
        if (next.empty() || read.count(next))
            return FeedWalk::Complete;
        if (!access_.IsPhotoServer(next)) {
            lastStatus_.clear();
            lastErrorBody_ = texts_.Format(ServiceText::NextLinkElsewhere, {access_.PhotoServer(), next});
            return FeedWalk::Failed;
        }
        // A server whose next link changes on every page would never end
        // either: no more pages or entries than the feed's own total allows.
        if (pages >= bounds.pages || entries >= bounds.entries) {
            lastStatus_.clear();
            lastErrorBody_ = texts_.Format(ServiceText::FeedWithoutEnd, {int64_t(pages), int64_t(entries), next});
            return FeedWalk::Failed;
        }
        url = std::move(next);
    }
}

DWORD PicasaClient::LoadAlbums()
{
    albums_.clear();
    std::vector<AlbumEntry> albums;
    bool quotaRead = false;
    AccountQuota quota;
    std::set<std::wstring> listed;
    const FeedWalk walk = WalkFeed(UserFeedUrl(), [&](const FeedDocument& document) {
        // Read once for all the page's times.
        const size_t onPage = ReadAlbumEntries(document, CurrentFeedTimeSettings(), listed, albums);
        if (!quotaRead) {
            quotaRead = true;
            quota = ReadQuota(document);
        }
        return onPage;
    }, nullptr);
    if (walk == FeedWalk::NoParser)
        return ERROR_SUCCESS;
    // A list without its later pages would look whole: all or nothing.
    if (walk != FeedWalk::Complete)
        return ERROR_READ_FAULT;
    albums_ = std::move(albums);
    quotaLimit_ = quota.limit;
    quotaCurrent_ = quota.current;
    return ERROR_SUCCESS;
}

std::unique_ptr<std::vector<PhotoEntry>> PicasaClient::LoadPhotos(const std::wstring& albumId, int skipDetails,
                                                                  DWORD* result, PhotoLoadProgress* progress,
                                                                  bool originals)
{
    auto photos = std::make_unique<std::vector<PhotoEntry>>();
    DWORD ignored = ERROR_SUCCESS;
    DWORD& outcome = result ? *result : ignored;
    outcome = ERROR_SUCCESS;

    std::vector<PhotoEntry> entries;
    std::set<std::wstring> listed;
    const std::wstring feedUrl = UserFeedUrl() + L"/albumid/" + albumId + (originals ? L"?imgmax=d" : L"");
    const FeedWalk walk = WalkFeed(feedUrl, [&](const FeedDocument& document) {
        const size_t before = entries.size();
        const size_t onPage = ReadPhotoEntries(document, listed, entries);
        // Asked for originals, the feed's content address is the original
        // itself (a video keeps its largest rendition).
        if (originals)
            for (size_t i = before; i < entries.size(); ++i)
                if (entries[i].mediaUrl == FullSizeUrl(entries[i].contentUrl))
                    entries[i].mediaUrl = entries[i].contentUrl;
        // With details to come, a photo is done when they are.
        if (progress && skipDetails != 0)
            progress->PhotosDone(uint32_t(entries.size() - before));
        return onPage;
    }, progress);

    switch (walk) {
    case FeedWalk::Complete:
        break;
    case FeedWalk::Failed:
        WriteLog(L"\u5199\u771f\u30ea\u30b9\u30c8\u306e\u53d6\u5f97 \uff1a \u5931\u6557"); // 写真リストの取得 ： 失敗
        WriteLog(L"\tHTTP\u30ec\u30b9\u30dd\u30f3\u30b9\u30b3\u30fc\u30c9 = " + lastStatus_); // HTTPレスポンスコード
        WriteLog(L"\t" + lastErrorBody_);
        outcome = ERROR_READ_FAULT;
        return photos;
    case FeedWalk::NoParser:
        return photos;
    case FeedWalk::Cancelled:
        outcome = ERROR_CANCELLED;
        return photos;
    }

    if (skipDetails == 0 && !LoadAllDetails(albumId, entries, progress)) {
        outcome = ERROR_CANCELLED;
        return photos;
    }
    *photos = std::move(entries);
    return photos;
}
