#include "ui/photos/PhotoListLoader.h"

#include <algorithm>

#include "app/ResourceText.h"
#include "res/resource.h"
#include "service/PicasaClient.h"

PhotoListLoader::PhotoListLoader(PicasaClient& client, std::vector<size_t> selected, bool quickMode)
    : m_client(client),
      m_selected(std::move(selected)),
      m_quickMode(quickMode),
      m_expected(EstimatePhotoList(client.GetAlbums(), m_selected).photos),
      m_work([this](BackgroundWork& work) { Load(work); }, [&client] { client.AbortRequests(); })
{
    m_client.ResumeRequests();
    m_work.Report(0, m_expected, ProgressText(0, m_expected));
}

PhotoListLoader::~PhotoListLoader()
{
    m_work.NotifyWindow(nullptr);
    if (!m_work.Finished())
        m_work.Cancel();
    m_work.Join();
    m_client.ResumeRequests();
}

void PhotoListLoader::Load(BackgroundWork& work)
{
    std::vector<PhotoListAlbum> albums = LoadPhotoListAlbums(m_client, m_selected, m_quickMode, this);
    if (!work.CancelRequested())
        m_albums = std::move(albums);
}

void PhotoListLoader::PhotosDone(uint32_t photos)
{
    const uint32_t done = m_done += photos;
    const uint32_t total = std::max(done, m_expected);
    m_work.Report(done, total, ProgressText(done, total));
}

std::vector<PhotoListAlbum> PhotoListLoader::TakeAlbums()
{
    if (!m_work.Finished() || m_work.Cancelled())
        return {};
    return std::move(m_albums);
}

std::wstring PhotoListLoader::ProgressText(uint32_t done, uint32_t total)
{
    return ResourceFormat(IDS_LOAD_PROGRESS_FORMAT, {int64_t(done), int64_t(std::max(done, total))});
}

std::vector<PhotoListAlbum> LoadPhotoListAlbums(PicasaClient& client, const std::vector<size_t>& selected,
                                                bool quickMode, PhotoLoadProgress* progress)
{
    std::vector<PhotoListAlbum> loaded;
    const std::vector<AlbumEntry>& albums = client.GetAlbums();
    // Copied first: the client's list is not to be touched while loading.
    std::vector<AlbumEntry> chosen;
    for (size_t index : selected)
        if (index < albums.size())
            chosen.push_back(albums[index]);
    loaded.reserve(chosen.size());
    const auto stopAsked = [progress] { return progress && progress->CancelRequested(); };
    for (AlbumEntry& album : chosen) {
        if (stopAsked())
            return {};
        PhotoListAlbum entry;
        DWORD result = ERROR_SUCCESS;
        entry.photos = client.LoadPhotos(album.id, quickMode ? 1 : 0, &result, progress);
        // A stop that cut a request short may come back as a failure.
        if (result == ERROR_CANCELLED || stopAsked())
            return {};
        entry.readFailed = result != ERROR_SUCCESS;
        if (!entry.photos)
            entry.photos = std::make_unique<std::vector<PhotoEntry>>();
        entry.album = std::move(album);
        loaded.push_back(std::move(entry));
    }
    return loaded;
}
