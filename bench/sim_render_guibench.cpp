// How long the simulator window spends per 16 ms tick: the frame step plus drawing the draw list
// into the 700 x 500 back buffer, on a shipped course, zoomed out and zoomed in.

#include <QApplication>

#include "sim/run_setup.h"
#include "sim/sim_frame.h"
#include "sim/simulator.h"

#include <benchmark/benchmark.h>

#include "sim/gui/sim_renderer.h"
#include "sim/gui/sim_textures.h"

using namespace trovel;

namespace {

struct Scene {
    BlockProgram program;
    Simulator sim;
    SimTextures textures;
    QImage frame = makeBackBuffer();

    explicit Scene(float zoom) {
        newProgram(program);
        ActionBlock* start = head(program);
        auto forward = std::make_unique<ActionBlock>();
        forward->type = BlockType::Forward;
        forward->param[1] = 1;
        ActionBlock* f = append(program, std::move(forward));
        f->next[0] = f;  // drives on for ever
        start->next[0] = f;
        loadCourseConfig(sim.courses, TROVEL_APP_DIR, textures.loader());
        setUpRun(sim, program, RunOptions{.course = 2});
        setZoom(sim, zoom);
    }
};

void tickAndDraw(benchmark::State& state, float zoom) {
    Scene scene(zoom);
    for (auto _ : state) {
        stepSimulation(scene.sim, scene.program);
        renderDrawList(scene.frame, buildFrame(scene.sim), scene.sim.camera, scene.textures);
        benchmark::DoNotOptimize(scene.frame.constBits());
        // Keep the robot on the field: back to the start now and then.
        if (scene.sim.ticks % 200 == 0) rearm(scene.sim);
    }
    state.counters["items"] = double(buildFrame(scene.sim).items.size());
}

void BM_TickAndDrawZoomedOut(benchmark::State& state) { tickAndDraw(state, kZoomOut); }
void BM_TickAndDrawZoom4(benchmark::State& state) { tickAndDraw(state, 4); }

void BM_DrawOnly(benchmark::State& state) {
    Scene scene(kZoomOut);
    stepSimulation(scene.sim, scene.program);
    const DrawList frame = buildFrame(scene.sim);
    for (auto _ : state) {
        renderDrawList(scene.frame, frame, scene.sim.camera, scene.textures);
        benchmark::DoNotOptimize(scene.frame.constBits());
    }
}

}  // namespace

BENCHMARK(BM_TickAndDrawZoomedOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickAndDrawZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawOnly)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
