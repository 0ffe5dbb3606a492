#pragma once
// Checks that every repeat is entered through its start and left through its own end on every path.

#include <cstdint>
#include <vector>

#include "model/program.h"

namespace trovel {

constexpr int kRepeatStructureSound = -1;
constexpr int kRepeatFaultUntied = 7;  // a fault tied to no single repeat

struct RepeatCheck {
    // -1 when sound, when the check is switched off, or when there is no repeat block; otherwise the
    // repeat number (0..6) of the faulty repeat or 7.
    int result = kRepeatStructureSound;
    std::vector<int> path;  // list indices, in list order, of the blocks on the path that found the fault
    bool walked = false;    // the check looked at the blocks (not switched off, program not empty)
};

// Reads the program only; `options` with SkipRepeatCheck switches the check off.
RepeatCheck checkRepeats(const BlockProgram& program, uint32_t options);
// The result alone.
int checkRepeatStructure(const BlockProgram& program, uint32_t options);

// The editor's marks after a check: when it walked the blocks, every block's flags are cleared and the
// blocks of a faulty path are selected, so the chart shows where the fault lies.
void markRepeatCheck(BlockProgram& program, const RepeatCheck& check);

}  // namespace trovel
