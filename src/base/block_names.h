#pragma once
// Block type names as numbers of the string table, so each face shows them in the language in use.

#include <cstdint>

#include "model/block.h"

namespace trovel {

// The string number of a type's name (palette tool tip, panel heading, simulator status):
// Str::FirstBlockCaption + code - 1 for codes 1..16; a repeat's end bears the name of its repeat;
// 0 for any other code.
uint16_t blockTypeNameId(BlockType type);

}  // namespace trovel
