#include <gtest/gtest.h>

#include "editor/bitmap_header.h"
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
    SkinResult r = LoadSkin(dir / "skin.ini", dir);
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
    SkinResult r = LoadSkin(dir / "skin.ini", dir);
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
    SkinResult r = LoadSkin(dir / "skin.ini", dir);
    EXPECT_EQ(r.status, SkinStatus::ImageUnreadable);
    EXPECT_TRUE(r.images.empty());
    EXPECT_EQ(r.badImage, dir / "img" / "bc.bmp");
    EXPECT_EQ(r.message, u"以下のスキン画像ファイルを読み込めませんでした。\r\n[[" + (dir / "img" / "bc.bmp").u16string() +
                             u"]]\r\nプログラムを起動できません。");
}

TEST(Skin, MissingListOrMissingImageFails) {
    auto dir = scratchDir("editor", "skin_missing");
    EXPECT_EQ(LoadSkin(dir / "skin.ini", dir).status, SkinStatus::CannotOpen);
    writeUtf16Lines(dir / "skin.ini", {u"SKIN:[[nothere.bmp]]"});
    EXPECT_EQ(LoadSkin(dir / "skin.ini", dir).status, SkinStatus::ImageUnreadable);
}

TEST(Skin, EmptyNamesTakeNoNumberAndTheTableStopsAt44) {
    auto dir = scratchDir("editor", "skin_limits");
    writeImages(dir);
    std::vector<std::u16string> lines = skinLines(50);
    lines.insert(lines.begin() + 1, u"SKIN:[[]]");
    lines.insert(lines.begin() + 1, u"SKIN: no brackets");
    lines.push_back(u"SKIN:[[missing.bmp]]");  // beyond the table: never looked at
    writeUtf16Lines(dir / "skin.ini", lines);
    SkinResult r = LoadSkin(dir / "skin.ini", dir);
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

}  // namespace
}  // namespace trovel
