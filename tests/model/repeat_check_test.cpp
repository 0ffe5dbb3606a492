#include <gtest/gtest.h>

#include "model/option_flags.h"
#include "model/repeat_check.h"
#include "test_programs.h"

using namespace trovel;
using namespace trovel::test;

TEST(RepeatCheck, SoundLoop) {
    BlockProgram p;
    newProgram(p);
    auto [s, e] = addRepeat(p, 0);
    ActionBlock* f = add(p, BlockType::Forward);
    link(blockAt(p, 0), s);
    link(s, f);
    link(f, e);
    link(e, blockAt(p, 1));
    EXPECT_EQ(checkRepeatStructure(p, 0), -1);
}

TEST(RepeatCheck, EndReachedInsideARepeat) {
    BlockProgram p;
    newProgram(p);
    auto [s, e] = addRepeat(p, 2);
    link(blockAt(p, 0), s);
    link(s, blockAt(p, 1));  // End inside the loop: its output is open
    const RepeatCheck check = checkRepeats(p, 0);
    EXPECT_EQ(check.result, 2);
    markRepeatCheck(p, check);
    EXPECT_TRUE(s->flags & FlagSelected);  // the faulty path is marked
}

TEST(RepeatCheck, CrossedNestingNamesTheInnermost) {
    BlockProgram p;
    newProgram(p);
    auto [s0, e0] = addRepeat(p, 0);
    auto [s1, e1] = addRepeat(p, 1);
    link(blockAt(p, 0), s0);
    link(s0, s1);
    link(s1, e0);
    link(e0, e1);
    link(e1, blockAt(p, 1));
    EXPECT_EQ(checkRepeatStructure(p, 0), 1);
}

TEST(RepeatCheck, JumpIntoAClosedLoopIsUntied) {
    BlockProgram p;
    newProgram(p);
    auto [s, e] = addRepeat(p, 0);
    ActionBlock* body = add(p, BlockType::Forward);
    ActionBlock* br = add(p, BlockType::Branch);
    link(blockAt(p, 0), s);
    link(s, body);
    link(body, e);
    link(e, br);
    link(br, blockAt(p, 1), 0);
    link(br, body, 1);  // back into the body from outside
    EXPECT_EQ(checkRepeatStructure(p, 0), 7);
}

TEST(RepeatCheck, BranchesInsideLoopsAreWalkedOnEveryPath) {
    BlockProgram p;
    newProgram(p);
    auto [s, e] = addRepeat(p, 3);
    ActionBlock* br = add(p, BlockType::Branch);
    ActionBlock* a = add(p, BlockType::Forward);
    ActionBlock* b = add(p, BlockType::TurnLeft);
    link(blockAt(p, 0), s);
    link(s, br);
    link(br, a, 0);
    link(br, b, 1);
    link(a, e);
    link(b, e);
    link(e, blockAt(p, 1));
    EXPECT_EQ(checkRepeatStructure(p, 0), -1);
    // The second branch output leaving the loop is found on a later pass.
    link(b, blockAt(p, 1));
    EXPECT_EQ(checkRepeatStructure(p, 0), 3);
}

TEST(RepeatCheck, SwitchedOffOrNoRepeats) {
    BlockProgram p;
    newProgram(p);
    auto [s, e] = addRepeat(p, 0);
    link(blockAt(p, 0), s);
    EXPECT_EQ(checkRepeatStructure(p, Option::SkipRepeatCheck), -1);

    BlockProgram q;
    newProgram(q);
    selectAll(q);
    const RepeatCheck check = checkRepeats(q, 0);
    EXPECT_EQ(check.result, -1);
    for (auto& b : q.blocks) EXPECT_TRUE(b->flags & FlagSelected);  // the check only reads
    markRepeatCheck(q, check);
    for (auto& b : q.blocks) EXPECT_EQ(b->flags, 0u);
}

TEST(RepeatCheck, ManyBranchesTerminate) {
    // A chain of branches that all rejoin: every combination of outputs is a path.
    BlockProgram p;
    newProgram(p);
    auto [s, e] = addRepeat(p, 0);
    link(blockAt(p, 0), s);
    ActionBlock* prev = s;
    for (int i = 0; i < 8; ++i) {
        ActionBlock* br = add(p, BlockType::RandomBranch);
        ActionBlock* x = add(p, BlockType::Forward);
        link(prev, br);
        link(br, x, 0);
        link(br, x, 1);
        prev = x;
    }
    link(prev, e);
    link(e, blockAt(p, 1));
    EXPECT_EQ(checkRepeatStructure(p, 0), -1);
}

// Files from older versions or read back from a robot: faults, never reads past the seven repeats.
TEST(RepeatCheck, UnpairedOrMisnumberedRepeatsAreFaults) {
    struct Case {
        const char* label;
        int number;  // of the pair on the path
        bool startPaired;
        bool endPaired;
        int expected;
    };
    const Case cases[] = {
        {"number 255", 255, true, true, 7},           {"number 7", 7, true, true, 7},
        {"start without its end", 4, false, true, 4}, {"end without its start", 4, true, false, 4},
        {"both unpaired", 5, false, false, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        BlockProgram p;
        newProgram(p);
        auto [s, e] = addRepeat(p, c.number);
        ActionBlock* f = add(p, BlockType::Forward);
        link(blockAt(p, 0), s);
        link(s, f);
        link(f, e);
        link(e, blockAt(p, 1));
        if (!c.startPaired) s->partner = nullptr;
        if (!c.endPaired) e->partner = nullptr;
        EXPECT_EQ(checkRepeatStructure(p, 0), c.expected);
    }

    // An end without a start, met with no repeat open, names its own number.
    BlockProgram q;
    newProgram(q);
    ActionBlock* lone = addWith(q, BlockType::RepeatEnd, {3, 0, 6});
    link(blockAt(q, 0), lone);
    link(lone, blockAt(q, 1));
    EXPECT_EQ(checkRepeatStructure(q, 0), 6);
}
