// Language packs, and every string of a pack through the message formatter with the arguments the
// studio passes (a pack may carry any text in place of a format).

#include "base/message_format.h"
#include "base/string_table.h"
#include "fuzz/fuzz_input.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("pack.txt", data, size);
    PackLoadResult pack = loadStringPack(path);
    if (!pack.ok()) return 0;
    for (const auto& [id, text] : pack.table.strings) {
        fuzz::require(text.size() <= kMaxStringChars);
        formatMessage(text, {});
        formatMessage(text, {12, 3.5, u"名前", u'x'});
        formatMessage(text, {u"C:\\course\\a.bmp", 700});
        conversionsOf(text);
        escapePackText(text);
    }
    return 0;
}
