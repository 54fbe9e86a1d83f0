#include "ui/albums/PhotoListLoader.h"

#include "base/ComApartment.h"
#include "service/PicasaClient.h"
#include "ui/albums/PhotoListCommand.h"

PhotoListLoader::PhotoListLoader(PicasaClient& client, std::vector<size_t> selected, bool quickMode)
    : m_client(client),
      m_selected(std::move(selected)),
      m_quickMode(quickMode),
      m_expected(EstimatePhotoList(client.GetAlbums(), m_selected).photos)
{
}

PhotoListLoader::~PhotoListLoader()
{
    NotifyWindow(nullptr);
    if (m_thread) {
        if (!m_finished)
            Cancel();
        WaitForSingleObject(m_thread.get(), INFINITE);
    }
    m_client.ResumeRequests();
}

void PhotoListLoader::Cancel()
{
    m_cancel = true;
    m_client.AbortRequests();
}

bool PhotoListLoader::Start()
{
    if (m_thread)
        return true;
    m_client.ResumeRequests();
    m_thread.reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    return bool(m_thread);
}

DWORD WINAPI PhotoListLoader::ThreadMain(void* self)
{
    static_cast<PhotoListLoader*>(self)->Run();
    return 0;
}

void PhotoListLoader::Run() noexcept
{
    // Nothing may leave the thread: a failure here is a load without photos.
    try {
        ComApartment com;
        std::vector<PhotoListAlbum> albums = LoadPhotoListAlbums(m_client, m_selected, m_quickMode, this);
        if (!m_cancel)
            m_albums = std::move(albums);
    } catch (...) {
        m_albums.clear();
    }
    m_finished = true;
    Post(kFinishedMessage);
}

void PhotoListLoader::Post(UINT message)
{
    std::lock_guard<std::mutex> guard(m_windowLock);
    if (m_window)
        PostMessageW(m_window, message, 0, 0);
}

void PhotoListLoader::NotifyWindow(HWND window)
{
    std::lock_guard<std::mutex> guard(m_windowLock);
    m_window = window;
}

void PhotoListLoader::PhotosDone(uint32_t photos)
{
    m_done += photos;
    // One message at a time: the window reads the count when it comes.
    if (!m_progressPosted.exchange(true))
        Post(kProgressMessage);
}

uint32_t PhotoListLoader::TakeProgress()
{
    m_progressPosted = false;
    return m_done;
}

bool PhotoListLoader::WaitForFinish(DWORD milliseconds)
{
    if (!m_thread)
        return true;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        const DWORD left = spent >= milliseconds ? 0 : milliseconds - spent;
        HANDLE thread = m_thread.get();
        const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return m_finished; // time is up
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                Cancel();
                WaitForSingleObject(thread, INFINITE);
                PostQuitMessage(int(msg.wParam));
                return true;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

std::vector<PhotoListAlbum> PhotoListLoader::TakeAlbums()
{
    if (!m_finished)
        return {};
    return std::move(m_albums);
}
