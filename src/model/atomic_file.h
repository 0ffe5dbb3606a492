#pragma once
// Whole-file saves that never leave a half-written file behind: the bytes go to a temporary file
// beside the target, reach the disk, and only then replace the old file in one rename.

#include <cstdint>
#include <filesystem>
#include <span>

namespace trovel {

// False when any step failed; the old file is then unchanged and no temporary file is left.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace trovel
