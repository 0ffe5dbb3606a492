#include "model/repeat_check.h"

#include "model/option_flags.h"
#include "model/run_program.h"

namespace trovel {

namespace {

constexpr uint32_t kVisited = 0x1;
constexpr uint32_t kFirstFollowed = 0x2000;
constexpr uint32_t kSecondFollowed = 0x4000;
constexpr uint32_t kRepeatBitsMask = 0x7F8000;

// Only numbers 0..6 reach these: a repeat block with another number fails the check on sight.
uint32_t repeatBit(const RunBlock& start) { return 0x8000u << start.param[2]; }

int repeatNumber(const RunBlock& b) { return b.param[2]; }

// The walk over the snapshot; `marks` holds the per-block scratch bits, left as they were at the fault.
int walk(const RunProgram& run, std::vector<uint32_t>& marks) {
    for (;;) {
        std::vector<int> open;
        uint32_t openBits = 0;
        int lastBranch = kNoRunBlock;
        int current = 0;
        while (current != kNoRunBlock) {
            const RunBlock& b = run.blocks[size_t(current)];
            uint32_t& f = marks[size_t(current)];
            if ((f & kRepeatBitsMask) & ~openBits) return kRepeatFaultUntied;
            if (f & kVisited) break;
            f |= kVisited;
            // Older files hold 255 where a paste found no free number: no counter, no bit, no name.
            if (isRepeat(b.type) && b.param[2] >= kMaxRepeats) return kRepeatFaultUntied;
            if (b.type == BlockType::RepeatStart) {
                if (b.partner == kNoRunBlock) return repeatNumber(b);  // a loop without its end can never close
                open.push_back(current);
                openBits |= repeatBit(b);
            } else if (b.type == BlockType::RepeatEnd) {
                if (open.empty()) return repeatNumber(b);
                const RunBlock& innermost = run.blocks[size_t(open.back())];
                if (open.back() != b.partner) return repeatNumber(innermost);
                openBits &= ~repeatBit(innermost);
                open.pop_back();
            }
            f |= openBits;
            int follow;
            if (isDiamond(b.type)) {
                if ((f & kFirstFollowed) && (f & kSecondFollowed)) break;
                if (lastBranch != kNoRunBlock) {
                    uint32_t& l = marks[size_t(lastBranch)];
                    if (l & kSecondFollowed) l &= ~kSecondFollowed;
                    else l &= ~kFirstFollowed;
                }
                lastBranch = current;
                if (f & kFirstFollowed) {
                    f |= kSecondFollowed;
                    follow = b.next[1];
                } else {
                    f |= kFirstFollowed;
                    follow = b.next[0];
                }
            } else {
                follow = b.next[0];
            }
            if (follow == kNoRunBlock) {
                if (!open.empty()) return repeatNumber(run.blocks[size_t(open.back())]);
                break;
            }
            current = follow;
        }
        // End of pass: every block forgets this path; branches keep which outputs were followed.
        bool anotherPass = false;
        for (size_t i = 0; i < run.blocks.size(); ++i) {
            uint32_t& f = marks[i];
            if (isDiamond(run.blocks[i].type) && (f & kVisited) && !((f & kFirstFollowed) && (f & kSecondFollowed)))
                anotherPass = true;
            f &= ~(kVisited | kRepeatBitsMask);
        }
        if (!anotherPass) return kRepeatStructureSound;
    }
}

}  // namespace

RepeatCheck checkRepeats(const BlockProgram& program, uint32_t options) {
    RepeatCheck check;
    if ((options & Option::SkipRepeatCheck) || program.blocks.empty()) return check;
    check.walked = true;
    bool anyRepeat = false;
    for (const auto& b : program.blocks) anyRepeat = anyRepeat || isRepeat(b->type);
    if (!anyRepeat) return check;

    const RunProgram run = snapshotProgram(program);
    std::vector<uint32_t> marks(run.blocks.size(), 0);
    check.result = walk(run, marks);
    if (check.result != kRepeatStructureSound)
        for (size_t i = 0; i < marks.size(); ++i)
            if (marks[i] & kVisited) check.path.push_back(int(i));
    return check;
}

int checkRepeatStructure(const BlockProgram& program, uint32_t options) {
    return checkRepeats(program, options).result;
}

void markRepeatCheck(BlockProgram& program, const RepeatCheck& check) {
    if (!check.walked) return;
    for (auto& b : program.blocks) b->flags = 0;
    for (int i : check.path)
        if (ActionBlock* b = blockAt(program, i)) b->flags |= FlagSelected;
}

}  // namespace trovel
