#include "ui/albums/AlbumActionRunner.h"

#include <string>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/AlbumActionTarget.h"
#include "ui/albums/AlbumWindowText.h"

namespace {

DWORD ChangeOne(AlbumActionTarget& target, const AlbumEntry& album, const AlbumAction& action)
{
    switch (action.kind) {
    case AlbumAction::Kind::Delete: {
        const DWORD result = target.DeleteAlbum(album.editLink);
        target.WriteLog(ResourceFormat(result == ERROR_SUCCESS ? IDS_LOG_DELETED : IDS_LOG_DELETE_FAILED, {album.title}));
        return result;
    }
    case AlbumAction::Kind::Access: {
        const DWORD result = target.SetAlbumAccess(album.editLink, action.accessLevel);
        target.WriteLog(ResourceFormat(result == ERROR_SUCCESS ? IDS_LOG_ACCESS_CHANGED : IDS_LOG_ACCESS_NOT_CHANGED,
                                       {AccessLevelText(album.access), AccessLevelText(action.accessLevel), album.title}));
        return result;
    }
    case AlbumAction::Kind::Commenting: {
        const DWORD result = target.SetAlbumCommenting(album.editLink, action.commentingOn ? 1 : 0);
        target.WriteLog(
            ResourceFormat(result == ERROR_SUCCESS ? IDS_LOG_COMMENTING_CHANGED : IDS_LOG_COMMENTING_NOT_CHANGED,
                           {album.commentingEnabled, std::wstring(action.commentingOn ? L"true" : L"false"),
                            album.title}));
        return result;
    }
    }
    return ERROR_INVALID_PARAMETER;
}

} // namespace

AlbumActionOutcome RunAlbumAction(AlbumActionTarget& target, const std::vector<AlbumEntry>& albums,
                                  const AlbumAction& action, const AlbumActionGoOn& goOn)
{
    AlbumActionOutcome outcome;
    for (const AlbumEntry& album : albums) {
        if (goOn && !goOn(outcome.done)) {
            outcome.stopped = true;
            target.WriteLog(
                ResourceFormat(IDS_LOG_ACTION_STOPPED, {int64_t(outcome.done), int64_t(albums.size()), album.title}));
            return outcome;
        }
        outcome.error = ChangeOne(target, album, action);
        if (outcome.error != ERROR_SUCCESS) {
            outcome.failed = true;
            return outcome;
        }
        ++outcome.done;
    }
    if (goOn)
        goOn(outcome.done); // the last count, for the progress shown
    return outcome;
}
