#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/TextFormat.h"

class PicasaClient;

// What the album window and its dialogs say after a request failed: the
// log gets the status and the reply's body whole, the user one box.
struct RequestFailure
{
    std::wstring logLine;         // logged before the status, when not empty
    UINT format = 0;              // the box's text: `leading`, then the status and the body
    std::vector<TextArg> leading; // e.g. the album's title
    bool clipBody = true;         // the box shows a long body cut short
    // When not empty the request went out and no whole answer came: the box
    // says only this, as a warning (the change may well have been made).
    std::wstring outcomeUnknown;
    // The new album dialog shows the failure under the plain error caption
    // first, then as every other failure.
    bool plainCaptionFirst = false;
};

// Logs and shows `failure` with the client's last status and error body.
void ReportRequestFailure(HWND owner, PicasaClient& client, const RequestFailure& failure);
