#pragma once
// trovel-cli render PROGRAM.qxp --out chart.png [--size N] [--app-dir DIR]

#include <string>
#include <vector>

namespace trovel {

// The chart's words in the language of `localeId` (0: the built-in Japanese).
int renderCommand(const std::vector<std::string>& args, uint32_t localeId);

}  // namespace trovel
