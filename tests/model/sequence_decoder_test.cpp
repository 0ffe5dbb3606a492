#include <gtest/gtest.h>

#include <random>

#include "model/compiler.h"
#include "model/sequence_decoder.h"
#include "test_programs.h"

using namespace trovel;
using namespace trovel::test;

namespace {

BlockProgram decode(std::vector<uint8_t> bytes) {
    BlockProgram p;
    DecodeSequence(p, bytes.data(), bytes.size());
    return p;
}

}  // namespace

TEST(Decoder, ErasedAreaGivesNoBlocks) {
    BlockProgram p;
    newProgram(p);
    p.filePath = u"x.qxp";
    std::vector<uint8_t> erased(1024, 0xFF);
    DecodeSequence(p, erased.data(), erased.size());
    EXPECT_TRUE(p.blocks.empty());
    EXPECT_TRUE(p.filePath.empty());
}

TEST(Decoder, MotionForms) {
    BlockProgram p = decode({0x01, 0xF0, 0xF0, 0x03, 0x03, 0x19, 0x02, 0xFF, 0x01, 0x00, 0x00, 0x03, 0xFE, 0xFF, 0xFF, 0xFF});
    ASSERT_EQ(p.blocks.size(), 2u);
    ActionBlock* f = blockAt(p, 0);
    EXPECT_EQ(f->type, BlockType::Forward);
    EXPECT_EQ(f->param[0], 25);
    EXPECT_EQ(f->param[1], 0);
    EXPECT_EQ(f->next[0], blockAt(p, 1));

    BlockProgram q = decode({0x01, 0xF0, 0xF0, 0x01, 0xFE, 0xFF, 0xFF, 0xFF});
    ActionBlock* lone = blockAt(q, 0);
    EXPECT_EQ(lone->param[1], 1);
    EXPECT_EQ(lone->param[0], 15);

    BlockProgram r = decode({0x01, 120, 79, 0x01});
    ActionBlock* wheels = blockAt(r, 0);
    EXPECT_EQ(wheels->type, BlockType::WheelControl);
    EXPECT_EQ(wheels->param[2], 50);
    EXPECT_EQ(wheels->param[3], 33);
    BlockProgram s = decode({0x01, 120, 240, 0x01});
    ActionBlock* left = blockAt(s, 0);
    EXPECT_EQ(left->type, BlockType::LeftForward);
    EXPECT_EQ(left->param[3], 50);
}

TEST(Decoder, LedsAndSkippedInstructions) {
    BlockProgram p = decode({0x00, 0x00, 0x00, 0x00,  // padding, skipped
                             0x36, 0x0F, 0xFE, 0x05, 0x36, 0x0F, 0xFD, 0x05, 0x37, 0x0F, 0x02, 0x05,
                             0x77, 0x01, 0x02, 0x03,  // unknown opcode, skipped
                             0xFE, 0xFF, 0xFF, 0xFF});
    ASSERT_EQ(p.blocks.size(), 4u);
    EXPECT_EQ(blockAt(p, 0)->type, BlockType::LeftLed);
    EXPECT_EQ(blockAt(p, 0)->param[3], 1);
    EXPECT_EQ(blockAt(p, 1)->type, BlockType::RightLed);
    EXPECT_EQ(blockAt(p, 1)->param[3], 1);
    EXPECT_EQ(blockAt(p, 2)->type, BlockType::RightLed);
    EXPECT_EQ(blockAt(p, 2)->param[3], 0);
    EXPECT_EQ(blockAt(p, 0)->next[0], blockAt(p, 3));
}

