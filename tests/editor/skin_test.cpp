#include <gtest/gtest.h>

#include <algorithm>

#include "editor/bitmap_header.h"
#include "base/bitmap_file.h"
#include "base/resource_library.h"
#include "editor/skin.h"
#include "app/app_test_files.h"

namespace trovel {
namespace {

using test::bitmap24;
using test::scratchDir;
using test::writeBytes;
using test::writeUtf16Lines;

std::vector<std::u16string> skinLines(int count) {
    std::vector<std::u16string> lines{u"; skin list"};
    for (int i = 0; i < count; ++i) lines.push_back(u"SKIN:[[img\\b" + std::u16string(1, u'a' + i % 26) + u".bmp]]");
    return lines;
}

void writeImages(const std::filesystem::path& dir) {
    for (int i = 0; i < 26; ++i) writeBytes(dir / "img" / ("b" + std::string(1, 'a' + i) + ".bmp"), bitmap24(63, 36));
}

TEST(Skin, LoadsListedImagesInOrderWithBackslashNames) {
    useStringPack({});
    auto dir = scratchDir("editor", "skin_ok");
    writeImages(dir);
    writeUtf16Lines(dir / "skin.ini", skinLines(22));
    SkinResult r = loadSkin(dir / "skin.ini", dir);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.images.size(), 22u);
    EXPECT_FALSE(r.tooFew);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(r.images[1].file, dir / "img" / "bb.bmp");
    EXPECT_EQ(r.images[1].info.width, 63);
    EXPECT_EQ(r.images[1].info.height, 36);
}

TEST(Skin, FewerThanSeventeenImagesWarnsButLoads) {
    useStringPack({});
    auto dir = scratchDir("editor", "skin_few");
    writeImages(dir);
    writeUtf16Lines(dir / "skin.ini", skinLines(16));
    SkinResult r = loadSkin(dir / "skin.ini", dir);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.tooFew);
    EXPECT_EQ(r.message, u"必要数のスキンイメージを読み込めませんでした。画面の表示に問題が発生する可能性があります。");
}

TEST(Skin, AnUnreadableImageFailsWithItsFullPath) {
    useStringPack({});
    auto dir = scratchDir("editor", "skin_bad");
    writeImages(dir);
    writeBytes(dir / "img" / "bc.bmp", "BM not really");
    writeUtf16Lines(dir / "skin.ini", skinLines(22));
    SkinResult r = loadSkin(dir / "skin.ini", dir);
    EXPECT_EQ(r.status, SkinStatus::ImageUnreadable);
    EXPECT_TRUE(r.images.empty());
    EXPECT_EQ(r.badImage, dir / "img" / "bc.bmp");
    EXPECT_EQ(r.message, u"以下のスキン画像ファイルを読み込めませんでした。\r\n[[" +
                             (dir / "img" / "bc.bmp").u16string() + u"]]\r\nプログラムを起動できません。");
}

TEST(Skin, MissingListOrMissingImageFails) {
    auto dir = scratchDir("editor", "skin_missing");
    EXPECT_EQ(loadSkin(dir / "skin.ini", dir).status, SkinStatus::CannotOpen);
    writeUtf16Lines(dir / "skin.ini", {u"SKIN:[[nothere.bmp]]"});
    EXPECT_EQ(loadSkin(dir / "skin.ini", dir).status, SkinStatus::ImageUnreadable);
}

TEST(Skin, EmptyNamesTakeNoNumberAndTheTableStopsAt44) {
    auto dir = scratchDir("editor", "skin_limits");
    writeImages(dir);
    std::vector<std::u16string> lines = skinLines(50);
    lines.insert(lines.begin() + 1, u"SKIN:[[]]");
    lines.insert(lines.begin() + 1, u"SKIN: no brackets");
    lines.push_back(u"SKIN:[[missing.bmp]]");  // beyond the table: never looked at
    writeUtf16Lines(dir / "skin.ini", lines);
    SkinResult r = loadSkin(dir / "skin.ini", dir);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.images.size(), static_cast<size_t>(kMaxSkinImages));
    EXPECT_EQ(r.images[0].file, dir / "img" / "ba.bmp");
}

