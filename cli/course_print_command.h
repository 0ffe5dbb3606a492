#pragma once
// trovel-cli course print COURSE_NUMBER|COURSE_FILE --paper A4|A3 [--landscape] [--size WxH_mm]
//     [--poster] --out course.pdf [--app-dir DIR]

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/app_folder.h"
#include "sim/print_tiles.h"

namespace trovel {

// `folders` are the command's own (commandFolders); --app-dir replaces them.
int coursePrintCommand(const std::vector<std::string>& args, const AppFolders& folders, uint32_t localeId);

// "1400x1000" (also "X" or "×", decimals allowed) as a mat size in mm; none when it is not one.
std::optional<MatSize> parseMatSize(std::string_view text);

}  // namespace trovel
