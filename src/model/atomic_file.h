#pragma once
// Whole-file saves that never leave a half-written file behind: the bytes go to a temporary file
// beside the target, reach the disk, and only then replace the old file in one rename, which is
// then made to reach the disk as well.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>

namespace trovel {

// False when any step failed; the old file is then unchanged and no temporary file is left.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// The last step of such a save written through `out` into `temp`: syncs and closes `out`, then
// renames `temp` over `target` when `ok` and every step went well, else removes `temp`.
bool finishAtomicWrite(std::FILE* out, bool ok, const std::filesystem::path& temp, const std::filesystem::path& target);

}  // namespace trovel
