#pragma once
// "trovel-cli course": the teacher's own courses from the command line. Each subcommand prints one
// JSON line {"command","status","message",...} and exits 0 when done, 2 on bad arguments or a
// course, picture or folder that cannot be read, used or written.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace trovel {

// `args` are the words after "course": the subcommand, then its arguments.
int courseCommand(const std::vector<std::string>& args, uint32_t localeId);

// The same with the JSON line on `out` and course loading messages on `err`.
int runCourseCommand(const std::vector<std::string>& args, uint32_t localeId, std::ostream& out, std::ostream& err);

struct InstallResult;
// Why a course file could not be read or drawn (a refused file or its background picture), on one line.
std::string courseFileProblem(const std::filesystem::path& file, const InstallResult& result);

}  // namespace trovel
