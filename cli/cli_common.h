#pragma once
// What every trovel-cli command shares: its exit codes and the words for a program file that did
// not load.

#include <filesystem>
#include <optional>
#include <string>

#include "base/app_folder.h"
#include "model/program_file.h"

namespace trovel {

// Exit codes, the same for every command (scripts test them).
constexpr int kExitOk = 0;
constexpr int kExitTooLarge = 1;  // the program does not fit in the robot
constexpr int kExitBadInput = 2;  // bad arguments, or a file that cannot be read, used or written
constexpr int kExitNoRobot = 3;   // no robot answers, or it or its state is busy
constexpr int kExitFailed = 4;    // the robot was reached but the work failed

// A length or scale for a JSON line: at most `decimals` decimals, no trailing zeros ("1400", "857.14").
std::string decimalText(double value, int decimals = 2);

// Why a program file did not load, in the language in use, without the file's name; "" when it
// loaded. A damaged record's line is in the words, its English reason is not.
std::string loadFailureText(const LoadResult& r);

// Where a command reads the application's files and writes the user's: both in the folder of
// --app-dir when it is given, else as the studio finds them (the user's data folder for an
// installed copy).
AppFolders commandFolders(const std::optional<std::filesystem::path>& appDirOption);

// The text as a JSON string, quotes included.
std::string jsonQuoted(const std::string& text);

}  // namespace trovel
