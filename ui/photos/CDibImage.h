#pragma once
#include <windows.h>

#include <cstdint>

// A picture as a 32-bit top-down DIB section (BGRX in memory, the alpha byte
// unused), made once and then only drawn: a device context can select it
// and stretch it without converting anything.
class CDibImage
{
public:
    CDibImage() = default;
    ~CDibImage();
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    // A black picture of this size; false when the section cannot be made.
    bool Create(int width, int height);

    HBITMAP Bitmap() const { return m_bitmap; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    uint32_t* Bits() const { return m_bits; }
    size_t Bytes() const { return size_t(m_width) * size_t(m_height) * 4; }
    // The colour at a point, or CLR_INVALID outside the picture.
    COLORREF Pixel(int x, int y) const;

    // How many pictures exist in the process: the preview's memory is what
    // these hold, so a test can see that it stays bounded.
    static long LiveCount();

private:
    HBITMAP m_bitmap = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};
