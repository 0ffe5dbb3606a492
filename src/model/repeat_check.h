#pragma once
// Checks that every repeat is entered through its start and left through its own end on every path.

#include <cstdint>

#include "model/program.h"

namespace trovel {

constexpr int kRepeatStructureSound = -1;
constexpr int kRepeatFaultUntied = 7;  // a fault tied to no single repeat

// -1 when sound, when `options` has SkipRepeatCheck, or when there is no repeat block; otherwise the
// repeat number (0..6) of the faulty repeat or 7. Clears every block's flags and leaves the
// visited mark (FlagSelected) on the blocks of the faulty path.
int CheckRepeatStructure(BlockProgram& program, uint32_t options);

}  // namespace trovel
