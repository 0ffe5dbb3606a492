// The simulator window used as a pupil would: course choice, 再生 / 停止 / 一時停止, the repeat
// question, dragging the robot, the record dialog and record.dat, on a copy of the shipped folder.

#include "sim/course_install.h"
#include "sim/lap_ghost.h"
#include "sim/lap_record_file.h"
#include "sim/lap_records.h"
#include "sim/sim_speed.h"
#include "sim/sim_view_state.h"
#include "sim/simulator.h"

#include <QAction>
#include <QDirIterator>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#ifdef TROVEL_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QMediaDevices>
#endif

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "gui_test_support.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "sim/gui/record_dialog.h"
#include "sim/gui/sim_sound.h"
#include "sim/gui/sim_view.h"
#include "sim/gui/simulator_window.h"

using namespace trovel;
using trovel::test::addBlock;
using trovel::test::ModalAnswerer;
using trovel::test::testDir;

namespace {

std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(path.toStdU16String()); }

// A private copy of the parts of the application folder the simulator reads.
QString copyAppFolder(const QString& name, bool withTextureIni = true) {
    const QString to = testDir(name);
    const QDir from(QStringLiteral(TROVEL_APP_DIR));
    for (const QString& sub : {QStringLiteral("sim"), QStringLiteral("course"), QStringLiteral("sound")}) {
        QDir().mkpath(to + "/" + sub);
        for (const QString& file : QDir(from.filePath(sub)).entryList(QDir::Files))
            QFile::copy(from.filePath(sub + "/" + file), to + "/" + sub + "/" + file);
    }
    if (withTextureIni) QFile::copy(from.filePath("texture.ini"), to + "/texture.ini");
    return to;
}

void link(ActionBlock* from, ActionBlock* to, int output = 0) { from->next[size_t(output)] = to; }

// Start -> one motion block -> End; a block that keeps going loops on itself so the run never ends.
ActionBlock* straightProgram(BlockProgram& program, BlockType type, uint8_t tenths, bool keepGoing) {
    newProgram(program);
    ActionBlock* start = head(program);
    ActionBlock* end = start->next[0];
    ActionBlock* move = addBlock(program, type, 27, 99);
    move->param[0] = tenths;
    move->param[1] = keepGoing ? 1 : 0;
    link(start, move);
    link(move, keepGoing ? move : end);
    return move;
}

using namespace std::chrono_literals;

// The window's clock in the test's hands: time moves only when the test moves it, and an armed tick
// runs when its time has come, so the test counts ticks exactly however loaded the machine is.
struct FakeTickClock {
    std::chrono::nanoseconds time{};
    std::chrono::nanoseconds readCost{};  // each reading moves time on: work that takes time
    std::optional<std::chrono::nanoseconds> due;
    SimulatorWindow* window = nullptr;

    SimTickClock clock() {
        return {[this] { return std::exchange(time, time + readCost); },
                [this](int ms) {
                    if (ms >= 0) due = time + std::chrono::milliseconds(ms);
                    else due.reset();
                }};
    }
    // Time moves on by `span` with the event loop free: every tick that falls due meanwhile runs, at
    // its time or, when time went on without the loop, at once. Returns the ticks run.
    int advance(std::chrono::nanoseconds span) {
        const std::chrono::nanoseconds until = time + span;
        int ran = 0;
        while (due && *due <= until) {
            time = std::max(time, *due);
            due.reset();
            window->tick();
            ++ran;
        }
        time = std::max(time, until);
        return ran;
    }
    // The event loop is held up meanwhile, as by a slow repaint of another window: no tick runs.
    void hold(std::chrono::nanoseconds span) { time += span; }
};

int32_t storedTime(const QString& appDir, size_t course) {
    const RecordsRead read = readRecordsFile(fsPath(appDir) / "record.dat");
    return read.status == RecordStatus::Read && course < read.times.size() ? read.times[course] : -1;
}

}  // namespace

class SimulatorWindowTest : public QObject {
    Q_OBJECT

    BlockProgram m_program;
    OptionFlags m_flags;
    std::vector<const ActionBlock*> m_highlighted;
    int m_chartRedraws = 0;
    std::optional<std::array<uint8_t, 2>> m_gains;  // the motor settings the window asks for, when set
    FakeTickClock m_clock;                          // every window's but one, which keeps the machine's

    std::unique_ptr<SimulatorWindow> open(const QString& appDir, Asker asker = {}, bool machineClock = false) {
        m_highlighted.clear();
        m_chartRedraws = 0;
        SimulatorHooks hooks;
        hooks.gains = m_gains;
        hooks.asker = std::move(asker);
        if (!machineClock) hooks.clock = m_clock.clock();
        auto window = std::make_unique<SimulatorWindow>(m_program, m_flags, fsPath(appDir), hooks);
        connect(window.get(), &SimulatorWindow::runningBlockChanged, this,
                [this](ActionBlock* b) { m_highlighted.push_back(b); });
        connect(window.get(), &SimulatorWindow::repeatChecked, this, [this] { ++m_chartRedraws; });
        m_clock.window = window.get();
        window->setTicking(false);  // the test steps time itself
        return window;
    }
    static void ticks(SimulatorWindow& w, int n) {
        for (int i = 0; i < n; ++i) w.tick();
    }
    static void press(SimulatorWindow& w, SimCommand command) {
        QAction* action = w.actionById(command);
        QVERIFY2(action, qPrintable(QString::number(static_cast<int>(command))));
        action->trigger();
    }

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() {
        newProgram(m_program);
        m_flags.reset(0);
        m_gains.reset();
        m_clock = FakeTickClock{};
    }

