#pragma once
// The application folder: where the settings, string packs, skin images and courses live.
// It is "--app-dir DIR" when given, else $TROVEL_HOME, else the executable's folder. Every data
// file name is resolved against it; the process's current directory is never changed.

#include <filesystem>
#include <string_view>

#include "app/locale_id.h"

namespace trovel {

// The resolution order above; relative folders are made absolute. An empty `fromCommandLine`
// or an empty TROVEL_HOME counts as not given.
std::filesystem::path resolveAppFolder(const std::filesystem::path& fromCommandLine, const EnvLookup& env,
                                       const std::filesystem::path& executable);

// Full path of the running executable (empty when the system cannot tell).
std::filesystem::path executablePath();

// Sets the folder for the process: call once at start-up, before other threads run.
void initAppFolder(const std::filesystem::path& fromCommandLine);
void setAppFolder(const std::filesystem::path& folder);

// The application folder (the executable's folder until initAppFolder runs).
std::filesystem::path ModuleDirectory();

// A data file name as written in the settings files, made a full path: backslashes become folder
// separators, a relative name is taken inside `base`.
std::filesystem::path resolveDataPath(std::u16string_view name, const std::filesystem::path& base);
// The same against the application folder.
std::filesystem::path appFilePath(std::u16string_view name);

}  // namespace trovel
