#pragma once
// A whole simulated run without a window: the engine behind "trovel-cli simulate".

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "sim/run_setup.h"
#include "sim/simulator.h"

namespace trovel {

constexpr uint64_t kMaxHeadlessTicks = 37500;  // ten minutes of simulated time

struct HeadlessOptions {
    std::optional<uint64_t> ticks;   // exactly this many ticks; else until the run ends
    // Ends the run after this many ticks in a row that ran out of chain budget: the program loops
    // through blocks that never end a tick, so nothing moves, nothing is sampled and no time counts.
    std::optional<uint64_t> stuckTicks;
};

// Called after every tick with the number of ticks stepped so far.
using TickObserver = std::function<void(uint64_t tick, const Simulator& sim)>;

// Steps a run set up by setUpRun until the program has stopped with both wheels at rest, or a timed
// course has judged the run, or kMaxHeadlessTicks; with `ticks` set, exactly that many. Returns the
// ticks stepped. `observe` may be empty.
uint64_t runHeadless(Simulator& sim, const BlockProgram& program, const HeadlessOptions& options,
                     const TickObserver& observe);

// "tick,x,y,heading,left_speed,right_speed,s9,s10,s11,s12,led,result"
std::string traceHeader();
std::string traceRow(uint64_t tick, const Simulator& sim);
// The one-line JSON summary of a run.
std::string summaryJson(const Simulator& sim, uint64_t ticks);
// Shortest text that reads back as the same float.
std::string floatText(float value);

// Parsed words after "simulate"; `error` is set (and the rest undefined) when they make no sense.
struct SimulateArgs {
    std::filesystem::path program;
    std::optional<std::filesystem::path> appDir;
    RunOptions run;
    HeadlessOptions headless;
    std::filesystem::path tracePath;  // empty = no trace
    std::string error;
};
SimulateArgs parseSimulateArgs(const std::vector<std::string>& args);

// The whole "simulate" command: the JSON line on `out`, reasons on `err`. Returns 0 after a run, 2 when
// the arguments, the program file or the course cannot be used.
int runSimulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir,
                       std::ostream& out, std::ostream& err);

}  // namespace trovel
