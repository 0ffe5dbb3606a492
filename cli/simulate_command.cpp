#include "cli/simulate_command.h"

#include <charconv>
#include <fstream>
#include <iostream>

#include "base/message_format.h"
#include "base/resource_library.h"
#include "cli/cli_common.h"
#include "cli/simulate_args.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/text_record_file.h"
#include "sim/headless_run.h"
#include "sim/run_setup.h"

#ifdef TROVEL_HAVE_RENDER
#include "sim/gui/path_picture.h"
#endif

namespace trovel {

namespace {

bool writeBytes(const std::filesystem::path& path, const char* data, size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data, std::streamsize(size));
    return bool(file.flush());
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
    const MemoryImage& m = sim.memory;
    std::string row = std::to_string(tick) + ',' + floatText(sim.robot.x) + ',' + floatText(sim.robot.y) + ',' +
                      floatText(sim.robot.heading) + ',' + floatText(sim.robot.leftSpeed) + ',' +
                      floatText(sim.robot.rightSpeed);
    for (int a = MemoryMap::LeftSensor; a <= MemoryMap::Sensor4; ++a) row += ',' + std::to_string(m[size_t(a)]);
    row += ',' + std::to_string(m[MemoryMap::Leds]) + ',' + std::to_string(sim.judge.result) + '\n';
    return row;
}

std::string summaryJson(const Simulator& sim, const LapRecords& records, uint64_t ticks) {
    std::string json =
        "{\"course\":" + std::to_string(sim.course) + ",\"ticks\":" + std::to_string(ticks) +
        ",\"state\":" + std::to_string(simStateCode(sim.state)) + ",\"result\":" + std::to_string(sim.judge.result) +
        ",\"lap_ms\":" + std::to_string(sim.judge.lapMs) +
        ",\"best_ms\":" + std::to_string(bestTime(records, sim.course)) + ",\"x\":" + floatText(sim.robot.x) +
        ",\"y\":" + floatText(sim.robot.y) + ",\"heading\":" + floatText(sim.robot.heading) + ",\"memory\":[";
    for (size_t i = 0; i < sim.memory.size(); ++i) {
        if (i) json += ',';
        json += std::to_string(sim.memory[i]);
    }
    return json + "]}";
}

int runSimulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir,
                       std::ostream& out, std::ostream& err, const std::filesystem::path& defaultUserDir) {
    SimulateArgs parsed = parseSimulateArgs(args);
#ifndef TROVEL_HAVE_RENDER
    if (parsed.error.empty() && !parsed.picturePath.empty())
        parsed.error = "--picture: this trovel-cli was built without the drawing";
#endif
    if (!parsed.error.empty()) {
        err << "simulate: " << parsed.error << "\n" << kSimulateUsage;
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
    const std::filesystem::path userDir = parsed.appDir || defaultUserDir.empty() ? appDir : defaultUserDir;
    Simulator sim;
    CourseLoadResult courses = loadCourseConfig(sim.courses, appDir, {}, userDir);
    for (const CourseMessage& m : courses.messages)
        err << toUtf8(formatMessage(resString(courseMessageId(m.problem)), {m.file, m.expected})) << "\n";
    if (!courses.loaded) return kExitBadInput;
    LapRecords records;
    readRecords(records, sim.courses, appDir);
    if (parsed.run.course >= courseCount(sim.courses)) {
        err << "simulate: course " << parsed.run.course << " is not loaded (" << courseCount(sim.courses)
            << " courses)\n";
        return kExitBadInput;
    }
    // Without anyone to ask, a faulty repeat structure is reported and the run goes ahead.
    int fault = checkRepeatStructure(program, OptionFlags().bits());
    if (fault != kRepeatStructureSound) err << "simulate: repeat " << fault << " is badly connected\n";
    prepareRun(sim, program, parsed.run);

    std::string trace;
    const bool tracing = !parsed.tracePath.empty();
    if (tracing) trace = traceHeader();
    // The simulator keeps the path itself; the picture starts it where the robot stood.
    const Vec2 start{sim.robot.x, sim.robot.y};
    TickObserver observe;
    if (tracing) observe = [&trace](uint64_t tick, const Simulator& s) { trace += traceRow(tick, s); };
    uint64_t ticks = runHeadless(sim, parsed.headless, observe);
    // A run judges at most one goal: its lap against the best time the folder holds.
    if (sim.judge.result == RunResult::Goal) offerLap(records, sim.course, sim.judge.lapMs, sim.lapPoses);

    int code = kExitOk;
    if (tracing && !writeBytes(parsed.tracePath, trace.data(), trace.size())) {
        err << "simulate: cannot write " << parsed.tracePath.string() << "\n";
        code = kExitBadInput;
    }
#ifdef TROVEL_HAVE_RENDER
    if (!parsed.picturePath.empty()) {
        std::vector<Vec2> path{start};
        for (const PathPoint& p : sim.path.points) path.push_back({p.x, p.y});
        const std::vector<uint8_t> png =
            pathPicturePng(coursePicture(sim.courses, sim.course), path, kCourseWidth, currentCourse(sim));
        if (png.empty() || !writeBytes(parsed.picturePath, reinterpret_cast<const char*>(png.data()), png.size())) {
            err << "simulate: cannot write the picture " << parsed.picturePath.string() << "\n";
            code = kExitBadInput;
        }
    }
#endif
    out << summaryJson(sim, records, ticks) << "\n";
    return code;
}

int simulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir,
                    const std::filesystem::path& defaultUserDir) {
    return runSimulateCommand(args, defaultAppDir, std::cout, std::cerr, defaultUserDir);
}

}  // namespace trovel
