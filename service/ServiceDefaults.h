#pragma once

// What the program uses where the settings name nothing; the settings file
// shows these on the first run.

inline constexpr wchar_t kDefaultAccountServer[] = L"https://www.google.com";
inline constexpr wchar_t kDefaultPhotoServer[] = L"https://picasaweb.google.com";
// Photo details requests under way at once.
inline constexpr int kDefaultParallelRequests = 6;
