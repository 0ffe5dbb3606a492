// The picture reader: PNG files written by another encoder (tests/base/pictures, made by Python's
// zlib) in every colour type and depth, broken PNG and zlib streams, the size limit and the scaler.
#include "base/picture_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "base/inflate.h"
#include "picture_writers.h"

namespace trovel {
namespace {

std::vector<uint8_t> readBytes(const std::string& name) {
    std::ifstream in(std::filesystem::path(TROVEL_SOURCE_DIR) / "tests/base/pictures" / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The samples make_pictures.py wrote, by the same formulas.
int sample(char kind, int x, int y, int depth) {
    const bool wide = depth == 16;
    switch (kind) {
    case 'y': return wide ? (x * 7919 + y * 104729) & 0xFFFF : (x * 7 + y * 3) % (1 << depth);
    case 'r': return wide ? (x * 4099 + y * 771) & 0xFFFF : (x * 37 + y * 11) & 255;
    case 'g': return wide ? (x * 1031 + y * 9973) & 0xFFFF : (x * 5 + y * 53) & 255;
    case 'b': return wide ? (x * x * 97 + y * 5) & 0xFFFF : (x * x + y * 3) & 255;
    case 'a': return wide ? (x * 7001 + y * 313) & 0xFFFF : (x * 29 + y * 7) & 255;
    default: return (x + 3 * y) % std::min(1 << depth, 17);  // palette index
    }
}

int to8(int v, int depth) { return depth == 16 ? v >> 8 : depth == 8 ? v : v * 255 / ((1 << depth) - 1); }
int onWhite(int c, int a) { return (c * a + 255 * (255 - a) + 127) / 255; }

struct PngCase {
    const char* file;
    int width = 13, height = 7;
    const char* channels;  // y grey, r g b, a alpha, i palette index
    int depth;
    int keyX = -1, keyY = -1;  // the pixel whose colour tRNS makes transparent
};

TEST(PngFile, EveryColourTypeAndDepthDecodesToTheWrittenPixelsLaidOnWhite) {
    const PngCase cases[] = {
        {"grey1.png", 13, 7, "y", 1},
        {"grey2.png", 13, 7, "y", 2},
        {"grey4.png", 13, 7, "y", 4},
        {"grey8.png", 13, 7, "y", 8},
        {"grey16.png", 13, 7, "y", 16},
        {"grey8_key.png", 13, 7, "y", 8, 2, 1},
        {"rgb8_fixed.png", 13, 7, "rgb", 8},
        {"rgb8_stored.png", 13, 7, "rgb", 8},
        {"rgb8_rle_split.png", 13, 7, "rgb", 8},
        {"rgb8_key.png", 13, 7, "rgb", 8, 4, 2},
        {"rgb16.png", 13, 7, "rgb", 16},
        {"palette1.png", 13, 7, "i", 1},
        {"palette2.png", 13, 7, "i", 2},
        {"palette4.png", 13, 7, "i", 4},
        {"palette8.png", 13, 7, "i", 8},
        {"grey_alpha8.png", 13, 7, "ya", 8},
        {"grey_alpha16.png", 13, 7, "ya", 16},
        {"rgba8_dynamic.png", 64, 48, "rgba", 8},
        {"rgba16.png", 13, 7, "rgba", 16},
    };
    for (const PngCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> bytes = readBytes(c.file);
        ASSERT_FALSE(bytes.empty());
        BitmapPixels pixels;
        ASSERT_EQ(decodePng(bytes.data(), bytes.size(), pixels), PngError::None);
        ASSERT_EQ(pixels.width, c.width);
        ASSERT_EQ(pixels.height, c.height);
        const std::string ch = c.channels;
        int wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                int r, g, b, a = 255;
                if (ch == "i") {
                    const int i = sample('i', x, y, c.depth);
                    r = i * 15 & 255, g = (255 - i * 13) & 255, b = i * i & 255;
                    if (i < std::min(1 << c.depth, 17) && i < 10) a = (255 - i * 14) & 255;
                } else if (ch[0] == 'y') {
                    r = g = b = to8(sample('y', x, y, c.depth), c.depth);
                } else {
                    r = to8(sample('r', x, y, c.depth), c.depth);
                    g = to8(sample('g', x, y, c.depth), c.depth);
                    b = to8(sample('b', x, y, c.depth), c.depth);
                }
                if (ch.back() == 'a') a = to8(sample('a', x, y, c.depth), c.depth);
                if (c.keyX >= 0) {
                    bool same = true;
                    for (char k : ch) same = same && sample(k, x, y, c.depth) == sample(k, c.keyX, c.keyY, c.depth);
                    if (same) a = 0;
                }
                const uint8_t* p = pixels.bgr.data() + 3 * (size_t(x) + size_t(c.width) * size_t(c.height - 1 - y));
                wrong += p[0] != onWhite(b, a) || p[1] != onWhite(g, a) || p[2] != onWhite(r, a);
            }
        EXPECT_EQ(wrong, 0);
    }
}

uint32_t u32be(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// The offset of a chunk's length field, or npos.
size_t findChunk(const std::vector<uint8_t>& png, const char* type) {
    for (size_t at = 8; at + 12 <= png.size(); at += 12 + u32be(png, at))
        if (std::equal(type, type + 4, png.begin() + std::ptrdiff_t(at + 4))) return at;
    return std::string::npos;
}

void fixCrc(std::vector<uint8_t>& png, size_t chunk) {
    const uint32_t length = u32be(png, chunk);
    test::put32be(png, chunk + 8 + length, pngCrc(png.data() + chunk + 4, 4 + length));
}

std::vector<uint8_t> greyPng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rows) {
    return test::pngFile(width, height, 0, rows);
}

TEST(PngFile, BrokenFilesGiveTheirCodeAndNoPixels) {
    const std::vector<uint8_t> good = readBytes("rgb8_fixed.png");
    const size_t ihdr = findChunk(good, "IHDR"), idat = findChunk(good, "IDAT"), iend = findChunk(good, "IEND");
    ASSERT_NE(idat, std::string::npos);
    ASSERT_NE(iend, std::string::npos);
    using Edit = std::function<void(std::vector<uint8_t>&)>;
    auto header = [&](size_t field, uint8_t value) -> Edit {
        return [=](std::vector<uint8_t>& b) {
            b[ihdr + 8 + field] = value;
            fixCrc(b, ihdr);
        };
    };
    const struct {
        const char* what;
        Edit edit;
        PngError expected;
    } rows[] = {
        {"cut inside the header", [](auto& b) { b.resize(20); }, PngError::Truncated},
        {"cut inside the pixel data", [&](auto& b) { b.resize(idat + 20); }, PngError::Truncated},
        {"no IEND", [&](auto& b) { b.resize(iend); }, PngError::Truncated},
        {"a flipped data byte", [&](auto& b) { b[idat + 10] ^= 0x10; }, PngError::BadChunk},
        {"a flipped data byte with its CRC made right",
         [&](auto& b) {
             b[idat + 10] ^= 0x10;
             fixCrc(b, idat);
         },
         PngError::BadData},
        {"zero width", header(3, 0), PngError::BadHeader},
        {"bit depth 3", header(8, 3), PngError::BadHeader},
        {"colour type 5", header(9, 5), PngError::BadHeader},
        {"interlaced", header(12, 1), PngError::Interlaced},
        {"5000 x 5000 announced",
         [&](auto& b) {
             test::put32be(b, ihdr + 8, 5000);
             test::put32be(b, ihdr + 12, 5000);
             fixCrc(b, ihdr);
         },
         PngError::TooLarge},
        {"an unknown critical chunk",
         [&](auto& b) {
             b[idat + 4] = 'X';
             fixCrc(b, idat);
         },
         PngError::BadChunk},
        {"not a PNG", [](auto& b) { b[1] = 'Q'; }, PngError::NoSignature},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<uint8_t> bytes = good;
        row.edit(bytes);
        BitmapPixels pixels;
        EXPECT_EQ(decodePng(bytes.data(), bytes.size(), pixels), row.expected);
        EXPECT_TRUE(pixels.bgr.empty());
    }
    // A palette picture without its palette.
    std::vector<uint8_t> palette = readBytes("palette8.png");
    const size_t plte = findChunk(palette, "PLTE");
    ASSERT_NE(plte, std::string::npos);
    palette.erase(palette.begin() + std::ptrdiff_t(plte),
                  palette.begin() + std::ptrdiff_t(plte + 12 + u32be(palette, plte)));
    BitmapPixels pixels;
    EXPECT_EQ(decodePng(palette.data(), palette.size(), pixels), PngError::BadPalette);

    // Rows of a 2 x 2 grey picture: an unknown filter, one byte too few, one too many.
    const std::vector<uint8_t> rowsOk{0, 10, 20, 1, 5, 5};
    EXPECT_EQ(decodePng(greyPng(2, 2, rowsOk).data(), greyPng(2, 2, rowsOk).size(), pixels), PngError::None);
    EXPECT_EQ(pixels.bgr, (std::vector<uint8_t>{5, 5, 5, 10, 10, 10, 10, 10, 10, 20, 20, 20}));  // bottom row first
    for (const std::vector<uint8_t>& rows :
         {std::vector<uint8_t>{0, 10, 20, 5, 5, 5}, std::vector<uint8_t>{0, 10, 20, 1, 5},
          std::vector<uint8_t>{0, 10, 20, 1, 5, 5, 0}}) {
        const std::vector<uint8_t> png = greyPng(2, 2, rows);
        EXPECT_EQ(decodePng(png.data(), png.size(), pixels), PngError::BadData);
    }
}

// Deflate streams written bit by bit: least significant bit first, Huffman codes from their top bit.
class BitWriter {
public:
    void bits(uint32_t value, int n) {
        for (int i = 0; i < n; ++i) bit((value >> i) & 1);
    }
    void code(uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i) bit((value >> i) & 1);
    }
    std::vector<uint8_t> zlib(uint32_t adler) {
        std::vector<uint8_t> z{0x78, 0x01};
        z.insert(z.end(), m_bytes.begin(), m_bytes.end());
        if (m_count) z.push_back(m_current);
        for (int shift = 24; shift >= 0; shift -= 8) z.push_back(uint8_t(adler >> shift));
        return z;
    }

private:
    void bit(uint32_t b) {
        m_current |= uint8_t(b << m_count);
        if (++m_count == 8) {
            m_bytes.push_back(m_current);
            m_current = 0;
            m_count = 0;
        }
    }
    std::vector<uint8_t> m_bytes;
    uint8_t m_current = 0;
    int m_count = 0;
};

// Fixed-code block: the literal 'a', then a match of length 3 at `distance`, then the end.
std::vector<uint8_t> fixedMatch(int distanceCode, uint32_t adler) {
    BitWriter w;
    w.bits(1, 1);  // last block
    w.bits(1, 2);  // fixed codes
    w.code(0x30 + 'a', 8);
    w.code(257 - 256, 7);  // length 3
    w.code(uint32_t(distanceCode), 5);
    w.code(0, 7);  // end of block
    return w.zlib(adler);
}

TEST(Inflate, HandMadeStreamsDecodeOrGiveTheirCode) {
    std::vector<uint8_t> out;
    // 'a' then length 3 at distance 1: a run copied over itself.
    const std::vector<uint8_t> run = fixedMatch(0, 0x03CE0185);  // Adler-32 of "aaaa"
    EXPECT_EQ(inflateZlib(run.data(), run.size(), out, 100), InflateError::None);
    EXPECT_EQ(out, (std::vector<uint8_t>{'a', 'a', 'a', 'a'}));
    EXPECT_EQ(inflateZlib(run.data(), run.size(), out, 3), InflateError::TooLarge);

    const std::vector<uint8_t> far = fixedMatch(1, 0);  // distance 2 with one byte out
    EXPECT_EQ(inflateZlib(far.data(), far.size(), out, 100), InflateError::BadDistance);

    std::vector<uint8_t> wrongSum = run;
    wrongSum.back() ^= 1;
    EXPECT_EQ(inflateZlib(wrongSum.data(), wrongSum.size(), out, 100), InflateError::BadChecksum);
    std::vector<uint8_t> noSum(run.begin(), run.end() - 4);
    EXPECT_EQ(inflateZlib(noSum.data(), noSum.size(), out, 100), InflateError::Truncated);

    BitWriter type3;
    type3.bits(1, 1);
    type3.bits(3, 2);
    const std::vector<uint8_t> reserved = type3.zlib(1);
    EXPECT_EQ(inflateZlib(reserved.data(), reserved.size(), out, 100), InflateError::BadBlockType);

    // A dynamic block whose 19 code-length codes are all one bit long: more codes than one bit holds.
    BitWriter over;
    over.bits(1, 1);
    over.bits(2, 2);
    over.bits(0, 5);
    over.bits(0, 5);
    over.bits(15, 4);
    for (int i = 0; i < 19; ++i) over.bits(1, 3);
    const std::vector<uint8_t> oversubscribed = over.zlib(1);
    EXPECT_EQ(inflateZlib(oversubscribed.data(), oversubscribed.size(), out, 100), InflateError::BadCodeLengths);

    const std::vector<uint8_t> stored = test::storedZlib({1, 2, 3});
    std::vector<uint8_t> badLength = stored;
    badLength[5] ^= 1;  // the complement of the length
    EXPECT_EQ(inflateZlib(badLength.data(), badLength.size(), out, 100), InflateError::BadStoredLength);
    std::vector<uint8_t> presetDictionary = stored;
    presetDictionary[1] = 0x20 | (31 - (0x7800 | 0x20) % 31);
    EXPECT_EQ(inflateZlib(presetDictionary.data(), presetDictionary.size(), out, 100), InflateError::BadHeader);
}

TEST(PictureFile, FormatsTheSizeLimitAndUnreadableFiles) {
    BitmapPixels pixels;
    const std::vector<uint8_t> png = readBytes("grey8.png");
    EXPECT_EQ(pictureFormat(png.data(), png.size()), PictureFormat::Png);
    EXPECT_EQ(decodePicture(png.data(), png.size(), pixels), PictureError::None);
    EXPECT_EQ(pixels.width, 13);
    const PictureSize size = pictureSize(png.data(), png.size());
    EXPECT_EQ(size.width, 13);
    EXPECT_EQ(size.height, 7);

    // A 24-bit bitmap header of 5000 x 4000 pixels: over the limit before its missing pixels matter.
    std::vector<uint8_t> bmp(54, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[26] = 1, bmp[28] = 24;
    bmp[18] = uint8_t(5000 & 255), bmp[19] = uint8_t(5000 >> 8), bmp[22] = uint8_t(4000 & 255),
    bmp[23] = uint8_t(4000 >> 8);
    bmp.resize(1000);
    EXPECT_EQ(decodePicture(bmp.data(), bmp.size(), pixels), PictureError::TooLarge);
    bmp[19] = 0, bmp[23] = 0;  // 136 x 160: now merely cut short
    EXPECT_EQ(decodePicture(bmp.data(), bmp.size(), pixels), PictureError::Truncated);
    bmp[28] = 16;  // a valid 16-bit file is not read
    bmp.resize(54 + 136 * 2 * 160);
    EXPECT_EQ(decodePicture(bmp.data(), bmp.size(), pixels), PictureError::Unsupported);

    const std::vector<uint8_t> interlaced = readBytes("interlaced.png");
    EXPECT_EQ(decodePicture(interlaced.data(), interlaced.size(), pixels), PictureError::Interlaced);
    const std::vector<uint8_t> text{'G', 'I', 'F', '8', '9', 'a', 0, 0};
    EXPECT_EQ(decodePicture(text.data(), text.size(), pixels), PictureError::NotPicture);
    EXPECT_EQ(decodePicture(nullptr, 0, pixels), PictureError::NotPicture);
}

BitmapPixels row(std::vector<uint8_t> greys, int height = 1) {
    BitmapPixels p;
    p.width = int(greys.size()) / height;
    p.height = height;
    for (uint8_t g : greys) p.bgr.insert(p.bgr.end(), {g, g, g});
    return p;
}

std::vector<uint8_t> greysOf(const BitmapPixels& p) {
    std::vector<uint8_t> g;
    for (size_t i = 0; i < p.bgr.size(); i += 3) g.push_back(p.bgr[i]);
    return g;
}

TEST(PictureFile, ScalingAveragesWhatEachNewPixelCoversAndEnlargesByRepeating) {
    EXPECT_EQ(greysOf(scalePixels(row({10, 20, 30}), 7, 1)), (std::vector<uint8_t>{10, 10, 10, 20, 20, 30, 30}));
    EXPECT_EQ(greysOf(scalePixels(row({10, 20, 30, 40, 50, 60, 71}), 3, 1)), (std::vector<uint8_t>{15, 35, 60}));
    // Two rows of four to one row of two: each new pixel the rounded mean of a 2 x 2 block.
    EXPECT_EQ(greysOf(scalePixels(row({0, 1, 100, 200, 2, 2, 50, 51}, 2), 2, 1)), (std::vector<uint8_t>{1, 100}));
    const BitmapPixels big = scalePixels(row({0, 255}), 700, 500);
    ASSERT_EQ(big.bgr.size(), 700u * 500u * 3u);
    EXPECT_EQ(big.bgr[3 * 349], 0);
    EXPECT_EQ(big.bgr[3 * 350], 255);
    EXPECT_TRUE(scalePixels(BitmapPixels{}, 700, 500).bgr.empty());
}

}  // namespace
}  // namespace trovel
