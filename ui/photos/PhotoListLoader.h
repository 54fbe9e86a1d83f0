#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "service/PhotoLoadProgress.h"
#include "ui/photos/PhotoListRows.h"
#include "ui/controls/BackgroundWork.h"

class PicasaClient;

// Loads the photo lists of the chosen albums as background work, so that
// the window that asked for them stays responsive. The client is not made
// for two threads: until the work has finished nothing else may use it.
class PhotoListLoader : private PhotoLoadProgress
{
public:
    // selected: indices into client.GetAlbums(), in display order.
    PhotoListLoader(PicasaClient& client, std::vector<size_t> selected, bool quickMode);
    // Stops the load and waits for it; the client takes requests again.
    ~PhotoListLoader() override;
    PhotoListLoader(const PhotoListLoader&) = delete;
    PhotoListLoader& operator=(const PhotoListLoader&) = delete;

    // The load, to start and wait for. Its Cancel stops it: no request goes
    // out after it and the ones under way are cut (closed) rather than
    // waited for.
    BackgroundWork& Work() { return m_work; }

    // How many the albums' counts promise (the feeds may hold more).
    uint32_t PhotosExpected() const { return m_expected; }
    // After the end: each album with its photos; none when cancelled.
    std::vector<PhotoListAlbum> TakeAlbums();

    // The progress line for `done` photos of `total`, from the language
    // module; the total is never shown below what is done.
    static std::wstring ProgressText(uint32_t done, uint32_t total);

private:
    void Load(BackgroundWork& work);

    // PhotoLoadProgress, on the loading thread.
    void PhotosDone(uint32_t photos) override;
    bool CancelRequested() override { return m_work.CancelRequested(); }

    PicasaClient& m_client;
    const std::vector<size_t> m_selected;
    const bool m_quickMode;
    const uint32_t m_expected;
    std::vector<PhotoListAlbum> m_albums;
    std::atomic<uint32_t> m_done{0};
    BackgroundWork m_work; // last: it ends (and waits) before the rest goes
};

// The loading step alone: each selected album with the photos LoadPhotos
// gave for it (an empty list, and readFailed, when they could not be read).
// Stopped through `progress`, it returns no album at all; the stop is asked
// before each album's first request.
std::vector<PhotoListAlbum> LoadPhotoListAlbums(PicasaClient& client, const std::vector<size_t>& selected,
                                                bool quickMode, PhotoLoadProgress* progress = nullptr);
