#include "app/gui/command_line.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace trovel {

namespace {

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The text between the first and the last double quote, the whole argument when it has none,
// nothing when it has exactly one.
bool unquote(const std::string& arg, std::string& out) {
    const size_t first = arg.find('"');
    if (first == std::string::npos) {
        out = arg;
        return true;
    }
    const size_t last = arg.rfind('"');
    if (last == first) return false;
    out = arg.substr(first + 1, last - first - 1);
    return true;
}

}  // namespace

StudioCommandLine parseStudioCommandLine(const std::vector<std::string>& args) {
    StudioCommandLine line;
    std::string candidate;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string low = lowered(arg);
        if (low == "--lang") {
            ++i;  // the language is read by the string-table start-up
            continue;
        }
        if (low.rfind("--lang=", 0) == 0) continue;
        if (low == "--robot-usb") {
            if (i + 1 < args.size()) line.robotUsb = args[++i];
            continue;
        }
        if (low == "--app-dir" || low == "--grab") {
            if (i + 1 < args.size()) (low == "--app-dir" ? line.appDir : line.grabPath) = args[++i];
            continue;
        }
        if (low.rfind("--app-dir=", 0) == 0 || low.rfind("--grab=", 0) == 0) {
            const size_t eq = arg.find('=');
            (low[2] == 'a' ? line.appDir : line.grabPath) = arg.substr(eq + 1);
            continue;
        }
        // Only the switch is matched case-insensitively; the path keeps its case, which matters on
        // case-sensitive file systems.
        if (low.find("-view") != std::string::npos && low.rfind("-", 0) == 0) {
            line.viewMode = true;
            continue;
        }
        std::string path;
        if (candidate.empty() && unquote(arg, path) && !path.empty()) candidate = path;
    }
    if (!candidate.empty()) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) line.programPath = candidate;
    }
    return line;
}

}  // namespace trovel
