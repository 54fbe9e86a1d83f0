#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "app/SettingsPath.h"
#include "ui/photos/PhotoListRows.h"

class PicasaClient;
struct RunningWork;

// The photo list of the album window, after its empty-list and no-selection
// checks. selected: indices into client.GetAlbums() of the selected rows, in
// display order. Unless quickMode, asks first whether loading the details
// (a tenth of a second per photo) is worth the wait; then loads each album's
// photos in that order (without their details in quick mode), shows the
// photo list owned by owner, and frees what it loaded.
// Albums whose photos could not be read are named in a message, and the
// list shows the others (none: no list). The list's commands change the
// photos through the client; `save` saves photos into a folder. True when
// a photo was changed, moved or deleted (the album list's counts are then
// out of date).
using PhotoSaver = std::function<void(HWND owner, const std::vector<PhotoEntry>& photos)>;
bool RunPhotoListCommand(HWND owner, PicasaClient& client, const std::vector<size_t>& selected, bool quickMode,
                         const SettingsLocation& settings = {}, RunningWork* running = nullptr,
                         PhotoSaver save = {});
