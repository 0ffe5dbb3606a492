#pragma once
// "trovel-cli simulate": runs a program file in the simulator without a window.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "sim/lap_records.h"
#include "sim/simulator.h"

namespace trovel {

// `args` are the words after "simulate". Prints the JSON summary line on stdout; returns 0 after a
// run, 2 when the arguments, the program file or the course cannot be used, or when a trace or
// picture asked for cannot be written (reason on stderr).
// The user's own courses come from `defaultUserDir` (the application folder when empty), or from
// the folder of --app-dir when it is given.
int simulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir,
                    const std::filesystem::path& defaultUserDir = {});

// The same with the JSON line on `out` and the reasons on `err`.
int runSimulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir,
                       std::ostream& out, std::ostream& err, const std::filesystem::path& defaultUserDir = {});

// "tick,x,y,heading,left_speed,right_speed,s9,s10,s11,s12,led,result"
std::string traceHeader();
std::string traceRow(uint64_t tick, const Simulator& sim);
// The one-line JSON summary of a run, with the course's best time in `records`.
std::string summaryJson(const Simulator& sim, const LapRecords& records, uint64_t ticks);
// Shortest text that reads back as the same float.
std::string floatText(float value);

}  // namespace trovel
