// Program files: the loader, then everything the studio does with what it loaded: the repeat check,
// the compiler, connector routing and hit testing, and a paste of every block.

#include <cstdlib>

#include "editor/clipboard.h"
#include "editor/hit_test.h"
#include "editor/routing.h"
#include "fuzz/fuzz_input.h"
#include "model/compiler.h"
#include "model/program_file.h"
#include "model/repeat_check.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("program.qxp", data, size);
    BlockProgram program;
    if (!loadProgram(program, path).ok()) return 0;

    checkRepeatStructure(program, 0);
    compileProgram(program);
    for (const auto& b : program.blocks) {
        fuzz::require(std::abs(b->x) <= kMaxCoordinate && std::abs(b->y) <= kMaxCoordinate &&
                      std::abs(b->bend[0]) <= kMaxCoordinate && std::abs(b->bend[1]) <= kMaxCoordinate);
        for (int out = 0; out < outputCount(b->type); ++out) {
            Route r = routeConnector(*b, out);
            hitTest(program, r.mid.x, r.mid.y);
            hitTest(program, startPoint(r).x, startPoint(r).y);
        }
        hitTest(program, blockCentre(*b).x, blockCentre(*b).y);
    }

    // What was loaded saves and loads again.
    std::filesystem::path again = fuzz::writeUtf16Scratch("program-saved.qxp", programFileText(program));
    BlockProgram reloaded;
    fuzz::require(loadProgram(reloaded, again).ok() && reloaded.blocks.size() == program.blocks.size());
    for (size_t i = 0; i < program.blocks.size(); ++i) {
        const ActionBlock& a = *program.blocks[i];
        const ActionBlock& b = *reloaded.blocks[i];
        fuzz::require(a.name == b.name && a.x == b.x && a.y == b.y && a.type == b.type && a.param == b.param &&
                      a.bend == b.bend);
    }

    Clipboard clipboard;
    for (auto& b : program.blocks) b->flags |= FlagSelected;
    copySelection(program, clipboard);
    OptionFlags flags;
    UndoHistory history(flags);
    pasteClipboard(program, clipboard, history, true);
    pasteClipboard(program, clipboard, history, false);
    checkRepeatStructure(program, 0);
    compileProgram(program);
    return 0;
}
