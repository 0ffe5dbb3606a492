#include "base/resource_library.h"

#include <memory>
#include <mutex>

#include "base/app_folder.h"
#include "base/locale_id.h"
#include "model/text_record_file.h"

namespace trovel {

namespace {

constexpr size_t kListLineChars = 1024;

// The active pack. Replaced only at start-up; the shared pointer keeps a reader safe even then.
std::mutex& packMutex() {
    static std::mutex m;
    return m;
}
std::shared_ptr<const StringTable>& packSlot() {
    static std::shared_ptr<const StringTable> pack = std::make_shared<StringTable>();
    return pack;
}

std::shared_ptr<const StringTable> activePack() {
    std::lock_guard lock(packMutex());
    return packSlot();
}

}  // namespace

void useStringPack(StringTable table) {
    auto pack = std::make_shared<const StringTable>(std::move(table));
    std::lock_guard lock(packMutex());
    packSlot() = std::move(pack);
}

bool stringPackInUse() { return !activePack()->strings.empty(); }

std::u16string resString(uint16_t id) {
    std::u16string_view text = lookup(*activePack(), id);
    if (text.empty()) text = lookup(builtInStrings(), id);
    return std::u16string(text.substr(0, kMaxStringChars));
}

std::filesystem::path packFile(const ResourceChoice& choice, const std::filesystem::path& name,
                               const std::filesystem::path& shipped) {
    if (!choice.loaded) return shipped;
    const std::filesystem::path own = choice.pack.parent_path() / choice.pack.stem() / name;
    std::error_code ec;
    return std::filesystem::is_regular_file(own, ec) ? own : shipped;
}

ResourceChoice chooseResourceLibrary(const std::filesystem::path& listFile, uint32_t localeId,
                                     const std::filesystem::path& baseDir) {
    ResourceChoice choice;
    useStringPack({});
    TextRecordFile file;
    if (!file.open(listFile, u"r")) return choice;
    std::u16string line;
    while (file.readLine(line, kListLineChars) > 0) {
        size_t hash = line.find(u'#');
        if (hash != std::u16string::npos) line.resize(hash);
        size_t key = line.find(u"LCID_RESOURCE");
        if (key == std::u16string::npos) continue;
        std::u16string idText, name;
        size_t afterId = nextField(line, key, idText);
        if (afterId == std::u16string::npos) continue;
        if (parseLocaleIdText(idText) != localeId) continue;
        if (nextTextField(line, afterId, name) == std::u16string::npos || name.empty()) continue;
        std::filesystem::path pack = resolveDataPath(name, baseDir);
        PackLoadResult loaded = loadStringPack(pack);
        if (!loaded.ok()) {
            ++choice.packsTried;
            continue;
        }
        useStringPack(std::move(loaded.table));
        choice.loaded = true;
        choice.pack = pack;
        break;
    }
    return choice;
}

}  // namespace trovel
