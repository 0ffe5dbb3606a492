// qx_def.ini: what it reads is saved and reads back the same.

#include "app/settings.h"
#include "fuzz/fuzz_input.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("qx_def.ini", data, size);
    Settings settings;
    if (!loadSettings(path, settings).ok()) return 0;
    std::filesystem::path saved = fuzz::writeUtf16Scratch("qx_def-saved.ini", settingsFileText(settings));
    Settings reread;
    fuzz::require(loadSettings(saved, reread).ok());
    reread.gridX = settings.gridX;
    reread.gridY = settings.gridY;
    fuzz::require(reread == settings);
    return 0;
}
