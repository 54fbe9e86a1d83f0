#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "app/SettingsPath.h"
#include "service/PhotoEntry.h"

class PicasaClient;

// The photo list's "Save to folder..." command: asks for the folder (the
// backup's last folder offered first, and remembered), saves the photos
// into it with a progress window and Cancel (which stops after the photo in
// flight), and ends with a summary box.
void RunPhotoSaveCommand(HWND owner, PicasaClient& client, const std::vector<PhotoEntry>& photos,
                         const SettingsLocation& settings = {});
// The save into a chosen folder, with its progress window and summary box.
void RunPhotoSaveInto(HWND owner, PicasaClient& client, const std::vector<PhotoEntry>& photos,
                      const std::wstring& folder);
