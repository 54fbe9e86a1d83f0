#include "ui/photos/PictureHeader.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t Big16(const uint8_t* p)
{
    return uint32_t(p[0]) << 8 | p[1];
}

uint32_t Big32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t Little16(const uint8_t* p)
{
    return uint32_t(p[1]) << 8 | p[0];
}

uint32_t Little32(const uint8_t* p)
{
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

uint64_t Pixels(const PictureHeader& header)
{
    return uint64_t(header.width) * header.height;
}

bool ReadPng(const uint8_t* bytes, size_t length, PictureHeader& header)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    // The signature, then IHDR first: length, type, width, height, depth,
    // colour type.
    if (length < 26 || std::memcmp(bytes, kSignature, 8) != 0 || std::memcmp(bytes + 12, "IHDR", 4) != 0)
        return false;
    header.format = PictureHeader::Format::Png;
    header.width = Big32(bytes + 16);
    header.height = Big32(bytes + 20);
    const uint32_t depth = bytes[24];
    uint32_t channels = 4; // also for a colour type no decoder knows
    switch (bytes[25]) {
    case 0: // grey
    case 3: // palette
        channels = 1;
        break;
    case 2: // RGB
        channels = 3;
        break;
    case 4: // grey and alpha
        channels = 2;
        break;
    }
    const uint64_t rowBytes = (uint64_t(header.width) * std::max<uint32_t>(depth, 1) * channels + 7) / 8;
    header.decodedBytes = rowBytes * header.height;
    return true;
}

bool IsFrameStart(uint8_t marker)
{
    // SOF0-SOF15, but not DHT (C4), JPG (C8) or DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool ReadJpeg(const uint8_t* bytes, size_t length, PictureHeader& header)
{
    if (length < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    size_t at = 2;
    while (at + 4 <= length) {
        if (bytes[at] != 0xFF)
            return false;
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // the end, or the data before any frame
            return false;
        const size_t segment = Big16(bytes + at + 2);
        if (segment < 2)
            return false;
        if (IsFrameStart(marker)) {
            // Length, precision, height, width, components.
            if (segment < 8 || at + 2 + 8 > length)
                return false;
            header.format = PictureHeader::Format::Jpeg;
            header.height = Big16(bytes + at + 5);
            header.width = Big16(bytes + at + 7);
            const uint32_t components = std::max<uint32_t>(bytes[at + 9], 1);
            // A height of 0 comes later in the data (DNL): not known here.
            if (header.height == 0)
                return false;
            header.decodedBytes = Pixels(header) * components;
            return true;
        }
        at += 2 + segment;
    }
    return false;
}

// Sub-blocks from `at` up to their terminator; the offset after it, or
// `length` when they run past the end.
size_t SkipSubBlocks(const uint8_t* bytes, size_t length, size_t at)
{
    while (at < length) {
        const size_t block = bytes[at];
        at += 1 + block;
        if (block == 0)
            return at;
    }
    return length;
}

bool ReadGif(const uint8_t* bytes, size_t length, PictureHeader& header)
{
    if (length < 13 || (std::memcmp(bytes, "GIF87a", 6) != 0 && std::memcmp(bytes, "GIF89a", 6) != 0))
        return false;
    header.format = PictureHeader::Format::Gif;
    header.width = Little16(bytes + 6);
    header.height = Little16(bytes + 8);
    size_t at = 13;
    if (bytes[10] & 0x80)
        at += 3u << ((bytes[10] & 7) + 1);
    // Every image of the file, one byte a pixel: a decoder may read them
    // all at once.
    uint64_t images = 0;
    while (at < length) {
        const uint8_t block = bytes[at];
        if (block == 0x3B) // the trailer
            break;
        if (block == 0x21) { // an extension: its label, then sub-blocks
            at = SkipSubBlocks(bytes, length, at + 2);
        } else if (block == 0x2C) { // an image: its descriptor, table and data
            if (at + 10 > length)
                break;
            images += uint64_t(Little16(bytes + at + 5)) * Little16(bytes + at + 7);
            const uint8_t packed = bytes[at + 9];
            at += 10;
            if (packed & 0x80)
                at += 3u << ((packed & 7) + 1);
            at = SkipSubBlocks(bytes, length, at + 1); // after the code size
        } else {
            break; // no GIF block: the decoder stops there too
        }
    }
    header.decodedBytes = std::max(images, Pixels(header));
    return true;
}

bool ReadBmp(const uint8_t* bytes, size_t length, PictureHeader& header)
{
    if (length < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const uint32_t infoSize = Little32(bytes + 14);
    uint32_t bits = 0;
    if (infoSize == 12) { // BITMAPCOREHEADER
        header.width = Little16(bytes + 18);
        header.height = Little16(bytes + 20);
        bits = Little16(bytes + 24);
    } else {
        if (infoSize < 40 || length < 30)
            return false;
        const int32_t width = int32_t(Little32(bytes + 18));
        const int32_t height = int32_t(Little32(bytes + 22)); // below 0: top-down
        header.width = width < 0 ? 0u - uint32_t(width) : uint32_t(width);
        header.height = height < 0 ? 0u - uint32_t(height) : uint32_t(height);
        bits = Little16(bytes + 28);
    }
    header.format = PictureHeader::Format::Bmp;
    header.decodedBytes = Pixels(header) * std::max<uint32_t>(bits, 8) / 8;
    return true;
}

} // namespace

bool ReadPictureHeader(const uint8_t* bytes, size_t length, PictureHeader& header)
{
    header = PictureHeader();
    const bool read = bytes && (ReadPng(bytes, length, header) || ReadJpeg(bytes, length, header) ||
                                ReadGif(bytes, length, header) || ReadBmp(bytes, length, header));
    if (!read)
        header = PictureHeader();
    return read;
}
