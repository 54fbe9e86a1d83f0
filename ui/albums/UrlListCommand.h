#pragma once
#include <windows.h>

#include <vector>

#include "app/SettingsPath.h"
#include "service/AlbumEntry.h"

// The URL list of the album window, after its empty-list and no-selection
// checks: one plain and one HTML entry per selected album, selected holding
// the indices into albums of the selected rows in display order; then the
// URL dialog with both texts, owned by owner.
void RunUrlListCommand(HWND owner, const std::vector<AlbumEntry>& albums, const std::vector<size_t>& selected,
                       const SettingsLocation& settings = {});
