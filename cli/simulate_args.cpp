#include "cli/simulate_args.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace trovel {

namespace {

bool parseUnsigned(const std::string& text, uint64_t& value) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseGains(const std::string& text, std::array<uint8_t, 2>& gains) {
    size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    uint64_t left = 0, right = 0;
    if (!parseUnsigned(text.substr(0, comma), left) || !parseUnsigned(text.substr(comma + 1), right)) return false;
    if (left > 255 || right > 255) return false;
    gains = {static_cast<uint8_t>(left), static_cast<uint8_t>(right)};
    return true;
}

}  // namespace

const char kSimulateUsage[] =
    "usage: trovel-cli simulate PROGRAM.qxp [--app-dir DIR] [--course N] [--ticks N] [--seed S]"
    " [--gain L,R] [--noise sensor=S,start=D/A,motor=P] [--trace FILE.csv] [--picture FILE.png]\n";

SimulateArgs parseSimulateArgs(const std::vector<std::string>& args) {
    SimulateArgs parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        bool isOption = word.size() > 2 && word.compare(0, 2, "--") == 0;
        if (!isOption) {
            if (!parsed.program.empty()) {
                parsed.error = "more than one program file: " + word;
                return parsed;
            }
            parsed.program = word;
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = word + " needs a value";
            return parsed;
        }
        const std::string& value = args[++i];
        uint64_t number = 0;
        if (word == "--app-dir") {
            parsed.appDir = value;
        } else if (word == "--course") {
            if (!parseUnsigned(value, number) || number > uint64_t(kMaxCourses)) parsed.error = "bad --course " + value;
            parsed.run.course = static_cast<int>(number);
        } else if (word == "--ticks") {
            if (!parseUnsigned(value, number)) parsed.error = "bad --ticks " + value;
            parsed.headless.ticks = number;
        } else if (word == "--seed") {
            if (!parseUnsigned(value, number)) parsed.error = "bad --seed " + value;
            parsed.run.seed = number;
        } else if (word == "--gain") {
            std::array<uint8_t, 2> gains{};
            if (!parseGains(value, gains)) parsed.error = "bad --gain " + value + " (expected L,R with 0..255)";
            parsed.run.gains = gains;
        } else if (word == "--trace") {
            parsed.tracePath = value;
        } else if (word == "--picture") {
            if (value.empty()) parsed.error = "--picture needs a file name";
            parsed.picturePath = value;
        } else if (word == "--noise") {
            std::string why;
            if (!parseNoise(value, parsed.run.noise, why)) parsed.error = why;
        } else {
            parsed.error = "unknown option " + word;
        }
        if (!parsed.error.empty()) return parsed;
    }
    if (parsed.program.empty()) parsed.error = "no program file";
    return parsed;
}

}  // namespace trovel
