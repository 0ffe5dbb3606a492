// The text record layer every text file goes through: line reading (UTF-16 or code page 932) and
// the [value] / [[string]] fields and numbers read from the lines.

#include "fuzz/fuzz_input.h"
#include "model/text_record_file.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("records.txt", data, size);
    // The first byte picks the line length a caller asks for, as the readers use several.
    const size_t maxChars = size > 0 ? std::min<size_t>(data[0] * 17, kMaxLineChars + 1) : kRecordLineChars;
    TextRecordFile file;
    if (!file.open(path, u"r")) return 0;
    std::u16string line, field;
    while (file.readLine(line, maxChars) > 0) {
        fuzz::require(line.size() <= maxChars && line.find(u'\0') == std::u16string::npos);
        for (size_t pos = 0; pos != std::u16string::npos && pos <= line.size();) {
            pos = nextField(line, pos, field);
            toNumber(field);
            toInt(field);
        }
        for (size_t pos = 0; pos != std::u16string::npos && pos <= line.size();) pos = nextTextField(line, pos, field);
    }
    file.close();
    return 0;
}
