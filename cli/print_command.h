#pragma once
// trovel-cli print PROGRAM.qxp --paper A4|A3 [--landscape] --out chart.pdf [--app-dir DIR]

#include <cstdint>
#include <string>
#include <vector>

namespace trovel {

// The page header's words in the language of `localeId` (0: the built-in Japanese).
int printCommand(const std::vector<std::string>& args, uint32_t localeId);

}  // namespace trovel
