#include "base/png_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "base/inflate.h"

namespace trovel {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kHeaderBytes = 13;

enum ColourType : uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

uint32_t u32be(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

int channelsOf(uint8_t type) {
    switch (type) {
    case Grey: return 1;
    case Rgb: return 3;
    case Palette: return 1;
    case GreyAlpha: return 2;
    case Rgba: return 4;
    default: return 0;
    }
}

bool validDepth(uint8_t type, uint8_t depth) {
    switch (type) {
    case Grey: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case Palette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case Rgb:
    case GreyAlpha:
    case Rgba: return depth == 8 || depth == 16;
    default: return false;
    }
}

struct Header {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t depth = 0;
    uint8_t type = 0;
    uint8_t interlace = 0;
};

PngError readHeader(const uint8_t* data, size_t size, Header& h) {
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return PngError::NoSignature;
    if (size < sizeof kSignature + 8 + kHeaderBytes + 4) return PngError::Truncated;
    const uint8_t* chunk = data + sizeof kSignature;
    if (u32be(chunk) != kHeaderBytes || std::memcmp(chunk + 4, "IHDR", 4) != 0) return PngError::BadChunk;
    if (pngCrc(chunk + 4, 4 + kHeaderBytes) != u32be(chunk + 8 + kHeaderBytes)) return PngError::BadChunk;
    const uint8_t* p = chunk + 8;
    h.width = u32be(p);
    h.height = u32be(p + 4);
    h.depth = p[8];
    h.type = p[9];
    h.interlace = p[12];
    if (h.width == 0 || h.height == 0 || h.width > 0x7FFFFFFFu || h.height > 0x7FFFFFFFu) return PngError::BadHeader;
    if (!validDepth(h.type, h.depth) || p[10] != 0 || p[11] != 0 || h.interlace > 1) return PngError::BadHeader;
    return PngError::None;
}

uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc) return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

// Undoes one row's filter in place; `previous` is the row above, unfiltered (zeros for the first).
bool unfilter(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t rowBytes, size_t bpp) {
    switch (filter) {
    case 0: return true;
    case 1:
        for (size_t i = bpp; i < rowBytes; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < rowBytes; ++i) row[i] = uint8_t(row[i] + previous[i]);
        return true;
    case 3:
        for (size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            row[i] = uint8_t(row[i] + ((left + previous[i]) >> 1));
        }
        return true;
    case 4:
        for (size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int upLeft = i >= bpp ? previous[i - bpp] : 0;
            row[i] = uint8_t(row[i] + paeth(left, previous[i], upLeft));
        }
        return true;
    default: return false;
    }
}

uint8_t onWhite(uint8_t colour, uint8_t alpha) { return uint8_t((colour * alpha + 255 * (255 - alpha) + 127) / 255); }

struct Transparency {
    std::array<uint8_t, 256> paletteAlpha;  // per palette entry
    bool hasKey = false;                    // grey or RGB pictures: one colour is transparent
    std::array<uint16_t, 3> key{};          // the raw samples of that colour (grey: key[0])
    Transparency() { paletteAlpha.fill(255); }
};

// Sample i of a row of `depth`-bit samples, as read from the file (not scaled).
uint32_t sampleAt(const uint8_t* row, size_t i, int depth) {
    if (depth == 8) return row[i];
    if (depth == 16) return uint32_t(row[2 * i]) << 8 | row[2 * i + 1];
    const size_t bit = i * size_t(depth);
    const int shift = 8 - depth - int(bit % 8);
    return (row[bit / 8] >> shift) & ((1u << depth) - 1);
}

// A raw sample scaled to 0..255: the high byte of 16 bits, the low depths spread over the range.
uint8_t to8(uint32_t sample, int depth) {
    if (depth == 16) return uint8_t(sample >> 8);
    if (depth == 8) return uint8_t(sample);
    return uint8_t(sample * 255 / ((1u << depth) - 1));
}

void convertRow(const Header& h, const uint8_t* row, const std::array<std::array<uint8_t, 3>, 256>& palette,
                const Transparency& t, uint8_t* bgr) {
    const int depth = h.depth;
    for (size_t x = 0; x < h.width; ++x, bgr += 3) {
        uint8_t r = 0, g = 0, b = 0, a = 255;
        switch (h.type) {
        case Grey: {
            const uint32_t s = sampleAt(row, x, depth);
            r = g = b = to8(s, depth);
            if (t.hasKey && s == t.key[0]) a = 0;
            break;
        }
        case Rgb: {
            const uint32_t sr = sampleAt(row, 3 * x, depth), sg = sampleAt(row, 3 * x + 1, depth),
                           sb = sampleAt(row, 3 * x + 2, depth);
            r = to8(sr, depth);
            g = to8(sg, depth);
            b = to8(sb, depth);
            if (t.hasKey && sr == t.key[0] && sg == t.key[1] && sb == t.key[2]) a = 0;
            break;
        }
        case Palette: {
            const uint32_t index = sampleAt(row, x, depth);
            r = palette[index][0];
            g = palette[index][1];
            b = palette[index][2];
            a = t.paletteAlpha[index];
            break;
        }
        case GreyAlpha:
            r = g = b = to8(sampleAt(row, 2 * x, depth), depth);
            a = to8(sampleAt(row, 2 * x + 1, depth), depth);
            break;
        default:  // Rgba
            r = to8(sampleAt(row, 4 * x, depth), depth);
            g = to8(sampleAt(row, 4 * x + 1, depth), depth);
            b = to8(sampleAt(row, 4 * x + 2, depth), depth);
            a = to8(sampleAt(row, 4 * x + 3, depth), depth);
            break;
        }
        bgr[0] = onWhite(b, a);
        bgr[1] = onWhite(g, a);
        bgr[2] = onWhite(r, a);
    }
}

}  // namespace

