#pragma once
// PNG files read from memory: chunks checked against their lengths and CRCs, the pixels inflated
// and unfiltered, and every colour type decoded to rows of blue, green, red. Transparent pixels
// are laid on white paper, as a course mat is printed.

#include <cstddef>
#include <cstdint>

#include "base/bitmap_file.h"

namespace trovel {

enum class PngError {
    None,
    NoSignature,  // not the eight PNG signature bytes
    BadChunk,     // a chunk longer than the file or with a wrong CRC, or IHDR not first
    BadHeader,    // IHDR of the wrong length, zero sides, or a depth, colour type or method PNG has not
    BadPalette,   // no PLTE for a palette picture, or one of the wrong size
    Interlaced,   // Adam7 interlacing, which course pictures do not use
    TooLarge,     // more than kPngMaxPixels pixels
    BadData,      // pixel data that does not inflate to the picture's rows, or an unknown row filter
    Truncated,    // the file ends before IEND or holds no pixel data
};

// Pictures of more pixels are refused before anything is inflated (a 4096 x 4096 scan).
constexpr int64_t kPngMaxPixels = int64_t(1) << 24;

// Width and height from the header; false when the bytes do not start with a readable IHDR.
bool readPngSize(const uint8_t* data, size_t size, int& width, int& height);

// Decodes any non-interlaced PNG (grey, RGB, palette, grey with alpha, RGBA; 1 to 16 bits) to
// bottom-up rows of blue, green, red.
PngError decodePng(const uint8_t* data, size_t size, BitmapPixels& pixels);

// CRC-32 as PNG chunks carry it.
uint32_t pngCrc(const uint8_t* data, size_t size, uint32_t crc = 0);

}  // namespace trovel
