#include "ui/photos/CDibImage.h"

#include <atomic>

namespace {
std::atomic<long> g_live{0};
}

CDibImage::~CDibImage()
{
    if (m_bitmap) {
        DeleteObject(m_bitmap);
        --g_live;
    }
}

bool CDibImage::Create(int width, int height)
{
    if (m_bitmap || width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as WIC writes rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_bitmap)
        return false;
    ++g_live;
    m_bits = static_cast<uint32_t*>(bits);
    m_width = width;
    m_height = height;
    return true;
}

COLORREF CDibImage::Pixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    const uint32_t bgrx = m_bits[size_t(y) * size_t(m_width) + size_t(x)];
    return RGB((bgrx >> 16) & 0xff, (bgrx >> 8) & 0xff, bgrx & 0xff);
}

long CDibImage::LiveCount()
{
    return g_live;
}
