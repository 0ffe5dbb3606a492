// skin.ini: image names resolved against the application folder and each image's headers checked.

#include "editor/skin.h"
#include "fuzz/fuzz_input.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("skin.ini", data, size);
    SkinResult skin = loadSkin(path, fuzz::appFolder());
    fuzz::require(static_cast<int>(skin.images.size()) <= kMaxSkinImages);
    return 0;
}
