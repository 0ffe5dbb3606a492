#include "sim/headless_run.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <ostream>

#include "model/option_flags.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/text_record_file.h"

namespace trovel {

namespace {

bool runEnded(const Simulator& sim) {
    if (sim.state == SimState::Stopped && sim.robot.leftSpeed == 0 && sim.robot.rightSpeed == 0) return true;
    const CourseRecord* c = currentCourse(sim);
    return c && (c->judgingFlags & JudgeFlag::Timed) && sim.judge.result != RunResult::Armed;
}

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

std::string floatText(float value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    // JSON has no inf or nan; a broken pose still gives a parsable line.
    if (text.find_first_of("in") != std::string::npos) return "0";
    return text;
}

std::string traceHeader() { return "tick,x,y,heading,left_speed,right_speed,s9,s10,s11,s12,led,result\n"; }

std::string traceRow(uint64_t tick, const Simulator& sim) {
    const SimMemoryMap& m = sim.memory;
    std::string row = std::to_string(tick) + ',' + floatText(sim.robot.x) + ',' + floatText(sim.robot.y) + ',' +
                      floatText(sim.robot.heading) + ',' + floatText(sim.robot.leftSpeed) + ',' +
                      floatText(sim.robot.rightSpeed);
    for (int a = SimAddr::LeftSensor; a <= SimAddr::Sensor4; ++a) row += ',' + std::to_string(m[size_t(a)]);
    row += ',' + std::to_string(m[SimAddr::Leds]) + ',' + std::to_string(sim.judge.result) + '\n';
    return row;
}

std::string summaryJson(const Simulator& sim, uint64_t ticks) {
    const CourseRecord* c = currentCourse(sim);
    std::string json = "{\"course\":" + std::to_string(sim.course) + ",\"ticks\":" + std::to_string(ticks) +
                       ",\"state\":" + std::to_string(static_cast<int>(sim.state)) +
                       ",\"result\":" + std::to_string(sim.judge.result) +
                       ",\"lap_ms\":" + std::to_string(sim.judge.lapMs) +
                       ",\"best_ms\":" + std::to_string(c ? c->bestMs : kNoRecordMs) +
                       ",\"x\":" + floatText(sim.robot.x) + ",\"y\":" + floatText(sim.robot.y) +
                       ",\"heading\":" + floatText(sim.robot.heading) + ",\"memory\":[";
    for (size_t i = 0; i < sim.memory.size(); ++i) {
        if (i) json += ',';
        json += std::to_string(sim.memory[i]);
    }
    return json + "]}";
}

uint64_t runHeadless(Simulator& sim, const BlockProgram& program, const HeadlessOptions& options,
                     const TickObserver& observe) {
    const uint64_t limit = options.ticks.value_or(kMaxHeadlessTicks);
    uint64_t n = 0, stuck = 0;
    while (n < limit) {
        stepSimulation(sim, program);
        ++n;
        if (observe) observe(n, sim);
        if (!options.ticks && runEnded(sim)) break;
        stuck = sim.innerTick ? stuck + 1 : 0;
        if (options.stuckTicks && stuck >= *options.stuckTicks) break;
    }
    return n;
}

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

namespace {
constexpr int kExitRan = 0;
constexpr int kExitBadInput = 2;
}  // namespace

int runSimulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir,
                       std::ostream& out, std::ostream& err) {
    SimulateArgs parsed = parseSimulateArgs(args);
    if (!parsed.error.empty()) {
        err << "simulate: " << parsed.error << "\n"
                  << "usage: trovel-cli simulate PROGRAM.qxp [--app-dir DIR] [--course N] [--ticks N] [--seed S]"
                     " [--gain L,R] [--noise sensor=S,start=D/A,motor=P] [--trace FILE.csv]\n";
        return kExitBadInput;
    }
    BlockProgram program;
    LoadResult loaded = loadProgram(program, parsed.program);
    if (!loaded.ok()) {
        err << parsed.program.string() << ": cannot load the program";
        if (loaded.status == LoadStatus::Damaged) err << " (line " << loaded.line << ": " << loaded.reason << ")";
        err << "\n";
        return kExitBadInput;
    }
    const std::filesystem::path appDir = parsed.appDir.value_or(defaultAppDir);
    Simulator sim;
    CourseLoadResult courses = loadCourseConfig(sim.courses, appDir);
    for (const CourseMessage& m : courses.messages) err << toUtf8(courseMessageText(m)) << "\n";
    if (!courses.loaded) return kExitBadInput;
    if (parsed.run.course >= courseCount(sim.courses)) {
        err << "simulate: course " << parsed.run.course << " is not loaded (" << courseCount(sim.courses)
                  << " courses)\n";
        return kExitBadInput;
    }
    // Without anyone to ask, a faulty repeat structure is reported and the run goes ahead.
    int fault = CheckRepeatStructure(program, optionFlags().bits());
    if (fault != kRepeatStructureSound) err << "simulate: repeat " << fault << " is badly connected\n";
    setUpRun(sim, program, parsed.run);

    std::string trace;
    const bool tracing = !parsed.tracePath.empty();
    TickObserver observe;
    if (tracing) {
        trace = traceHeader();
        observe = [&trace](uint64_t tick, const Simulator& s) { trace += traceRow(tick, s); };
    }
    uint64_t ticks = runHeadless(sim, program, parsed.headless, observe);
    if (tracing) {
        std::ofstream file(parsed.tracePath, std::ios::binary | std::ios::trunc);
        file << trace;
        if (!file) err << "simulate: cannot write " << parsed.tracePath.string() << "\n";
    }
    out << summaryJson(sim, ticks) << "\n";
    return kExitRan;
}

}  // namespace trovel
