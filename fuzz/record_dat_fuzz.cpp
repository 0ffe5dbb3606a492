// record.dat: best lap times. Every time read is one a lap can beat, and what is written reads back.

#include "fuzz/fuzz_input.h"
#include "sim/lap_record_file.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("record.dat", data, size);
    RecordsRead read = readRecordsFile(path);
    if (read.status != RecordStatus::Read) return 0;
    for (int32_t t : read.times) fuzz::require(t > 0 && t <= kNoRecordMs);
    RecordsRead again = parseRecords(encodeRecords(read.times));
    fuzz::require(again.status == RecordStatus::Read && again.times == read.times);
    return 0;
}
