#include "base/block_names.h"

#include "base/string_ids.h"

namespace trovel {

uint16_t blockTypeNameId(BlockType type) {
    const int code = static_cast<int>(type);
    if (!isValidBlockType(code)) return 0;
    return static_cast<uint16_t>(Str::FirstBlockCaption + code - kFirstBlockType);
}

}  // namespace trovel
