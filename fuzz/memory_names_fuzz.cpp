// memname.ini: names of the 32 memory addresses.

#include "base/memory_names.h"
#include "fuzz/fuzz_input.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("memname.ini", data, size);
    MemoryNames names;
    if (!loadMemoryNames(path, names)) return 0;
    for (int i = 0; i < MemoryMap::Size; ++i)
        fuzz::require(names.displayName[size_t(i)].size() <= kMaxMemoryNameChars &&
                      names.shortName[size_t(i)].size() <= kMaxMemoryNameChars);
    return 0;
}
