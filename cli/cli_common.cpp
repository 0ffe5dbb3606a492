#include "cli/cli_common.h"

#include "base/message_format.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "model/text_convert.h"

namespace trovel {

std::string loadFailureText(const LoadResult& r) {
    switch (r.status) {
    case LoadStatus::Loaded: return {};
    case LoadStatus::CannotOpen: break;
    case LoadStatus::NotProgramFile: return toUtf8(ResString(Str::CliNotProgramFile));
    case LoadStatus::Damaged: return toUtf8(formatMessage(ResString(Str::CliDamagedRecord), {r.line}));
    }
    return toUtf8(ResString(Str::CliCannotOpen));
}

}  // namespace trovel
