// Pictures made by the platform's own encoders, in each format the preview
// reads, decoded into 32-bit DIBs: their colours, transparency laid over
// the background, scaling into a box, and bytes that are no picture; and
// the size a picture's header declares.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/ComRef.h"
#include "ui/photos/CWicDecoder.h"
#include "ui/photos/PictureHeader.h"

namespace {

constexpr UINT kSide = 16;
const COLORREF kLeft = RGB(200, 40, 40);
const COLORREF kRight = RGB(40, 60, 200);
const COLORREF kBackground = RGB(10, 200, 10);

struct Format
{
    const char* name;
    GUID container;
    WICPixelFormatGUID pixels; // 8bppIndexed, 24bppBGR or 32bppBGRA
    int tolerance;             // JPEG is lossy
};

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Hex(COLORREF c)
{
    char text[16];
    snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// kSide x kSide pixels, the left half kLeft, the right half kRight (fully
// transparent where the format has alpha), encoded by the platform's
// encoder; empty when it cannot.
std::vector<uint8_t> Encode(const Format& format)
{
    ComRef<IWICImagingFactory> factory;
    ComRef<IStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Out()))) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) ||
        FAILED(factory->CreateEncoder(format.container, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(kSide, kSide)))
        return {};
    WICPixelFormatGUID pixels = format.pixels;
    if (FAILED(frame->SetPixelFormat(&pixels)) || !IsEqualGUID(pixels, format.pixels))
        return {};
    const bool indexed = IsEqualGUID(pixels, GUID_WICPixelFormat8bppIndexed);
    const bool alpha = IsEqualGUID(pixels, GUID_WICPixelFormat32bppBGRA);
    const UINT bytesPerPixel = indexed ? 1 : alpha ? 4 : 3;
    if (indexed) {
        ComRef<IWICPalette> palette;
        WICColor colours[2] = {0xff000000u | (GetRValue(kLeft) << 16) | (GetGValue(kLeft) << 8) | GetBValue(kLeft),
                               0xff000000u | (GetRValue(kRight) << 16) | (GetGValue(kRight) << 8) | GetBValue(kRight)};
        if (FAILED(factory->CreatePalette(palette.Out())) || FAILED(palette->InitializeCustom(colours, 2)) ||
            FAILED(frame->SetPalette(palette.Get())))
            return {};
    }
    std::vector<BYTE> data(size_t(kSide) * kSide * bytesPerPixel);
    for (UINT y = 0; y < kSide; ++y) {
        for (UINT x = 0; x < kSide; ++x) {
            BYTE* p = &data[(size_t(y) * kSide + x) * bytesPerPixel];
            const bool left = x < kSide / 2;
            const COLORREF c = left ? kLeft : kRight;
            if (indexed) {
                p[0] = left ? 0 : 1;
                continue;
            }
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
            if (alpha) {
                p[3] = left ? 255 : 0;
                if (!left)
                    p[0] = p[1] = p[2] = 0;
            }
        }
    }
    if (FAILED(frame->WritePixels(kSide, kSide * bytesPerPixel, UINT(data.size()), data.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return {};
    STATSTG stat = {};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream.Get(), &memory)))
        return {};
    std::vector<uint8_t> bytes(size_t(stat.cbSize.QuadPart));
    const void* locked = GlobalLock(memory);
    if (!locked || bytes.empty())
        return {};
    memcpy(bytes.data(), locked, bytes.size());
    GlobalUnlock(memory);
    return bytes;
}

class WicDecoderFormats : public ::testing::TestWithParam<Format>
{
};

TEST_P(WicDecoderFormats, FirstFrameBecomes32BitPixelsWithTransparencyOverTheBackground)
{
    const Format& format = GetParam();
    const std::vector<uint8_t> bytes = Encode(format);
    ASSERT_FALSE(bytes.empty()) << "the platform's " << format.name << " encoder";
    CWicDecoder decoder;
    const bool alpha = IsEqualGUID(format.pixels, GUID_WICPixelFormat32bppBGRA);

    std::unique_ptr<CDibImage> image;
    ASSERT_EQ(decoder.Decode(bytes.data(), bytes.size(), kBackground, image), DWORD(ERROR_SUCCESS));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), int(kSide));
    EXPECT_EQ(image->Height(), int(kSide));
    const COLORREF left = image->Pixel(2, kSide / 2), right = image->Pixel(kSide - 3, kSide / 2);
    EXPECT_TRUE(Near(left, kLeft, format.tolerance)) << Hex(left);
    EXPECT_TRUE(Near(right, alpha ? kBackground : kRight, format.tolerance)) << Hex(right);

    // A box half as wide: scaled down to fit it, proportions kept.
    ASSERT_EQ(decoder.Decode(bytes.data(), bytes.size(), kBackground, image, {LONG(kSide / 2), LONG(kSide)}),
              DWORD(ERROR_SUCCESS));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), int(kSide / 2));
    EXPECT_EQ(image->Height(), int(kSide / 2));
    const COLORREF scaled = image->Pixel(0, kSide / 4);
    EXPECT_TRUE(Near(scaled, kLeft, format.tolerance + 8)) << Hex(scaled);
}

