#pragma once
// Windows bitmap files read from memory: the file and info headers checked against the file's
// length, and the pixels of the common formats decoded to rows of blue, green, red.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trovel {

enum class BitmapError {
    None,
    TooShort,       // shorter than the file header and the smallest info header
    NoSignature,    // no "BM"
    BadHeaderSize,  // an info header size no writer uses, or a header past the end of the file
    BadDimensions,  // width or height zero or beyond kBitmapMaxSide
    BadPlanes,
    BadDepth,         // a bit count no bitmap has
    BadCompression,   // a compression the bit count cannot have
    BadPixelOffset,   // the pixels start inside the headers or past the end of the file
    TruncatedPixels,  // the pixel rows run past the end of the file
    BadPalette,       // the colour table is too large or runs into the pixels or past the end
    BadMasks,         // bit fields other than plain 8-bit blue, green and red
    Unsupported,      // a valid file in a format the decoder leaves to others (1, 4, 16 bits, run-length)
};

constexpr int32_t kBitmapMaxSide = 16384;

enum : uint32_t { kBitmapRgb = 0, kBitmapRle8 = 1, kBitmapRle4 = 2, kBitmapBitFields = 3 };

struct BitmapHeader {
    uint32_t pixelOffset = 0;  // from the file header: where the pixel rows start
    uint32_t infoBytes = 0;    // 12 (OS/2 core), 40, or a longer version (52, 56, 108, 124)
    int32_t width = 0;
    int32_t height = 0;    // always positive
    bool topDown = false;  // the header's height was negative
    int planes = 0;
    int bitCount = 0;
    uint32_t compression = kBitmapRgb;
    uint32_t colorsUsed = 0;  // 0 = all 2^bitCount
    uint64_t stride = 0;      // bytes per row, padded to 4; 0 for run-length files
};

// Reads and checks the headers. The raw fields are filled as far as the info header could be read,
// also when a later check fails, so a caller may report them in its own order.
BitmapError readBitmapHeader(const uint8_t* data, size_t size, BitmapHeader& header);

struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // bottom-up rows of blue, green, red without padding; 3 * width * height
};

// Decodes 8-bit (colour table), 24-bit and 32-bit (plain or with the standard bit fields) files;
// top-down files come out bottom-up like the others.
BitmapError decodeBitmap(const uint8_t* data, size_t size, BitmapPixels& pixels);

// The pixels as a 24-bit file with the 40-byte info header, rows bottom-up and padded to 4 bytes:
// the form every reader of course pictures takes. Empty for pixels that do not match their size.
std::vector<uint8_t> encodeBitmap(const BitmapPixels& pixels);

}  // namespace trovel
