#pragma once
// Names of the 32 memory-map addresses, read from memname.ini: a display name for lists and the
// memory-map window, and a short name for chart captions.

#include <array>
#include <filesystem>
#include <string>

#include "model/memory_map.h"

namespace trovel {

constexpr size_t kMaxMemoryNameChars = 255;

struct MemoryNames {
    std::array<std::u16string, MemoryMap::Size> displayName;
    std::array<std::u16string, MemoryMap::Size> shortName;
};

// Every line holding "[" names the next address from 0: its first [[...]] field is the display
// name, the second the short name (empty when missing); reading stops after 32 such lines and
// names are cut to 255 characters. Returns false, with `names` unchanged, when the file cannot be
// opened; otherwise `names` is replaced (addresses the file does not reach get empty names).
bool loadMemoryNames(const std::filesystem::path& path, MemoryNames& names);

}  // namespace trovel
