#pragma once
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <memory>

#include "base/ComRef.h"
#include "ui/photos/CDibImage.h"

// Pictures in any format the platform's imaging component reads (PNG, JPEG,
// GIF, BMP among them) made into 32-bit DIBs. Holds the component's factory,
// so one decoder serves many pictures; use it on one thread, in whose COM
// apartment it was made.
class CWicDecoder
{
public:
    CWicDecoder();
    CWicDecoder(const CWicDecoder&) = delete;
    CWicDecoder& operator=(const CWicDecoder&) = delete;

    // The most memory one decoded frame may take, at 4 bytes a pixel or its
    // own depth if that is more: 64 megapixels of 32 bits. Whatever the
    // picture declares, decoding it stays within about twice this.
    static constexpr uint64_t kLargestFrameBytes = 256ull << 20;

    // The first frame of the encoded picture, its transparent parts laid over
    // `background`; larger than the box (when one is given: both sides above
    // 0), it is scaled down to fit it with its proportions kept, averaging
    // the pixels it drops (the Fant filter). A picture whose size is above
    // kLargestFrameBytes is decoded scaled down by the decoder itself where
    // its format allows (JPEG on Windows), else refused. ERROR_SUCCESS with
    // `image` set; ERROR_INVALID_DATA when the bytes are no picture the
    // component reads, ERROR_FILE_TOO_LARGE for a picture too large,
    // ERROR_NOT_ENOUGH_MEMORY or ERROR_NOT_SUPPORTED (no component)
    // otherwise.
    DWORD Decode(const uint8_t* bytes, size_t length, COLORREF background, std::unique_ptr<CDibImage>& image,
                 SIZE box = {0, 0});

    // The size a picture of width x height takes in the box: the same when
    // it fits (or no box is given), else scaled down, proportions kept, each
    // side at least 1.
    static SIZE FitSize(UINT width, UINT height, SIZE box);

private:
    // Whether the platform's JPEG decoder decodes scaled down. One that does
    // (Windows') holds no pixels until it is asked for them, so a large
    // JPEG may be given to it; one that does not (Wine's) decodes the whole
    // picture as soon as it is made. Asked once, of a small JPEG.
    bool JpegDecoderScales();
    // Bits a pixel of this format takes (32 when the component cannot say).
    UINT BitsPerPixel(const WICPixelFormatGUID& format) const;
    // The frame of width x height decoded by its decoder at a reduced size
    // near the one wanted in `box` and within the budget; none when the
    // decoder cannot scale.
    ComRef<IWICBitmap> DecodeScaled(IWICBitmapFrameDecode* frame, UINT width, UINT height, SIZE box) const;

    ComRef<IWICImagingFactory> m_factory;
    bool m_jpegProbed = false;
    bool m_jpegScales = false;
};
