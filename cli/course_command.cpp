#include "cli/course_command.h"

#include <iostream>

#include "cli/cli_common.h"
#include "cli/course_print_command.h"

namespace trovel {

int courseCommand(const std::vector<std::string>& args, const std::filesystem::path& appDir, uint32_t localeId) {
    const std::string sub = args.empty() ? std::string() : args.front();
    const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    if (sub == "print") return coursePrintCommand(rest, appDir, localeId);
    std::cerr << "course: " << (sub.empty() ? "no sub-command" : "unknown sub-command " + sub) << "\n"
              << "usage: trovel-cli course print COURSE_NUMBER --paper A4|A3 --out course.pdf [OPTION]...\n";
    return kExitBadInput;
}

}  // namespace trovel
