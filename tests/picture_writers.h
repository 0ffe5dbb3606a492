#pragma once
// Small picture writers of the tests' own, for files the studio itself never writes: PNG files in
// stored (uncompressed) deflate blocks, and bitmaps with the longer info headers paint programs use.

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "base/bitmap_file.h"
#include "base/png_file.h"

namespace trovel::test {

inline void put32be(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}
inline void put32le(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A zlib stream of stored blocks.
inline std::vector<uint8_t> storedZlib(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> z{0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(65535, data.size() - at);
        z.push_back(at + n == data.size());
        z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
        at += n;
    } while (at < data.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : data) a = (a + c) % 65521, b = (b + a) % 65521;
    for (int shift = 24; shift >= 0; shift -= 8) z.push_back(uint8_t((b << 16 | a) >> shift));
    return z;
}

inline std::vector<uint8_t> pngChunk(const char* type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> c(4);
    put32be(c, 0, uint32_t(data.size()));
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    c.resize(c.size() + 4);
    put32be(c, c.size() - 4, pngCrc(c.data() + 4, 4 + data.size()));
    return c;
}

// A PNG of 8-bit samples from rows already filtered (a filter byte before each row).
inline std::vector<uint8_t> pngFile(uint32_t width, uint32_t height, uint8_t colourType,
                                    const std::vector<uint8_t>& rows, const std::vector<uint8_t>& palette = {}) {
    std::vector<uint8_t> ihdr(13, 0);
    put32be(ihdr, 0, width);
    put32be(ihdr, 4, height);
    ihdr[8] = 8;
    ihdr[9] = colourType;
    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::vector<uint8_t>> chunks{pngChunk("IHDR", ihdr)};
    if (!palette.empty()) chunks.push_back(pngChunk("PLTE", palette));
    chunks.push_back(pngChunk("IDAT", storedZlib(rows)));
    chunks.push_back(pngChunk("IEND", {}));
    for (const auto& c : chunks) png.insert(png.end(), c.begin(), c.end());
    return png;
}

// The pixels (bottom-up blue, green, red) as an RGB PNG, or as a palette PNG when `palette` and
// they have at most 256 colours.
inline std::vector<uint8_t> pngOf(const BitmapPixels& p, bool palette) {
    std::vector<uint8_t> rows, colours;
    std::map<uint32_t, uint8_t> index;
    for (int y = p.height - 1; y >= 0; --y) {
        rows.push_back(0);
        const uint8_t* src = p.bgr.data() + size_t(y) * size_t(p.width) * 3;
        for (int x = 0; x < p.width; ++x, src += 3) {
            if (!palette) {
                rows.insert(rows.end(), {src[2], src[1], src[0]});
                continue;
            }
            const uint32_t key = uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
            auto found = index.find(key);
            if (found == index.end()) {
                if (index.size() == 256) return {};
                found = index.emplace(key, uint8_t(index.size())).first;
                colours.insert(colours.end(), {src[2], src[1], src[0]});
            }
            rows.push_back(found->second);
        }
    }
    return pngFile(uint32_t(p.width), uint32_t(p.height), palette ? 3 : 2, rows, colours);
}

// The pixels as a bitmap with a 108-byte (V4) or 124-byte (V5) info header: 24 bits bottom-up, or
// 32 bits top-down with the blue, green, red bit fields.
inline std::vector<uint8_t> bitmapWithHeader(const BitmapPixels& p, uint32_t infoBytes, bool topDown32) {
    const uint32_t bytesPerPixel = topDown32 ? 4 : 3;
    const size_t stride = (size_t(p.width) * bytesPerPixel + 3) / 4 * 4;
    std::vector<uint8_t> b(14 + infoBytes + stride * size_t(p.height), 0);
    b[0] = 'B', b[1] = 'M';
    put32le(b, 2, uint32_t(b.size()));
    put32le(b, 10, 14 + infoBytes);
    put32le(b, 14, infoBytes);
    put32le(b, 18, uint32_t(p.width));
    put32le(b, 22, topDown32 ? uint32_t(-p.height) : uint32_t(p.height));
    b[26] = 1;
    b[28] = uint8_t(bytesPerPixel * 8);
    if (topDown32) {
        put32le(b, 30, 3);  // bit fields
        put32le(b, 54, 0x00FF0000u);
        put32le(b, 58, 0x0000FF00u);
        put32le(b, 62, 0x000000FFu);
        put32le(b, 66, 0xFF000000u);
    }
    for (int row = 0; row < p.height; ++row) {
        const int from = topDown32 ? p.height - 1 - row : row;  // file row `row` holds picture row `from` (bottom-up)
        const uint8_t* src = p.bgr.data() + size_t(from) * size_t(p.width) * 3;
        uint8_t* dst = b.data() + 14 + infoBytes + size_t(row) * stride;
        for (int x = 0; x < p.width; ++x, src += 3, dst += bytesPerPixel) {
            std::copy_n(src, 3, dst);
            if (topDown32) dst[3] = 0xFF;
        }
    }
    return b;
}

// The pixels as an 8-bit bitmap with a colour table (40-byte header); empty beyond 256 colours.
inline std::vector<uint8_t> bitmap8(const BitmapPixels& p) {
    std::map<uint32_t, uint8_t> index;
    std::vector<uint8_t> table, pixels;
    const size_t stride = (size_t(p.width) + 3) / 4 * 4;
    for (int y = 0; y < p.height; ++y) {
        const uint8_t* src = p.bgr.data() + size_t(y) * size_t(p.width) * 3;
        for (int x = 0; x < p.width; ++x, src += 3) {
            const uint32_t key = uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
            auto found = index.find(key);
            if (found == index.end()) {
                if (index.size() == 256) return {};
                found = index.emplace(key, uint8_t(index.size())).first;
                table.insert(table.end(), {src[0], src[1], src[2], 0});
            }
            pixels.push_back(found->second);
        }
        pixels.resize(stride * size_t(y + 1), 0);
    }
    std::vector<uint8_t> b(54, 0);
    b[0] = 'B', b[1] = 'M';
    b[14] = 40, b[26] = 1, b[28] = 8;
    put32le(b, 18, uint32_t(p.width));
    put32le(b, 22, uint32_t(p.height));
    put32le(b, 46, uint32_t(index.size()));
    b.insert(b.end(), table.begin(), table.end());
    put32le(b, 10, uint32_t(b.size()));
    b.insert(b.end(), pixels.begin(), pixels.end());
    put32le(b, 2, uint32_t(b.size()));
    return b;
}

}  // namespace trovel::test
