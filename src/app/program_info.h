#pragma once
// What both programs print for --help and --version, in the manner of GNU command lines: the text
// goes to standard output and the program ends with status 0.

#include <string>
#include <string_view>
#include <vector>

namespace trovel {

enum class InfoRequest { None, Help, Version };

// The first --help or --version among the arguments (before a lone "--"); None when neither is there.
InfoRequest infoRequest(const std::vector<std::string>& args);

// "trovel-cli (TrovelStudio) 1.0.0": the program, its package and version, one line.
std::string versionText(std::string_view program);

std::string studioHelpText();

}  // namespace trovel
