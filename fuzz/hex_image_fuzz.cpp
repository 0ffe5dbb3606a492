// Intel HEX firmware files (UTF-16 or ANSI).

#include "fuzz/fuzz_input.h"
#include "robot/hex_image.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("firmware.hex", data, size);
    HexLoadResult hex = loadHexImage(path);
    if (hex.ok()) fuzz::require(!hex.image.empty() && hex.image.size() <= kHexImageLimit);
    return 0;
}
