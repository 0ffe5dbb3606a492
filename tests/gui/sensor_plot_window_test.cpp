// The simulator's sensor plot as a teacher uses it: opened from the simulator's menu during a run
// of the line follower, frozen to read the values under the pointer, saved as CSV and as a picture.

#include "sim/simulator.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLineSeries>
#include <QScatterSeries>
#include <QtTest>

#include <filesystem>

#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "gui_test_support.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "sim/gui/sensor_plot_window.h"
#include "sim/gui/simulator_window.h"

using namespace trovel;
using trovel::test::testDir;

namespace {

std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(path.toStdU16String()); }

double valueOf(const TraceSample& s, int series) {
    if (series < PlotLeftWheel) return s.sensors[size_t(series)];
    if (series == PlotLeftWheel) return s.leftSpeed;
    if (series == PlotRightWheel) return s.rightSpeed;
    return s.variables[size_t(series - PlotFirstVariable)];
}

// The line through the series' points, read at time t (seconds): the point there, else the one before.
double lineAt(const QLineSeries& series, double t) {
    double value = -1;
    for (int i = 0; i < series.count() && series.at(i).x() <= t + 1e-9; ++i) value = series.at(i).y();
    return value;
}

}  // namespace

class SensorPlotWindowTest : public QObject {
    Q_OBJECT

    BlockProgram m_program;
    OptionFlags m_flags;

