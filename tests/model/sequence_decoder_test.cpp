#include <gtest/gtest.h>

#include <random>

#include "model/chart_layout.h"
#include "model/compiler.h"
#include "model/sequence_decoder.h"
#include "test_programs.h"

using namespace trovel;
using namespace trovel::test;

namespace {

BlockProgram decode(std::vector<uint8_t> bytes) {
    BlockProgram p;
    decodeSequence(p, bytes.data(), bytes.size());
    return p;
}

}  // namespace

TEST(Decoder, ErasedAreaGivesNoBlocks) {
    BlockProgram p;
    newProgram(p);
    p.filePath = u"x.qxp";
    std::vector<uint8_t> erased(1024, 0xFF);
    decodeSequence(p, erased.data(), erased.size());
    EXPECT_TRUE(p.blocks.empty());
    EXPECT_TRUE(p.filePath.empty());
}

TEST(Decoder, MotionForms) {
    BlockProgram p =
        decode({0x01, 0xF0, 0xF0, 0x03, 0x03, 0x19, 0x02, 0xFF, 0x01, 0x00, 0x00, 0x03, 0xFE, 0xFF, 0xFF, 0xFF});
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
                             0x36, 0x0F, 0xFE, 0x05, 0x36, 0x0F, 0xFD, 0x05,
                             0x37, 0x0F, 0x02, 0x05, 0x77, 0x01, 0x02, 0x03,  // unknown opcode, skipped
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

// The robot keeps no positions: the chart is laid out from the links. Start stands where a new
// program has it, each next block below the one before in the same column; a branch's second
// output opens a column to the right, below the part that its first output leads through.
TEST(Decoder, LayoutFollowsTheLinks) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* branch = addWith(p, BlockType::Branch, {0, 2, 80});
    ActionBlock* forward = addWith(p, BlockType::Forward, {15, 1});
    ActionBlock* wait = addWith(p, BlockType::Wait, {5});
    link(blockAt(p, 0), branch);
    link(branch, forward);
    link(branch, wait, 1);
    link(wait, forward);
    link(forward, blockAt(p, 1));
    const CompileResult r = compileProgram(p);
    ASSERT_TRUE(r.ok());
    BlockProgram d;
    decodeSequence(d, r.image.bytes.data(), r.image.bytes.size());
    ASSERT_EQ(d.blocks.size(), 5u);
    const ActionBlock *start = blockAt(d, 0), *end = blockAt(d, 1), *b = blockAt(d, 2), *f = blockAt(d, 3),
                      *w = blockAt(d, 4);
    ASSERT_EQ(b->next[0], f);
    ASSERT_EQ(b->next[1], w);
    EXPECT_EQ(start->x, 27);
    EXPECT_EQ(start->y, 9);
    EXPECT_EQ(start->partner, nullptr);  // Start and End come back unpaired
    const auto centre = [](const ActionBlock* x) { return x->x + x->width / 2; };
    const ActionBlock* column[] = {start, b, f, end};
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(centre(column[i]), centre(start)) << i;
        EXPECT_GE(column[i]->y, column[i - 1]->y + column[i - 1]->height + kLayoutRowGap) << i;
    }
    EXPECT_GT(w->x, b->x + b->width);  // the "no" side, right of the branch's column
    EXPECT_GT(w->y, end->y);           // below what "yes" leads through, so its connector runs clear
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
            case 6:
                b = addWith(p, BlockType::Calc, {uint8_t(pick(8)), uint8_t(pick(5)), 0, 0, uint8_t(pick(256))});
                break;
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
        decodeSequence(d, first.image.bytes.data(), static_cast<size_t>(first.image.length));
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
    decodeSequence(p, bytes.data(), bytes.size());
    EXPECT_EQ(p.blocks.size(), 1u);
    decodeSequence(p, nullptr, 0);
    EXPECT_TRUE(p.blocks.empty());
}