TEST(Decoder, LayoutIsOneColumn) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* w = addWith(p, BlockType::Wait, {5});
    ActionBlock* f = addWith(p, BlockType::Forward, {15, 1});
    link(blockAt(p, 0), w);
    link(w, f);
    link(f, blockAt(p, 1));
    BlockProgram d;
    CompileResult r = compileProgram(p);
    DecodeSequence(d, r.image.bytes.data(), r.image.bytes.size());
    ASSERT_EQ(d.blocks.size(), 4u);
    EXPECT_EQ(blockAt(d, 0)->x, 27);
    EXPECT_EQ(blockAt(d, 0)->y, 9);
    EXPECT_EQ(blockAt(d, 1)->y, 477);
    EXPECT_EQ(blockAt(d, 2)->x, 108 + 27 + 27);
    EXPECT_EQ(blockAt(d, 2)->y, 9 + 27);
    EXPECT_EQ(blockAt(d, 3)->y, 9 + 27 + 63 + 27);
    EXPECT_EQ(blockAt(d, 0)->partner, nullptr);  // Start and End come back unpaired
    EXPECT_EQ(blockAt(d, 2)->bend, (std::array<int32_t, 2>{27, 27}));
}

// Programs made only of blocks that come back exactly compile to the same bytes again.
TEST(Decoder, InvertsTheCompiler) {
    std::mt19937 rng(7);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 200; ++round) {
        BlockProgram p;
        newProgram(p);
        std::vector<ActionBlock*> chain{blockAt(p, 0)};
        int blocks = 1 + pick(12);
        for (int i = 0; i < blocks; ++i) {
            ActionBlock* b = nullptr;
            switch (pick(9)) {
            case 0: b = addWith(p, BlockType::Forward, {uint8_t(pick(100)), 0}); break;
            case 1: b = addWith(p, BlockType::TurnLeft, {15, 1}); break;
            case 2: b = addWith(p, BlockType::Wait, {uint8_t(pick(256))}); break;
            case 3: b = addWith(p, BlockType::LeftLed, {uint8_t(1 + pick(50)), 0, 0, 2}); break;
            case 4: b = addWith(p, BlockType::RightLed, {10, 0, 0, uint8_t(pick(2))}); break;
            case 5: b = addWith(p, BlockType::Branch, {uint8_t(pick(17)), uint8_t(pick(3)), uint8_t(pick(256))}); break;
            case 6: b = addWith(p, BlockType::Calc, {uint8_t(pick(8)), uint8_t(pick(5)), 0, 0, uint8_t(pick(256))}); break;
            case 7: b = addWith(p, BlockType::Stop, {uint8_t(pick(100)), 0}); break;
            default: b = addWith(p, BlockType::RandomBranch, {}); break;
            }
            link(chain.back(), b);
            if (isDiamond(b->type)) link(b, chain[static_cast<size_t>(pick(static_cast<int>(chain.size())))], 1);
            chain.push_back(b);
        }
        if (pick(2)) {
            auto [s, e] = addRepeat(p, pick(7), pick(20));
            link(chain.back(), s);
            ActionBlock* body = addWith(p, BlockType::Forward, {15, 1});
            link(s, body);
            link(body, e);
            chain.push_back(e);
        }
        link(chain.back(), blockAt(p, 1));
        CompileResult first = compileProgram(p);
        ASSERT_TRUE(first.ok());
        BlockProgram d;
        DecodeSequence(d, first.image.bytes.data(), static_cast<size_t>(first.image.length));
        CompileResult again = compileProgram(d);
        ASSERT_TRUE(again.ok());
        ASSERT_EQ(first.image.length, again.image.length) << "round " << round;
        EXPECT_EQ(first.image.bytes, again.image.bytes) << "round " << round;
    }
}

TEST(Decoder, NeverReadsPastItsInput) {
    // Truncated instructions at the end: the decoder must treat the missing bytes as the end.
    std::vector<uint8_t> bytes{0x00, 0x01, 0xFF, 0x05, 0x01, 0xF0};
    BlockProgram p;
    DecodeSequence(p, bytes.data(), bytes.size());
    EXPECT_EQ(p.blocks.size(), 1u);
    DecodeSequence(p, nullptr, 0);
    EXPECT_TRUE(p.blocks.empty());
}
