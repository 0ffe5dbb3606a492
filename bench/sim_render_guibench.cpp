// How long the simulator window spends per 16 ms tick: the frame step plus drawing the draw list
// into the 700 x 500 back buffer, on a shipped course, zoomed out and zoomed in.

#include <QAction>
#include <QApplication>
#include <QPainter>

#include <filesystem>

#include "model/program_file.h"
#include "sim/lap_records.h"
#include "sim/run_setup.h"
#include "sim/sim_frame.h"
#include "sim/sim_view_state.h"
#include "sim/simulator.h"

#include <benchmark/benchmark.h>

#include "model/option_flags.h"
#include "sim/gui/sim_renderer.h"
#include "sim/gui/simulator_window.h"
#include "sim/gui/sim_textures.h"

using namespace trovel;

namespace {

// The world with what the window keeps beside it, a tick followed as the window follows it.
struct Shown {
    Simulator sim;
    SimViewState view;
    LapRecords records;

    // The simulator opened on `course` and 再生 pressed, zoomed to `zoom`.
    void play(const BlockProgram& program, int course, float zoom) {
        prepareRun(sim, program, RunOptions{.course = course});
        resetView(view);
        showRunStarted(view, sim);
        setZoom(view, zoom);
    }
    void step() {
        const TickEvents events = stepSimulation(sim);
        const bool record = events.goal && offerLap(records, sim.course, events.lapMs, sim.lapPoses);
        showTick(view, sim, events, record);
    }
    DrawList drawList() const { return buildFrame(sim, view, records); }
};

struct Scene : Shown {
    BlockProgram program;
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
        play(program, 2, zoom);
    }
};

void tickAndDraw(benchmark::State& state, float zoom) {
    Scene scene(zoom);
    for (auto _ : state) {
        scene.step();
        renderDrawList(scene.frame, scene.drawList(), scene.view.camera, scene.textures);
        benchmark::DoNotOptimize(scene.frame.constBits());
        // Keep the robot on the field: back to the start now and then.
        if (scene.sim.ticks % 200 == 0) rearm(scene.sim);
    }
    state.counters["items"] = double(scene.drawList().items.size());
}

void BM_TickAndDrawZoomedOut(benchmark::State& state) { tickAndDraw(state, kZoomOut); }
void BM_TickAndDrawZoom4(benchmark::State& state) { tickAndDraw(state, 4); }

void BM_DrawOnly(benchmark::State& state) {
    Scene scene(kZoomOut);
    scene.step();
    const DrawList frame = scene.drawList();
    for (auto _ : state) {
        renderDrawList(scene.frame, frame, scene.view.camera, scene.textures);
        benchmark::DoNotOptimize(scene.frame.constBits());
    }
}

