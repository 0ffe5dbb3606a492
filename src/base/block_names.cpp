#include "base/block_names.h"

#include "base/string_ids.h"

namespace trovel {

uint16_t blockTypeNameId(BlockType type) {
    int code = static_cast<int>(type);
    if (!isValidBlockType(code)) return 0;
    // The names follow the type codes, Start first; RepeatEnd has none of its own.
    if (type == BlockType::RepeatEnd) code = static_cast<int>(BlockType::RepeatStart);
    return static_cast<uint16_t>(Str::FirstBlockCaption + code - kFirstBlockType);
}

}  // namespace trovel
