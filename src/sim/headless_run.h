#pragma once
// A whole simulated run without a window: the engine behind "trovel-cli simulate".

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace trovel {

constexpr uint64_t kMaxHeadlessTicks = 37500;  // ten minutes of simulated time

struct HeadlessOptions {
    int course = 0;
    std::optional<uint64_t> ticks;   // exactly this many ticks; else until the run ends
    uint64_t seed = kDefaultSimSeed;
    std::optional<std::array<uint8_t, 2>> gains;  // left, right; else the simulator defaults
    std::filesystem::path tracePath;  // empty = no trace
};

// Steps from 再生 until the program has stopped with both wheels at rest, or a timed course has judged
// the run, or kMaxHeadlessTicks; with `ticks` set, exactly that many. Returns the ticks stepped.
// `trace` (may be null) gets one CSV row per tick.
uint64_t runHeadless(Simulator& sim, const BlockProgram& program, const HeadlessOptions& options, std::string* trace);

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
    HeadlessOptions options;
    std::string error;
};
SimulateArgs parseSimulateArgs(const std::vector<std::string>& args);

// The whole "simulate" command: the JSON line on `out`, reasons on `err`. Returns 0 after a run, 2 when
// the arguments, the program file or the course cannot be used.
int runSimulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir,
                       std::ostream& out, std::ostream& err);

}  // namespace trovel
