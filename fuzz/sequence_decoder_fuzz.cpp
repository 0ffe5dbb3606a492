// Sequence bytes read back from a robot: the decoder must give a chart the studio can save, open
// again, check and compile.

#include "fuzz/fuzz_input.h"
#include "model/compiler.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/sequence_decoder.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BlockProgram program;
    decodeSequence(program, data, size);
    checkRepeatStructure(program, 0);
    fuzz::require(compileProgram(program).status != CompileStatus::BrokenRepeat);

    std::filesystem::path path = fuzz::writeUtf16Scratch("decoded.qxp", programFileText(program));
    BlockProgram reopened;
    LoadResult loaded = loadProgram(reopened, path);
    fuzz::require(loaded.ok() && reopened.blocks.size() == program.blocks.size());
    return 0;
}
