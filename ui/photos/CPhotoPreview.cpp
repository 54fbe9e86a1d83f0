#include "ui/photos/CPhotoPreview.h"

#include <algorithm>
#include <utility>

#include "base/ScopedHandles.h"
#include "base/TextFormat.h"
#include "http/UrlText.h"
#include "ui/photos/PhotoPreviewUrl.h"

CPhotoPreview::CPhotoPreview(PreviewSource source, Texts texts) : m_source(std::move(source)), m_texts(std::move(texts))
{
}

void CPhotoPreview::Attach(HWND notify, HWND pane)
{
    m_notify = notify;
    m_pane = pane;
}

void CPhotoPreview::Show(const PhotoEntry* photo, const std::vector<const PhotoEntry*>& ahead)
{
    // A selection heard of twice (at once, and after a run of changes).
    if (photo && photo == m_photo && ahead == m_ahead && (m_state == State::Shown || m_state == State::Loading))
        return;
    m_photo = photo;
    m_ahead = ahead;
    Refresh();
}

void CPhotoPreview::SetEmptyText(std::wstring text)
{
    m_emptyText = std::move(text);
    if (m_state == State::Empty)
        Invalidate();
}

void CPhotoPreview::SetVisible(bool visible)
{
    m_visible = visible;
    if (visible && m_notify) {
        EnsureLoader();
        m_loader->Start();
    }
    Refresh();
}

void CPhotoPreview::Stop()
{
    if (m_loader)
        m_loader->Stop();
}

void CPhotoPreview::EnsureLoader()
{
    if (!m_loader)
        m_loader = std::make_unique<CPhotoPreviewLoader>(m_source, m_notify, GetSysColor(COLOR_3DFACE));
}

void CPhotoPreview::PaneResized()
{
    Refresh(); // the same picture for the same room comes from the cache
}

RECT CPhotoPreview::PictureRoom(const RECT& pane, int noteHeight) const
{
    RECT room = pane;
    InflateRect(&room, -kMargin, -kMargin);
    if (noteHeight > 0)
        room.bottom -= noteHeight + kMargin;
    room.right = std::max(room.right, room.left);
    room.bottom = std::max(room.bottom, room.top);
    return room;
}

int CPhotoPreview::NoteHeight(HDC dc) const
{
    TEXTMETRICW metrics = {};
    return GetTextMetricsW(dc, &metrics) ? int(metrics.tmHeight) : 16;
}

std::wstring CPhotoPreview::UrlFor(const PhotoEntry& photo, const RECT& room) const
{
    return PreviewImageUrl(photo.contentUrl,
                           PreviewImageSide(room.right - room.left, room.bottom - room.top, photo.width, photo.height));
}

std::wstring CPhotoPreview::CacheKey(const CPhotoPreviewLoader::Job& job)
{
    return job.url + L"|" + std::to_wstring(job.box.cx) + L"x" + std::to_wstring(job.box.cy);
}

CPhotoPreviewLoader::Job CPhotoPreview::JobFor(const PhotoEntry& photo) const
{
    if (!IsWebAddress(photo.contentUrl))
        return CPhotoPreviewLoader::Job();
    RECT pane = {};
    int noteHeight = 0;
    if (m_pane) {
        GetClientRect(m_pane, &pane);
        if (IsVideo(photo)) {
            const ScopedWindowDc dc(m_pane);
            const ScopedSelect font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(m_notify, WM_GETFONT, 0, 0)));
            noteHeight = NoteHeight(dc.Get());
        }
    }
    const RECT room = PictureRoom(pane, noteHeight);
    return {UrlFor(photo, room), {room.right - room.left, room.bottom - room.top}};
}

void CPhotoPreview::StopHolding()
{
    if (m_holding && m_notify)
        KillTimer(m_notify, kLoadingTimer);
    m_holding = false;
}

