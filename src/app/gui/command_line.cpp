#include "app/gui/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>
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

// A course number: decimal digits only; -1 for anything else.
int courseNumber(const std::string& text) {
    int number = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() && text[0] != '-' ? number : -1;
}

// Options QApplication takes out of the command line itself, with or without a value; Qt also
// reads them with two dashes and with "=VALUE".
bool qtOption(const std::string& arg, bool& takesValue) {
    static const char* const withValue[] = {
        "-platform",    "-platformpluginpath", "-platformtheme", "-plugin",  "-qwindowgeometry",
        "-qwindowicon", "-qwindowtitle",       "-session",       "-display", "-geometry",
        "-style",       "-stylesheet",         "-title",         "-name"};
    static const char* const alone[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};
    std::string name = arg.rfind("--", 0) == 0 ? arg.substr(1) : arg;
    const size_t eq = name.find('=');
    const bool joined = eq != std::string::npos;
    if (joined) name.resize(eq);
    if (name.rfind("-qmljsdebugger", 0) == 0) return true;
    for (const char* o : withValue)
        if (name == o) {
            takesValue = !joined;
            return true;
        }
    for (const char* o : alone)
        if (name == o && !joined) {
            takesValue = false;
            return true;
        }
    return false;
}

}  // namespace

StudioCommandLine parseStudioCommandLine(const std::vector<std::string>& args) {
    StudioCommandLine line;
    std::string candidate;
    bool namesOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string low = lowered(arg);
        if (namesOnly || arg.size() < 2 || arg[0] != '-') {
            std::string path;
            if (candidate.empty() && unquote(arg, path) && !path.empty()) candidate = path;
            continue;
        }
        if (arg == "--") {
            namesOnly = true;
            continue;
        }
        if (low == "--lang") {
            ++i;  // the language is read by the string-table start-up
            continue;
        }
        if (low.rfind("--lang=", 0) == 0) continue;
        if (low == "--robot-usb") {
            if (i + 1 < args.size()) line.robotUsb = args[++i];
            continue;
        }
        if (low.rfind("--robot-usb=", 0) == 0) {
            line.robotUsb = arg.substr(12);
            continue;
        }
        if (low == "--simulator" || low == "--play") {
            line.openSimulator = true;
            line.play = line.play || low == "--play";
            continue;
        }
        if (low == "--course" || low.rfind("--course=", 0) == 0) {
            // A course number that is not one is left out; after "--course" it stays an argument
            // of its own, so a program path right after the option still opens.
            const bool joined = low != "--course";
            const std::string value = joined ? arg.substr(9) : (i + 1 < args.size() ? args[i + 1] : "");
            if (const int number = courseNumber(value); number >= 0) {
                line.course = number;
                line.openSimulator = true;
                if (!joined) ++i;
            }
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
        if (low.find("-view") != std::string::npos) {
            line.viewMode = true;
            continue;
        }
        if (bool takesValue = false; qtOption(arg, takesValue)) {
            if (takesValue) ++i;
            continue;
        }
        if (line.unknownOption.empty()) line.unknownOption = arg;
    }
    if (!candidate.empty()) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) line.programPath = candidate;
        else line.missingPath = candidate;
    }
    return line;
}

}  // namespace trovel
