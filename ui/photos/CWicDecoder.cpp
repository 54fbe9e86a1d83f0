#include "ui/photos/CWicDecoder.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "ui/photos/PictureHeader.h"

namespace {

// A decoder's own scaling (IWICBitmapSourceTransform of wincodec.idl), which
// the cross compiler's headers lack.
const IID kSourceTransformId = {0x3B16811B, 0x6A43, 0x4EC9, {0xB7, 0x13, 0x3D, 0x5A, 0x0C, 0x13, 0xB9, 0x40}};
struct SourceTransform : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                                 WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                                 UINT stride, UINT size, BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};

// An 8 x 8 grey JPEG: enough for a JPEG decoder to show what it offers.
std::vector<uint8_t> SmallJpeg()
{
    std::vector<uint8_t> bytes = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00}; // one table of all 1s
    bytes.insert(bytes.end(), 64, 0x01);
    const uint8_t frame[] = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00};
    bytes.insert(bytes.end(), std::begin(frame), std::end(frame));
    // A DC and an AC table of one code each, "0" for the symbol 0.
    const uint8_t tables[] = {0xFF, 0xC4, 0x00, 0x26};
    bytes.insert(bytes.end(), std::begin(tables), std::end(tables));
    for (uint8_t table : {0x00, 0x10}) {
        bytes.push_back(table);
        bytes.push_back(0x01);
        bytes.insert(bytes.end(), 15, 0x00);
        bytes.push_back(0x00);
    }
    const uint8_t scan[] = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x3F, 0xFF, 0xD9};
    bytes.insert(bytes.end(), std::begin(scan), std::end(scan));
    return bytes;
}

uint64_t FrameBytes(uint64_t width, uint64_t height, UINT bitsPerPixel)
{
    return width * height * std::max<UINT>(bitsPerPixel, 32) / 8;
}

} // namespace

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

    // The size the header declares, before any decoder holds a pixel: a
    // format whose decoder cannot scale is refused here when it is too
    // large; a JPEG may still be decoded smaller.
    PictureHeader header;
    const bool declared = ReadPictureHeader(bytes, length, header);
    const bool tooLarge = declared && (header.decodedBytes > kLargestFrameBytes ||
                                       FrameBytes(header.width, header.height, 32) > kLargestFrameBytes);
    if (tooLarge && !(header.format == PictureHeader::Format::Jpeg && JpegDecoderScales()))
        return ERROR_FILE_TOO_LARGE;

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
    // The frame's own word on its size, for any format: nothing larger than
    // the budget is decoded whole.
    UINT frameWidth = 0, frameHeight = 0;
    WICPixelFormatGUID frameFormat = {};
    if (FAILED(frame->GetSize(&frameWidth, &frameHeight)) || frameWidth == 0 || frameHeight == 0 ||
        FAILED(frame->GetPixelFormat(&frameFormat)))
        return ERROR_INVALID_DATA;
    IWICBitmapSource* pixels = frame.Get();
    ComRef<IWICBitmap> scaled;
    if (tooLarge || FrameBytes(frameWidth, frameHeight, BitsPerPixel(frameFormat)) > kLargestFrameBytes) {
        scaled = DecodeScaled(frame.Get(), frameWidth, frameHeight, box);
        if (!scaled)
            return ERROR_FILE_TOO_LARGE;
        pixels = scaled.Get();
    }
    ComRef<IWICFormatConverter> converter;
    if (FAILED(m_factory->CreateFormatConverter(converter.Out())))
        return ERROR_NOT_ENOUGH_MEMORY;
    if (FAILED(converter->Initialize(pixels, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
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

UINT CWicDecoder::BitsPerPixel(const WICPixelFormatGUID& format) const
{
    ComRef<IWICComponentInfo> info;
    ComRef<IWICPixelFormatInfo> pixelInfo;
    UINT bits = 0;
    if (FAILED(m_factory->CreateComponentInfo(format, info.Out())) ||
        FAILED(info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(pixelInfo.Out()))) ||
        FAILED(pixelInfo->GetBitsPerPixel(&bits)) || bits == 0)
        return 32;
    return bits;
}

ComRef<IWICBitmap> CWicDecoder::DecodeScaled(IWICBitmapFrameDecode* frame, UINT width, UINT height, SIZE box) const
{
    ComRef<SourceTransform> transform;
    BOOL plain = FALSE;
    if (FAILED(frame->QueryInterface(kSourceTransformId, reinterpret_cast<void**>(transform.Out()))) ||
        FAILED(transform->DoesSupportTransform(WICBitmapTransformRotate0, &plain)) || !plain)
        return {};
    // The size the box wants, or without a box the largest in the budget;
    // the decoder answers with the nearest it makes (a JPEG's 1/2, 1/4, 1/8).
    SIZE wanted = FitSize(width, height, box);
    if (box.cx <= 0 || box.cy <= 0) {
        const double shrink = std::sqrt(double(kLargestFrameBytes / 4) / (double(width) * height));
        wanted = {std::max<LONG>(1, LONG(width * shrink)), std::max<LONG>(1, LONG(height * shrink))};
    }
    UINT w = UINT(wanted.cx), h = UINT(wanted.cy);
    WICPixelFormatGUID format = {};
    if (FAILED(frame->GetPixelFormat(&format)) || FAILED(transform->GetClosestSize(&w, &h)) || w == 0 || h == 0 ||
        FAILED(transform->GetClosestPixelFormat(&format)) ||
        FrameBytes(w, h, BitsPerPixel(format)) > kLargestFrameBytes)
        return {};
    ComRef<IWICBitmap> bitmap;
    if (FAILED(m_factory->CreateBitmap(w, h, format, WICBitmapCacheOnLoad, bitmap.Out())))
        return {};
    {
        const WICRect all = {0, 0, INT(w), INT(h)};
        ComRef<IWICBitmapLock> lock;
        UINT stride = 0, size = 0;
        BYTE* data = nullptr;
        if (FAILED(bitmap->Lock(&all, WICBitmapLockWrite, lock.Out())) || FAILED(lock->GetStride(&stride)) ||
            FAILED(lock->GetDataPointer(&size, &data)) ||
            FAILED(transform->CopyPixels(nullptr, w, h, &format, WICBitmapTransformRotate0, stride, size, data)))
            return {};
    }
    return bitmap;
}

bool CWicDecoder::JpegDecoderScales()
{
    if (m_jpegProbed)
        return m_jpegScales;
    m_jpegProbed = true;
    const std::vector<uint8_t> small = SmallJpeg();
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    ComRef<SourceTransform> transform;
    BOOL plain = FALSE;
    m_jpegScales =
        SUCCEEDED(m_factory->CreateStream(stream.Out())) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(small.data()), DWORD(small.size()))) &&
        SUCCEEDED(m_factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                     decoder.Out())) &&
        SUCCEEDED(decoder->GetFrame(0, frame.Out())) &&
        SUCCEEDED(frame->QueryInterface(kSourceTransformId, reinterpret_cast<void**>(transform.Out()))) &&
        SUCCEEDED(transform->DoesSupportTransform(WICBitmapTransformRotate0, &plain)) && plain;
    return m_jpegScales;
}
