#include "ui/photos/PhotoPreviewUrl.h"

#include <algorithm>
#include <cwctype>

#include "http/UrlText.h"

int PreviewImageSide(int paneWidth, int paneHeight, int photoWidth, int photoHeight)
{
    paneWidth = std::max(paneWidth, 1);
    paneHeight = std::max(paneHeight, 1);
    int wanted = std::max(paneWidth, paneHeight);
    if (photoWidth > 0 && photoHeight > 0) {
        const double scale = std::min(double(paneWidth) / photoWidth, double(paneHeight) / photoHeight);
        wanted = int(std::max(photoWidth, photoHeight) * scale + 0.999);
    }
    for (int side : kPreviewSizes)
        if (side >= wanted)
            return side;
    return kPreviewSizes[std::size(kPreviewSizes) - 1];
}

namespace {

// "s400", "s0" or "s144-c": a size folder of a picture's address.
bool IsSizeSegment(const std::wstring& segment)
{
    if (segment.size() < 2 || segment[0] != L's')
        return false;
    size_t i = 1;
    while (i < segment.size() && iswdigit(segment[i]))
        ++i;
    if (i == 1)
        return false;
    return i == segment.size() || segment.compare(i, std::wstring::npos, L"-c") == 0;
}

} // namespace

std::wstring PreviewImageUrl(const std::wstring& contentUrl, int side)
{
    const size_t query = contentUrl.find_first_of(L"?#");
    const size_t slash = contentUrl.rfind(L'/', query == std::wstring::npos ? std::wstring::npos : query);
    const size_t authority = contentUrl.find(L"://");
    if (slash == std::wstring::npos || authority == std::wstring::npos || slash <= authority + 2)
        return contentUrl; // no path to put a size into
    const std::wstring size = L"s" + std::to_wstring(side);
    const size_t before = contentUrl.rfind(L'/', slash - 1);
    if (before != std::wstring::npos && before > authority + 2 &&
        IsSizeSegment(contentUrl.substr(before + 1, slash - before - 1)))
        return contentUrl.substr(0, before + 1) + size + contentUrl.substr(slash);
    return contentUrl.substr(0, slash) + L"/" + size + contentUrl.substr(slash);
}
