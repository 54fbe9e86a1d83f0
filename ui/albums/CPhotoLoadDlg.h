#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/albums/PhotoListRows.h"
#include "ui/controls/CDialogBase.h"

class PhotoListLoader;
class PicasaClient;
struct RunningPhotoLoad;

// The progress of a photo list load that takes a while, over the window
// that asked for it: a bar, "n of N photos" and Cancel. It ends by itself
// when the load ends, with 1, or with 2 after Cancel.
class CPhotoLoadDlg : public CDialogBase
{
public:
    // Loads shorter than this show no window.
    static constexpr DWORD kShowAfterMs = 500;

    // Loads the photos of the selected albums (indices into the client's
    // album list, in display order) off the window's thread, showing this
    // window over `owner` once the load has taken kShowAfterMs; `owner`
    // takes no input meanwhile. False when the user cancelled: `albums` is
    // then empty and nothing has changed.
    // `running`, when given, names the load while it runs.
    static bool LoadAlbums(HWND owner, PicasaClient& client, const std::vector<size_t>& selected, bool quickMode,
                           std::vector<PhotoListAlbum>& albums, RunningPhotoLoad* running = nullptr);

    // The progress line for `done` photos of `total`, from the language
    // module; the total is never shown below what is done.
    static std::wstring ProgressText(uint32_t done, uint32_t total);

    CPhotoLoadDlg(PhotoListLoader& loader, HWND owner);

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    void ShowProgress();
    void Finish();

    PhotoListLoader& m_loader;
    HWND m_owner;
};
