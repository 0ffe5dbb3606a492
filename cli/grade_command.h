#pragma once
// "trovel-cli grade": runs a class's programs on the timed courses and writes the reports.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/class_grading.h"

namespace trovel {

// Parsed words after "grade"; `error` is set (and the rest undefined) when they make no sense.
struct GradeArgs {
    std::vector<std::filesystem::path> inputs;  // program files and folders of them
    std::optional<std::vector<int>> courses;    // none: every timed course
    GradePlan plan;
    std::filesystem::path out = "grade-report";
    std::optional<std::filesystem::path> appDir;
    std::string error;
};
GradeArgs parseGradeArgs(const std::vector<std::string>& args, int defaultJobs);

// Exit 0 when the reports were written, 2 on bad arguments, an empty folder, unusable courses or
// reports that cannot be written (one line on stderr).
// The report speaks the language of `localeId` (0: the built-in Japanese).
// The user's own courses come from `defaultUserDir` (the application folder when empty), or from
// the folder of --app-dir when it is given.
int gradeCommand(const std::vector<std::string>& args, const std::filesystem::path& defaultAppDir, uint32_t localeId,
                 const std::filesystem::path& defaultUserDir = {});

}  // namespace trovel
