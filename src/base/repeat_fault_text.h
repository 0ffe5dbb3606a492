#pragma once
// The question after a repeat check found a fault, asked before a run and before a write.

#include <string>

namespace trovel {

enum class RepeatFaultStops { Run, Write };

// "くり返し①のつながりが..." for a faulty repeat 0..6, the text without a number for any other
// fault (7: tied to no single repeat); the last line asks whether to stop the run or the write.
std::u16string repeatFaultQuestion(int fault, RepeatFaultStops stops);

}  // namespace trovel
