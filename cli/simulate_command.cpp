#include "simulate_command.h"

#include <iostream>

#include "sim/headless_run.h"

namespace trovel {

int simulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir) {
    return runSimulateCommand(args, defaultAppDir, std::cout, std::cerr);
}

}  // namespace trovel