    std::unique_ptr<SimulatorWindow> openOnCourse1() {
        const LoadResult loaded =
            loadProgram(m_program, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples" / "line_follower.qxp");
        if (loaded.status != LoadStatus::Loaded) return nullptr;
        // Records and ghosts are written on close: into a folder of this test's own, never into the
        // shared application folder that other tests read at the same time.
        SimulatorHooks hooks;
        hooks.recordsDir = fsPath(testDir(QStringLiteral("sensor_plot_records")));
        auto window =
            std::make_unique<SimulatorWindow>(m_program, m_flags, std::filesystem::path(TROVEL_APP_DIR), hooks);
        window->setTicking(false);  // the test steps time itself
        window->courseAction(1)->trigger();
        return window;
    }
    static void ticks(SimulatorWindow& w, int n) {
        for (int i = 0; i < n; ++i) w.tick();
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void followsTheRunFreezesAndReadsValuesUnderThePointer() {
        auto w = openOnCourse1();
        QVERIFY(w && w->coursesLoaded());
        QVERIFY(!w->sensorPlot());
        w->actionById(SimCommand::SensorPlot)->trigger();
        SensorPlotWindow* plot = w->sensorPlot();
        QVERIFY(plot && plot->isVisible());
        ticks(*w, 20);  // stopped and at rest: nothing to record
        QCOMPARE(sampleCount(plot->trace()), size_t(0));

        w->actionById(SimCommand::Play)->trigger();
        ticks(*w, 300);
        plot->refresh();
        const std::vector<TraceSample>& shown = plot->shownSamples();
        QCOMPARE(shown.size(), size_t(300));
        QCOMPARE(shown.back().timeMs, 299u * 16);
        // At the usual size a column of the plot holds several ticks: a line keeps only real
        // samples, the lowest and highest of each column, and a mark per column.
        QVERIFY(plot->line(PlotLeftWheel)->count() < 200);
        for (const QPointF& p : plot->line(PlotLeftWheel)->points()) {
            const TraceSample* s = nearestSample(shown, p.x() * 1000);
            QCOMPARE(s->timeMs / 1000.0, p.x());
            QCOMPARE(double(s->leftSpeed), p.y());
        }
        const auto marked =
            std::count_if(shown.begin(), shown.end(), [](const TraceSample& s) { return s.block >= 0; });
        QVERIFY(marked > 10);
        QVERIFY(plot->marks()->count() > 5 && plot->marks()->count() <= marked);

        // Wide enough for a column to be narrower than a tick: every line passes through every
        // sample, and every block start has its mark.
        plot->resize(8000, 500);
        QCoreApplication::processEvents();
        // (The follower uses no variable: their lines stay hidden until one is not 0.)
        for (int series = 0; series < kPlotLineCount; ++series) {
            QCOMPARE(plot->line(series)->isVisible(), series < PlotFirstVariable);
            if (series >= PlotFirstVariable) continue;
            for (const TraceSample& s : shown)
                QCOMPARE(lineAt(*plot->line(series), s.timeMs / 1000.0), valueOf(s, series));
        }
        QCOMPARE(qsizetype(marked), plot->marks()->count());
        QVERIFY(std::any_of(shown.begin(), shown.end(), [](const TraceSample& s) { return s.sensors[0] > 100; }));

        // Frozen, the plot keeps what it showed while the simulator runs on; thawed, it catches up.
        plot->freezeAction()->trigger();
        ticks(*w, 50);
        plot->refresh();
        QCOMPARE(plot->shownSamples().size(), size_t(300));
        QCOMPARE(plot->line(PlotLeftSensor)->at(plot->line(PlotLeftSensor)->count() - 1).x(), 299 * 0.016);

        // The pointer on a block's mark: its time, the values there and the block's own label.
        const auto it = std::find_if(shown.rbegin(), shown.rend(), [](const TraceSample& s) { return s.block >= 0; });
        const TraceSample sample = *it;
        QChart* chart = plot->chartView()->chart();
        const QPointF at = chart->mapToPosition(QPointF(sample.timeMs / 1000.0, 100), plot->line(0));
        const QPoint viewPoint = plot->chartView()->mapFromScene(chart->mapToScene(at));
        QVERIFY(plot->showValuesAt(viewPoint));
        const QString text = plot->readout();
        QVERIFY2(text.startsWith(uiFormat(Str::PlotReadoutTime, {sample.timeMs / 1000.0})), qPrintable(text));
        QVERIFY2(text.contains(uiText(Str::PlotLeftSensor) + " " + QString::number(sample.sensors[0])),
                 qPrintable(text));
        const ActionBlock* block = blockAt(m_program, sample.block);
        QVERIFY(block && !block->name.empty());
        QVERIFY2(text.contains(toQString(block->name)), qPrintable(text));
        QVERIFY(!plot->showValuesAt(QPoint(1, 1)));  // outside the plot area

        plot->freezeAction()->trigger();
        QCOMPARE(plot->shownSamples().size(), size_t(350));
        w->close();
        QVERIFY(!plot->isVisible());
    }

    // Opened after a run, the plot still shows its last 30 s; the next 再生 starts a new trace at 0 s.
    void opensAfterTheRunWithItsLastThirtySeconds() {
        auto w = openOnCourse1();
        QVERIFY(w && w->coursesLoaded());
        w->actionById(SimCommand::Play)->trigger();
        ticks(*w, 2000);
        w->actionById(SimCommand::Pause)->trigger();
        w->actionById(SimCommand::SensorPlot)->trigger();
        SensorPlotWindow* plot = w->sensorPlot();
        QVERIFY(plot);
        plot->refresh();
        QCOMPARE(plot->shownSamples().size(), kTraceCapacity);
        QCOMPARE(plot->shownSamples().back().timeMs, 1999u * 16);

        w->actionById(SimCommand::Stop)->trigger();
        w->actionById(SimCommand::Play)->trigger();
        ticks(*w, 10);
        plot->refresh();
        QCOMPARE(plot->shownSamples().size(), size_t(10));
        QCOMPARE(plot->shownSamples().front().timeMs, 0u);
    }

    void savesCsvAndPictureAndSaysSoWhenItCannot() {
        auto w = openOnCourse1();
        QVERIFY(w);
        w->actionById(SimCommand::SensorPlot)->trigger();
        SensorPlotWindow* plot = w->sensorPlot();
        w->actionById(SimCommand::Play)->trigger();
        ticks(*w, 120);
        plot->freezeAction()->trigger();

        const QString dir = testDir("sensor_plot_export");
        plot->setFileChooser([&](const QString&, const QString&, const QString& name) { return dir + "/" + name; });
        plot->csvAction()->trigger();
        QFile csv(dir + "/sensors.csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray text = csv.readAll();
        QCOMPARE(text.count('\n'), 121);
        QCOMPARE(text.toStdString(), traceCsv(plot->shownSamples()));

        plot->pngAction()->trigger();
        QImage picture(dir + "/sensors.png");
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), plot->chartView()->grab().size());

        // A folder that does not exist: a message, and nothing reported as written.
        plot->setFileChooser([&](const QString&, const QString&, const QString&) { return dir + "/missing/x.csv"; });
        test::ScriptedAnswers answers;
        answers.buttons << QMessageBox::Ok;
        plot->setAsker(answers.asker());
        plot->csvAction()->trigger();
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts.front().contains("missing"), qPrintable(answers.texts.front()));
        QVERIFY(!QFile::exists(dir + "/missing/x.csv"));
    }
};

QTEST_MAIN(SensorPlotWindowTest)
#include "sensor_plot_window_test.moc"
