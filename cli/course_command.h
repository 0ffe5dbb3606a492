#pragma once
// trovel-cli course SUBCOMMAND ...: the work on courses, one sub-command a file (print in
// course_print_command).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace trovel {

// `args` start with the sub-command. `appDir` is the application folder found as for the other
// commands; --app-dir overrides it.
int courseCommand(const std::vector<std::string>& args, const std::filesystem::path& appDir, uint32_t localeId);

}  // namespace trovel
