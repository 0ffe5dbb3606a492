// Builds the example programs with the block model and saves them, so they always load.
#include <cstdio>
#include <filesystem>

#include "model/program.h"
#include "model/program_file.h"

using namespace trovel;

namespace {

// Places a block with its palette defaults so that its top-left corner lands at (x, y).
ActionBlock* place(BlockProgram& p, BlockType type, int x, int y) {
    return placeBlock(p, type, {x + 31, y + 18}).block;
}

ActionBlock* start(BlockProgram& p) { return blockAt(p, 0); }
ActionBlock* end(BlockProgram& p) { return blockAt(p, 1); }

// Drives along a black line between the two floor sensors: a sensor that sees black turns the
// robot toward it until both see white again. Where both see black at once the program either
// drives straight on (a crossing) or stops and ends (a black goal box), as `onBothBlack` says.
BlockProgram lineFollower(BlockType onBothBlack) {
    BlockProgram p;
    newProgram(p);
    ActionBlock* leftSeesLine = place(p, BlockType::Branch, 9, 108);
    leftSeesLine->param = {0, 2, 80, 0, 0};  // left sensor > 80
    ActionBlock* bothSeeLine = place(p, BlockType::Branch, 189, 108);
    bothSeeLine->param = {1, 2, 80, 0, 0};  // right sensor > 80 as well
    ActionBlock* both = place(p, onBothBlack, 369, 108);
    both->param[1] = 1;
    ActionBlock* turnLeft = place(p, BlockType::TurnLeft, 207, 225);
    turnLeft->param[1] = 1;
    ActionBlock* rightSeesLine = place(p, BlockType::Branch, 9, 333);
    rightSeesLine->param = {1, 2, 80, 0, 0};
    ActionBlock* turnRight = place(p, BlockType::TurnRight, 207, 333);
    turnRight->param[1] = 1;
    ActionBlock* forward = place(p, BlockType::Forward, 27, 432);
    forward->param[1] = 1;
    end(p)->x = 369;
    end(p)->y = onBothBlack == BlockType::Stop ? 234 : 477;
    // A "yes" that runs right to the next block turns down a full bend before it, so its label
    // stands clear of that block's corner; the columns leave it room beside the "no" handle too.
    for (ActionBlock* branch : {leftSeesLine, bothSeeLine, rightSeesLine}) branch->bend[0] = 27;
    start(p)->next[0] = leftSeesLine;
    leftSeesLine->next = {bothSeeLine, rightSeesLine};
    bothSeeLine->next = {both, turnLeft};
    both->next[0] = onBothBlack == BlockType::Stop ? end(p) : leftSeesLine;
    rightSeesLine->next = {turnRight, forward};
    turnLeft->next[0] = leftSeesLine;
    turnRight->next[0] = leftSeesLine;
    forward->next[0] = leftSeesLine;
    return p;
}

// Blinks the left and the right LED in turn, five times, then stops.
BlockProgram ledRepeat() {
    BlockProgram p;
    newProgram(p);
    ActionBlock* loop = place(p, BlockType::RepeatStart, 27, 90);
    loop->param[0] = 5;
    ActionBlock* loopEnd = loop->partner;
    loopEnd->param[0] = 5;
    loopEnd->y = 360;
    ActionBlock* left = place(p, BlockType::LeftLed, 27, 153);
    left->param[0] = 5;
    left->param[3] = 2;
    ActionBlock* right = place(p, BlockType::RightLed, 27, 252);
    right->param[0] = 5;
    right->param[3] = 2;
    start(p)->next[0] = loop;
    loop->next[0] = left;
    left->next[0] = right;
    right->next[0] = loopEnd;
    loopEnd->next[0] = end(p);
    return p;
}

// Counts steps in variable 1: drives forward in short hops until the count reaches 4.
BlockProgram countedSteps() {
    BlockProgram p;
    newProgram(p);
    ActionBlock* reset = place(p, BlockType::Calc, 45, 81);  // variable 1 = 0
    ActionBlock* hop = place(p, BlockType::Forward, 45, 171);
    hop->param[0] = 5;
    ActionBlock* count = place(p, BlockType::Calc, 45, 261);  // variable 1 += 1
    count->param = {0, 1, 0, 0, 1};
    // The question sits under the count, so "no" goes straight down; its centre a little left of
    // the hop's makes "yes" loop up on the right, inside the chart.
    ActionBlock* more = place(p, BlockType::Branch, 18, 351);
    more->param = {6, 0, 4, 0, 0};  // variable 1 < 4
    ActionBlock* stop = place(p, BlockType::Stop, 45, 477);
    stop->param[1] = 1;
    end(p)->y = 576;
    start(p)->next[0] = reset;
    reset->next[0] = hop;
    hop->next[0] = count;
    count->next[0] = more;
    more->next = {hop, stop};
    stop->next[0] = end(p);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-examples FOLDER\n");
        return 2;
    }
    std::filesystem::path dir = argv[1];
    struct Example {
        const char* file;
        BlockProgram program;
    } examples[] = {
        {"line_follower.qxp", lineFollower(BlockType::Forward)},
        {"line_follower_stop.qxp", lineFollower(BlockType::Stop)},
        {"led_repeat.qxp", ledRepeat()},
        {"counted_steps.qxp", countedSteps()},
    };
    for (auto& e : examples) {
        if (!saveProgram(e.program, dir / e.file)) {
            std::fprintf(stderr, "cannot write %s\n", (dir / e.file).c_str());
            return 1;
        }
    }
    return 0;
}
