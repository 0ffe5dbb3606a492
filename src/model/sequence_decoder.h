#pragma once
// Robot byte code -> a fresh flowchart (the inverse of the compiler, up to layout and defaults).

#include <cstddef>
#include <cstdint>

#include "model/program.h"

namespace trovel {

// Replaces the blocks of `program` with the blocks decoded from raw sequence bytes (at most 1024
// are read; decoding stops at an FF FF FF FF instruction), placed by layoutChart. filePath and
// currentBlock are cleared.
void decodeSequence(BlockProgram& program, const uint8_t* bytes, size_t count);

}  // namespace trovel
