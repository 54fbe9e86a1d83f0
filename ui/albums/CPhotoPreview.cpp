#include "ui/albums/CPhotoPreview.h"

#include <algorithm>
#include <utility>

#include "base/ScopedHandles.h"
#include "base/TextFormat.h"
#include "http/UrlText.h"
#include "ui/albums/PhotoPreviewUrl.h"

namespace {

// Room between the picture, the note and the pane's edges.
constexpr int kMargin = 4;

} // namespace

CPhotoPreview::CPhotoPreview(PreviewSource source, Texts texts) : m_source(std::move(source)), m_texts(std::move(texts))
{
}

void CPhotoPreview::Attach(HWND notify, HWND pane)
{
    m_notify = notify;
    m_pane = pane;
}

void CPhotoPreview::Show(const PhotoEntry* photo, const PhotoEntry* next)
{
    m_photo = photo;
    m_next = next;
    Refresh();
}

void CPhotoPreview::SetVisible(bool visible)
{
    m_visible = visible;
    Refresh();
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

void CPhotoPreview::Refresh()
{
    const bool wasShown = m_state == State::Shown;
    m_image.reset();
    m_wanted.clear();
    m_note.clear();
    if (!m_visible || !m_photo) {
        m_state = State::Empty;
        Invalidate();
        return;
    }
    if (IsVideo(*m_photo))
        m_note = FormatText(m_texts.videoFormat, {int64_t(m_photo->uploadedVideoDuration)});
    const CPhotoPreviewLoader::Job job = JobFor(*m_photo);
    if (job.Empty()) {
        m_state = State::Failed;
        Invalidate();
        return;
    }
    CPhotoPreviewLoader::Job next = m_next ? JobFor(*m_next) : CPhotoPreviewLoader::Job();
    if (!next.Empty() && m_cache.Find(CacheKey(next)))
        next = CPhotoPreviewLoader::Job();
    m_wanted = job.url;
    m_box = job.box;
    m_image = m_cache.Find(CacheKey(job));
    if (!m_image || !next.Empty()) {
        if (!m_loader)
            m_loader = std::make_unique<CPhotoPreviewLoader>(m_source, m_notify, GetSysColor(COLOR_3DFACE));
        m_loader->Request(m_image ? CPhotoPreviewLoader::Job() : job, next);
    }
    if (m_image) {
        m_state = State::Shown;
        Invalidate();
        return;
    }
    m_state = State::Loading;
    // The last picture stays until this one comes or the timer says it is
    // slow; a pane that showed none says so at once.
    if (wasShown && m_notify && SetTimer(m_notify, kLoadingTimer, 250, nullptr))
        return;
    Invalidate();
}

void CPhotoPreview::OnLoadingTimer()
{
    if (m_notify)
        KillTimer(m_notify, kLoadingTimer);
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
        m_image = image;
        m_state = image ? State::Shown : State::Failed;
        Invalidate();
    }
}

std::wstring CPhotoPreview::Text() const
{
    switch (m_state) {
    case State::Loading:
        return m_texts.loading;
    case State::Failed:
        return m_texts.failed;
    case State::Shown:
        return m_note;
    case State::Empty:
        break;
    }
    return L"";
}

void CPhotoPreview::Invalidate() const
{
    if (m_pane)
        InvalidateRect(m_pane, nullptr, FALSE);
}

void CPhotoPreview::Render(HDC dc, const RECT& rect, HFONT font) const
{
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    const UniqueMemoryDc buffer(CreateCompatibleDC(dc));
    const UniqueBitmap surface(CreateCompatibleBitmap(dc, width, height));
    HDC target = buffer && surface ? buffer.get() : dc;
    const ScopedSelect selectSurface(buffer.get(), surface.get());
    const RECT area = target == dc ? rect : RECT{0, 0, width, height};
    FillRect(target, &area, GetSysColorBrush(COLOR_3DFACE));

    const ScopedSelect selectFont(target, font);
    const std::wstring text = Text();
    RECT textRect = area;
    InflateRect(&textRect, -kMargin, -kMargin);
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, GetSysColor(COLOR_BTNTEXT));
    if (m_state == State::Shown && m_image) {
        const RECT picture = PictureRoom(area, text.empty() ? 0 : NoteHeight(target));
        textRect.top = picture.bottom + kMargin;
        const int room = std::max<int>(picture.right - picture.left, 1);
        const int roomHeight = std::max<int>(picture.bottom - picture.top, 1);
        const double scale =
            std::min(double(room) / m_image->Width(), double(roomHeight) / m_image->Height());
        const int w = std::max(1, int(m_image->Width() * scale + 0.5));
        const int h = std::max(1, int(m_image->Height() * scale + 0.5));
        const int x = picture.left + (room - w) / 2, y = picture.top + (roomHeight - h) / 2;
        const UniqueMemoryDc source(CreateCompatibleDC(dc));
        if (source) {
            const ScopedSelect selectImage(source.get(), m_image->Bitmap());
            if (w == m_image->Width() && h == m_image->Height()) {
                // Made for this room: copied as it is.
                BitBlt(target, x, y, w, h, source.get(), 0, 0, SRCCOPY);
            } else {
                // Until the picture for the new room comes. Halftone: an
                // average of the source pixels, not every n-th one.
                SetStretchBltMode(target, HALFTONE);
                SetBrushOrgEx(target, 0, 0, nullptr);
                StretchBlt(target, x, y, w, h, source.get(), 0, 0, m_image->Width(), m_image->Height(), SRCCOPY);
            }
        }
        if (!text.empty())
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
