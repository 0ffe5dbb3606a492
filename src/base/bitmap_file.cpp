#include "base/bitmap_file.h"

#include <algorithm>

namespace trovel {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kMaskBytes = 12;  // red, green, blue masks after a 40-byte header

uint16_t u16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32At(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

bool validDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// 32-bit bit fields: only the layout of plain 32-bit files (any alpha) is decoded.
BitmapError checkMasks(const uint8_t* data, size_t size, const BitmapHeader& h) {
    const uint64_t at = kFileHeaderBytes + kInfoHeaderBytes;
    if (h.infoBytes == kInfoHeaderBytes && at + kMaskBytes > h.pixelOffset) return BitmapError::BadMasks;
    if (at + kMaskBytes > size) return BitmapError::BadMasks;
    const uint8_t* m = data + at;
    if (u32At(m) != 0x00FF0000u || u32At(m + 4) != 0x0000FF00u || u32At(m + 8) != 0x000000FFu)
        return BitmapError::BadMasks;
    return BitmapError::None;
}

}  // namespace

BitmapError readBitmapHeader(const uint8_t* data, size_t size, BitmapHeader& h) {
    h = {};
    if (!data || size < kFileHeaderBytes + kCoreHeaderBytes) return BitmapError::TooShort;
    if (data[0] != 'B' || data[1] != 'M') return BitmapError::NoSignature;
    h.pixelOffset = u32At(data + 10);
    h.infoBytes = u32At(data + 14);
    if (h.infoBytes != kCoreHeaderBytes && h.infoBytes < kInfoHeaderBytes) return BitmapError::BadHeaderSize;
    if (kFileHeaderBytes + static_cast<uint64_t>(h.infoBytes) > size) return BitmapError::BadHeaderSize;
    int64_t width = 0, height = 0;
    if (h.infoBytes == kCoreHeaderBytes) {
        width = u16At(data + 18);
        height = u16At(data + 20);
        h.planes = u16At(data + 22);
        h.bitCount = u16At(data + 24);
    } else {
        width = static_cast<int32_t>(u32At(data + 18));
        height = static_cast<int32_t>(u32At(data + 22));
        h.planes = u16At(data + 26);
        h.bitCount = u16At(data + 28);
        h.compression = u32At(data + 30);
        h.colorsUsed = u32At(data + 46);
    }
    h.topDown = height < 0;
    if (height < 0) height = -height;  // 64-bit: the most negative 32-bit height cannot overflow
    // Raw values for callers that report width and height themselves; checked just below.
    h.width = width > kBitmapMaxSide ? kBitmapMaxSide + 1 : static_cast<int32_t>(width);
    h.height = height > kBitmapMaxSide ? kBitmapMaxSide + 1 : static_cast<int32_t>(height);
    if (width <= 0 || height <= 0 || width > kBitmapMaxSide || height > kBitmapMaxSide)
        return BitmapError::BadDimensions;
    if (h.planes != 1) return BitmapError::BadPlanes;
    if (!validDepth(h.bitCount)) return BitmapError::BadDepth;
    if (h.pixelOffset < kFileHeaderBytes + static_cast<uint64_t>(h.infoBytes) || h.pixelOffset >= size)
        return BitmapError::BadPixelOffset;
    const bool runLength =
        (h.compression == kBitmapRle8 && h.bitCount == 8) || (h.compression == kBitmapRle4 && h.bitCount == 4);
    const bool bitFields = h.compression == kBitmapBitFields && (h.bitCount == 16 || h.bitCount == 32);
    if (h.compression != kBitmapRgb && !runLength && !bitFields) return BitmapError::BadCompression;
    if (runLength) return BitmapError::None;
    // Sides are at most 2^14 and depths at most 32 bits: no product here comes near 2^64.
    h.stride = (static_cast<uint64_t>(width) * static_cast<uint64_t>(h.bitCount) + 31) / 32 * 4;
    if (h.pixelOffset + h.stride * static_cast<uint64_t>(height) > size) return BitmapError::TruncatedPixels;
    return BitmapError::None;
}

BitmapError decodeBitmap(const uint8_t* data, size_t size, BitmapPixels& pixels) {
    pixels = {};
    BitmapHeader h;
    if (BitmapError e = readBitmapHeader(data, size, h); e != BitmapError::None) return e;
    const bool plain = h.compression == kBitmapRgb && (h.bitCount == 8 || h.bitCount == 24 || h.bitCount == 32);
    const bool fields32 = h.compression == kBitmapBitFields && h.bitCount == 32;
    if (!plain && !fields32) return BitmapError::Unsupported;
    if (fields32)
        if (BitmapError e = checkMasks(data, size, h); e != BitmapError::None) return e;

    // Colour table of an 8-bit file: right after the info header, 4 bytes an entry (3 in core files).
    uint8_t palette[256][3] = {};
    if (h.bitCount == 8) {
        const uint64_t count = h.colorsUsed == 0 ? 256 : h.colorsUsed;
        const uint64_t entryBytes = h.infoBytes == kCoreHeaderBytes ? 3 : 4;
        const uint64_t at = kFileHeaderBytes + h.infoBytes;
        if (count > 256 || at + count * entryBytes > h.pixelOffset) return BitmapError::BadPalette;
        for (uint64_t i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c) palette[i][c] = data[at + i * entryBytes + static_cast<uint64_t>(c)];
    }

    const size_t width = static_cast<size_t>(h.width);
    const size_t height = static_cast<size_t>(h.height);
    const size_t rowBytes = width * 3;
    pixels.width = h.width;
    pixels.height = h.height;
    pixels.bgr.resize(rowBytes * height);
    for (size_t row = 0; row < height; ++row) {
        const size_t fileRow = h.topDown ? height - 1 - row : row;
        const uint8_t* src = data + h.pixelOffset + h.stride * fileRow;
        uint8_t* dst = pixels.bgr.data() + rowBytes * row;
        switch (h.bitCount) {
        case 8:
            for (size_t x = 0; x < width; ++x, dst += 3) {
                const uint8_t* colour = palette[src[x]];  // indices past the table read black
                dst[0] = colour[0];
                dst[1] = colour[1];
                dst[2] = colour[2];
            }
            break;
        case 24:
            for (size_t i = 0; i < rowBytes; ++i) dst[i] = src[i];
            break;
        default:  // 32: blue, green, red, unused or alpha
            for (size_t x = 0; x < width; ++x, dst += 3, src += 4) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
            break;
        }
    }
    return BitmapError::None;
}

std::vector<uint8_t> encodeBitmap(const BitmapPixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.width > kBitmapMaxSide || pixels.height > kBitmapMaxSide ||
        pixels.bgr.size() != size_t(pixels.width) * size_t(pixels.height) * 3)
        return {};
    const size_t rowBytes = size_t(pixels.width) * 3;
    const size_t stride = (rowBytes + 3) / 4 * 4;
    const size_t headers = kFileHeaderBytes + kInfoHeaderBytes;
    std::vector<uint8_t> bytes(headers + stride * size_t(pixels.height), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, uint32_t(bytes.size()));
    put32(10, uint32_t(headers));
    put32(14, kInfoHeaderBytes);
    put32(18, uint32_t(pixels.width));
    put32(22, uint32_t(pixels.height));
    bytes[26] = 1;   // planes
    bytes[28] = 24;  // bits per pixel
    put32(34, uint32_t(stride * size_t(pixels.height)));
    put32(38, 2835);  // 72 dots per inch
    put32(42, 2835);
    for (size_t row = 0; row < size_t(pixels.height); ++row)
        std::copy_n(pixels.bgr.data() + row * rowBytes, rowBytes, bytes.data() + headers + row * stride);
    return bytes;
}

}  // namespace trovel
