#include "simulate_command.h"

#include <fstream>
#include <iostream>

#include "model/option_flags.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/text_record_file.h"
#include "sim/course_config.h"
#include "sim/headless_run.h"

namespace trovel {

namespace {
constexpr int kExitRan = 0;
constexpr int kExitBadInput = 2;
}  // namespace

int simulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir) {
    SimulateArgs parsed = parseSimulateArgs(args);
    if (!parsed.error.empty()) {
        std::cerr << "simulate: " << parsed.error << "\n"
                  << "usage: trovel-cli simulate PROGRAM.qxp [--app-dir DIR] [--course N] [--ticks N] [--seed S]"
                     " [--gain L,R] [--trace FILE.csv]\n";
        return kExitBadInput;
    }
    BlockProgram program;
    LoadResult loaded = loadProgram(program, parsed.program);
    if (!loaded.ok()) {
        std::cerr << parsed.program.string() << ": cannot load the program";
        if (loaded.status == LoadStatus::Damaged) std::cerr << " (line " << loaded.line << ": " << loaded.reason << ")";
        std::cerr << "\n";
        return kExitBadInput;
    }
    const std::filesystem::path appDir = parsed.appDir.value_or(defaultAppDir);
    Simulator sim;
    sim.drawEnabled = false;
    CourseLoadResult courses = loadCourseConfig(sim.courses, appDir);
    for (const CourseMessage& m : courses.messages) std::cerr << toUtf8(courseMessageText(m)) << "\n";
    if (!courses.loaded) return kExitBadInput;
    if (parsed.options.course >= courseCount(sim.courses)) {
        std::cerr << "simulate: course " << parsed.options.course << " is not loaded (" << courseCount(sim.courses)
                  << " courses)\n";
        return kExitBadInput;
    }
    if (parsed.options.gains) sim.gains = *parsed.options.gains;
    seedRandom(sim.interp.random, parsed.options.seed);
    resetSimulator(sim);
    selectCourse(sim, parsed.options.course);
    // Without anyone to ask, a faulty repeat structure is reported and the run goes ahead.
    int fault = CheckRepeatStructure(program, optionFlags().bits());
    if (fault != kRepeatStructureSound) std::cerr << "simulate: repeat " << fault << " is badly connected\n";
    playCommand(sim, program);

    std::string trace;
    const bool tracing = !parsed.options.tracePath.empty();
    uint64_t ticks = runHeadless(sim, program, parsed.options, tracing ? &trace : nullptr);
    if (tracing) {
        std::ofstream out(parsed.options.tracePath, std::ios::binary | std::ios::trunc);
        out << trace;
        if (!out) std::cerr << "simulate: cannot write " << parsed.options.tracePath.string() << "\n";
    }
    std::cout << summaryJson(sim, ticks) << "\n";
    return kExitRan;
}

}  // namespace trovel
