#include "model/option_flags.h"

namespace trovel {

OptionFlags& optionFlags() {
    static OptionFlags flags;
    return flags;
}

}  // namespace trovel