INSTANTIATE_TEST_SUITE_P(Formats, WicDecoderFormats,
                         ::testing::Values(Format{"PNG", GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA, 2},
                                           Format{"JPEG", GUID_ContainerFormatJpeg, GUID_WICPixelFormat24bppBGR, 40},
                                           Format{"GIF", GUID_ContainerFormatGif, GUID_WICPixelFormat8bppIndexed, 2},
                                           Format{"BMP", GUID_ContainerFormatBmp, GUID_WICPixelFormat24bppBGR, 2}),
                         [](const ::testing::TestParamInfo<Format>& info) { return std::string(info.param.name); });

TEST(WicDecoder, BytesThatAreNoPictureAreRefusedWithoutAnImage)
{
    CWicDecoder decoder;
    const std::string text = "<html>not a picture</html>";
    const std::vector<uint8_t> truncated = Encode({"PNG", GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA, 2});
    ASSERT_GT(truncated.size(), 16u);
    const struct {
        const uint8_t* bytes;
        size_t length;
    } cases[] = {
        {reinterpret_cast<const uint8_t*>(text.data()), text.size()},
        {truncated.data(), 16}, // the signature and the start of the header
        {nullptr, 0},
        {reinterpret_cast<const uint8_t*>(text.data()), 0},
    };
    for (const auto& c : cases) {
        auto image = std::make_unique<CDibImage>();
        EXPECT_EQ(decoder.Decode(c.bytes, c.length, kBackground, image), DWORD(ERROR_INVALID_DATA)) << c.length;
        EXPECT_FALSE(image) << "no picture left from before";
    }
}

std::vector<uint8_t> Bytes(const std::vector<uint8_t>& values, size_t repeat = 1)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < repeat; ++i)
        bytes.insert(bytes.end(), values.begin(), values.end());
    return bytes;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What a decoder that holds the whole file would need, read from the header
// before any decoder is made, wherever the format puts it.
TEST(WicDecoder, TheHeaderSaysHowMuchADecoderWouldHold)
{
    const auto png = Bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'});
    const auto gif = Bytes({'G', 'I', 'F', '8', '9', 'a', 0x30, 0x75, 0x30, 0x75, 0, 0, 0});
    // A frame of 4000 x 4000 (descriptor, code size, one sub-block of data).
    const auto gifFrame = Bytes({0x2C, 0, 0, 0, 0, 0xA0, 0x0F, 0xA0, 0x0F, 0, 2, 2, 0x4C, 0x01, 0});
    // 64 KB of metadata, fill bytes, then a progressive 20000 x 30000 frame in three components.
    const auto jpeg = Bytes({0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF}) + Bytes({0}, 0xFFFD) +
                      Bytes({0xFF, 0xFF, 0xFF, 0xC2, 0, 17, 8, 0x75, 0x30, 0x4E, 0x20, 3, 1, 0x22, 0, 2, 0x11, 1, 3});
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        uint32_t width, height;
        uint64_t decodedBytes; // 0: not read
    } cases[] = {
        {"PNG, 16-bit RGBA", png + Bytes({0, 0, 0x75, 0x30, 0, 0, 0x75, 0x30, 16, 6}), 30000, 30000, 7200000000},
        {"PNG cut before its depth", png + Bytes({0, 0, 0x75, 0x30, 0, 0, 0x75}), 0, 0, 0},
        {"JPEG frame after metadata", jpeg, 20000, 30000, 1800000000},
        {"JPEG whose height comes later", Bytes({0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 0, 0x75, 0x30, 1, 1, 0x11, 0}),
         0, 0, 0},
        {"GIF of a hundred frames", gif + Bytes({0x21, 0xF9, 4, 0, 0, 0, 0, 0}) + Bytes(gifFrame, 100), 30000, 30000,
         1600000000},
        {"BMP, top-down 32-bit",
         Bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 0x30, 0x75, 0, 0, 0xD0, 0x8A, 0xFF, 0xFF,
                1, 0, 32, 0}),
         30000, 30000, 3600000000},
        {"HTML", Bytes({'<', 'h', 't', 'm', 'l', '>'}, 8), 0, 0, 0},
    };
    for (const auto& c : cases) {
        PictureHeader header;
        EXPECT_EQ(ReadPictureHeader(c.bytes.data(), c.bytes.size(), header), c.decodedBytes != 0) << c.what;
        EXPECT_EQ(header.width, c.width) << c.what;
        EXPECT_EQ(header.height, c.height) << c.what;
        EXPECT_EQ(header.decodedBytes, c.decodedBytes) << c.what;
    }
}

TEST(WicDecoder, FitSizeScalesDownKeepingProportionsAndNeverUp)
{
    const struct {
        UINT width, height;
        SIZE box, fitted;
    } cases[] = {
        {400, 300, {200, 300}, {200, 150}}, {300, 400, {200, 200}, {150, 200}}, {100, 50, {200, 300}, {100, 50}},
        {400, 300, {0, 0}, {400, 300}},     {1000, 1, {10, 10}, {10, 1}},       {1, 1000, {10, 10}, {1, 10}},
    };
    for (const auto& c : cases) {
        const SIZE fitted = CWicDecoder::FitSize(c.width, c.height, c.box);
        EXPECT_EQ(fitted.cx, c.fitted.cx) << c.width << "x" << c.height;
        EXPECT_EQ(fitted.cy, c.fitted.cy) << c.width << "x" << c.height;
    }
}

} // namespace
