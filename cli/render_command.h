#pragma once
// trovel-cli render PROGRAM.qxp --out chart.png [--size N] [--app-dir DIR]

#include <string>
#include <vector>

namespace trovel {

int renderCommand(const std::vector<std::string>& args);

}  // namespace trovel