    void opensOnTheShippedCoursesAndMarksItselfOpen() {
        const QString app = copyAppFolder("open");
        {
            auto w = open(app, {}, true);
            QVERIFY(w->coursesLoaded());
            QVERIFY(m_flags.has(Option::SimulatorOpen));
            QVERIFY(!w->windowIcon().isNull());
            const Simulator& sim = w->simulator();
            QCOMPARE(courseCount(sim.courses), 4);
            QCOMPARE(w->windowTitle(), QStringLiteral("Trovel Simulator   [") +
                                           QString::fromStdU16String(sim.courses.courses[0].name) + "]");
            for (int i = 0; i < 4; ++i) QVERIFY(w->courseAction(i));
            QVERIFY(w->courseAction(0)->isChecked());
            QVERIFY(w->actionById(SimCommand::NormalSpeed)->isChecked());
            QVERIFY(w->actionById(SimCommand::ZoomOut)->isChecked());
            // Course 0 start pose from texture.ini: (-100, 170), heading 0.
            QCOMPARE(sim.robot.x, -100.0f);
            QCOMPARE(sim.robot.y, 170.0f);

            w->courseAction(2)->trigger();
            QCOMPARE(w->simulator().course, 2);
            QVERIFY(w->courseAction(2)->isChecked());
            QVERIFY(!w->courseAction(0)->isChecked());
            QVERIFY(w->windowTitle().endsWith(QString::fromStdU16String(sim.courses.courses[2].name) + "]"));
            QCOMPARE(w->simulator().robot.x, -290.0f);
            // The machine's clock and a 16 ms timer step the simulation by themselves.
            w->setTicking(true);
            QTRY_VERIFY(w->simulator().ticks >= 5);
            w->close();
            QVERIFY(!w->ticking());
            QVERIFY(!m_flags.has(Option::SimulatorOpen));
        }
        // The window was closed once; destroying it must not write or clear anything twice.
        QVERIFY(QFile::exists(app + "/record.dat"));
    }

    // Every course has a menu item of its own, however many the teacher installs, and the other
    // commands keep theirs.
    void manyUserCoursesEachHaveTheirOwnItem() {
        const QString app = copyAppFolder("many_courses");
        const std::filesystem::path dir = app.toStdString();
        for (int i = 0; i < 14; ++i) {
            const std::filesystem::path file = dir / ("line" + std::to_string(i) + ".course");
            std::ofstream(file) << "TROVEL-COURSE 1\nname-ja \"c" << i << "\"\nstart 0 0 0\nline -200 0 200 0\nend\n";
            QVERIFY(installCourseFile(file, dir).ok());
        }
        auto w = open(app);
        QCOMPARE(courseCount(w->simulator().courses), 18);
        w->courseAction(16)->trigger();
        QCOMPARE(w->simulator().course, 16);
        QVERIFY(w->courseAction(16)->isChecked());
        bool sawRecords = false;
        test::ModalAnswerer records([&](QWidget* d) {
            if (!qobject_cast<RecordDialog*>(d)) return false;
            sawRecords = true;
            static_cast<QDialog*>(d)->reject();
            return true;
        });
        press(*w, SimCommand::Records);
        QVERIFY(sawRecords);
        QCOMPARE(w->simulator().course, 16);
        w->close();
    }

    // A stopped simulator draws nothing further; a running one draws every tick.
    void onlyAChangedPictureIsDrawn() {
        straightProgram(m_program, BlockType::Forward, 10, false);
        auto w = open(copyAppFolder("calm"));
        ticks(*w, 3);
        const int settled = w->framesDrawn();
        QVERIFY(settled >= 1);
        const QImage still = w->frame();
        ticks(*w, 60);
        QCOMPARE(w->framesDrawn(), settled);
        QCOMPARE(w->frame(), still);
        press(*w, SimCommand::ZoomIn2);
        ticks(*w, 2);
        QVERIFY(w->framesDrawn() > settled);
        press(*w, SimCommand::Play);
        const int beforeRun = w->framesDrawn();
        ticks(*w, 20);
        QVERIFY(w->framesDrawn() >= beforeRun + 19);
        // A frame that costs more than its share of the time is shown every other tick while running;
        // paused, every step is shown.
        m_clock.readCost = 1ms;
        ticks(*w, 2);
        const int costly = w->framesDrawn();
        ticks(*w, 20);
        QCOMPARE(w->framesDrawn(), costly + 10);
        press(*w, SimCommand::Pause);
        const int paused = w->framesDrawn();
        for (int i = 0; i < 3; ++i) press(*w, SimCommand::StepTick);
        QCOMPARE(w->framesDrawn(), paused + 3);
    }

    void playDrivesTheRobotAndTheEditorFollowsTheBlocks() {
        ActionBlock* forward = straightProgram(m_program, BlockType::Forward, 10, false);
        auto w = open(copyAppFolder("play"));
        const float x0 = w->simulator().robot.x;
        press(*w, SimCommand::Play);
        QCOMPARE(w->simulator().state, SimState::Running);
        ticks(*w, 20);
        // Heading 0 faces +x: the robot drives right, straight.
        QVERIFY(w->simulator().robot.x > x0 + 40);
        QCOMPARE(w->simulator().robot.y, 170.0f);
        QVERIFY(!m_highlighted.empty());
        QCOMPARE(m_highlighted.back(), forward);
        // 1.0 s of Forward is 62 ticks, one tick to stop the motors, then End, then no block.
        ticks(*w, 60);
        QCOMPARE(m_highlighted.back(), m_program.blocks[1].get());  // End
        QCOMPARE(w->simulator().state, SimState::Stopped);
        QCOMPARE(int(w->simulator().memory[MemoryMap::LeftWheel]), 0);
    }

    void stopPauseAndTheSecondStopRearm() {
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("stop"));
        press(*w, SimCommand::Pause);  // nothing while stopped
        QCOMPARE(w->simulator().state, SimState::Stopped);
        press(*w, SimCommand::Play);
        ticks(*w, 10);
        press(*w, SimCommand::Pause);
        QCOMPARE(w->simulator().state, SimState::Paused);
        const float x = w->simulator().robot.x;
        ticks(*w, 10);
        QCOMPARE(w->simulator().robot.x, x);  // paused: no motion
        press(*w, SimCommand::Pause);
        QCOMPARE(w->simulator().state, SimState::Running);
        ticks(*w, 2);
        QVERIFY(w->simulator().robot.x > x);

