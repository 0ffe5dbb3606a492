#pragma once
// The words after "trovel-cli simulate", read into one record. No output here: the fuzzer reads them too.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/headless_run.h"
#include "sim/run_setup.h"

namespace trovel {

// Parsed words after "simulate"; `error` is set (and the rest undefined) when they make no sense.
struct SimulateArgs {
    std::filesystem::path program;
    std::optional<std::filesystem::path> appDir;
    RunOptions run;
    HeadlessOptions headless;
    std::filesystem::path tracePath;    // empty = no trace
    std::filesystem::path picturePath;  // empty = no picture
    std::string error;
};
SimulateArgs parseSimulateArgs(const std::vector<std::string>& args);

// The one-line reminder printed after an argument error.
extern const char kSimulateUsage[];

}  // namespace trovel
