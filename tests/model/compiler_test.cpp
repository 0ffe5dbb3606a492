#include <gtest/gtest.h>

#include "model/compiler.h"
#include "test_programs.h"

using namespace trovel;
using namespace trovel::test;

namespace {

std::vector<Instruction> code(const CompileResult& r) {
    std::vector<Instruction> v;
    for (int i = 0; i < r.image.instructionCount(); ++i) v.push_back(r.image.instruction(i));
    return v;
}

// Start -> block -> End, list order Start, End, block.
CompileResult compileOne(BlockType type, std::array<uint8_t, 10> params) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* b = addWith(p, type, params);
    link(blockAt(p, 0), b);
    link(b, blockAt(p, 1));
    return compileProgram(p);
}

}  // namespace

TEST(Compiler, SmallestProgram) {
    BlockProgram p;
    newProgram(p);
    CompileResult r = compileProgram(p);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.image.length, 12);
    EXPECT_EQ(code(r),
              (std::vector<Instruction>{{0x00, 0x01, 0xFF, 0xFF}, {0x01, 0, 0, 0x02}, {0xFE, 0xFF, 0xFF, 0xFF}}));
    for (size_t i = 12; i < r.image.bytes.size(); ++i) ASSERT_EQ(r.image.bytes[i], 0xFF);
}

TEST(Compiler, TimedForwardAfterEnd) {
    CompileResult r = compileOne(BlockType::Forward, {15, 0});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(code(r), (std::vector<Instruction>{{0x00, 0x01, 0xFF, 0xFF},
                                                 {0x01, 0x00, 0x00, 0x03},
                                                 {0xFE, 0xFF, 0xFF, 0xFF},
                                                 {0x01, 0xF0, 0xF0, 0x04},
                                                 {0x03, 0x0F, 0x05, 0xFF},
                                                 {0x01, 0x00, 0x00, 0x02}}));
}

TEST(Compiler, MotionSpeeds) {
    struct Case {
        BlockType type;
        std::array<uint8_t, 10> params;
        uint8_t left, right;
    };
    const Case cases[] = {
        {BlockType::Forward, {15, 1}, 240, 240},
        {BlockType::TurnLeft, {15, 1}, 0, 240},
        {BlockType::TurnRight, {15, 1}, 240, 0},
        {BlockType::Stop, {15, 1}, 0, 0},
        {BlockType::LeftForward, {15, 1, 0, 50}, 120, 240},
        {BlockType::RightForward, {15, 1, 0, 25}, 240, 180},
        {BlockType::WheelControl, {15, 1, 50, 33}, 120, 79},
        {BlockType::Forward, {0, 0}, 0, 0},  // a timed block of no time stands still
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        Instruction i = code(compileOne(c.type, c.params))[3];
        EXPECT_EQ(i[1], c.left);
        EXPECT_EQ(i[2], c.right);
    }
}

TEST(Compiler, BranchCalcAndLedEncodings) {
    // Branch: left sensor greater than 80 -> opcode 0x12; memory comparison adds 0x10.
    auto branch = code(compileOne(BlockType::Branch, {0, 2, 80, 0, 0}));
    EXPECT_EQ(branch[3], (Instruction{0x12, 9, 80, 2}));
    EXPECT_EQ(branch[4], (Instruction{0x06, 2, 0xFF, 0xFF}));  // open second output -> End
    EXPECT_EQ(code(compileOne(BlockType::Branch, {1, 0, 0, 1, 6}))[3], (Instruction{0x23, 10, 16, 2}));
    EXPECT_EQ(code(compileOne(BlockType::Branch, {0, 9, 5}))[3][0], 0x12);

    EXPECT_EQ(code(compileOne(BlockType::Calc, {0, 1, 0, 0, 7}))[3], (Instruction{0x31, 16, 7, 2}));
    EXPECT_EQ(code(compileOne(BlockType::Calc, {2, 4, 11, 1}))[3], (Instruction{0x44, 18, 9, 2}));
    // An operand index past the table (a damaged file) counts round it again.
    EXPECT_EQ(code(compileOne(BlockType::Calc, {17, 0, 26, 1}))[3], (Instruction{0x40, 16, 5, 2}));

    EXPECT_EQ(code(compileOne(BlockType::LeftLed, {10, 0, 0, 0}))[3], (Instruction{0x37, 0x0F, 0x01, 2}));
    EXPECT_EQ(code(compileOne(BlockType::RightLed, {10, 0, 0, 1}))[3], (Instruction{0x36, 0x0F, 0xFD, 2}));
    auto timed = code(compileOne(BlockType::RightLed, {7, 0, 0, 2}));
    EXPECT_EQ(timed[3], (Instruction{0x37, 0x0F, 0x02, 4}));
    EXPECT_EQ(timed[4], (Instruction{0x03, 7, 5, 0xFF}));
    EXPECT_EQ(timed[5], (Instruction{0x36, 0x0F, 0xFD, 2}));
    EXPECT_EQ(code(compileOne(BlockType::Wait, {12}))[3], (Instruction{0x03, 12, 2, 0xFF}));
}

