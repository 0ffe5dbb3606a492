// qx_edit_r_resource.ini: the language-pack list, whose packs are then loaded from the application folder.

#include "base/resource_library.h"
#include "fuzz/fuzz_input.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("qx_edit_r_resource.ini", data, size);
    // English, Japanese and whatever locale the input's last bytes name.
    uint32_t fromInput = size >= 2 ? uint32_t(data[size - 1]) << 8 | data[size - 2] : 0;
    for (uint32_t locale : {0x0409u, 0x0411u, fromInput}) {
        chooseResourceLibrary(path, locale, fuzz::appFolder());
        resString(85);
    }
    useStringPack({});
    return 0;
}
