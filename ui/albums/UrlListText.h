#pragma once
#include <string>
#include <vector>

#include "service/AlbumEntry.h"

// The two texts of the URL list, built without a window.
struct UrlListTexts
{
    std::wstring text; // shown, and copied as plain text
    std::wstring html; // copied as "HTML Format"
};

// One entry per selected album, in the order given (the album list's
// display order): textFormat with the title, the number of photos and the
// web address; htmlFormat with the title, the number of photos and the
// address twice. Nothing goes between the entries; line breaks belong to the
// formats. The plain text carries the texts as they are; in the HTML the
// title and the address are escaped, since titles come from the service and
// must not become markup where the list is pasted. Indices outside albums
// are skipped.
UrlListTexts BuildUrlListTexts(const std::vector<AlbumEntry>& albums, const std::vector<size_t>& selected,
                               const std::wstring& textFormat, const std::wstring& htmlFormat);
