#include "ui/photos/PhotoJobRunner.h"

#include <algorithm>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PhotoChangeBatch.h"
#include "service/PicasaClient.h"

size_t PhotoJobResult::Count(PhotoState state) const
{
    return size_t(std::count(states.begin(), states.end(), state));
}

namespace {

UINT DoneLine(PhotoJobKind kind)
{
    return kind == PhotoJobKind::Change ? IDS_PHOTO_LOG_CHANGED
           : kind == PhotoJobKind::Move ? IDS_PHOTO_LOG_MOVED
                                        : IDS_PHOTO_LOG_DELETED;
}

UINT FailedLine(PhotoJobKind kind)
{
    return kind == PhotoJobKind::Change ? IDS_PHOTO_LOG_CHANGE_FAILED
           : kind == PhotoJobKind::Move ? IDS_PHOTO_LOG_MOVE_FAILED
                                        : IDS_PHOTO_LOG_DELETE_FAILED;
}

} // namespace

PhotoJobResult RunPhotoJob(PicasaClient& client, const std::vector<PhotoEntry*>& photos, PhotoJobKind kind,
                           const std::function<PhotoChanges(const PhotoEntry&)>& changesFor,
                           const std::wstring& targetAlbumId, const std::wstring& targetTitle,
                           const PhotoJobGoOn& goOn)
{
    PhotoJobResult result;
    result.states.assign(photos.size(), PhotoState::NotRun);
    result.statuses.assign(photos.size(), std::wstring());
    std::vector<PhotoChangeBatch::Request> requests;
    std::vector<std::wstring> titles;
    for (PhotoEntry* photo : photos) {
        PhotoChangeBatch::Request request;
        request.photo = photo;
        request.remove = kind == PhotoJobKind::Delete;
        if (kind == PhotoJobKind::Change && changesFor)
            request.changes = changesFor(*photo);
        else if (kind == PhotoJobKind::Move)
            request.changes.albumId = targetAlbumId;
        requests.push_back(std::move(request));
        titles.push_back(photo->title);
    }
    std::vector<PhotoChangeBatch::Reply> replies(photos.size());
    if (!goOn || goOn(0)) {
        // Side by side over the client's parallel connections; a stop lets
        // the requests under way end and starts no other.
        PhotoChangeBatch batch(client);
        replies = batch.Send(requests, [&](size_t ended) { return !goOn || goOn(ended); });
    }
    // One log line per photo, in the photos' order.
    for (size_t i = 0; i < photos.size(); ++i) {
        const PhotoChangeBatch::Reply& reply = replies[i];
        const std::wstring& title = titles[i];
        if (!reply.sent) {
            if (!result.stopped)
                client.WriteLog(ResourceFormat(IDS_PHOTO_LOG_STOPPED, {int64_t(i), int64_t(photos.size())}));
            result.stopped = true;
            continue;
        }
        if (reply.result == ERROR_SUCCESS) {
            result.states[i] = PhotoState::Done;
            ++result.done;
            client.WriteLog(kind == PhotoJobKind::Move ? ResourceFormat(DoneLine(kind), {title, targetTitle})
                                                       : ResourceFormat(DoneLine(kind), {title}));
            continue;
        }
        result.statuses[i] = reply.status;
        if (reply.outcomeUnknown || reply.result == ERROR_REVISION_MISMATCH) {
            // Never sent again: the photo is read as it stands now, and the
            // list shows that.
            result.states[i] = reply.outcomeUnknown ? PhotoState::Unknown : PhotoState::Stale;
            client.WriteLog(ResourceFormat(reply.outcomeUnknown ? IDS_PHOTO_LOG_UNKNOWN : IDS_PHOTO_LOG_STALE, {title}));
            client.ReloadPhoto(*photos[i]);
            continue;
        }
        result.states[i] = PhotoState::Failed;
        client.WriteLog(ResourceFormat(FailedLine(kind), {title, reply.status}));
    }
    return result;
}