void CPhotoPreview::Refresh()
{
    const bool wasShown = m_state == State::Shown;
    // The same photo's picture made for another room stands in for the one
    // for this room until it comes, rather than a blank pause.
    std::shared_ptr<const CDibImage> standIn;
    if (m_photo && m_photo == m_imagePhoto)
        standIn = m_image ? m_image : m_standIn;
    m_image.reset();
    m_standIn.reset();
    m_imagePhoto = nullptr;
    m_wanted.clear();
    m_note.clear();
    if (!m_visible || !m_photo) {
        StopHolding();
        m_state = State::Empty;
        Invalidate();
        return;
    }
    if (IsVideo(*m_photo))
        m_note = FormatText(m_texts.videoFormat, {int64_t(m_photo->uploadedVideoDuration)});
    if (!m_photo->keywords.empty() && !m_texts.tagsFormat.empty())
        m_note += (m_note.empty() ? L"" : L"\n") + FormatText(m_texts.tagsFormat, {m_photo->keywords});
    const CPhotoPreviewLoader::Job job = JobFor(*m_photo);
    if (job.Empty()) {
        StopHolding();
        m_state = State::Failed;
        Invalidate();
        return;
    }
    std::vector<CPhotoPreviewLoader::Job> ahead;
    for (const PhotoEntry* later : m_ahead) {
        CPhotoPreviewLoader::Job next = later ? JobFor(*later) : CPhotoPreviewLoader::Job();
        if (!next.Empty() && !m_cache.Find(CacheKey(next)))
            ahead.push_back(std::move(next));
    }
    m_wanted = job.url;
    m_box = job.box;
    m_image = m_cache.Find(CacheKey(job));
    if (!m_image || !ahead.empty()) {
        EnsureLoader();
        m_loader->Request(m_image ? CPhotoPreviewLoader::Job() : job, ahead);
    }
    if (m_image) {
        StopHolding();
        m_imagePhoto = m_photo;
        m_state = State::Shown;
        PaintNow();
        return;
    }
    m_state = State::Loading;
    if (standIn) {
        StopHolding();
        m_standIn = std::move(standIn);
        m_imagePhoto = m_photo;
        Invalidate();
        return;
    }
    // The last picture stays until this one comes or the timer says it is
    // slow, over any number of rows passed meanwhile; a pane that showed
    // none says so at once.
    if (!m_holding && wasShown && m_notify)
        m_holding = SetTimer(m_notify, kLoadingTimer, 250, nullptr) != 0;
    if (m_holding)
        return;
    Invalidate();
}

void CPhotoPreview::OnLoadingTimer()
{
    StopHolding();
    if (m_state == State::Loading)
        Invalidate();
}

void CPhotoPreview::OnReady()
{
    if (!m_loader)
        return;
    CPhotoPreviewLoader::Result result;
    while (m_loader->TakeResult(result)) {
        std::shared_ptr<const CDibImage> image(std::move(result.image));
        if (image)
            m_cache.Add(CacheKey(result.job), image);
        if (result.job.url != m_wanted || result.job.box.cx != m_box.cx || result.job.box.cy != m_box.cy ||
            m_state != State::Loading)
            continue;
        StopHolding();
        m_image = image;
        m_standIn.reset();
        m_imagePhoto = image ? m_photo : nullptr;
        m_state = image ? State::Shown : State::Failed;
        PaintNow();
    }
}

std::wstring CPhotoPreview::Text() const
{
    switch (m_state) {
    case State::Loading:
        return m_standIn ? m_note : m_texts.loading;
    case State::Failed:
        return m_photo && m_photo->contentUrl.empty() ? m_texts.noAddress : m_texts.failed;
    case State::Shown:
        return m_note;
    case State::Empty:
        return m_emptyText;
    }
    return L"";
}

void CPhotoPreview::Invalidate() const
{
    if (m_pane)
        InvalidateRect(m_pane, nullptr, FALSE);
}

void CPhotoPreview::PaintNow() const
{
    // A paint waits until nothing else is queued: behind the list's own
    // repaint of a key, or every key of a held one. The picture the user
    // waits for goes first.
    Invalidate();
    if (m_pane)
        UpdateWindow(m_pane);
}

