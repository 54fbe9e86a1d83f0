#include "ui/transfer/UploadRunner.h"

#include <algorithm>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/FeedDocumentFactory.h"
#include "service/PicasaClient.h"
#include "base/TextFormat.h"

namespace {

bool Refusal(const UploadItem& item)
{
    return item.check != UploadCheck::Ok;
}

} // namespace

int UploadRun::Uploaded() const
{
    int n = 0;
    for (const UploadItem& item : items)
        n += item.check == UploadCheck::Ok && item.end == UploadEnd::Uploaded;
    return n;
}

int UploadRun::Refused() const
{
    int n = 0;
    for (const UploadItem& item : items)
        n += Refusal(item);
    return n;
}

int UploadRun::Failed() const
{
    return int(items.size()) - Uploaded() - Refused();
}

bool UploadRun::AnyUnknown() const
{
    for (const UploadItem& item : items)
        if (item.end == UploadEnd::OutcomeUnknown)
            return true;
    return false;
}

UploadRun UploadIntoAlbum(PicasaClient& client, const AlbumEntry& album, const std::vector<std::wstring>& paths,
                          const UploadProgressFn& progress)
{
    UploadRun run;
    UploadProgress shown;
    for (const std::wstring& path : paths) {
        UploadItem item;
        item.path = path;
        item.name = UploadFileName(path);
        item.check = CheckUploadFile(path, &item.size);
        if (item.check == UploadCheck::Ok) {
            shown.total += item.size;
            ++shown.files;
        } else {
            client.WriteLog(UploadLogLine(item, album.title));
        }
        run.items.push_back(std::move(item));
    }
    // Every reply's entry is read into a document of one class object: under
    // Wine, making each from COM afresh costs more than the POST of a photo.
    const FeedDocumentFactory documents;
    uint64_t before = 0;
    for (UploadItem& item : run.items) {
        if (item.check != UploadCheck::Ok)
            continue;
        // After a stop the rest keep "not sent" and count as failed.
        if (run.stopped || run.cancelled) {
            item.end = run.cancelled ? UploadEnd::Cancelled : UploadEnd::NotSent;
            continue;
        }
        ++shown.file;
        shown.name = item.name;
        shown.sent = before;
        if (progress && !progress(shown)) {
            run.cancelled = true;
            item.end = UploadEnd::Cancelled;
            continue;
        }
        PhotoEntry photo;
        item.sent = true;
        item.end = client.UploadFile(album.id, item.path, photo, [&](uint64_t sent, uint64_t) {
            shown.sent = before + sent;
            if (progress && !progress(shown))
                run.cancelled = true;
        });
        item.status = client.GetLastStatus();
        before += item.size;
        if (item.end == UploadEnd::Cancelled)
            run.cancelled = true;
        run.stopped = run.stopped || StopsTheRest(item.end);
        client.WriteLog(UploadLogLine(item, album.title));
    }
    // A Cancel that came as the last file went out left nothing undone.
    if (run.cancelled && std::none_of(run.items.begin(), run.items.end(),
                                      [](const UploadItem& item) { return item.end == UploadEnd::Cancelled; }))
        run.cancelled = false;
    return run;
}

std::wstring UploadReason(const UploadItem& item)
{
    switch (item.check) {
    case UploadCheck::UnknownType:
        return ResourceString(IDS_UPLOAD_UNKNOWN_TYPE);
    case UploadCheck::Empty:
        return ResourceString(IDS_UPLOAD_EMPTY);
    case UploadCheck::Unreadable:
        return ResourceString(IDS_UPLOAD_UNREADABLE);
    case UploadCheck::TooLarge:
        return ResourceFormat(IDS_UPLOAD_OVER_LIMIT,
                              {int64_t((IsVideoType(UploadContentType(item.name)) ? kUploadVideoLimit
                                                                                     : kUploadPhotoLimit) >>
                                       20)});
    case UploadCheck::Folder:
        return ResourceString(IDS_UPLOAD_FOLDER);
    case UploadCheck::Ok:
        break;
    }
    switch (item.end) {
    case UploadEnd::Uploaded:
        return L"";
    case UploadEnd::SignedOut:
        return ResourceString(IDS_UPLOAD_SIGNED_OUT);
    case UploadEnd::NotOwner:
        return ResourceString(IDS_UPLOAD_NOT_OWNER);
    case UploadEnd::QuotaFull:
        return ResourceString(IDS_UPLOAD_QUOTA_FULL);
    case UploadEnd::AlbumFull:
        return ResourceString(IDS_UPLOAD_ALBUM_FULL);
    case UploadEnd::TooLarge:
        return ResourceString(IDS_UPLOAD_TOO_LARGE);
    case UploadEnd::TypeRefused:
        return ResourceString(IDS_UPLOAD_TYPE_REFUSED);
    case UploadEnd::OtherStatus:
        return ResourceFormat(IDS_UPLOAD_STATUS, {item.status});
    case UploadEnd::NotSent:
        return ResourceString(item.sent ? IDS_UPLOAD_NOT_SENT : IDS_UPLOAD_STOPPED);
    case UploadEnd::OutcomeUnknown:
        return ResourceString(IDS_UPLOAD_UNKNOWN_OUTCOME);
    case UploadEnd::Cancelled:
        return ResourceString(IDS_UPLOAD_CANCELLED);
    }
    return L"";
}

std::wstring UploadLogLine(const UploadItem& item, const std::wstring& albumTitle)
{
    if (item.check == UploadCheck::Ok && item.end == UploadEnd::Uploaded)
        return ResourceFormat(IDS_LOG_UPLOADED, {albumTitle, item.name, int64_t(item.size)});
    return ResourceFormat(IDS_LOG_UPLOAD_FAILED, {albumTitle, item.name, UploadReason(item)});
}

std::wstring UploadSummaryText(const UploadRun& run, const std::wstring& albumTitle)
{
    return ResourceFormat(IDS_UPLOAD_SUMMARY, {albumTitle, int64_t(run.Uploaded()), int64_t(run.Refused()),
                                               int64_t(run.Failed())}) +
           UploadSummaryLines(run);
}

std::wstring UploadSummaryLines(const UploadRun& run)
{
    std::wstring text;
    // The box grows with its lines: past a screenful its OK button is out
    // of reach. The log has every file.
    int64_t notListed = 0;
    size_t listed = 0;
    for (const UploadItem& item : run.items) {
        if (item.check == UploadCheck::Ok && item.end == UploadEnd::Uploaded)
            continue;
        if (listed == kUploadSummaryLines) {
            ++notListed;
            continue;
        }
        ++listed;
        const std::wstring name = ClipForMessage(item.name, kUploadSummaryNameChars);
        text += L"\r\n" + ResourceFormat(IDS_UPLOAD_ITEM_LINE, {name, UploadReason(item)});
    }
    if (notListed > 0)
        text += L"\r\n" + ResourceFormat(IDS_UPLOAD_MORE_LINES, {notListed});
    return text;
}

std::wstring UploadProgressText(const UploadProgress& progress)
{
    return ResourceFormat(IDS_PROGRESS_UPLOAD_FORMAT, {int64_t(progress.file), int64_t(progress.files),
                                                       int64_t(progress.sent >> 10), int64_t(progress.total >> 10),
                                                       progress.name});
}
