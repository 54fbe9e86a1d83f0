#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "service/PhotoEntry.h"
#include "ui/photos/CPhotoPreviewCache.h"
#include "ui/photos/CPhotoPreviewLoader.h"

// The photo list's preview pane: which picture the selected photo needs, the
// pictures kept, the loader that fetches the others, and the drawing of the
// pane (the picture fitted and centred, or a short text). Lives on the
// window's thread; nothing here waits for the network.
class CPhotoPreview
{
public:
    struct Texts
    {
        std::wstring loading;
        std::wstring failed;
        std::wstring videoFormat; // %d: the video's length in seconds
        std::wstring noAddress;   // the feed gives the photo no picture
        std::wstring tagsFormat;  // %s: the photo's tags, shown under its picture
    };

    enum class State { Empty, Loading, Shown, Failed };

    // Room between the picture, the note and the pane's edges.
    static constexpr int kMargin = 4;

    CPhotoPreview(PreviewSource source, Texts texts);

    // notify gets CPhotoPreviewLoader::kReadyMessage, to be passed to
    // OnReady; pane is the control the picture is drawn into.
    void Attach(HWND notify, HWND pane);

    // The photo to show (null: none), and those likely shown next, the
    // nearest first (their pictures are fetched ahead when nothing else is).
    // All stay the caller's. The photo shown or coming already is not asked
    // for again.
    void Show(const PhotoEntry* photo, const std::vector<const PhotoEntry*>& ahead = {});
    // What the pane says while it shows no photo (none selected, or none
    // in the list); empty by default.
    void SetEmptyText(std::wstring text);
    // A hidden pane asks for nothing (and starts no loader); shown again, it
    // readies the loader and asks for the photo.
    void SetVisible(bool visible);
    bool IsVisible() const { return m_visible; }
    // After the pane changed size (a resize, or a change of DPI): another
    // size of picture may be wanted; until it comes the picture there is
    // drawn stretched over the new room.
    void PaneResized();
    // Takes what the loader finished.
    void OnReady();
    // Before the notify window goes: the loader stops and announces nothing
    // more; the pane asks for nothing after.
    void Stop();
    bool Stopped() const { return m_loader && m_loader->Stopped(); }
    // The timer (id kLoadingTimer, on the notify window) after which a
    // picture still on its way shows the loading text: a picture that comes
    // sooner replaces the last one with nothing drawn in between.
    static constexpr UINT_PTR kLoadingTimer = 0x5172;
    void OnLoadingTimer();

    // Draws the pane's content into `dc` over `rect`, through a buffer, so
    // that the pane never shows a half-drawn state.
    void Render(HDC dc, const RECT& rect, HFONT font) const;

    State GetState() const { return m_state; }
    // While a picture for a new room comes: the same photo's older one.
    bool HasStandIn() const { return bool(m_standIn); }
    const std::wstring& WantedUrl() const { return m_wanted; }
    // The room the wanted picture is made to fit.
    SIZE PictureBox() const { return m_box; }
    // The video note or the failure text; empty for a photo.
    std::wstring Text() const;
    const CPhotoPreviewCache& Cache() const { return m_cache; }
    uint64_t Fetches() const { return m_loader ? m_loader->Fetches() : 0; }

private:
    void Refresh();
    void EnsureLoader();
    // The loading timer no longer runs.
    void StopHolding();
    // Where a picture of this size goes in the room: fitted, centred.
    static RECT PicturePlace(const CDibImage& image, const RECT& room);
    // The room the picture gets in the pane (client coordinates).
    RECT PictureRoom(const RECT& pane, int noteHeight) const;
    int NoteHeight(HDC dc) const;
    std::wstring UrlFor(const PhotoEntry& photo, const RECT& room) const;
    // The picture a photo needs in the pane as it is now; none when its
    // address is no web address.
    CPhotoPreviewLoader::Job JobFor(const PhotoEntry& photo) const;
    static std::wstring CacheKey(const CPhotoPreviewLoader::Job& job);
    void Invalidate() const;
    // Invalidates and paints the pane at once.
    void PaintNow() const;

    const PreviewSource m_source;
    const Texts m_texts;
    std::wstring m_emptyText;
    HWND m_notify = nullptr;
    HWND m_pane = nullptr;
    bool m_visible = true;
    const PhotoEntry* m_photo = nullptr;
    std::vector<const PhotoEntry*> m_ahead;
    std::wstring m_wanted;
    SIZE m_box = {0, 0};
    std::wstring m_note;
    State m_state = State::Empty;
    std::shared_ptr<const CDibImage> m_image;
    std::shared_ptr<const CDibImage> m_standIn;
    const PhotoEntry* m_imagePhoto = nullptr; // whose m_image or m_standIn is
    // The last picture stays while the loading timer runs, over any number
    // of rows passed meanwhile.
    bool m_holding = false;
    CPhotoPreviewCache m_cache;
    std::unique_ptr<CPhotoPreviewLoader> m_loader;
};
