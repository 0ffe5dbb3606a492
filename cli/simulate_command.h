#pragma once
// "trovel-cli simulate": runs a program file in the simulator without a window.

#include <filesystem>
#include <string>
#include <vector>

namespace trovel {

// `args` are the words after "simulate". Prints the JSON summary line on stdout; returns 0 after a
// run, 2 when the arguments, the program file or the course cannot be used (reason on stderr).
int simulateCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir);

}  // namespace trovel
