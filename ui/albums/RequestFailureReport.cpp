#include "ui/albums/RequestFailureReport.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PicasaClient.h"

void ReportRequestFailure(HWND owner, PicasaClient& client, const RequestFailure& failure)
{
    const std::wstring status = client.GetLastStatus();
    const std::wstring body = client.GetLastErrorBody();
    if (!failure.logLine.empty())
        client.WriteLog(failure.logLine);
    client.WriteLog(ResourceFormat(IDS_LOG_STATUS_FORMAT, {status}));
    client.WriteLog(ResourceFormat(IDS_LOG_BODY_FORMAT, {body}));
    const std::wstring caption = ResourceString(IDS_CAPTION_REQUEST_FAILED);
    if (!failure.outcomeUnknown.empty()) {
        MessageBoxW(owner, failure.outcomeUnknown.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    std::vector<TextArg> args = failure.leading;
    args.push_back(status);
    args.push_back(failure.clipBody ? ClipForMessage(body) : body);
    const std::wstring text = ResourceFormat(failure.format, args);
    if (failure.plainCaptionFirst)
        MessageBoxW(owner, text.c_str(), ResourceString(IDS_CAPTION_ERROR).c_str(), MB_OK | MB_ICONERROR);
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}
