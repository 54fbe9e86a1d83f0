#pragma once
#include <string>

#include "service/PhotoFeed.h"

// Which picture the photo list's preview asks for, and with which header.

// The sizes (longest side, in pixels) the photo service makes of a picture.
inline constexpr int kPreviewSizes[] = {72, 144, 200, 288, 320, 400, 512, 576, 640, 720, 800, 912, 1024, 1152, 1280, 1440, 1600};

// The smallest offered size whose picture, fitted into a pane of this many
// pixels with its proportions kept, needs no enlarging; the largest when
// none does. The photo's own size gives the proportions (unknown: the
// pane's longer side is the size wanted).
int PreviewImageSide(int paneWidth, int paneHeight, int photoWidth, int photoHeight);

// The address of the picture at that size: the feed's content address with
// "/sN" as the folder before the file name, in place of a size already
// there ("s400", "s0", "s144-c").
std::wstring PreviewImageUrl(const std::wstring& contentUrl, int side);
