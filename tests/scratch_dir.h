#pragma once
// The one place tests get a folder for the files they write: inside the build tree, emptied first.

#include <filesystem>
#include <string>

namespace trovel::test {

// TROVEL_TEST_TMP/AREA/NAME, fresh and empty. Each test folder passes its own area ("sim", "robot",
// ...), so test executables that CTest runs side by side never share a folder.
inline std::filesystem::path scratchDir(const std::string& area, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(TROVEL_TEST_TMP) / area / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace trovel::test
