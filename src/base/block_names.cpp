#include "base/block_names.h"

#include <algorithm>

#include "base/string_ids.h"

namespace trovel {

uint16_t blockTypeNameId(BlockType type) {
    // The names follow the type codes, Start first; RepeatEnd has none of its own.
    const int code = std::clamp(int(type), kFirstBlockType, int(BlockType::RepeatStart));
    return static_cast<uint16_t>(Str::FirstBlockCaption + code - kFirstBlockType);
}

}  // namespace trovel
