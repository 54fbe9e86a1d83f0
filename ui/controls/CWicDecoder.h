#pragma once
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <memory>

#include "base/ComRef.h"
#include "ui/controls/CDibImage.h"

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

    // The first frame of the encoded picture, its transparent parts laid over
    // `background`; larger than the box (when one is given: both sides above
    // 0), it is scaled down to fit it with its proportions kept, averaging
    // the pixels it drops (the Fant filter). ERROR_SUCCESS with `image` set;
    // ERROR_INVALID_DATA when the bytes are no picture the component reads,
    // ERROR_NOT_ENOUGH_MEMORY or ERROR_NOT_SUPPORTED (no component) otherwise.
    DWORD Decode(const uint8_t* bytes, size_t length, COLORREF background, std::unique_ptr<CDibImage>& image,
                 SIZE box = {0, 0});

    // The size a picture of width x height takes in the box: the same when
    // it fits (or no box is given), else scaled down, proportions kept, each
    // side at least 1.
    static SIZE FitSize(UINT width, UINT height, SIZE box);

private:
    ComRef<IWICImagingFactory> m_factory;
};
