// hitTest over a 1,000-block chart at points spread over the whole chart.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "editor/hit_test.h"
#include "editor_bench_programs.h"

namespace {

void BM_HitTest1000(benchmark::State& state) {
    trovel::BlockProgram program;
    trovel::bench::buildLargeProgram(program, 1000);
    std::mt19937 rng(7);
    std::vector<trovel::Point> points(4096);
    for (auto& pt : points) pt = {static_cast<int>(rng() % 3600), static_cast<int>(rng() % 4200)};
    size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        const trovel::Point pt = points[i++ & 4095];
        trovel::HitResult r = trovel::hitTest(program, pt.x, pt.y);
        hits += r.code != trovel::HitCode::Nothing;
        benchmark::DoNotOptimize(r);
    }
    state.counters["blocks"] = static_cast<double>(program.blocks.size());
    state.counters["hit_ratio"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HitTest1000)->Unit(benchmark::kMicrosecond);

// The worst case: a point that touches nothing, so every block and output is tried.
void BM_HitTest1000Miss(benchmark::State& state) {
    trovel::BlockProgram program;
    trovel::bench::buildLargeProgram(program, 1000);
    for (auto _ : state) benchmark::DoNotOptimize(trovel::hitTest(program, 100000, 100000));
}
BENCHMARK(BM_HitTest1000Miss)->Unit(benchmark::kMicrosecond);

}  // namespace
