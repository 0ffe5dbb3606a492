// What the sensor plot costs: the simulator window running a line follower at normal speed in real
// time, with and without the plot open, as the share of one core the whole process uses. Meant for
// a real display (xvfb-run), with the plot's 30 s already full; --plot-picture=FILE also saves a picture of the plot at the end.

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "model/option_flags.h"
#include "sim/gui/sensor_plot_window.h"
#include "sim/gui/simulator_window.h"
#include "sim/simulator.h"

using namespace trovel;

namespace {

QString g_picture;
constexpr int kSeconds = 10;

double cpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Counts the thread time spent handling events sent to the plot window or anything inside it
// (its timer, chart scene, views): the plot's own share of the process, free of the noise of a
// shared machine that a difference of two runs carries.
class MeasuringApplication : public QApplication {
public:
    using QApplication::QApplication;
    QObject* watched = nullptr;
    double seconds = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        if (m_inside || !watched || !within(receiver)) return QApplication::notify(receiver, event);
        m_inside = true;
        const double start = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const bool result = QApplication::notify(receiver, event);
        seconds += cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
        m_inside = false;
        return result;
    }

private:
    bool within(QObject* o) const {
        for (; o; o = o->parent())
            if (o == watched) return true;
        return false;
    }
    bool m_inside = false;
};

ActionBlock* add(BlockProgram& p, BlockType type, std::array<uint8_t, 10> params) {
    auto b = std::make_unique<ActionBlock>();
    b->type = type;
    b->param = params;
    b->name = std::u16string(blockCaption(type));
    return append(p, std::move(b));
}

// Two sensors: the one over the line turns the robot toward it; a variable counts the turns.
void lineFollower(BlockProgram& p) {
    newProgram(p);
    ActionBlock* start = head(p);
    ActionBlock* left = add(p, BlockType::Branch, {0, 2, 80, 0, 0});
    ActionBlock* turnLeft = add(p, BlockType::TurnLeft, {0, 1});
    ActionBlock* right = add(p, BlockType::Branch, {1, 2, 80, 0, 0});
    ActionBlock* turnRight = add(p, BlockType::TurnRight, {0, 1});
    ActionBlock* count = add(p, BlockType::Calc, {0, 1, 0, 0, 1});
    ActionBlock* forward = add(p, BlockType::Forward, {0, 1});
    start->next[0] = left;
    left->next = {turnLeft, right};
    right->next = {count, forward};
    count->next[0] = turnRight;
    turnLeft->next[0] = left;
    turnRight->next[0] = left;
    forward->next[0] = left;
}

void runFor(benchmark::State& state, bool withPlot) {
    BlockProgram program;
    lineFollower(program);
    OptionFlags flags;
    for (auto _ : state) {
        SimulatorWindow window(program, flags, TROVEL_APP_DIR);
        window.show();
        window.courseAction(1)->trigger();
        if (withPlot) window.actionById(SimCommand::SensorPlot)->trigger();
        window.actionById(SimCommand::Play)->trigger();
        // 35 s of the run stepped at once: the plot holds a full window from the start.
        window.setTicking(false);
        for (int i = 0; i < 35000 / kSimTickMs; ++i) window.tick();
        window.setTicking(true);
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);  // settle: windows mapped, first frames drawn
        loop.exec();
        auto* app = static_cast<MeasuringApplication*>(QCoreApplication::instance());
        app->watched = window.sensorPlot();
        app->seconds = 0;
        const double cpu0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const auto wall0 = std::chrono::steady_clock::now();
        QTimer::singleShot(kSeconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = 100 * cpu / wall;
        if (withPlot) state.counters["plot_cpu_percent"] = 100 * app->seconds / wall;
        app->watched = nullptr;
        state.counters["ticks"] = double(window.simulator().ticks);
        state.counters["result"] = window.simulator().judge.result;
        if (withPlot) {
            SensorPlotWindow* plot = window.sensorPlot();
            state.counters["samples"] = double(plot->shownSamples().size());
            if (!g_picture.isEmpty()) {
                // Frozen, with the values under a pointer two thirds along the plot.
                plot->setFrozen(true);
                const QRect view = plot->findChild<QWidget*>(QStringLiteral("sensorPlotView"))->rect();
                plot->showValuesAt(QPoint(view.width() * 2 / 3, view.height() / 2));
                QCoreApplication::processEvents();
                QPixmap shot = plot->screen()->grabWindow(plot->winId());
                if (shot.isNull() || shot.width() < 2) shot = plot->grab();
                shot.save(g_picture);
            }
        }
    }
}

void BM_SimulatorAlone(benchmark::State& state) { runFor(state, false); }
void BM_SimulatorWithPlot(benchmark::State& state) { runFor(state, true); }

}  // namespace

BENCHMARK(BM_SimulatorAlone)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SimulatorWithPlot)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    MeasuringApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--plot-picture=", 0) == 0) g_picture = QString::fromStdString(arg.substr(15));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
