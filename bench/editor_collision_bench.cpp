// One mouse-move step dragging 100 selected blocks with collision on, in a 1,000-block chart.
#include <benchmark/benchmark.h>

#include "editor/selection.h"
#include "editor_bench_programs.h"

namespace {

void BM_MoveStep100Of1000(benchmark::State& state) {
    trovel::BlockProgram program;
    trovel::bench::buildLargeProgram(program, 1000);
    for (size_t i = 0; i < program.blocks.size(); i += 10) program.blocks[i]->flags |= trovel::FlagSelected;
    trovel::Point origin{500, 500};
    int step = 0;
    int colliding = 0;
    for (auto _ : state) {
        // Back and forth by one grid step, so the chart stays where it is over many iterations.
        trovel::Point pointer{origin.x + ((step++ & 1) ? -9 : 9), origin.y};
        origin = trovel::moveSelection(program, origin, pointer, true);
        for (const auto& b : program.blocks) colliding += (b->flags & trovel::FlagColliding) != 0;
    }
    state.counters["selected"] = 100;
    state.counters["colliding_per_step"] = static_cast<double>(colliding) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MoveStep100Of1000)->Unit(benchmark::kMillisecond);

}  // namespace
