#include "model/repeat_check.h"

#include <vector>

#include "model/option_flags.h"

namespace trovel {

namespace {

constexpr uint32_t kVisited = FlagSelected;
constexpr uint32_t kFirstFollowed = 0x2000;
constexpr uint32_t kSecondFollowed = 0x4000;
constexpr uint32_t kRepeatBitsMask = 0x7F8000;

// Only numbers 0..6 reach these: a repeat block with another number fails the check on sight.
uint32_t repeatBit(const ActionBlock& start) { return 0x8000u << start.param[2]; }

int repeatNumber(const ActionBlock& b) { return b.param[2]; }

}  // namespace

int CheckRepeatStructure(BlockProgram& program, uint32_t options) {
    if ((options & Option::SkipRepeatCheck) || program.blocks.empty()) return kRepeatStructureSound;
    bool anyRepeat = false;
    for (auto& b : program.blocks) {
        b->flags = 0;
        anyRepeat = anyRepeat || isRepeat(b->type);
    }
    if (!anyRepeat) return kRepeatStructureSound;

    for (;;) {
        std::vector<ActionBlock*> open;
        uint32_t openBits = 0;
        ActionBlock* lastBranch = nullptr;
        ActionBlock* current = head(program);
        while (current) {
            ActionBlock& b = *current;
            if ((b.flags & kRepeatBitsMask) & ~openBits) return kRepeatFaultUntied;
            if (b.flags & kVisited) break;
            b.flags |= kVisited;
            // Older files hold 255 where a paste found no free number: no counter, no bit, no name.
            if (isRepeat(b.type) && b.param[2] >= kMaxRepeats) return kRepeatFaultUntied;
            if (b.type == BlockType::RepeatStart) {
                if (!b.partner) return repeatNumber(b);  // a loop without its end can never close
                open.push_back(&b);
                openBits |= repeatBit(b);
            } else if (b.type == BlockType::RepeatEnd) {
                if (open.empty()) return repeatNumber(b);
                if (open.back() != b.partner) return repeatNumber(*open.back());
                openBits &= ~repeatBit(*open.back());
                open.pop_back();
            }
            b.flags |= openBits;
            ActionBlock* follow;
            if (isDiamond(b.type)) {
                if ((b.flags & kFirstFollowed) && (b.flags & kSecondFollowed)) break;
                if (lastBranch) {
                    if (lastBranch->flags & kSecondFollowed)
                        lastBranch->flags &= ~kSecondFollowed;
                    else
                        lastBranch->flags &= ~kFirstFollowed;
                }
                lastBranch = &b;
                if (b.flags & kFirstFollowed) {
                    b.flags |= kSecondFollowed;
                    follow = b.next[1];
                } else {
                    b.flags |= kFirstFollowed;
                    follow = b.next[0];
                }
            } else {
                follow = b.next[0];
            }
            if (!follow) {
                if (!open.empty()) return repeatNumber(*open.back());
                break;
            }
            current = follow;
        }
        // End of pass: every block forgets this path; branches keep which outputs were followed.
        bool anotherPass = false;
        for (auto& blk : program.blocks) {
            if (isDiamond(blk->type) && (blk->flags & kVisited) &&
                !((blk->flags & kFirstFollowed) && (blk->flags & kSecondFollowed)))
                anotherPass = true;
            blk->flags &= ~(kVisited | kRepeatBitsMask);
        }
        if (!anotherPass) return kRepeatStructureSound;
    }
}

}  // namespace trovel
