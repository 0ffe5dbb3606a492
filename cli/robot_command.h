#pragma once
// "trovel-cli robot ...": write, read, firmware, verify-firmware, memory and status against the
// robot on USB or an emulated robot whose state lives in a file, through the studio's transfers.

#include <filesystem>
#include <string>
#include <vector>

namespace trovel {

// `args` are the words after "robot". Prints one JSON line on stdout; returns 0 on success, 2 on
// bad input (nothing sent), 3 when no robot answers or it is busy, 4 when a transfer failed.
int robotCommand(const std::vector<std::string>& args, const std::filesystem::path& appDir);

}  // namespace trovel
