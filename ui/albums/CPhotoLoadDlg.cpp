#include "ui/albums/CPhotoLoadDlg.h"

#include <commctrl.h>

#include "app/ResourceText.h"
#include "base/TextFormat.h"
#include "res/resource.h"
#include "ui/albums/PhotoListCommand.h"
#include "ui/albums/PhotoListLoader.h"

#include <algorithm>

namespace {

// Keeps a window from taking input while in scope, if it took it before.
class ScopedDisabledWindow
{
public:
    explicit ScopedDisabledWindow(HWND window)
        : m_window(window && IsWindowEnabled(window) ? window : nullptr)
    {
        if (m_window)
            EnableWindow(m_window, FALSE);
    }
    ~ScopedDisabledWindow()
    {
        if (m_window)
            EnableWindow(m_window, TRUE);
    }
    ScopedDisabledWindow(const ScopedDisabledWindow&) = delete;
    ScopedDisabledWindow& operator=(const ScopedDisabledWindow&) = delete;

private:
    HWND m_window;
};

} // namespace

bool CPhotoLoadDlg::LoadAlbums(HWND owner, PicasaClient& client, const std::vector<size_t>& selected,
                               bool quickMode, std::vector<PhotoListAlbum>& albums, RunningPhotoLoad* running)
{
    albums.clear();
    PhotoListLoader loader(client, selected, quickMode);
    if (!loader.Start()) {
        // No thread to be had: load here, as a plain wait.
        albums = LoadPhotoListAlbums(client, selected, quickMode);
        return true;
    }
    {
        // Known to the window while it runs: messages dispatched during the
        // wait (a close, say) must not reach the client under it.
        struct Announce
        {
            RunningPhotoLoad* running;
            Announce(RunningPhotoLoad* r, PhotoListLoader& l) : running(r)
            {
                if (running)
                    running->loader = &l;
            }
            ~Announce()
            {
                if (running)
                    running->loader = nullptr;
            }
        } announce(running, loader);
        // The owner's commands would use the client that the load holds.
        ScopedDisabledWindow busy(owner);
        if (!loader.WaitForFinish(kShowAfterMs)) {
            CPhotoLoadDlg dialog(loader, owner);
            if (dialog.DoModal(owner) == -1)
                loader.WaitForFinish(INFINITE); // no template: wait without a window
        }
    }
    if (loader.Cancelled())
        return false;
    albums = loader.TakeAlbums();
    return true;
}

std::wstring CPhotoLoadDlg::ProgressText(uint32_t done, uint32_t total)
{
    return FormatText(ResourceString(IDS_LOAD_PROGRESS_FORMAT),
                      {int64_t(done), int64_t(std::max(done, total))});
}

CPhotoLoadDlg::CPhotoLoadDlg(PhotoListLoader& loader, HWND owner)
    : CDialogBase(IDD_PHOTO_LOAD), m_loader(loader), m_owner(owner)
{
}

bool CPhotoLoadDlg::OnInitDialog()
{
    SetIcons(IDI_APP);
    CenterWindowInWorkArea(Handle(), m_owner);
    m_loader.NotifyWindow(Handle());
    ShowProgress();
    // Ended before the window could hear of it: no message is coming.
    if (m_loader.Finished())
        PostMessageW(Handle(), PhotoListLoader::kFinishedMessage, 0, 0);
    return true;
}

bool CPhotoLoadDlg::OnCommand(int id, int, HWND)
{
    if (id == IDCANCEL) {
        // The window stays until the requests under way have come back.
        if (!m_loader.Cancelled()) {
            m_loader.Cancel();
            EnableItem(IDCANCEL, false);
            SetItemText(IDC_LOAD_TEXT, ResourceString(IDS_LOAD_CANCELLING));
        }
        return true;
    }
    return id == IDOK; // Enter does not end the load
}

bool CPhotoLoadDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result)
{
    if (message == PhotoListLoader::kProgressMessage) {
        ShowProgress();
        result = 0;
        return true;
    }
    if (message == PhotoListLoader::kFinishedMessage) {
        Finish();
        result = 0;
        return true;
    }
    return false;
}

void CPhotoLoadDlg::OnDestroy()
{
    m_loader.NotifyWindow(nullptr);
}

void CPhotoLoadDlg::ShowProgress()
{
    const uint32_t done = m_loader.TakeProgress();
    const uint32_t total = std::max(done, m_loader.PhotosExpected());
    SendItem(IDC_LOAD_PROGRESS, PBM_SETRANGE32, 0, LPARAM(total == 0 ? 1 : total));
    SendItem(IDC_LOAD_PROGRESS, PBM_SETPOS, WPARAM(done));
    if (!m_loader.Cancelled())
        SetItemText(IDC_LOAD_TEXT, ProgressText(done, total));
}

void CPhotoLoadDlg::Finish()
{
    m_loader.NotifyWindow(nullptr);
    // Given back before this window goes, so that the owner is the window
    // that becomes active again.
    if (m_owner)
        EnableWindow(m_owner, TRUE);
    EndDialog(m_loader.Cancelled() ? IDCANCEL : IDOK);
}