TEST(BitmapHeader, AcceptsWellFormedAndRejectsDamagedFiles) {
    std::string good = bitmap24(63, 63);
    BitmapInfo info = checkBitmap(reinterpret_cast<const uint8_t*>(good.data()), good.size());
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.width, 63);
    EXPECT_EQ(info.bitsPerPixel, 24);

    auto check = [](std::string bytes) {
        return checkBitmap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()).ok;
    };
    EXPECT_FALSE(check(good.substr(0, good.size() - 1)));  // pixel rows cut short
    EXPECT_FALSE(check(good.substr(0, 20)));               // header cut short
    EXPECT_FALSE(check(""));
    std::string b = good;
    b[0] = 'P';
    EXPECT_FALSE(check(b));
    b = good;
    b[28] = 7;  // no such depth
    EXPECT_FALSE(check(b));
    b = good;
    b[18] = 0;  // zero width
    EXPECT_FALSE(check(b));
    b = good;
    b[14] = static_cast<char>(0xFF);  // header larger than the file
    b[15] = static_cast<char>(0xFF);
    EXPECT_FALSE(check(b));
    b = good;
    b[10] = static_cast<char>(0xF0);  // pixels start past the end
    b[11] = static_cast<char>(0xFF);
    EXPECT_FALSE(check(b));
    b = good;
    b[22] = static_cast<char>(0xC1);  // top-down (negative height) is fine
    b[23] = b[24] = b[25] = static_cast<char>(0xFF);
    EXPECT_TRUE(check(b));
    EXPECT_FALSE(checkBitmap(nullptr, 100).ok);
}

// A small picture with a different colour in every pixel, as bottom-up rows of blue, green, red.
constexpr int kPicW = 5, kPicH = 3;  // 15 bytes a 24-bit row: one byte of padding
std::vector<uint8_t> referencePixels() {
    std::vector<uint8_t> bgr;
    for (int y = 0; y < kPicH; ++y)
        for (int x = 0; x < kPicW; ++x)
            for (int c : {x * 40 + 1, y * 70 + 2, x * y * 10 + 3}) bgr.push_back(uint8_t(c));
    return bgr;
}

struct Encoding {
    int bits = 24;
    uint32_t infoBytes = 40;
    bool topDown = false;
    bool bitFields = false;
};

// The reference picture written as a paint program would: any header version, padding to 4 bytes,
// a colour table for 8 bits, and the pixels where bfOffBits says.
std::string encodePicture(const Encoding& e) {
    const std::vector<uint8_t> bgr = referencePixels();
    std::vector<uint32_t> palette;  // 0x00RRGGBB
    auto colourAt = [&](size_t i) {
        return uint32_t(bgr[i * 3]) | uint32_t(bgr[i * 3 + 1]) << 8 | uint32_t(bgr[i * 3 + 2]) << 16;
    };
    if (e.bits == 8)
        for (size_t i = 0; i < size_t(kPicW * kPicH); ++i)
            if (std::find(palette.begin(), palette.end(), colourAt(i)) == palette.end()) palette.push_back(colourAt(i));
    const size_t stride = (size_t(kPicW) * size_t(e.bits) + 31) / 32 * 4;
    const size_t masks = e.bitFields && e.infoBytes == 40 ? 12 : 0;
    const size_t offset = 14 + e.infoBytes + masks + palette.size() * 4;
    std::string b(offset + stride * kPicH, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, uint32_t(offset));
    put32(14, e.infoBytes);
    put32(18, kPicW);
    put32(22, e.topDown ? uint32_t(-kPicH) : uint32_t(kPicH));
    b[26] = 1;
    b[28] = char(e.bits);
    put32(30, e.bitFields ? 3 : 0);
    put32(46, uint32_t(palette.size()));
    if (e.bitFields) {
        put32(54, 0x00FF0000);
        put32(58, 0x0000FF00);
        put32(62, 0x000000FF);
    }
    for (size_t i = 0; i < palette.size(); ++i) put32(14 + e.infoBytes + i * 4, palette[i]);
    for (int y = 0; y < kPicH; ++y) {
        const size_t row = offset + stride * size_t(e.topDown ? kPicH - 1 - y : y);
        for (int x = 0; x < kPicW; ++x) {
            const size_t i = size_t(y * kPicW + x);
            if (e.bits == 8) {
                b[row + size_t(x)] = char(std::find(palette.begin(), palette.end(), colourAt(i)) - palette.begin());
            } else {
                const size_t px = row + size_t(x) * size_t(e.bits / 8);
                for (size_t c = 0; c < 3; ++c) b[px + c] = char(bgr[i * 3 + c]);
                if (e.bits == 32) b[px + 3] = char(0xFF);
            }
        }
    }
    return b;
}

