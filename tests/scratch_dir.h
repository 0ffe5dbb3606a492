#pragma once
// The one place tests get a folder for the files they write: inside the build tree, emptied first.

#include <filesystem>
#include <string>

namespace trovel::test {

// TROVEL_TEST_TMP/AREA/NAME, fresh and empty. Each test folder passes its own area ("sim", "robot",
// ...), and each test its own name: CTest runs every GoogleTest case as a process of its own, side
// by side with the others, so two cases (or a helper they share) must never pass the same name.
// The command-line scripts work in TROVEL_TEST_TMP/cli_NAME, beside the "cli" area, never in it.
inline std::filesystem::path scratchDir(const std::string& area, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(TROVEL_TEST_TMP) / area / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace trovel::test