RECT CPhotoPreview::PicturePlace(const CDibImage& image, const RECT& room)
{
    const int roomWidth = std::max<int>(room.right - room.left, 1);
    const int roomHeight = std::max<int>(room.bottom - room.top, 1);
    const double scale = std::min(double(roomWidth) / image.Width(), double(roomHeight) / image.Height());
    const int w = std::max(1, int(image.Width() * scale + 0.5));
    const int h = std::max(1, int(image.Height() * scale + 0.5));
    const int x = room.left + (roomWidth - w) / 2, y = room.top + (roomHeight - h) / 2;
    return {x, y, x + w, y + h};
}

namespace {

void DrawPicture(HDC target, HDC reference, const CDibImage& image, const RECT& place)
{
    const UniqueMemoryDc source(CreateCompatibleDC(reference));
    if (!source)
        return;
    const ScopedSelect selectImage(source.get(), image.Bitmap());
    const int w = place.right - place.left, h = place.bottom - place.top;
    if (w == image.Width() && h == image.Height()) {
        // Made for this room: copied as it is.
        BitBlt(target, place.left, place.top, w, h, source.get(), 0, 0, SRCCOPY);
        return;
    }
    // Made for another room (until the one for this room comes), or smaller
    // than the room. Halftone: an average of the source pixels, not every
    // n-th one.
    const int saved = SaveDC(target);
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, place.left, place.top, w, h, source.get(), 0, 0, image.Width(), image.Height(), SRCCOPY);
    RestoreDC(target, saved);
}

} // namespace

void CPhotoPreview::Render(HDC dc, const RECT& rect, HFONT font) const
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    const CDibImage* picture = m_state == State::Shown    ? m_image.get()
                               : m_state == State::Loading ? m_standIn.get()
                                                           : nullptr;
    const std::wstring text = picture ? m_note : Text();
    if (picture && text.empty()) {
        // A picture alone goes straight onto the pane and the margins are
        // filled around it: every pixel is painted once, so nothing flickers
        // and no buffer of the pane's size is made for every step.
        const RECT place = PicturePlace(*picture, PictureRoom(rect, 0));
        DrawPicture(dc, dc, *picture, place);
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, place.left, place.top, place.right, place.bottom);
        FillRect(dc, &rect, GetSysColorBrush(COLOR_3DFACE));
        RestoreDC(dc, saved);
        return;
    }

    // Text, alone or under a picture: drawn through a buffer, so that the
    // pane never shows a half-drawn state.
    const UniqueMemoryDc buffer(CreateCompatibleDC(dc));
    const UniqueBitmap surface(CreateCompatibleBitmap(dc, width, height));
    HDC target = buffer && surface ? buffer.get() : dc;
    const ScopedSelect selectSurface(buffer.get(), surface.get());
    const RECT area = target == dc ? rect : RECT{0, 0, width, height};
    FillRect(target, &area, GetSysColorBrush(COLOR_3DFACE));

    const ScopedSelect selectFont(target, font);
    RECT textRect = area;
    InflateRect(&textRect, -kMargin, -kMargin);
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, GetSysColor(COLOR_BTNTEXT));
    if (picture) {
        // The note goes right under the picture, the two centred together.
        const int noteHeight = NoteHeight(target);
        const RECT room = PictureRoom(area, noteHeight);
        RECT place = PicturePlace(*picture, room);
        const int block = place.bottom - place.top + kMargin + noteHeight;
        const int top = std::max<int>(room.top, area.top + (area.bottom - area.top - block) / 2);
        OffsetRect(&place, 0, top - place.top);
        textRect.top = place.bottom + kMargin;
        DrawPicture(target, dc, *picture, place);
        DrawTextW(target, text.c_str(), int(text.size()), &textRect,
                  DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    } else if (!text.empty()) {
        // Centred as a block of wrapped lines.
        RECT measured = textRect;
        DrawTextW(target, text.c_str(), int(text.size()), &measured, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        const int lines = measured.bottom - measured.top;
        textRect.top += std::max(0, (int(textRect.bottom - textRect.top) - lines) / 2);
        DrawTextW(target, text.c_str(), int(text.size()), &textRect, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
    if (target != dc)
        BitBlt(dc, rect.left, rect.top, width, height, target, 0, 0, SRCCOPY);
}