        press(*w, SimCommand::Stop);
        QCOMPARE(w->simulator().state, SimState::Stopped);
        // The wheels still slow down: a second 停止 does nothing yet.
        press(*w, SimCommand::Stop);
        QVERIFY(w->simulator().robot.x > -100.0f);
        ticks(*w, 5);
        press(*w, SimCommand::Stop);
        QCOMPARE(w->simulator().robot.x, -100.0f);
        QCOMPARE(w->simulator().robot.y, 170.0f);
    }

    void choosingACourseDuringARunStopsItOnTheNewStartLine() {
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("coursechange"));
        press(*w, SimCommand::Play);
        ticks(*w, 30);
        QVERIFY(w->simulator().robot.x > -100.0f + 20);
        w->courseAction(3)->trigger();
        const Simulator& sim = w->simulator();
        QCOMPARE(sim.state, SimState::Stopped);
        QCOMPARE(sim.course, 3);
        // Course 3 starts at (42, -42) facing -45 degrees.
        QCOMPARE(sim.robot.x, 42.0f);
        QCOMPARE(sim.robot.y, -42.0f);
        QCOMPARE(sim.robot.heading, sim.courses.courses[3].startHeading);
        QVERIFY(sim.interp.current == kNoRunBlock);
        QCOMPARE(int(sim.memory[MemoryMap::LeftWheel]), 0);
        QVERIFY(w->windowTitle().endsWith(QString::fromStdU16String(sim.courses.courses[3].name) + "]"));
    }

    void stopRunBeforeAnEditLeavesNoBlockInUse() {
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("edit"));
        press(*w, SimCommand::Play);
        ticks(*w, 3);
        press(*w, SimCommand::Pause);
        w->stopRun();
        QCOMPARE(w->simulator().state, SimState::Stopped);
        QVERIFY(w->simulator().interp.current == kNoRunBlock);
        // The editor may now delete every block; ticking afterwards reads none of them.
        clear(m_program);
        ticks(*w, 5);
        QCOMPARE(w->simulator().state, SimState::Stopped);
    }

    void timedCourseCountsTheLapAndDrawsTheTime() {
        // Course 2 is timed (stop in the goal) without the sensor rule.
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("lap"));
        w->courseAction(2)->trigger();
        press(*w, SimCommand::Play);
        QCOMPARE(w->simulator().judge.result, RunResult::Armed);
        ticks(*w, 25);
        QCOMPARE(w->simulator().judge.result, RunResult::Armed);
        QCOMPARE(w->simulator().judge.lapMs, 25 * 16);
        press(*w, SimCommand::Pause);
        ticks(*w, 10);
        QCOMPARE(w->simulator().judge.lapMs, 25 * 16);  // no time passes while paused
        // The lap digits are drawn in blue at the top right while the run is armed.
        const QImage& frame = w->frame();
        int blue = 0;
        for (int y = 2; y < 28; ++y)
            for (int x = 565; x < 685; ++x) {
                const QColor c = frame.pixelColor(x, y);
                blue += c.blue() > 150 && c.red() < 90 && c.green() < 90 ? 1 : 0;
            }
        QVERIFY2(blue > 40, qPrintable(QString::number(blue)));
    }

    void stopInTheStopGoalIsNoGoalAndTheStatusLineSaysWhy() {
        // Course 2: stop in the goal. The straight run from its start line crosses the goal area.
        straightProgram(m_program, BlockType::Forward, 0, true);
        const QString app = copyAppFolder("stopgoal");
        auto w = open(app);
        const Simulator& sim = w->simulator();
        auto statusLabel = [&w] {
            return w->statusBar()->findChild<QLabel*>(QStringLiteral("simulatorStatus"))->text();
        };
        w->courseAction(2)->trigger();
        press(*w, SimCommand::Play);
        const CourseRecord& course = sim.courses.courses[2];
        auto inGoal = [&] { return overlaps(sim.robot.x, sim.robot.y, sim.courses.robotHalf, course.goal); };
        for (int i = 0; i < 400 && !inGoal(); ++i) w->tick();
        QVERIFY(inGoal());
        QCOMPARE(sim.judge.result, RunResult::Armed);
        press(*w, SimCommand::Stop);
        ticks(*w, 3);
        QCOMPARE(sim.judge.result, RunResult::NotJudged);
        QCOMPARE(bestTime(w->lapRecords(), 2), kNoRecordMs);
        QVERIFY2(w->statusText().contains(QStringLiteral("ゴールになりません")), qPrintable(w->statusText()));
        QCOMPARE(statusLabel(), w->statusText());

        // 再生 again without putting the robot back: it runs, untimed, and the status line says so.
        press(*w, SimCommand::Play);
        ticks(*w, 3);
        QCOMPARE(sim.state, SimState::Running);
        QCOMPARE(sim.judge.lapMs, 0);
        QVERIFY2(w->statusText().contains(QStringLiteral("タイムを計っていません")), qPrintable(w->statusText()));
        QCOMPARE(statusLabel(), w->statusText());
        press(*w, SimCommand::Stop);
        ticks(*w, 5);
        press(*w, SimCommand::Stop);  // at rest: back on the start line, timed again
        QCOMPARE(sim.judge.result, RunResult::Armed);
        QVERIFY(statusLabel().isEmpty());
        w->close();
        QCOMPARE(storedTime(app, 2), kNoRecordMs);
        QVERIFY(!QFile::exists(app + "/ghost_2.dat"));
    }

    void noSoundServerIsToldOnce() {
#ifndef TROVEL_HAVE_MULTIMEDIA
        QSKIP("built without Qt Multimedia: the simulator is silent by design");
#else
        SimSound sound;
        QSignalSpy told(&sound, &SimSound::unavailable);
        const QString goal = QStringLiteral(TROVEL_APP_DIR "/sound/goal.wav");
        for (int i = 0; i < 3; ++i) sound.play(goal);
        QCOMPARE(told.count(), QMediaDevices::audioOutputs().isEmpty() ? 1 : 0);
#endif
    }

    void lineFollowerReachesTheGoalAndTheRecordIsSaved() {
        QVERIFY(loadProgram(m_program, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples/line_follower.qxp").ok());
        const QString app = copyAppFolder("goal");
        {
            auto w = open(app);
            w->courseAction(1)->trigger();
            press(*w, SimCommand::Play);
            for (int i = 0; i < 20000 && w->simulator().judge.result == RunResult::Armed; ++i) w->tick();
            QCOMPARE(w->simulator().judge.result, RunResult::Goal);
            const int best = bestTime(w->lapRecords(), 1);
            QVERIFY(best > 0 && best < kNoRecordMs);
            QCOMPARE(best, w->simulator().judge.lapMs);
            QVERIFY(w->soundsRequested() >= 1);  // the goal sound was asked for (whether heard or not)
#ifdef TROVEL_HAVE_MULTIMEDIA
            // Without a sound server the run says why it is silent.
            if (QMediaDevices::audioOutputs().isEmpty())
                QCOMPARE(w->statusBar()->currentMessage(), uiText(Str::SimNoSoundServer));
#endif
            const LapGhost* ghost = courseGhost(w->lapRecords(), 1);
            QVERIFY(ghost);
            QCOMPARE(ghost->lapMs, best);
            w->close();
            QCOMPARE(storedTime(app, 1), best);
            QCOMPARE(storedTime(app, 0), kNoRecordMs);
            QVERIFY(QFile::exists(app + "/ghost_1.dat"));
            QVERIFY(!QFile::exists(app + "/ghost_0.dat"));
        }
        {
            // The next opening races the saved lap on slower motors: its ghost drives ahead of the robot.
            m_gains = std::array<uint8_t, 2>{120, 120};
            auto w = open(app);
            const LapGhost* ghost = courseGhost(w->lapRecords(), 1);
            QVERIFY(ghost);
            QCOMPARE(ghost->lapMs, storedTime(app, 1));
            w->courseAction(1)->trigger();
            press(*w, SimCommand::ShowPath);
            press(*w, SimCommand::Play);
            ticks(*w, 150);
            const GhostPose at = ghostPoseAt(*ghost, w->simulator().judge.lapMs);
            QCOMPARE(at, ghost->poses[150]);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QVERIFY(w->grab().save(app + "/path_and_ghost.png"));
            // The same run without the ghost differs where the ghost was drawn.
            const QImage with = w->frame();
            press(*w, SimCommand::ShowGhost);
            const QImage without = w->frame();
            const SimCamera& camera = w->viewState().camera;
            // The shown frame holds the view's own pixels, fewer than the field's.
            const qreal scale = with.devicePixelRatio();
            const QPointF ghostAt((at.x - camera.x) * camera.zoom, (at.y - camera.y) * camera.zoom);
            int differs = 0;
            for (int dy = -15; dy <= 15; dy += 3)
                for (int dx = -15; dx <= 15; dx += 3) {
                    const QPoint p = ((ghostAt + QPointF(dx, dy)) * scale).toPoint();
                    differs += with.pixel(p) != without.pixel(p) ? 1 : 0;
                }
            QVERIFY2(differs > 30, qPrintable(QString::number(differs)));
            w->close();
        }
    }

    void repeatFaultAsksBeforeRunning() {
        newProgram(m_program);
        ActionBlock* start = head(m_program);
        ActionBlock* end = start->next[0];
        const PlaceResult pair = placeBlock(m_program, BlockType::RepeatStart, {200, 200});
        QVERIFY(pair.block && pair.block->partner);
        // The loop's end is reached without passing its start: repeat ① is badly connected.
        link(start, pair.block->partner);
        link(pair.block->partner, end);
        link(pair.block, end);
        auto w = open(copyAppFolder("repeat"));
        test::ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::No}, {}};
        w->setAsker(answers.asker());

        press(*w, SimCommand::Play);
        QCOMPARE(answers.texts.size(), 1);
        const QString text = answers.texts.front();
        QVERIFY2(text.contains(QStringLiteral("くり返し①のつながりが正しくありません。")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("プログラムの実行を中止しますか?")));
        QVERIFY(m_chartRedraws > 0);
        QCOMPARE(w->simulator().state, SimState::Stopped);

        press(*w, SimCommand::Play);
        QCOMPARE(answers.texts.size(), 2);  // the No was given
        QCOMPARE(w->simulator().state, SimState::Running);

        // With the check switched off in the options nothing is asked.
        press(*w, SimCommand::Stop);
        m_flags.set(Option::SkipRepeatCheck);
        press(*w, SimCommand::Play);
        QCOMPARE(w->simulator().state, SimState::Running);
    }

    void robotIsDraggedAndTurnedByHandOnlyWhenAllowed() {
        auto w = open(copyAppFolder("mouse"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        SimView* view = w->view();
        const Simulator& sim = w->simulator();
        const SimViewState& shown = w->viewState();
        auto pixelOf = [&](float wx, float wy) {
            const float sx = view->width() / 700.0f, sy = view->height() / 500.0f;
            return QPoint(int(std::lround((wx - shown.camera.x) * shown.camera.zoom * sx)),
                          int(std::lround((wy - shown.camera.y) * shown.camera.zoom * sy)));
        };
        // Beside the robot: nothing.
        QTest::mousePress(view, Qt::LeftButton, {}, pixelOf(-100 + 60, 170));
        QVERIFY(!shown.dragging);
        QTest::mouseRelease(view, Qt::LeftButton, {}, pixelOf(-100 + 60, 170));

        const QPoint grab = pixelOf(-100 + 20, 170);
        QTest::mousePress(view, Qt::LeftButton, {}, grab);
        QVERIFY(shown.dragging);
        QTest::mouseMove(view, grab + QPoint(0, -60));
        QTest::mouseRelease(view, Qt::LeftButton, {}, grab + QPoint(0, -60));
        QVERIFY(!shown.dragging);
        QVERIFY(sim.robot.y < 170.0f - 40);
        QVERIFY(std::fabs(sim.robot.x - (-100.0f)) < 2);

        const float heading = sim.robot.heading;
        QTest::mouseClick(view, Qt::RightButton, {}, pixelOf(sim.robot.x, sim.robot.y));
        QCOMPARE(sim.robot.heading, heading + 0.39269906f);
        // A right double click turns twice (press, then the double click); a left one starts no drag.
        const QPoint centre = pixelOf(sim.robot.x, sim.robot.y);
        auto doubleClick = [&](Qt::MouseButton button) {  // as the window system delivers one
            QTest::mousePress(view, button, {}, centre);
            QTest::mouseRelease(view, button, {}, centre);
            QTest::mouseDClick(view, button, {}, centre);
            QTest::mouseRelease(view, button, {}, centre);
        };
        doubleClick(Qt::RightButton);
        QVERIFY(std::fabs(sim.robot.heading - (heading + 3 * 0.39269906f)) < 1e-5f);
        QTest::mousePress(view, Qt::LeftButton, {}, centre);
        QTest::mouseRelease(view, Qt::LeftButton, {}, centre);
        QTest::mouseDClick(view, Qt::LeftButton, {}, centre);
        QVERIFY(!shown.dragging);
        QTest::mouseRelease(view, Qt::LeftButton, {}, centre);
        QVERIFY(std::fabs(sim.robot.heading - (heading + 3 * 0.39269906f)) < 1e-5f);

        // While running the robot cannot be touched.
        straightProgram(m_program, BlockType::Stop, 0, true);
        press(*w, SimCommand::Play);
        const float y = sim.robot.y;
        const QPoint on = pixelOf(sim.robot.x, sim.robot.y);
        QTest::mousePress(view, Qt::LeftButton, {}, on);
        QTest::mouseMove(view, on + QPoint(0, 40));
        QTest::mouseRelease(view, Qt::LeftButton, {}, on + QPoint(0, 40));
        QCOMPARE(sim.robot.y, y);
        w->close();
    }

    void recordDialogListsTimesAndResetsAfterConfirming() {
        const QString app = copyAppFolder("records");
        QVERIFY(writeRecordsFile(fsPath(app) / "record.dat", {61234, 70000, 80000, 90000}));
        auto w = open(app);
        const CourseSet& courses = w->simulator().courses;
        LapRecords records = w->lapRecords();  // a copy the dialog may change
        QCOMPARE(records.courses[1].bestMs, 70000);

        test::ScriptedAnswers answers{
            {QMessageBox::Ok, QMessageBox::No, QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Ok},
            {}};
        RecordDialog dialog(courses, records, nullptr, answers.asker());
        QTableWidget* list = dialog.list();
        QCOMPARE(list->rowCount(), 4);
        QCOMPARE(list->item(0, 0)->text(), QString::fromStdU16String(courses.courses[0].name));
        QCOMPARE(list->item(0, 1)->text(), QStringLiteral("----------"));  // course 0 is not timed
        QCOMPARE(list->item(1, 1)->text(), QStringLiteral("1分10秒000"));
        QCOMPARE(list->item(2, 1)->text(), QStringLiteral("1分20秒000"));

        // Nothing selected: a warning, no change.
        dialog.button(RecordControl::ResetSelected)->click();
        QCOMPARE(answers.texts, QStringList{QStringLiteral("リストから記録タイムを削除するコースを選んでください。")});

        // Selected, but the user says No.
        list->selectRow(2);
        dialog.button(RecordControl::ResetSelected)->click();
        QCOMPARE(answers.texts.size(), 2);
        QCOMPARE(records.courses[2].bestMs, 80000);

        // Yes: the question, then the notice; only the selected course loses its time.
        dialog.button(RecordControl::ResetSelected)->click();
        QCOMPARE(answers.texts.size(), 4);
        QVERIFY(answers.texts[2].contains(QStringLiteral("よろしいですか")));
        QVERIFY(answers.texts[2].startsWith(QStringLiteral("選択したコースの記録タイムを全て削除します。")));
        QCOMPARE(answers.texts[3], QStringLiteral("記録タイムを削除しました。"));
        QCOMPARE(records.courses[2].bestMs, kNoRecordMs);
        QCOMPARE(records.courses[1].bestMs, 70000);
        QCOMPARE(list->item(2, 1)->text(), QStringLiteral("記録なし"));  // not the 9:59.999 that stands for none

        dialog.button(RecordControl::ResetAll)->click();
        QCOMPARE(answers.texts.size(), 6);
        QVERIFY(answers.texts[4].contains(QStringLiteral("よろしいですか")));
        QVERIFY(answers.texts[4].startsWith(QStringLiteral("記録タイムを全て削除します。")));
        QVERIFY(answers.texts[5].contains(QStringLiteral("削除しました")));
        for (const LapRecord& c : records.courses) QCOMPARE(c.bestMs, kNoRecordMs);
        w->close();
    }

    void recordResetThroughTheMenuReachesTheFileOnClose() {
        const QString app = copyAppFolder("recordmenu");
        QVERIFY(writeRecordsFile(fsPath(app) / "record.dat", {61234, 70000, 80000, 90000}));
        auto w = open(app);
        test::ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        w->setAsker(answers.asker());
        bool sawDialog = false;
        int ticksMeanwhile = 0;
        ModalAnswerer dialogUser([&](QWidget* modal) {
            auto* dialog = qobject_cast<RecordDialog*>(modal);
            if (!dialog) return false;
            sawDialog = true;
            ticksMeanwhile = m_clock.advance(100ms);
            dialog->list()->selectRow(1);
            dialog->button(RecordControl::ResetSelected)->click();
            dialog->button(RecordControl::Close)->click();
            return true;
        });
        // The ticks go on while the dialog is up; the simulation must hold still meanwhile.
        w->setTicking(true);
        const uint64_t before = w->simulator().ticks;
        press(*w, SimCommand::Records);
        QVERIFY(sawDialog);
        QCOMPARE(ticksMeanwhile, 6);
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY(answers.texts[0].contains(QStringLiteral("よろしいですか")));
        QVERIFY(answers.texts[1].contains(QStringLiteral("削除しました")));
        QCOMPARE(w->simulator().ticks, before);
        w->setTicking(false);
        QCOMPARE(w->lapRecords().courses[1].bestMs, kNoRecordMs);
        QCOMPARE(storedTime(app, 1), 70000);  // only in memory until the simulator closes
        w->close();
        QCOMPARE(storedTime(app, 0), 61234);
        QCOMPARE(storedTime(app, 1), kNoRecordMs);
        QCOMPARE(storedTime(app, 3), 90000);
    }

    void missingCourseFileNeitherRunsNorWipesTheRecords() {
        const QString app = copyAppFolder("nocourses", false);
        QVERIFY(writeRecordsFile(fsPath(app) / "record.dat", {61234, 70000}));
        test::ScriptedAnswers answers;
        auto w = open(app, answers.asker());
        QCOMPARE(answers.texts.size(), 1);
        QCOMPARE(answers.texts[0], QStringLiteral("ファイルが見つからないか開けません"));
        QVERIFY(!w->coursesLoaded());
        QCOMPARE(w->windowTitle(), QStringLiteral("TrovelKelmo Simulator"));
        press(*w, SimCommand::Play);
        QCOMPARE(w->simulator().state, SimState::Stopped);
        ticks(*w, 3);  // draws nothing but the background, and does not crash
        QCOMPARE(w->frame().pixel(350, 250), 0xFF009696u);
        w->close();
        QCOMPARE(storedTime(app, 0), 61234);
        QCOMPARE(storedTime(app, 1), 70000);
    }

    void slowMotionAdvancesEveryTenthTick() {
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("slow"));
        press(*w, SimCommand::Slow);
        QVERIFY(w->actionById(SimCommand::Slow)->isChecked());
        QVERIFY(!w->actionById(SimCommand::NormalSpeed)->isChecked());
        press(*w, SimCommand::Play);
        ticks(*w, 9);
        QCOMPARE(w->simulator().robot.x, -100.0f);
        ticks(*w, 1);
        QVERIFY(w->simulator().robot.x == -100.0f);  // the first slow step ran Start only
        ticks(*w, 20);
        QVERIFY(w->simulator().robot.x > -100.0f);
    }

    void fastSpeedsRunSeveralTicksPerFrameAndShowTheSpeed_data() {
        QTest::addColumn<int>("commandNumber");
        QTest::addColumn<int>("ticks");  // per frame while running; 0: what the time budget allows
        QTest::addColumn<QString>("shown");
        QTest::newRow("normal") << int(SimCommand::NormalSpeed) << 1 << QStringLiteral("標準");
        QTest::newRow("x2") << int(SimCommand::Double) << 2 << QStringLiteral("×2");
        QTest::newRow("x5") << int(SimCommand::Five) << 5 << QStringLiteral("×5");
        QTest::newRow("x10") << int(SimCommand::Ten) << 10 << QStringLiteral("×10");
        QTest::newRow("fastest") << int(SimCommand::Fastest) << 0 << QStringLiteral("最高速");
        QTest::newRow("slow") << int(SimCommand::Slow) << 1 << QStringLiteral("×1/10");
    }
    void fastSpeedsRunSeveralTicksPerFrameAndShowTheSpeed() {
        QFETCH(int, commandNumber);
        QFETCH(int, ticks);
        QFETCH(QString, shown);
        const auto command = static_cast<SimCommand>(commandNumber);
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("speeds"));
        m_clock.readCost = 1ms;  // each look at the clock finds a millisecond spent
        press(*w, command);
        QVERIFY(w->actionById(command)->isChecked());
        QVERIFY(!w->actionById(command)->shortcut().isEmpty() || command == SimCommand::Slow);
        press(*w, SimCommand::Play);
        const uint64_t before = w->simulator().ticks;
        w->tick();
        const uint64_t ran = w->simulator().ticks - before;
        QCOMPARE(int(ran), w->lastFrameTicks());
        // 最高速 looks at the clock after every batch and stops when the budget is spent.
        QCOMPARE(int(ran), ticks > 0 ? ticks : kFastestBudgetMs * ticksPerFrame(SimSpeed::Fastest));
        QVERIFY2(w->speedText().contains(shown), qPrintable(w->speedText()));
        QCOMPARE(w->statusBar()->findChild<QLabel*>(QStringLiteral("simulatorSpeed"))->text(), w->speedText());
        // The lap clock is simulated time: 16 ms a tick whatever the speed.
        QCOMPARE(uint64_t(w->simulator().clockMs), w->simulator().ticks * 16);
        // Paused, a frame is one tick again.
        press(*w, SimCommand::Pause);
        w->tick();
        QCOMPARE(w->lastFrameTicks(), 1);
    }

    void stepsWhilePausedAndTheBreakpointSaysWhy() {
        // Start -> Forward 1.0 s -> Wait 0.5 s (breakpoint) -> End.
        newProgram(m_program);
        ActionBlock* start = head(m_program);
        ActionBlock* end = start->next[0];
        ActionBlock* forward = addBlock(m_program, BlockType::Forward, 27, 99);
        forward->param[0] = 10;
        ActionBlock* wait = addBlock(m_program, BlockType::Wait, 27, 200);
        wait->param[0] = 5;
        link(start, forward);
        link(forward, wait);
        link(wait, end);
        wait->breakpoint = true;
        auto w = open(copyAppFolder("steps"));
        press(*w, SimCommand::Ten);
        QVERIFY(!w->actionById(SimCommand::StepTick)->isEnabled());  // only while paused
        press(*w, SimCommand::Play);
        for (int i = 0; i < 20 && w->simulator().state == SimState::Running; ++i) w->tick();
        const Simulator& sim = w->simulator();
        QCOMPARE(sim.state, SimState::Paused);
        QCOMPARE(sim.ticks, uint64_t(65));  // the fast frame stopped on the tick that reached the block
        QCOMPARE(sim.interp.current, indexOf(m_program, wait));
        QCOMPARE(m_highlighted.back(), wait);
        QVERIFY2(w->statusText().contains(QStringLiteral("ここで止める")), qPrintable(w->statusText()));
        QCOMPARE(w->statusBar()->findChild<QLabel*>(QStringLiteral("simulatorStatus"))->text(), w->statusText());
        QVERIFY(w->actionById(SimCommand::StepTick)->isEnabled());
        QCOMPARE(w->actionById(SimCommand::StepTick)->shortcut(), QKeySequence(Qt::Key_F10));
        QCOMPARE(w->actionById(SimCommand::StepBlock)->shortcut(), QKeySequence(Qt::Key_F11));

        // 1ブロック: the held Wait starts and the run pauses right after it.
        press(*w, SimCommand::StepBlock);
        w->tick();
        QCOMPARE(sim.state, SimState::Paused);
        QCOMPARE(sim.interp.current, indexOf(m_program, end));
        QCOMPARE(sim.interp.waitMs, 496u);
        QVERIFY2(w->statusText().contains(QStringLiteral("始めた")), qPrintable(w->statusText()));
        // 1ステップ: one tick of the wait, still paused.
        press(*w, SimCommand::StepTick);
        QCOMPARE(sim.interp.waitMs, 480u);
        QCOMPARE(sim.state, SimState::Paused);
        const int toolButtons = int(w->toolBar()->actions().size());
        QVERIFY(toolButtons >= 6);
        press(*w, SimCommand::Pause);
        QVERIFY(w->statusText().isEmpty());
    }

    void pathIsShownOnRequestAndClearedOnRearm() {
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("path"));
        press(*w, SimCommand::Play);
        ticks(*w, 30);
        const QImage plain = w->frame();
        press(*w, SimCommand::ShowPath);
        QVERIFY(w->actionById(SimCommand::ShowPath)->isChecked());
        QVERIFY(w->viewState().showPath);
        // Behind the robot the course now shows the path: start blue, newer points toward red.
        const QImage withPath = w->frame();
        const Simulator& sim = w->simulator();
        const SimViewState& shown = w->viewState();
        const auto& first = sim.path.points.front();
        const QPoint at(int((first.x - shown.camera.x) * shown.camera.zoom),
                        int((first.y - shown.camera.y) * shown.camera.zoom));
        QVERIFY(plain.pixel(at) != withPath.pixel(at));
        const QColor c = withPath.pixelColor(at);
        QVERIFY2(c.blue() > c.red(), qPrintable(c.name()));
        press(*w, SimCommand::Stop);
        ticks(*w, 5);
        press(*w, SimCommand::Stop);  // at rest: re-arm
        QVERIFY(w->simulator().path.points.empty());
    }

    void zoomFollowsTheRobot() {
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("zoom"));
        press(*w, SimCommand::ZoomIn2);
        QVERIFY(w->actionById(SimCommand::ZoomIn2)->isChecked());
        ticks(*w, 1);
        QCOMPARE(w->viewState().camera.zoom, 2.0f);
        press(*w, SimCommand::Play);
        ticks(*w, 200);
        // The robot stays inside the zoomed view.
        const Simulator& sim = w->simulator();
        const SimViewState& shown = w->viewState();
        QVERIFY(sim.robot.x > shown.camera.x && sim.robot.x < shown.camera.x + 350);
        press(*w, SimCommand::ZoomOut);
        ticks(*w, 1);
        QCOMPARE(shown.camera.x, -350 / 0.99f);
    }

    void sizingKeepsTheDrawingAreaAtSevenToFive_data() {
        QTest::addColumn<int>("edge");
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<QList<int>>("after");
        // 350 x 1.4 is just below 490 in binary floating point, and the width is truncated.
        QTest::newRow("top edge: width follows")
            << int(SizingEdge::Top) << QList<int>{100, 50, 400, 474} << QList<int>{100, 50, 100 + 489, 474};
        QTest::newRow("bottom edge") << int(SizingEdge::Bottom) << QList<int>{0, 0, 10, 174}
                                     << QList<int>{0, 0, 140, 174};
        QTest::newRow("right edge: height follows")
            << int(SizingEdge::Right) << QList<int>{0, 0, 699, 10} << QList<int>{0, 0, 699, 500 + 74};
        QTest::newRow("corner") << int(SizingEdge::Corner) << QList<int>{10, 20, 150, 30}
                                << QList<int>{10, 20, 150, 20 + 100 + 74};
    }
    void sizingKeepsTheDrawingAreaAtSevenToFive() {
        QFETCH(int, edge);
        QFETCH(QList<int>, before);
        QFETCH(QList<int>, after);
        const auto r = keepDrawingAspect({before[0], before[1], before[2], before[3]}, SizingEdge(edge));
        QCOMPARE((QList<int>{r[0], r[1], r[2], r[3]}), after);
    }

    void shownFrameHasCourseRobotLedsAndStatus() {
        // LEDs on, then forward on the timed course, so every layer is in the picture.
        newProgram(m_program);
        ActionBlock* start = head(m_program);
        ActionBlock* left = addBlock(m_program, BlockType::LeftLed, 27, 99);
        ActionBlock* right = addBlock(m_program, BlockType::RightLed, 27, 150);
        ActionBlock* go = addBlock(m_program, BlockType::Forward, 27, 200);
        go->param[1] = 1;
        link(start, left);
        link(left, right);
        link(right, go);
        link(go, go);  // drives on, so the lap time runs
        const QString app = copyAppFolder("frame");
        auto w = open(app);
        w->courseAction(2)->trigger();
        press(*w, SimCommand::Play);
        ticks(*w, 30);
        const QImage& frame = w->frame();
        QVERIFY(frame.save(app + "/frame.png"));
        // The course picture covers the whole field: no clear colour left in the middle.
        QVERIFY(frame.pixel(350, 250) != 0xFF009696u);
        // The robot body is drawn over the course where the robot stands.
        const Simulator& sim = w->simulator();
        const SimCamera& camera = w->viewState().camera;
        const QPointF at((sim.robot.x - camera.x) * camera.zoom, (sim.robot.y - camera.y) * camera.zoom);
        int differs = 0;
        QImage course(app + "/course/stop.bmp");
        QVERIFY(!course.isNull());
        for (int dy = -20; dy <= 20; dy += 4)
            for (int dx = -20; dx <= 20; dx += 4) {
                const QPoint p = (at + QPointF(dx, dy)).toPoint();
                const QPoint c(int(sim.robot.x + dx + 350), int(sim.robot.y + dy + 250));
                differs += frame.pixel(p) != course.pixel(c) ? 1 : 0;
            }
        QVERIFY2(differs > 60, qPrintable(QString::number(differs)));
        QCOMPARE(int(sim.memory[MemoryMap::Leds]), 3);
        QCOMPARE(sim.judge.result, RunResult::Armed);

        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(w->grab().save(app + "/window.png"));
        // The view shows the back buffer scaled to its size.
        // Once shown, the back buffer is drawn at the view's own pixels, and the view shows it as it is.
        const QImage shown = w->view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(frame.size(), shown.size());
        QVERIFY(frame.width() < 700);
        double difference = 0;
        for (int y = 0; y < shown.height(); y += 5)
            for (int x = 0; x < shown.width(); x += 5) {
                const QColor a = shown.pixelColor(x, y), b = frame.pixelColor(x, y);
                difference +=
                    std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
            }
        difference /= ((shown.height() + 4) / 5) * ((shown.width() + 4) / 5) * 3;
        QVERIFY2(difference < 12, qPrintable(QString::number(difference)));
        // A larger window is drawn at its new size at once, without waiting for a tick.
        w->resize(w->size() + QSize(140, 100));
        QTRY_COMPARE(w->view()->framePixels(), QSize(w->view()->drawingRect().size() * w->view()->devicePixelRatioF()));
        QCOMPARE(frame.size(), w->view()->framePixels());

        // Zoomed in, the view takes the course from its sheet where the frame left it: what it shows
        // is the whole frame, to the pixel, while the camera follows the robot.
        press(*w, SimCommand::ZoomIn2);
        for (int i = 0; i < 3; ++i) {
            ticks(*w, 7);
            const QImage zoomed = w->view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QVERIFY(zoomed == w->frame());
        }
    }

    // While the window manager holds a border drag at another shape, the course is not stretched:
    // the view shows it at 7 : 5 in the middle, and the mouse finds the robot where it is drawn.
    void viewKeepsSevenToFiveWhateverItsShape() {
        Simulator sim;
        resetSimulator(sim);
        SimViewState viewState;
        QImage frame(700, 500, QImage::Format_RGB32);
        frame.fill(Qt::white);
        SimView view(sim, viewState, frame);
        struct Shape {
            QSize view;
            QRect drawn;
        };
        const Shape shapes[] = {
            {{575, 302}, {76, 0, 422, 302}},  // 575 x 376 frame after a right-edge drag
            {{455, 500}, {0, 87, 455, 325}},
            {{455, 325}, {0, 0, 455, 325}},
            {{490, 351}, {0, 0, 490, 351}},  // a pixel off, as the sizing rule truncates: whole view
        };
        for (const Shape& shape : shapes) {
            view.resize(shape.view);
            QCOMPARE(view.drawingRect(), shape.drawn);
            const QImage shown = view.grab().toImage();
            const QRect d = shape.drawn;
            QCOMPARE(shown.pixelColor(d.center()), QColor(Qt::white));
            if (d.left() > 0) QCOMPARE(shown.pixelColor(d.left() - 1, d.center().y()), QColor(Qt::black));
            if (d.top() > 0) QCOMPARE(shown.pixelColor(d.center().x(), d.top() - 1), QColor(Qt::black));
            // The centre of the drawing is the centre of the field, zoomed out.
            const WorldPoint mid = view.worldAt(QPointF(d.x() + d.width() / 2.0, d.y() + d.height() / 2.0));
            QVERIFY(std::fabs(mid.x - (350 / viewState.camera.zoom + viewState.camera.x)) < 1.5f);
            QVERIFY(std::fabs(mid.y - (250 / viewState.camera.zoom + viewState.camera.y)) < 1.5f);
        }
    }

    // Each tick is armed 16 ms after its own start: after the event loop stalled the late tick runs
    // once, with no burst of catch-up ticks, and a slow tick is followed at once, not 16 ms later.
    void ticksNeverCatchUpAfterAStall() {
        SimulatorHooks hooks;
        hooks.clock = m_clock.clock();
        SimulatorWindow w(m_program, m_flags, fsPath(copyAppFolder("ticks")), hooks);
        m_clock.window = &w;
        QList<qint64> starts;  // ms
        connect(&w, &SimulatorWindow::stepping, [&] {
            starts.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(m_clock.time).count());
            if (starts.size() == 4) m_clock.time += 20ms;  // this tick takes longer than its 16 ms
        });
        QVERIFY(w.ticking());
        for (int stall = 0; stall < 6; ++stall) {
            m_clock.advance(40ms);
            m_clock.hold(25ms);
        }
        m_clock.advance(40ms);
        w.setTicking(false);
        QVERIFY(!m_clock.due);
        QCOMPARE(starts, (QList<qint64>{16,  32,  65,  81,  101, 130, 146, 162, 195, 211,
                                        227, 260, 276, 292, 325, 341, 357, 390, 406, 422}));
    }

    // A stopped simulator where nothing moves slows its ticks; a command brings them back at once.
    void aStillSimulatorRestsUntilACommand() {
        straightProgram(m_program, BlockType::Forward, 0, true);
        auto w = open(copyAppFolder("rest"));
        w->setTicking(true);
        int still = 0;
        while (!w->resting() && still < 1000) still += m_clock.advance(16ms);
        QCOMPARE(still, kStillTicksBeforeRest + 1);
        // Resting: five looks a second.
        QCOMPARE(m_clock.advance(199ms), 0);
        QCOMPARE(m_clock.advance(1ms), 1);
        QCOMPARE(m_clock.advance(1000ms), 5);
        QVERIFY(w->resting());
        press(*w, SimCommand::Play);
        QVERIFY(!w->resting());
        QCOMPARE(m_clock.advance(0ms), 1);  // at once, not at the end of the resting pause
        // Running: the frame changes every tick, so it never rests.
        QCOMPARE(m_clock.advance(2000ms), 125);
        QVERIFY(!w->resting());
        w->setTicking(false);
        QCOMPARE(m_clock.advance(1000ms), 0);
    }

    void menuBarAndToolBarHaveNoContextMenu() {
        auto w = open(copyAppFolder("popup"));
        QVERIFY(w->createPopupMenu() == nullptr);
    }

    void draggingTheBottomEdgeMakesTheWidthFollow() {
        auto w = open(copyAppFolder("resize"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const int chrome = w->height() - w->view()->height();
        w->resize(w->width(), w->height() + 100);
        QTRY_COMPARE(w->width(), int(std::trunc((w->height() - chrome) * 1.4)));
        const int height = w->height();
        w->resize(w->width() + 70, height);
        QTRY_COMPARE(w->height(), int(std::trunc((w->width() + 1) * 0.7142857142857143)) + chrome);
        w->close();
    }
};

QTEST_MAIN(SimulatorWindowTest)
#include "simulator_window_test.moc"
