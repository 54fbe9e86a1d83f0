#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/photos/PhotoJobRunner.h"

// A photo job with its progress window over `owner`: off the window's
// thread, Cancel stopping it after the photo in flight. captionId: the
// progress window's title.
PhotoJobResult RunPhotoJobWithProgress(HWND owner, PicasaClient& client, const std::vector<PhotoEntry*>& photos,
                                       PhotoJobKind kind,
                                       const std::function<PhotoChanges(const PhotoEntry&)>& changesFor,
                                       const std::wstring& targetAlbumId, const std::wstring& targetTitle,
                                       UINT captionId);

// The lines of the photos a job did not do, one a line: the title and why
// ("HTTP 500", "changed meanwhile", "outcome unknown"); empty when every
// photo was done or the run was only stopped.
std::wstring PhotoJobFailures(const std::vector<std::wstring>& titles, const PhotoJobResult& result);
