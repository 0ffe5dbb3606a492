#include <gtest/gtest.h>

#include <map>

#include "editor/captions.h"
#include "editor_fixtures.h"

using namespace trovel;

namespace {

// The texts of the shipped Japanese string table that these captions use.
const std::map<int, std::u16string> kStrings = {
    {5, u"ランダム"},
    {6, u"%s が %s と比べて %s"},
    {7, u"%s が %d と比べて %s"},
    {10, u"左%d%% 右%d%% で%s"},
    {13, u"\"%d%% で%s\""},
    {19, u"%.1f秒間の%s"},
    {20, u"はい"},
    {23, u"%d回"},
    {24, u"無限"},
    {25, u"%.1f秒"},
    {36, u"①"},
    {62, u"="},
    {63, u"＋="},
    {64, u"－="},
    {65, u"×="},
    {66, u"÷="},
    {81, u"プログラムをはじめる"},
    {103, u"進む"},
    {108, u"左"},
    {109, u"右"},
    {110, u"前"},
    {113, u"止まる"},
    {114, u"左前"},
    {115, u"右前"},
    {271, u"%.1f 秒間 %s"},
    {272, u"OFF"},
    {274, u"%d回 くり返す"},
    {298, u"小さい値？"},
    {299, u"同じ値？"},
    {300, u"大きい値？"},
    {309, u"ON"},
    {310, u"左のLEDを消す"},
    {315, u"%.1f秒間 右のLEDを点ける"},
    {317, u"ずっとくり返す（無限）"},
    {320, u"%.1f 秒間 %d%% で%s"},
    {321, u"%.1f 秒間 左%d%% 右%d%% で進む"},
    {1103, u"左前に進む"},
    {1104, u"前に進む"},
    {1105, u"右前に進む"},
    {1107, u"止まる"},
    {1112, u"ウェイト"},
};

TextSources sources() {
    TextSources t;
    t.resString = [](int id) {
        auto it = kStrings.find(id);
        return it == kStrings.end() ? std::u16string() : it->second;
    };
    // Long names "Lnn", short names "snn" by address.
    auto num = [](int a) {
        return std::u16string(1, static_cast<char16_t>(u'0' + a / 10)) + static_cast<char16_t>(u'0' + a % 10);
    };
    t.displayName = [num](int a) { return u"L" + num(a); };
    t.shortName = [num](int a) { return u"s" + num(a); };
    return t;
}

ActionBlock block(BlockType type, std::initializer_list<uint8_t> params) {
    ActionBlock b = test::makeBlock(type, 0, 0);
    size_t i = 0;
    for (uint8_t v : params) b.param[i++] = v;
    return b;
}

TEST(ChartCaptions, MotionWaitAndLed) {
    const TextSources t = sources();
    EXPECT_EQ(chartCaption(block(BlockType::Forward, {15, 0}), t, false), u"1.5秒");
    EXPECT_EQ(chartCaption(block(BlockType::Forward, {15, 1}), t, false), u"前");
    EXPECT_EQ(chartCaption(block(BlockType::LeftForward, {15, 1}), t, false), u"左前");
    EXPECT_EQ(chartCaption(block(BlockType::WheelControl, {15, 1}), t, false), u"進む");
    EXPECT_EQ(chartCaption(block(BlockType::Wait, {255}), t, false), u"25.5秒");
    EXPECT_EQ(chartCaption(block(BlockType::LeftLed, {10, 0, 0, 1}), t, false), u"OFF");
    EXPECT_EQ(chartCaption(block(BlockType::LeftLed, {10, 0, 0, 2}), t, false), u"1.0秒");
    EXPECT_EQ(chartCaption(block(BlockType::RightLed, {10, 0, 0, 0}), t, false), u"ON");
    EXPECT_EQ(chartCaption(block(BlockType::Start, {}), t, false), u"");
    EXPECT_EQ(chartCaption(block(BlockType::RandomBranch, {}), t, false), u"");
}

TEST(ChartCaptions, BranchAndCalcUseTheOperandTables) {
    const TextSources t = sources();
    // Operand 0 of a branch is address 9 (left sensor); operand 6 is address 16.
    EXPECT_EQ(chartCaption(block(BlockType::Branch, {0, 2, 80, 0, 0}), t, false), u"L09>80");
    EXPECT_EQ(chartCaption(block(BlockType::Branch, {0, 0, 80, 1, 6}), t, false), u"L09<80")
        << "without the option a memory comparison still shows the constant";
    EXPECT_EQ(chartCaption(block(BlockType::Branch, {0, 1, 80, 1, 6}), t, true), u"s09=s16");
    EXPECT_EQ(chartCaption(block(BlockType::Branch, {1, 1, 7, 0, 0}), t, true), u"s10=7");
    // Calc operand 0 is address 16, operand 11 is address 9.
    EXPECT_EQ(chartCaption(block(BlockType::Calc, {0, 1, 0, 0, 5}), t, false), u"s16＋=5");
    EXPECT_EQ(chartCaption(block(BlockType::Calc, {0, 4, 11, 1, 0}), t, false), u"s16÷=s09");
    // Out-of-range indices from a damaged file give empty parts, never a read past the tables.
    EXPECT_EQ(chartCaption(block(BlockType::Calc, {200, 9, 0, 0, 5}), t, false), u"5");
    EXPECT_EQ(chartCaption(block(BlockType::Branch, {17, 3, 1, 0, 0}), t, false), u"1");
}

TEST(ChartCaptions, RepeatBlocks) {
    const TextSources t = sources();
    EXPECT_EQ(chartCaption(block(BlockType::RepeatStart, {3, 0, 0}), t, false), u"①");
    EXPECT_EQ(chartCaption(block(BlockType::RepeatStart, {3, 0, 6}), t, false), u"⑦");
    EXPECT_EQ(chartCaption(block(BlockType::RepeatEnd, {3, 0, 0}), t, false), u"3回");
    EXPECT_EQ(chartCaption(block(BlockType::RepeatEnd, {3, 1, 0}), t, false), u"無限");
}

TEST(CaptionGeometry, RectanglesPerType) {
    ActionBlock f = test::makeBlock(BlockType::Forward, 0, 0);
    EXPECT_EQ(captionRect(f, {10, 20, 73, 83}), (Rect{12, 58, 71, 81}));
    ActionBlock br = test::makeBlock(BlockType::Branch, 0, 0);
    EXPECT_EQ(captionRect(br, {0, 0, 108, 63}), (Rect{2, 23, 106, 44}));
    ActionBlock rs = test::makeBlock(BlockType::RepeatStart, 0, 0);
    EXPECT_EQ(captionRect(rs, {0, 0, 108, 36}), (Rect{63, 18, 106, 54}));
    ActionBlock re = test::makeBlock(BlockType::RepeatEnd, 0, 0);
    EXPECT_EQ(captionRect(re, {0, 0, 108, 36}), (Rect{2, 14, 81, 36}));
    EXPECT_FALSE(captionRect(test::makeBlock(BlockType::End, 0, 0), {0, 0, 108, 45}).has_value());
    EXPECT_TRUE(hasCaptionPanel(BlockType::Wait));
    EXPECT_FALSE(hasCaptionPanel(BlockType::RepeatStart));
    EXPECT_FALSE(hasCaptionPanel(BlockType::Branch));
}

TEST(Tooltips, TextsPerType) {
    const TextSources t = sources();
    EXPECT_EQ(blockTooltip(block(BlockType::Start, {}), t), u"プログラムをはじめる");
    EXPECT_EQ(blockTooltip(block(BlockType::LeftForward, {15, 0, 50, 50}), t), u"1.5 秒間 50% で左前に進む");
    EXPECT_EQ(blockTooltip(block(BlockType::RightForward, {15, 1, 50, 30}), t), u"\"30% で右前に進む\"");
    EXPECT_EQ(blockTooltip(block(BlockType::Forward, {20, 0}), t), u"2.0 秒間 前に進む");
    EXPECT_EQ(blockTooltip(block(BlockType::Stop, {20, 1}), t), u"止まる");
    EXPECT_EQ(blockTooltip(block(BlockType::WheelControl, {15, 0, 40, 60}), t), u"1.5 秒間 左40% 右60% で進む");
    EXPECT_EQ(blockTooltip(block(BlockType::WheelControl, {15, 1, 40, 60}), t), u"左40% 右60% で進む");
    EXPECT_EQ(blockTooltip(block(BlockType::Branch, {0, 2, 80, 0, 0}), t), u"L09 が 80 と比べて 大きい値？");
    EXPECT_EQ(blockTooltip(block(BlockType::Branch, {0, 1, 80, 1, 6}), t), u"L09 が L16 と比べて 同じ値？");
    EXPECT_EQ(blockTooltip(block(BlockType::RandomBranch, {}), t), u"ランダム");
    EXPECT_EQ(blockTooltip(block(BlockType::Wait, {15}), t), u"1.5秒間のウェイト");
    EXPECT_EQ(blockTooltip(block(BlockType::LeftLed, {10, 0, 0, 1}), t), u"左のLEDを消す");
    EXPECT_EQ(blockTooltip(block(BlockType::RightLed, {12, 0, 0, 2}), t), u"1.2秒間 右のLEDを点ける");
    EXPECT_EQ(blockTooltip(block(BlockType::Calc, {0, 2, 0, 0, 5}), t), u"L16 －= 5");
    EXPECT_EQ(blockTooltip(block(BlockType::RepeatEnd, {4, 0}), t), u"4回 くり返す");
    EXPECT_EQ(blockTooltip(block(BlockType::RepeatStart, {4, 1}), t), u"ずっとくり返す（無限）");

    // Block names come from the string table in use, like every other word of a tooltip.
    TextSources english = t;
    english.resString = [t](int id) { return id == 1104 ? u"Forward" : id == 271 ? u"%.1f s: %s" : t.resString(id); };
    EXPECT_EQ(blockTooltip(block(BlockType::Forward, {20, 1}), english), u"Forward");
    EXPECT_EQ(blockTooltip(block(BlockType::Forward, {20, 0}), english), u"2.0 s: Forward");
}

TEST(OutputLabels, StringsAndVisibility) {
    EXPECT_EQ(outputLabelString(BlockType::Branch, 0), 20);
    EXPECT_EQ(outputLabelString(BlockType::Branch, 1), 21);
    EXPECT_EQ(outputLabelString(BlockType::RandomBranch, 1), 58);
    EXPECT_EQ(outputLabelString(BlockType::RepeatEnd, 0), 0);
    EXPECT_EQ(outputLabelString(BlockType::RepeatEnd, 1), 76);
    EXPECT_EQ(outputLabelString(BlockType::Forward, 0), 0);
    // An open branch output (code 3 stub) shows no label; an up route shows it even when dragged.
    EXPECT_FALSE(outputLabelVisible(BlockType::Branch, 0, 3, false));
    EXPECT_TRUE(outputLabelVisible(BlockType::Branch, 0, 3, true));
    EXPECT_TRUE(outputLabelVisible(BlockType::Branch, 1, 6, false));
    EXPECT_FALSE(outputLabelVisible(BlockType::Forward, 0, 1, true));
}

}  // namespace
