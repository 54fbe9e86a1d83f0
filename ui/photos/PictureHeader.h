#pragma once
#include <cstddef>
#include <cstdint>

// The size a picture declares in its header, read before any decoder sees
// it: some decoders of the imaging component (Wine's PNG and GIF ones) hold
// the whole picture in memory as soon as they are made, so a few bytes that
// declare 30000 x 30000 pixels must be turned away before that.
struct PictureHeader
{
    enum class Format { Png, Jpeg, Gif, Bmp };

    Format format = Format::Png;
    uint32_t width = 0;
    uint32_t height = 0;
    // What a decoder holding every pixel of the file at its own depth
    // needs: all frames of a GIF, every component of a JPEG.
    uint64_t decodedBytes = 0;
};

// True, with `header` filled, for a PNG, JPEG, GIF or BMP whose header is
// there to read; false for other formats and for a header cut short.
bool ReadPictureHeader(const uint8_t* bytes, size_t length, PictureHeader& header);
