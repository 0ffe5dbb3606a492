#include "base/memory_names.h"

#include "model/text_record_file.h"

namespace trovel {

bool loadMemoryNames(const std::filesystem::path& path, MemoryNames& names) {
    TextRecordFile file;
    if (!file.open(path, u"r")) return false;
    MemoryNames loaded;
    std::u16string line;
    int address = 0;
    while (address < MemoryMap::Size && file.readLine(line, kRecordLineChars) > 0) {
        if (line.find(u'[') == std::u16string::npos) continue;
        std::u16string display, shortName;
        size_t next = nextTextField(line, 0, display);
        if (next != std::u16string::npos) nextTextField(line, next, shortName);
        if (display.size() > kMaxMemoryNameChars) display.resize(kMaxMemoryNameChars);
        if (shortName.size() > kMaxMemoryNameChars) shortName.resize(kMaxMemoryNameChars);
        loaded.displayName[address] = std::move(display);
        loaded.shortName[address] = std::move(shortName);
        ++address;
    }
    names = std::move(loaded);
    return true;
}

}  // namespace trovel
