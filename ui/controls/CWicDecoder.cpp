#include "ui/controls/CWicDecoder.h"

#include <algorithm>

CWicDecoder::CWicDecoder()
{
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(m_factory.Out()));
}

SIZE CWicDecoder::FitSize(UINT width, UINT height, SIZE box)
{
    if (box.cx <= 0 || box.cy <= 0 || (width <= UINT(box.cx) && height <= UINT(box.cy)))
        return {LONG(width), LONG(height)};
    const double scale = std::min(double(box.cx) / width, double(box.cy) / height);
    return {std::max<LONG>(1, LONG(width * scale + 0.5)), std::max<LONG>(1, LONG(height * scale + 0.5))};
}

DWORD CWicDecoder::Decode(const uint8_t* bytes, size_t length, COLORREF background, std::unique_ptr<CDibImage>& image,
                          SIZE box)
{
    image.reset();
    if (!m_factory)
        return ERROR_NOT_SUPPORTED;
    if (!bytes || length == 0 || length > 0x7fffffff)
        return ERROR_INVALID_DATA;

    ComRef<IWICStream> stream;
    if (FAILED(m_factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), DWORD(length))))
        return ERROR_NOT_ENOUGH_MEMORY;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(m_factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                  decoder.Out())))
        return ERROR_INVALID_DATA;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Out())))
        return ERROR_INVALID_DATA;
    ComRef<IWICFormatConverter> converter;
    if (FAILED(m_factory->CreateFormatConverter(converter.Out())))
        return ERROR_NOT_ENOUGH_MEMORY;
    if (FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        return ERROR_INVALID_DATA;
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0)
        return ERROR_INVALID_DATA;
    // Scaled after the conversion: the filter then averages premultiplied
    // pixels, so transparent ones lend no colour to their neighbours.
    IWICBitmapSource* source = converter.Get();
    ComRef<IWICBitmapScaler> scaler;
    const SIZE fitted = FitSize(width, height, box);
    if (UINT(fitted.cx) != width || UINT(fitted.cy) != height) {
        if (FAILED(m_factory->CreateBitmapScaler(scaler.Out())))
            return ERROR_NOT_ENOUGH_MEMORY;
        if (FAILED(scaler->Initialize(converter.Get(), UINT(fitted.cx), UINT(fitted.cy), WICBitmapInterpolationModeFant)))
            return ERROR_INVALID_DATA;
        source = scaler.Get();
        width = UINT(fitted.cx);
        height = UINT(fitted.cy);
    }

    auto dib = std::make_unique<CDibImage>();
    if (!dib->Create(int(width), int(height)))
        return ERROR_NOT_ENOUGH_MEMORY;
    const UINT stride = width * 4;
    if (FAILED(source->CopyPixels(nullptr, stride, UINT(dib->Bytes()), reinterpret_cast<BYTE*>(dib->Bits()))))
        return ERROR_INVALID_DATA;

    // Premultiplied pixels over the background: c + bg * (255 - a) / 255.
    const uint32_t bg[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    uint32_t* p = dib->Bits();
    for (size_t i = 0, n = size_t(width) * height; i < n; ++i) {
        const uint32_t v = p[i];
        const uint32_t a = v >> 24;
        if (a == 255)
            continue;
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t s = (v >> (8 * c)) & 0xff;
            out |= std::min<uint32_t>(255, s + (bg[c] * (255 - a) + 127) / 255) << (8 * c);
        }
        p[i] = out | 0xff000000u;
    }
    image = std::move(dib);
    return ERROR_SUCCESS;
}
