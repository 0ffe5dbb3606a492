#include "cli/cli_common.h"

#include <cmath>
#include <cstdio>

#include "base/locale_id.h"
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
    case LoadStatus::NotProgramFile: return toUtf8(resString(Str::CliNotProgramFile));
    case LoadStatus::Damaged: return toUtf8(formatMessage(resString(Str::CliDamagedRecord), {r.line}));
    }
    return toUtf8(resString(Str::CliCannotOpen));
}

AppFolders commandFolders(const std::optional<std::filesystem::path>& appDirOption) {
    if (appDirOption) {
        const std::filesystem::path dir = resolveAppFolder(*appDirOption, processEnvironment(), executablePath());
        return {dir, dir, {}};
    }
    const EnvLookup env = processEnvironment();
    return resolveAppFolders({}, env, executablePath(), userDataFolder(env));
}

std::string jsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace trovel