// A frame with the path shown after `ticks` ticks of driving: drawn whole (a new band scale, or
// the first frame) and drawn on from the last frame (one tick more, the course layer kept).
void drawWithPath(benchmark::State& state, bool whole) {
    Scene scene(kZoomOut);
    scene.view.showPath = true;
    for (int64_t i = 0; i < state.range(0); ++i) {
        scene.step();
        if (scene.sim.ticks % 200 == 0) {  // round and round near the start, as a lapping robot does
            const RunPath kept = scene.sim.path;
            rearm(scene.sim);
            scene.sim.path = kept;
        }
    }
    CourseLayerCache cache;
    DrawList frame = scene.drawList();
    renderDrawList(scene.frame, frame, scene.view.camera, scene.textures, cache);
    for (auto _ : state) {
        if (whole) {
            CourseLayerCache fresh;
            renderDrawList(scene.frame, frame, scene.view.camera, scene.textures, fresh);
        } else {
            state.PauseTiming();
            const CourseLayerCache before = cache;
            scene.step();
            DrawList next = scene.drawList();
            state.ResumeTiming();
            renderDrawList(scene.frame, next, scene.view.camera, scene.textures, cache);
            state.PauseTiming();
            cache = before;  // the same growth again next time round
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(scene.frame.constBits());
    }
    state.counters["points"] = double(scene.sim.path.points.size());
}
void BM_DrawPathWhole(benchmark::State& state) { drawWithPath(state, true); }
void BM_DrawPathGrown(benchmark::State& state) { drawWithPath(state, false); }

// One tick of the window running the shipped line follower on the timed course 1 at normal speed:
// step, build the frame, draw what changed into the kept back buffer and copy the changed pieces to
// a view `viewWidth` wide (7 : 5), as its paint does. The back buffer holds 700 x 500 drawing pixels
// at the view's own resolution when `matched`, else at one pixel each, scaled by the copy.
void runningFrame(benchmark::State& state, int viewWidth, bool matched, float zoom = kZoomOut) {
    BlockProgram program;
    if (!loadProgram(program, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples/line_follower.qxp").ok()) {
        state.SkipWithError("line_follower.qxp did not load");
        return;
    }
    Shown shown;
    Simulator& sim = shown.sim;
    const SimCamera& camera = shown.view.camera;
    SimTextures textures;
    loadCourseConfig(sim.courses, TROVEL_APP_DIR, textures.loader());
    shown.play(program, 1, zoom);
    const qreal ratio = matched ? qreal(viewWidth) / kScreenWidth : 1;
    QImage frame = makeBackBuffer(ratio);
    QImage view(frame.width(), frame.height(), QImage::Format_ARGB32_Premultiplied);
    if (!matched) view = QImage(viewWidth, viewWidth * 5 / 7, QImage::Format_ARGB32_Premultiplied);
    CourseLayerCache cache;
    DrawList drawn = shown.drawList();
    renderDrawList(frame, drawn, camera, textures, cache);
    double pixels = 0;
    const double s = double(viewWidth) / kScreenWidth;
    for (auto _ : state) {
        shown.step();
        DrawList next = shown.drawList();
        renderDrawList(frame, next, camera, textures, cache);
        QPainter p(&view);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        for (const QRectF& piece : changedAreas(drawn, next, camera)) {
            const QRectF shown(piece.x() * s, piece.y() * s, piece.width() * s, piece.height() * s);
            if (matched) p.drawImage(QRectF(shown.toAlignedRect()), frame, QRectF(shown.toAlignedRect()));
            else p.drawImage(shown, frame, piece);
            pixels += shown.width() * shown.height();
        }
        drawn = std::move(next);
        if (sim.judge.result != RunResult::Armed) shown.play(program, 1, zoom);
    }
    state.counters["view_px"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
}
void BM_RunningFrame(benchmark::State& state) { runningFrame(state, int(state.range(0)), state.range(1) != 0); }
// Zoomed in, a large window: the camera follows the robot, so the whole view changes every tick.
void BM_RunningFrameZoomed(benchmark::State& state) { runningFrame(state, int(state.range(0)), true, 2); }

// One tick of the simulator window itself running the line follower on course 1, painted and shown
// (on the offscreen platform: no window system's own copy): the default window zoomed out, and a
// large window (1000 x 785) zoomed in x2, whose camera follows the robot so every tick is new
// everywhere. CPU time of the whole process, Qt's drawing threads included; at 62.5 ticks a second,
// 160 us of it a tick is 1 % of one core.
void windowTick(benchmark::State& state, QSize size, SimCommand zoomCommand) {
    BlockProgram program;
    if (!loadProgram(program, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples/line_follower.qxp").ok()) {
        state.SkipWithError("line_follower.qxp did not load");
        return;
    }
    OptionFlags options;
    // The machine's clock, with a tick's 16 ms passing between the ticks run back to back here: the
    // window then draws each frame as it would while the pupil watches.
    std::chrono::nanoseconds waited{0};
    SimulatorHooks hooks;
    hooks.clock.now = [&] { return std::chrono::steady_clock::now().time_since_epoch() + waited; };
    hooks.clock.arm = [](int) {};
    SimulatorWindow window(program, options, TROVEL_APP_DIR, std::move(hooks));
    window.setTicking(false);
    if (size.isValid()) window.resize(size);
    window.show();
    window.courseAction(1)->trigger();
    window.actionById(zoomCommand)->trigger();
    window.actionById(SimCommand::Play)->trigger();
    QCoreApplication::processEvents();
    const int drawnBefore = window.framesDrawn();
    for (auto _ : state) {
        waited += std::chrono::milliseconds(kSimTickMs);
        window.tick();
        QCoreApplication::processEvents();
        // Round the course again and again: back to the start after each lap's worth of ticks.
        if (window.simulator().ticks % 1200 == 0) {
            window.actionById(SimCommand::Stop)->trigger();
            window.actionById(SimCommand::Stop)->trigger();
            window.actionById(SimCommand::Play)->trigger();
        }
    }
    state.counters["drawn"] =
        benchmark::Counter(window.framesDrawn() - drawnBefore, benchmark::Counter::kAvgIterations);
}
void BM_WindowTickDefault(benchmark::State& state) { windowTick(state, QSize(), SimCommand::ZoomOut); }
void BM_WindowTickLargeZoomed(benchmark::State& state) { windowTick(state, QSize(1000, 785), SimCommand::ZoomIn2); }

}  // namespace

BENCHMARK(BM_WindowTickDefault)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_WindowTickLargeZoomed)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_RunningFrame)
    ->ArgNames({"view", "matched"})
    ->ArgsProduct({{455, 910}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunningFrameZoomed)->ArgName("view")->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawPathWhole)->Arg(600)->Arg(6000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawPathGrown)->Arg(6000)->Unit(benchmark::kMillisecond);
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
