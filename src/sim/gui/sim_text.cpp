#include "sim/gui/sim_text.h"

#include "app/resource_library.h"
#include "app/string_ids.h"

namespace trovel {

QString simMessageCaption() { return simQString(ResString(Str::MessageCaption)); }

}  // namespace trovel
