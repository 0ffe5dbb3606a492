#include "cli/cli_common.h"

#include <cmath>
#include <cstdio>

#include "base/message_format.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "model/text_convert.h"

namespace trovel {

std::string decimalText(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

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