TEST(Compiler, RepeatsJumpBackToTheirTest) {
    for (bool endless : {false, true}) {
        SCOPED_TRACE(endless);
        BlockProgram p;
        newProgram(p);
        auto [s, e] = addRepeat(p, 2, 4, endless);
        ActionBlock* f = addWith(p, BlockType::Forward, {15, 1});
        link(blockAt(p, 0), s);
        link(s, f);
        link(f, e);
        link(e, blockAt(p, 1));
        auto c = code(compileProgram(p));
        // 0-1 Start, 2 End, 3-5 RepeatStart, 6-7 RepeatEnd, 8 Forward.
        EXPECT_EQ(c[3], (Instruction{0x30, 26, 0, 4}));
        EXPECT_EQ(c[4], (Instruction{0x10, 26, 4, uint8_t(endless ? 8 : 2)}));
        EXPECT_EQ(c[5], (Instruction{0x06, 8, 0xFF, 0xFF}));
        EXPECT_EQ(c[6], (Instruction{0x31, 26, 1, 7}));
        EXPECT_EQ(c[7], (Instruction{0x06, 4, 0xFF, 0xFF}));
    }
}

TEST(Compiler, WithoutEndEveryOpenOutputEnds) {
    BlockProgram p;
    ActionBlock* s = add(p, BlockType::Start);
    ActionBlock* b = add(p, BlockType::RandomBranch);
    link(s, b);
    auto c = code(compileProgram(p));
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[2], (Instruction{0x09, 3, 3, 0xFF}));
    EXPECT_EQ(c[3], (Instruction{0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(Compiler, SizeLimitIs128Instructions) {
    // Start (2) + End (1) + n continuing motions.
    for (int n : {125, 126}) {
        BlockProgram p;
        newProgram(p);
        for (int i = 0; i < n; ++i) addWith(p, BlockType::Forward, {15, 1});
        CompileResult r = compileProgram(p);
        if (n == 125) {
            EXPECT_TRUE(r.ok());
            EXPECT_EQ(r.image.length, 512);
        } else {
            EXPECT_EQ(r.status, CompileStatus::TooLarge);
            EXPECT_EQ(r.bytesOver, 8);
        }
    }
    EXPECT_EQ(tooLargeMessage(u"大きすぎます", 8), u"大きすぎます \r\n(8 Byte over)");
}

TEST(Compiler, RepeatWithoutPartnerIsAnError) {
    BlockProgram p;
    newProgram(p);
    auto [s, e] = addRepeat(p, 0);
    s->partner = nullptr;
    CompileResult r = compileProgram(p);
    EXPECT_EQ(r.status, CompileStatus::BrokenRepeat);
    EXPECT_EQ(r.blockIndex, 2);

    // A pair numbered 255 (older files) would need counter address 279.
    s->partner = e;
    s->param[2] = e->param[2] = 255;
    r = compileProgram(p);
    EXPECT_EQ(r.status, CompileStatus::BrokenRepeat);
    EXPECT_EQ(r.blockIndex, 2);
}
