#include "ui/photos/PhotoListCommand.h"

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PicasaClient.h"
#include "ui/photos/CPhotoInfoDlg.h"
#include "ui/controls/CProgressDlg.h"
#include "ui/photos/PhotoListLoader.h"
#include "base/TextFormat.h"
#include "service/PhotoLoadProgress.h"

namespace {

// The wait cursor while the requests run, the previous one afterwards.
class ScopedWaitCursor
{
public:
    ScopedWaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~ScopedWaitCursor() { SetCursor(m_previous ? m_previous : LoadCursorW(nullptr, IDC_ARROW)); }
    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

bool WaitingIsWanted(HWND owner, const PhotoListEstimate& estimate)
{
    const std::wstring text = FormatText(ResourceString(IDS_ESTIMATE_FORMAT),
                                         {estimate.photos, DurationText(estimate.minutes * 60 + estimate.seconds)});
    return MessageBoxW(owner, text.c_str(), ResourceString(IDS_CAPTION_ESTIMATE).c_str(),
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace

// Names the albums whose photos could not be read; true when some could.
bool ReportUnreadableAlbums(HWND owner, const std::vector<PhotoListAlbum>& albums)
{
    std::wstring titles;
    size_t failed = 0;
    for (const PhotoListAlbum& entry : albums) {
        if (!entry.readFailed)
            continue;
        ++failed;
        titles += (titles.empty() ? L"" : L"\n") + entry.album.title;
    }
    if (failed == 0)
        return true;
    const std::wstring text = FormatText(ResourceString(IDS_PHOTOS_UNREADABLE_FORMAT), {ClipForMessage(titles)});
    MessageBoxW(owner, text.c_str(), ResourceString(IDS_CAPTION_REQUEST_FAILED).c_str(), MB_ICONERROR | MB_OK);
    return failed < albums.size();
}

bool RunPhotoListCommand(HWND owner, PicasaClient& client, const std::vector<size_t>& selected, bool quickMode,
                         const SettingsLocation& settings, RunningWork* running, PhotoSaver save)
{
    if (selected.empty())
        return false;
    // Only a load that takes a while is worth a question.
    const PhotoListEstimate estimate = EstimatePhotoList(client.GetAlbums(), selected);
    if (!quickMode && EstimateWorthAsking(estimate) && !WaitingIsWanted(owner, estimate))
        return false;
    std::vector<PhotoListAlbum> albums;
    {
        ScopedWaitCursor wait;
        // Off this thread, with a progress window when it takes a while;
        // cancelled, there is nothing to show.
        PhotoListLoader loader(client, selected, quickMode);
        if (!CProgressDlg::Run(owner, loader.Work(), std::wstring(), running))
            return false;
        albums = loader.TakeAlbums();
    }
    // The list shows what was read (an unread album has no rows); the
    // message named the rest.
    if (!ReportUnreadableAlbums(owner, albums))
        return false;
    CPhotoInfoDlg dialog(albums, quickMode, settings);
    dialog.SetPreviewSource(client.Access());
    dialog.SetActions({&client, client.GetAlbums(), std::move(save)});
    dialog.DoModal(owner);
    // The photo lists go with `albums` here.
    return dialog.PhotosChanged();
}
