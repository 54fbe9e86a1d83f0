#include "ui/albums/UrlListText.h"

#include <iterator>

#include "base/TextFormat.h"
#include "http/UrlText.h"
#include "ui/controls/ClipboardText.h"

namespace {

const wchar_t kAnchorStart[] = L"<a href=\"%s\">";
const wchar_t kAnchorEnd[] = L"</a>";

// The entry's HTML for an address that is not a web page: the anchor's tags
// go and its text stays, so that pasting makes no link of it. Empty when the
// format has no such anchor.
std::wstring WithoutAnchor(const std::wstring& format)
{
    const size_t start = format.find(kAnchorStart);
    const size_t end = start == std::wstring::npos ? start : format.find(kAnchorEnd, start);
    if (end == std::wstring::npos)
        return L"";
    std::wstring text = format;
    text.erase(end, std::size(kAnchorEnd) - 1);
    text.erase(start, std::size(kAnchorStart) - 1);
    return text;
}

} // namespace

UrlListTexts BuildUrlListTexts(const std::vector<AlbumEntry>& albums, const std::vector<size_t>& selected,
                               const std::wstring& textFormat, const std::wstring& htmlFormat)
{
    UrlListTexts texts;
    for (size_t index : selected) {
        if (index >= albums.size())
            continue;
        const AlbumEntry& album = albums[index];
        texts.text += FormatText(textFormat, {album.title, int(album.numPhotos), album.alternateLink});
        const std::wstring title = HtmlEscape(album.title);
        const std::wstring link = HtmlEscape(album.alternateLink);
        if (album.alternateLink.empty() || IsWebAddress(album.alternateLink))
            texts.html += FormatText(htmlFormat, {title, int(album.numPhotos), link, link});
        else if (const std::wstring unlinked = WithoutAnchor(htmlFormat); !unlinked.empty())
            texts.html += FormatText(unlinked, {title, int(album.numPhotos), link});
        else
            texts.html += FormatText(htmlFormat, {title, int(album.numPhotos), std::wstring(), link});
    }
    return texts;
}
