#include "ui/albums/UrlListText.h"

#include "base/TextFormat.h"
#include "ui/controls/ClipboardText.h"

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
        texts.html += FormatText(htmlFormat, {title, int(album.numPhotos), link, link});
    }
    return texts;
}
