#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "base/ScopedHandles.h"
#include "service/PhotoLoadProgress.h"
#include "ui/albums/PhotoListRows.h"

class PicasaClient;

// Loads the photo lists of the chosen albums on a thread of its own, so that
// the window that asked for them stays responsive. The client is not made
// for two threads: until Finished() nothing else may use it.
class PhotoListLoader : private PhotoLoadProgress
{
public:
    // Posted to the window given to NotifyWindow: more photos are done (how
    // many in all: TakeProgress), and the load has ended.
    static constexpr UINT kProgressMessage = WM_APP + 1;
    static constexpr UINT kFinishedMessage = WM_APP + 2;

    // selected: indices into client.GetAlbums(), in display order.
    PhotoListLoader(PicasaClient& client, std::vector<size_t> selected, bool quickMode);
    // Asks the load to stop and waits for its thread.
    ~PhotoListLoader() override;
    PhotoListLoader(const PhotoListLoader&) = delete;
    PhotoListLoader& operator=(const PhotoListLoader&) = delete;

    // False when no thread could be started; nothing has been loaded then.
    bool Start();
    // Waits up to `milliseconds` for the end, dispatching this thread's
    // messages meanwhile; true once the load has ended. A WM_QUIT met here
    // stops the load, is waited out and is posted again.
    bool WaitForFinish(DWORD milliseconds);
    // Where the messages go; null for nowhere. Safe while the load runs.
    void NotifyWindow(HWND window);

    // Stops the load: no request goes out after it and the ones under way
    // are cut (closed) rather than waited for; the client takes requests
    // again once the load has ended.
    void Cancel();
    bool Cancelled() const { return m_cancel; }
    bool Finished() const { return m_finished; }

    // The photos done so far; allows the next progress message.
    uint32_t TakeProgress();
    // How many the albums' counts promise (the feeds may hold more).
    uint32_t PhotosExpected() const { return m_expected; }

    // After the end: each album with its photos; none when cancelled.
    std::vector<PhotoListAlbum> TakeAlbums();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run() noexcept;
    void Post(UINT message);

    // PhotoLoadProgress, on the loading thread.
    void PhotosDone(uint32_t photos) override;
    bool CancelRequested() override { return m_cancel; }

    PicasaClient& m_client;
    const std::vector<size_t> m_selected;
    const bool m_quickMode;
    const uint32_t m_expected;
    UniqueHandle m_thread;
    std::vector<PhotoListAlbum> m_albums;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    std::atomic<uint32_t> m_done{0};
    std::atomic<bool> m_progressPosted{false};
    std::mutex m_windowLock;
    HWND m_window = nullptr;
};
