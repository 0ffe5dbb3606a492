#pragma once
// The numbered string that names each kind of block in the language in use.

#include <cstdint>

#include "model/block.h"

namespace trovel {

// The string number of the block type's name; a repeat's end bears the name of its repeat.
uint16_t blockTypeNameId(BlockType type);

}  // namespace trovel
