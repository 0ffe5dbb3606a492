// Memory of the undo history after 10,000 single-block moves of a 1,000-block program, measured
// as the growth of the heap in use (glibc mallinfo2), and the time per recorded step.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <random>

#include "editor/selection.h"
#include "editor/undo_history.h"
#include "editor_bench_programs.h"

namespace {

size_t heapInUse() { return mallinfo2().uordblks; }

void BM_UndoHistory10000Moves(benchmark::State& state) {
    for (auto _ : state) {
        trovel::BlockProgram program;
        trovel::bench::buildLargeProgram(program, 1000);
        trovel::OptionFlags flags;
        trovel::UndoHistory history(flags);
        history.resetHistory(program);
        const size_t before = heapInUse();
        std::mt19937 rng(11);
        for (int i = 0; i < 10000; ++i) {
            // As the canvas does it: click selects one block (the previous one loses its selection),
            // the drag moves it one grid step, button up records the step.
            trovel::ActionBlock& b = *program.blocks[rng() % program.blocks.size()];
            trovel::clearSelection(program);
            b.flags |= trovel::FlagSelected | trovel::FlagChanged;
            b.anchorX = b.x;
            b.anchorY = b.y;
            b.x += 9;
            history.recordUndoStep(program);
        }
        const size_t after = heapInUse();
        state.counters["history_MB"] = static_cast<double>(after - before) / (1024.0 * 1024.0);
        state.counters["snapshots"] = static_cast<double>(history.snapshotCount());
    }
}
BENCHMARK(BM_UndoHistory10000Moves)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_UndoStep1000(benchmark::State& state) {
    trovel::BlockProgram program;
    trovel::bench::buildLargeProgram(program, 1000);
    trovel::OptionFlags flags;
    trovel::UndoHistory history(flags);
    history.resetHistory(program);
    for (int i = 0; i < 200; ++i) {
        program.blocks[static_cast<size_t>(i * 5)]->x += 9;
        history.recordUndoStep(program);
    }
    bool back = true;
    for (auto _ : state) {
        // Walk the whole history back and forth one step at a time.
        trovel::UndoStepResult r = back ? history.undo(program) : history.redo(program);
        if (!r.stepped) back = !back;
    }
}
BENCHMARK(BM_UndoStep1000)->Unit(benchmark::kMicrosecond);

}  // namespace