uint32_t pngCrc(const uint8_t* data, size_t size, uint32_t crc) {
    const auto& table = crcTable();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool readPngSize(const uint8_t* data, size_t size, int& width, int& height) {
    Header h;
    if (readHeader(data, size, h) != PngError::None) return false;
    width = int(h.width);
    height = int(h.height);
    return true;
}

PngError decodePng(const uint8_t* data, size_t size, BitmapPixels& pixels) {
    pixels = {};
    Header h;
    if (PngError e = readHeader(data, size, h); e != PngError::None) return e;
    if (int64_t(h.width) * int64_t(h.height) > kPngMaxPixels) return PngError::TooLarge;
    if (h.interlace) return PngError::Interlaced;

    std::array<std::array<uint8_t, 3>, 256> palette{};  // indices past the palette read black
    size_t paletteSize = 0;
    Transparency transparency;
    std::vector<uint8_t> compressed;
    bool ended = false;
    size_t at = sizeof kSignature;
    while (!ended) {
        if (size - at < 12) return PngError::Truncated;
        const uint32_t length = u32be(data + at);
        if (length > 0x7FFFFFFFu || length > size - at - 12)
            return length > 0x7FFFFFFFu ? PngError::BadChunk : PngError::Truncated;
        const uint8_t* type = data + at + 4;
        const uint8_t* body = type + 4;
        if (pngCrc(type, 4 + size_t(length)) != u32be(body + length)) return PngError::BadChunk;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (at != sizeof kSignature) return PngError::BadChunk;  // a second header
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            if (length % 3 != 0 || length == 0 || length / 3 > 256 || paletteSize || !compressed.empty())
                return PngError::BadPalette;
            paletteSize = length / 3;
            for (size_t i = 0; i < paletteSize; ++i)
                for (size_t c = 0; c < 3; ++c) palette[i][c] = body[3 * i + c];
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            if (h.type == Palette) {
                for (size_t i = 0; i < length && i < 256; ++i) transparency.paletteAlpha[i] = body[i];
            } else if (h.type == Grey && length >= 2) {
                transparency.hasKey = true;
                transparency.key[0] = uint16_t(body[0] << 8 | body[1]);
            } else if (h.type == Rgb && length >= 6) {
                transparency.hasKey = true;
                for (size_t c = 0; c < 3; ++c) transparency.key[c] = uint16_t(body[2 * c] << 8 | body[2 * c + 1]);
            }
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), body, body + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        } else if (!(type[0] & 0x20)) {
            return PngError::BadChunk;  // an unknown chunk the reader may not skip (upper-case first letter)
        }
        at += 12 + size_t(length);
    }
    if (compressed.empty()) return PngError::Truncated;
    if (h.type == Palette && paletteSize == 0) return PngError::BadPalette;

    const size_t channels = size_t(channelsOf(h.type));
    const uint64_t rowBits = uint64_t(h.width) * channels * h.depth;
    const size_t rowBytes = size_t((rowBits + 7) / 8);
    const size_t bpp = std::max<size_t>(1, channels * h.depth / 8);
    const size_t rawSize = (rowBytes + 1) * size_t(h.height);
    std::vector<uint8_t> raw;
    raw.reserve(rawSize);
    if (inflateZlib(compressed.data(), compressed.size(), raw, rawSize) != InflateError::None || raw.size() != rawSize)
        return PngError::BadData;

    const size_t width = h.width, height = h.height;
    pixels.width = int(width);
    pixels.height = int(height);
    pixels.bgr.resize(width * height * 3);
    std::vector<uint8_t> zeros(rowBytes, 0);
    const uint8_t* previous = zeros.data();
    for (size_t y = 0; y < height; ++y) {
        uint8_t* row = raw.data() + y * (rowBytes + 1);
        if (!unfilter(row[0], row + 1, previous, rowBytes, bpp)) {
            pixels = {};
            return PngError::BadData;
        }
        convertRow(h, row + 1, palette, transparency, pixels.bgr.data() + (height - 1 - y) * width * 3);
        previous = row + 1;
    }
    return PngError::None;
}

}  // namespace trovel
