// The editor's drawing costs: a full redraw of a 1,000-block chart and one drag step of 100 selected
// blocks with block collision on, both with the shipped block images.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/app_config.h"
#include "base/locale_id.h"
#include "app/gui/studio_setup.h"
#include "base/gui/ui_text.h"
#include "editor/gui/chart_drawing.h"
#include "editor/gui/program_area.h"
#include "model/option_flags.h"

using namespace trovel;

namespace {

const BlockType kMix[] = {BlockType::Forward,   BlockType::TurnLeft,     BlockType::Branch, BlockType::Wait,
                          BlockType::LeftLed,   BlockType::RandomBranch, BlockType::Stop,   BlockType::Calc,
                          BlockType::TurnRight, BlockType::RightLed};

// `count` blocks in rows of `columns`, `pitchX` x `pitchY` apart, each linked to the next, branches
// also to the block two further on.
void buildChart(BlockProgram& program, int count, int columns, int pitchX, int pitchY) {
    clear(program);
    for (int i = 0; i < count; ++i) {
        auto b = std::make_unique<ActionBlock>();
        b->type = kMix[i % 10];
        const BlockSize size = blockSize(b->type);
        b->width = size.width;
        b->height = size.height;
        b->x = (i % columns) * pitchX;
        b->y = (i / columns) * pitchY;
        b->param = defaultParams(b->type);
        b->bend = {13, 27};
        append(program, std::move(b));
    }
    for (int i = 0; i + 1 < count; ++i) {
        program.blocks[static_cast<size_t>(i)]->next[0] = program.blocks[static_cast<size_t>(i + 1)].get();
        if (hasSecondOutput(program.blocks[static_cast<size_t>(i)]->type) && i + 2 < count)
            program.blocks[static_cast<size_t>(i)]->next[1] = program.blocks[static_cast<size_t>(i + 2)].get();
    }
}

ChartStyle shippedStyle() {
    AppConfig config;
    const StartupResult startup = loadAppFolder(TROVEL_APP_DIR, kLcidJapanese, config);
    if (!startup.ok) return defaultChartStyle(chartTextSources({}, {}));
    return chartStyleFromConfig(config);
}

// A chart laid out as pupils do (blocks 126 x 99 apart, 20 a row): the 2048 x 2048 back buffer shows
// about a third of it; the rest is culled. Second case: all 1,000 blocks crammed into the buffer,
// overlapping, the worst a chart can be.
void BM_FullRedraw1000Blocks(benchmark::State& state) {
    BlockProgram program;
    if (state.range(0) == 0) buildChart(program, 1000, 20, 126, 99);
    else buildChart(program, 1000, 16, 120, 30);
    const ChartStyle style = shippedStyle();
    QImage buffer(kBackBufferSide, kBackBufferSide, QImage::Format_RGB32);
    ChartView view;
    view.client = QSize(kBackBufferSide, kBackBufferSide);
    ChartDrawCache cache;  // kept from paint to paint, as the program area keeps its own
    for (auto _ : state) {
        QPainter painter(&buffer);
        drawChart(painter, program, style, 0, view, cache);
        painter.end();
        benchmark::DoNotOptimize(buffer.constBits());
    }
    int inBuffer = 0;
    for (const auto& b : program.blocks) inBuffer += b->x < kBackBufferSide && b->y < kBackBufferSide;
    state.counters["blocks_in_buffer"] = inBuffer;
    state.counters["skins"] = static_cast<double>(style.skins.size());
}
BENCHMARK(BM_FullRedraw1000Blocks)->ArgName("crammed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One mouse move of the drag and the full repaint it asks for, in a window of 1280 x 800.
void BM_DragStep100SelectedWithCollision(benchmark::State& state) {
    BlockProgram program;
    buildChart(program, 1000, 20, 126, 99);
    for (int i = 0; i < 100; ++i) program.blocks[static_cast<size_t>(i * 10)]->flags |= FlagSelected;
    OptionFlags flags;
    flags.set(Option::BlockCollision);
    ProgramArea area(program, shippedStyle(), flags);
    area.resize(1280, 800);
    area.show();
    const ActionBlock* grip = program.blocks[0].get();
    QPoint at(grip->x + 20, grip->y + 40);
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(p), QPointF(area.viewport()->mapToGlobal(p)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(area.viewport(), &event);
    };
    send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        at += QPoint(step % 2 ? -9 : 9, 0);
        ++step;
        send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        benchmark::DoNotOptimize(area.redrawBackBuffer().constBits());
    }
    send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
BENCHMARK(BM_DragStep100SelectedWithCollision)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
