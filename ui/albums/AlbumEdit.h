#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "service/AlbumChanges.h"
#include "service/AlbumEntry.h"

// What the album properties dialog shows and sends, without a window.

// The dialog's fields: texts as typed, the access box's index (-1: none
// chosen) and the commenting box.
struct AlbumEditFields
{
    std::wstring title;
    std::wstring summary;
    std::wstring location;
    std::wstring date; // "%Y/%m/%d", local time
    int access = -1;
    bool commenting = false;

    bool operator==(const AlbumEditFields&) const = default;
};

// The fields as an album of the feed has them. The date is the local day of
// its timestamp; without one, the day it was published; failing that, today.
AlbumEditFields AlbumEditFieldsOf(const AlbumEntry& album);

// The local day, "%Y/%m/%d", of a time in milliseconds since 1970 UTC given
// as decimal text; "" when the text is no such number.
std::wstring AlbumDateText(const std::wstring& milliseconds);

// The fields that differ between what the dialog opened with and what it
// holds now. A changed date is sent as 16:00 local time of the new day (the
// new album dialog's rule); an unchosen access level is never sent.
AlbumChanges ChangedAlbumFields(const AlbumEditFields& before, const AlbumEditFields& after);

// The language module's names of the changed fields, in the order the
// dialog shows them.
std::vector<UINT> ChangedFieldNames(const AlbumChanges& changes);