BitmapError decode(const std::string& bytes, BitmapPixels& pixels) {
    return decodeBitmap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), pixels);
}

TEST(BitmapFile, EveryHeaderVersionDepthAndRowOrderGivesThePlainPicturesPixels) {
    const struct {
        const char* name;
        Encoding encoding;
    } rows[] = {
        {"24-bit, 40-byte header", {24, 40}},
        {"24-bit, V5 header", {24, 124}},
        {"24-bit, V4 header, top-down", {24, 108, true}},
        {"32-bit, top-down", {32, 40, true}},
        {"32-bit bit fields after a 40-byte header", {32, 40, false, true}},
        {"32-bit bit fields in a V5 header, top-down", {32, 124, true, true}},
        {"8-bit with a colour table", {8, 40}},
        {"8-bit with a colour table, V5 header, top-down", {8, 124, true}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string bytes = encodePicture(row.encoding);
        BitmapPixels pixels;
        ASSERT_EQ(decode(bytes, pixels), BitmapError::None);
        EXPECT_EQ(pixels.width, kPicW);
        EXPECT_EQ(pixels.height, kPicH);
        EXPECT_EQ(pixels.bgr, referencePixels());
        EXPECT_TRUE(checkBitmap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()).ok);
    }
}

TEST(BitmapFile, DamagedHeadersAreRefusedWithTheirFault) {
    const std::string good = encodePicture({24, 124});
    const std::string table = encodePicture({8, 40});
    // The picture with 32-bit fields changed: {at, value} pairs.
    auto edited = [](std::string b, std::initializer_list<std::pair<size_t, uint32_t>> edits) {
        for (auto [at, v] : edits)
            for (size_t i = 0; i < 4; ++i) b.at(at + i) = char(v >> (8 * i));
        return b;
    };
    std::string noSignature = good;
    noSignature[0] = 'P';
    const struct {
        const char* name;
        std::string bytes;
        BitmapError error;
    } rows[] = {
        {"pixels start at the end", edited(good, {{10, uint32_t(good.size())}}), BitmapError::BadPixelOffset},
        {"pixels start past the end", edited(good, {{10, 0xFFFFFFF0u}}), BitmapError::BadPixelOffset},
        {"pixels start inside the V5 header", edited(good, {{10, 54}}), BitmapError::BadPixelOffset},
        {"width and height whose product overflows", edited(good, {{18, 0x7FFFFFFF}, {22, 0x7FFFFFFF}}),
         BitmapError::BadDimensions},
        {"the most negative height", edited(good, {{22, 0x80000000u}}), BitmapError::BadDimensions},
        {"largest sides in a small file", edited(good, {{18, 16384}, {22, 16384}}), BitmapError::TruncatedPixels},
        {"last row cut short", good.substr(0, good.size() - 1), BitmapError::TruncatedPixels},
        {"V5 header cut short", good.substr(0, 100), BitmapError::BadHeaderSize},
        {"header size past the end", edited(good, {{14, 0xFFFFFFFFu}}), BitmapError::BadHeaderSize},
        {"colour table larger than 256", edited(table, {{46, 257}}), BitmapError::BadPalette},
        {"colour table running into the pixels", edited(table, {{46, 200}}), BitmapError::BadPalette},
        {"bit fields other than blue, green, red", edited(encodePicture({32, 40, false, true}), {{54, 0x00FE0000}}),
         BitmapError::BadMasks},
        {"run-length on 24 bits", edited(good, {{30, 1}}), BitmapError::BadCompression},
        {"no signature", noSignature, BitmapError::NoSignature},
        {"too short for any header", good.substr(0, 25), BitmapError::TooShort},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BitmapPixels pixels;
        EXPECT_EQ(decode(row.bytes, pixels), row.error);
        EXPECT_TRUE(pixels.bgr.empty());
        // Header faults fail the skin check too; colour table and masks are the decoder's own checks.
        if (row.error != BitmapError::BadPalette && row.error != BitmapError::BadMasks) {
            EXPECT_FALSE(checkBitmap(reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size()).ok);
        }
    }
    // The skin check still accepts the depths it always did; only the decoder leaves them to others.
    std::string sixteen = edited(good, {{28, 16}});
    BitmapPixels pixels;
    EXPECT_EQ(decode(sixteen, pixels), BitmapError::Unsupported);
    EXPECT_TRUE(checkBitmap(reinterpret_cast<const uint8_t*>(sixteen.data()), sixteen.size()).ok);
}

}  // namespace
}  // namespace trovel
