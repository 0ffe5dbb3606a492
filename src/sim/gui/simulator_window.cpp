#include "sim/gui/simulator_window.h"

#include "sim/lap_records.h"
#include "base/gui/window_frame.h"
#include "sim/lap_ghost.h"
#include "sim/sensor_trace.h"
#include "sim/sim_frame.h"
#include "sim/sim_speed.h"
#include "sim/sim_view_state.h"
#include "sim/simulator.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QResizeEvent>
#include <QToolBar>

#include <algorithm>
#include <utility>
#include <cmath>
#include <unordered_set>

#include "sim/gui/sim_text.h"
#include "base/app_folder.h"
#include "base/block_names.h"
#include "base/gui/ui_text.h"
#include "base/repeat_fault_text.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "model/option_flags.h"
#include "model/repeat_check.h"
#include "model/text_convert.h"
#include "sim/gui/record_dialog.h"
#include "sim/gui/sensor_plot_window.h"
#include "sim/gui/sim_renderer.h"
#include "sim/gui/sim_sound.h"
#include "sim/gui/sim_textures.h"
#include "sim/gui/sim_view.h"
#include "sim/run_setup.h"
namespace trovel {

namespace {

constexpr int kInitialViewWidth = 455;  // 7 : 5
constexpr int kInitialViewHeight = 325;
constexpr int kSoundNoticeMs = 15000;  // long enough to read, gone before it is in the way

// The toolbar pictures: play, pause, stop, the two steps and the path on 18 x 17 tiles.
QIcon toolIcon(SimCommand command) {
    QPixmap pixmap(18, 17);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(command == SimCommand::Stop ? 0xC03030 : 0x206020));
    if (command == SimCommand::Play) {
        p.drawPolygon(QPolygonF({QPointF(5, 2), QPointF(15, 8.5), QPointF(5, 15)}));
    } else if (command == SimCommand::Pause) {
        p.drawRect(QRectF(4, 3, 3.5, 11));
        p.drawRect(QRectF(10.5, 3, 3.5, 11));
    } else if (command == SimCommand::StepTick) {
        // A short step: a small triangle against a bar.
        p.drawPolygon(QPolygonF({QPointF(5, 5), QPointF(11, 8.5), QPointF(5, 12)}));
        p.drawRect(QRectF(12, 4, 2.5, 9));
    } else if (command == SimCommand::StepBlock) {
        // A block's step: a triangle onto a box.
        p.drawPolygon(QPolygonF({QPointF(2, 3), QPointF(9, 8.5), QPointF(2, 14)}));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x206020), 1.6));
        p.drawRect(QRectF(10.5, 4.5, 6, 8));
    } else if (command == SimCommand::ShowPath) {
        QPainterPath track(QPointF(2, 14));
        track.cubicTo(QPointF(6, 0), QPointF(11, 17), QPointF(16, 3));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0xD04020), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(track);
    } else {
        p.drawRect(QRectF(4, 3, 10, 11));
    }
    return QIcon(pixmap);
}

}  // namespace

std::array<int, 4> keepDrawingAspect(std::array<int, 4> r, SizingEdge edge, int chrome) {
    auto& [left, top, right, bottom] = r;
    if (edge == SizingEdge::Top || edge == SizingEdge::Bottom)
        right = left + int(std::trunc((bottom - top - chrome) * 1.4));
    else bottom = top + int(std::trunc((right - left + 1) * 0.7142857142857143)) + chrome;
    return r;
}

SimulatorWindow::SimulatorWindow(BlockProgram& program, OptionFlags& options, std::filesystem::path appDir,
                                 SimulatorHooks hooks, QWidget* parent)
    : QMainWindow(parent),
      m_program(program),
      m_options(options),
      m_appDir(std::move(appDir)),
      m_hooks(std::move(hooks)),
      m_asker(m_hooks.asker),
      m_sim(std::make_unique<Simulator>()),
      m_shown(std::make_unique<SimViewState>()),
      m_records(std::make_unique<LapRecords>()),
      m_textures(std::make_unique<SimTextures>()),
      m_frame(makeBackBuffer()),
      m_courseLayer(std::make_unique<CourseLayerCache>()),
      m_trace(std::make_unique<SensorTrace>()) {
    setObjectName(QStringLiteral("input_wnd"));
    setWindowTitle(uiText(Str::SimFrameTitle));
    setWindowIcon(applicationIcon());
    m_speed = SimSpeed::Normal;
    m_sound = new SimSound(this);
    connect(m_sound, &SimSound::unavailable, this,
            [this] { statusBar()->showMessage(uiText(Str::SimNoSoundServer), kSoundNoticeMs); });
    m_view = new SimView(*m_sim, *m_shown, m_frame, this);
    m_view->setCourseLayer(m_courseLayer.get());
    connect(m_view, &SimView::robotMoved, this, &SimulatorWindow::wake);
    connect(m_view, &SimView::framePixelsChanged, this, [this] {
        if (m_frame.size() != m_view->framePixels()) redraw();
    });
    setCentralWidget(m_view);
    buildToolBar();
    buildMenus();
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("simulatorStatus"));
    // A notice is a sentence or two: shown whole on two lines, never cut. The height is fixed so
    // that a new text never makes the window lay itself out again.
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setFixedHeight(2 * m_statusLabel->fontMetrics().lineSpacing() + 2);
    m_speedLabel = new QLabel(this);
    m_speedLabel->setObjectName(QStringLiteral("simulatorSpeed"));
    statusBar()->addWidget(m_statusLabel, 1);
    statusBar()->addPermanentWidget(m_speedLabel);
    statusBar()->setSizeGripEnabled(false);
    const int chrome =
        menuBar()->sizeHint().height() + m_toolBar->sizeHint().height() + statusBar()->sizeHint().height();
    resize(fitOnScreen(this, {kInitialViewWidth, kInitialViewHeight}, chrome));
    placeOnScreen(this, {500, 260});
    m_options.set(Option::SimulatorOpen);

    loadCourses();
    openSimulator(*m_sim, {.gains = m_hooks.gains});
    redraw();
    updateStatus();

    // A repeating timer catches up after a stall with ticks a millisecond apart, each still counted
    // as 16 ms: the robot would jerk. Each tick instead arms the next one 16 ms after its own start.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SimulatorWindow::tick);
    setTicking(true);
}

SimulatorWindow::~SimulatorWindow() { shutdown(); }

void SimulatorWindow::loadCourses() {
    // The message strip holds words: the language pack's own picture comes first.
    auto loadTexture = [this, load = m_textures->loader()](int slot, const std::filesystem::path& file) {
        return load(slot, packFile(m_hooks.resources, file.lexically_relative(m_appDir), file));
    };
    // The user's own courses come after the shipped ones, from the folder their records go to.
    const std::filesystem::path userDir = recordsDir();
    const CourseLoadResult result = loadCourseConfig(m_sim->courses, m_appDir, loadTexture, userDir);
    m_loaded = result.loaded;
    if (m_loaded) readRecords(*m_records, m_sim->courses, m_appDir);
    // The user's own records, when kept apart, replace those shipped with the courses.
    if (m_loaded && !m_hooks.recordsDir.empty()) readRecords(*m_records, m_sim->courses, m_hooks.recordsDir);
    if (m_loaded) readGhosts(*m_records, m_sim->courses, recordsDir());
    for (const CourseMessage& message : result.messages)
        ask(uiFormat(courseMessageId(message.problem), {message.file, message.expected}),
            isErrorMessage(message.problem) ? QMessageBox::Critical : QMessageBox::Warning, QMessageBox::Ok);
    if (!m_loaded) return;  // the menus stay as they are and nothing can run

    // The placeholder gives way to one item per course.
    m_courseMenu->clear();
    auto* group = new QActionGroup(this);
    m_courseActions.clear();
    for (int i = 0; i < courseCount(m_sim->courses); ++i) {
        auto* action = new QAction(courseName(i, m_sim->courses.courses[size_t(i)]), this);
        action->setObjectName(QStringLiteral("course%1").arg(i));
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] {
            wake();
            chooseCourse(i);
            publishMemory();
            updateStatus();
        });
        m_courseMenu->addAction(action);
        m_courseActions.push_back(action);
    }
    if (QAction* first = courseAction(0)) first->setChecked(true);
    actionById(SimCommand::NormalSpeed)->setChecked(true);
    actionById(SimCommand::ZoomOut)->setChecked(true);
    updateTitle();
}

std::filesystem::path SimulatorWindow::recordsDir() const {
    return m_hooks.recordsDir.empty() ? m_appDir : m_hooks.recordsDir;
}

void SimulatorWindow::saveRecordsNow() {
    if (m_shutDown) return;
    if (m_loaded && courseCount(m_sim->courses) > 0) saveRecords(*m_records, m_sim->courses, recordsDir());
}

void SimulatorWindow::reloadCourses() {
    if (m_shutDown) return;
    // A question or dialog open here may hold the courses: the reload waits until it is answered.
    if (m_modal > 0) {
        QTimer::singleShot(100, this, &SimulatorWindow::reloadCourses);
        return;
    }
    stopRun();
    // Saved already when the install was announced, this keeps what was set since; a time saved
    // before is not written again, so the record an install dropped stays dropped.
    saveRecordsNow();
    const int course = m_sim->course;
    for (QAction* action : m_courseActions) delete action;
    m_courseActions.clear();
    *m_records = LapRecords{};
    m_textures->clear();
    loadCourses();
    if (!m_loaded) return;
    chooseCourse(course >= 0 && course < courseCount(m_sim->courses) ? course : 0);
    // A course replaced in place keeps its slot: the cached course layer would show the old picture.
    *m_courseLayer = CourseLayerCache{};
    m_drawn.reset();
    redraw();
    updateStatus();
}

QAction* SimulatorWindow::addCommand(QMenu* menu, SimCommand id, const QString& text, QActionGroup* group) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("command%1").arg(static_cast<int>(id)));
    if (group) {
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    menu->addAction(action);
    m_actions[id] = action;
    return action;
}

void SimulatorWindow::buildMenus() {
    QMenu* run = menuBar()->addMenu(uiText(Str::SimMenuRun));
    addCommand(run, SimCommand::Play, uiText(Str::SimPlay));
    addCommand(run, SimCommand::Stop, uiText(Str::SimStop));
    addCommand(run, SimCommand::Pause, uiText(Str::SimPause));
    run->addSeparator();
    addCommand(run, SimCommand::StepTick, uiText(Str::SimStepTick))->setShortcut(QKeySequence(Qt::Key_F10));
    addCommand(run, SimCommand::StepBlock, uiText(Str::SimStepBlock))->setShortcut(QKeySequence(Qt::Key_F11));

    QMenu* settings = menuBar()->addMenu(uiText(Str::SimMenuSettings));
    auto* zoom = new QActionGroup(this);
    addCommand(settings, SimCommand::ZoomOut, uiText(Str::SimZoomOut), zoom);
    addCommand(settings, SimCommand::ZoomIn2, uiText(Str::SimZoomIn2), zoom);
    addCommand(settings, SimCommand::ZoomIn4, uiText(Str::SimZoomIn4), zoom);
    settings->addSeparator();
    auto* speed = new QActionGroup(this);
    addCommand(settings, SimCommand::NormalSpeed, uiText(Str::SimNormalSpeed), speed);
    addCommand(settings, SimCommand::Slow, uiText(Str::SimSlow), speed);
    addCommand(settings, SimCommand::Slower, uiText(Str::SimSlower), speed);
    addCommand(settings, SimCommand::Double, uiText(Str::SimSpeedDouble), speed)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    addCommand(settings, SimCommand::Five, uiText(Str::SimSpeedFive), speed)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_5));
    addCommand(settings, SimCommand::Ten, uiText(Str::SimSpeedTen), speed)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    addCommand(settings, SimCommand::Fastest, uiText(Str::SimSpeedFastest), speed)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    actionById(SimCommand::NormalSpeed)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    settings->addSeparator();
    addCommand(settings, SimCommand::Records, uiText(Str::SimRecords));
    addCommand(settings, SimCommand::SensorPlot, uiText(Str::SensorPlot))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));

    m_courseMenu = menuBar()->addMenu(uiText(Str::SimMenuCourse));
    m_courseMenu->addAction(uiText(Str::SimCourseHeading))->setEnabled(false);

    QMenu* view = menuBar()->addMenu(uiText(Str::SimMenuView));
    QAction* path = addCommand(view, SimCommand::ShowPath, uiText(Str::SimShowPath));
    path->setCheckable(true);
    path->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QAction* ghost = addCommand(view, SimCommand::ShowGhost, uiText(Str::SimShowGhost));
    ghost->setCheckable(true);
    ghost->setChecked(true);
    ghost->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));

    const std::array<std::pair<SimCommand, int>, 6> tips{{
        {SimCommand::Play, Str::SimTipPlay},
        {SimCommand::Pause, Str::SimTipPause},
        {SimCommand::Stop, Str::SimTipStop},
        {SimCommand::StepTick, Str::SimTipStepTick},
        {SimCommand::StepBlock, Str::SimTipStepBlock},
        {SimCommand::ShowPath, Str::SimTipShowPath},
    }};
    for (const auto& [id, tip] : tips) {
        QAction* action = actionById(id);
        action->setIcon(toolIcon(id));
        action->setToolTip(uiText(tip));
        m_toolBar->addAction(action);
    }
}

void SimulatorWindow::buildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("simulator"));
    m_toolBar->setObjectName(QStringLiteral("simulatorToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(18, 17));
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
}

void SimulatorWindow::runCommand(SimCommand id) {
    wake();
    dispatch(id);
    publishMemory();
    updateStatus();
}

void SimulatorWindow::setSpeed(SimSpeed speed) {
    m_speed = speed;
    setSlowMotion(*m_sim, slowDivisorOf(speed));
}

void SimulatorWindow::showHighlight(int block) {
    if (m_batching) {
        m_batchHighlight = block;
        return;
    }
    // A block the editor no longer has stays unshown; the run still executes its copy.
    ActionBlock* shown = block >= 0 && size_t(block) < m_runSources.size() ? m_runSources[size_t(block)] : nullptr;
    if (shown) emit runningBlockChanged(shown);
}

void SimulatorWindow::dispatch(SimCommand id) {
    switch (id) {
    case SimCommand::Play: play(); return;
    case SimCommand::Stop: showRunStopped(*m_shown, stopCommand(*m_sim)); return;
    case SimCommand::Pause: pauseCommand(*m_sim); return;
    case SimCommand::ZoomOut: setZoom(*m_shown, kZoomOut); return;
    case SimCommand::ZoomIn2: setZoom(*m_shown, 2); return;
    case SimCommand::ZoomIn4: setZoom(*m_shown, 4); return;
    case SimCommand::NormalSpeed: setSpeed(SimSpeed::Normal); return;
    case SimCommand::Slow: setSpeed(SimSpeed::Slow); return;
    case SimCommand::Slower: setSpeed(SimSpeed::Slower); return;
    case SimCommand::Double: setSpeed(SimSpeed::Double); return;
    case SimCommand::Five: setSpeed(SimSpeed::Five); return;
    case SimCommand::Ten: setSpeed(SimSpeed::Ten); return;
    case SimCommand::Fastest: setSpeed(SimSpeed::Fastest); return;
    case SimCommand::StepTick:
        if (stepOneTick(*m_sim, [this](const TickEvents& events) { afterTick(events); })) step(false);
        return;
    case SimCommand::StepBlock:
        if (stepOneBlock(*m_sim)) step(false);
        return;
    case SimCommand::ShowPath:
        m_shown->showPath = actionById(id)->isChecked();
        redrawIfChanged();
        return;
    case SimCommand::ShowGhost:
        m_shown->showGhost = actionById(id)->isChecked();
        redrawIfChanged();
        return;
    case SimCommand::Records: showRecords(); return;
    case SimCommand::SensorPlot: showSensorPlot(); return;
    }
}

void SimulatorWindow::play() {
    if (m_sim->state == SimState::Running) return;
    const RepeatCheck check = checkRepeats(m_program, m_options.bits());
    const int fault = check.result;
    // The editor clears its block marks and marks a faulty path: the chart shows the new marks.
    emit repeatChecked(check);
    if (fault >= 0 && ask(toQString(repeatFaultQuestion(fault, RepeatFaultStops::Run)), QMessageBox::Warning,
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        return;
    // The sensor plot shows this run from its start, whenever it is opened.
    if (playCommand(*m_sim, m_program) != PlayOutcome::Started) return;
    showRunStarted(*m_shown, *m_sim);
    clearTrace(*m_trace);
    m_runSources.clear();
    if (const RunProgram* run = runProgram(*m_sim))
        for (const RunBlock& b : run->blocks) m_runSources.push_back(m_program.blocks[size_t(b.source)].get());
}

void SimulatorWindow::chooseCourse(int course) {
    const bool runGoing = m_sim->state != SimState::Stopped;
    if (!selectCourse(*m_sim, course)) return;
    showRunStopped(*m_shown, runGoing);
    if (QAction* action = courseAction(course)) action->setChecked(true);
    updateTitle();
}

void SimulatorWindow::showRecords() {
    ++m_modal;
    RecordDialog dialog(m_sim->courses, *m_records, this, m_asker);
    dialog.setWindowModality(Qt::WindowModal);  // the studio stays usable meanwhile
    dialog.exec();
    --m_modal;
}

void SimulatorWindow::showSensorPlot() {
    if (!m_plot) m_plot = std::make_unique<SensorPlotWindow>(*m_trace, m_program, this);
    m_plot->show();
    m_plot->raise();
    m_plot->activateWindow();
}

void SimulatorWindow::updateTitle() {
    const CourseRecord* course = currentCourse(*m_sim);
    if (!course) return;
    setWindowTitle(uiFormat(Str::SimCourseTitle, {toU16(courseName(m_sim->course, *course))}));
}

void SimulatorWindow::stopRun() {
    if (m_sim->state != SimState::Stopped) showRunStopped(*m_shown, stopCommand(*m_sim));
    // The run is over and the program may be replaced next: its blocks are no longer looked up.
    m_runSources.clear();
    publishMemory();
}

void SimulatorWindow::programEdited() {
    std::unordered_set<const ActionBlock*> kept;
    kept.reserve(m_program.blocks.size());
    for (const auto& b : m_program.blocks) kept.insert(b.get());
    bool removedInUse = false;
    for (size_t i = 0; i < m_runSources.size(); ++i) {
        if (!m_runSources[i]) continue;
        if (!kept.count(m_runSources[i])) {
            removedInUse = removedInUse || runHolds(m_sim->interp, m_sim->state, int(i));
            m_runSources[i] = nullptr;
        } else {
            setRunBreakpoint(m_sim->interp, int(i), m_runSources[i]->breakpoint);
        }
    }
    if (removedInUse) {
        showRunStopped(*m_shown, stopCommand(*m_sim));
        publishMemory();
        updateStatus();
    }
}

std::chrono::nanoseconds SimulatorWindow::now() const {
    if (m_hooks.clock.now) return m_hooks.clock.now();
    return std::chrono::steady_clock::now().time_since_epoch();
}

void SimulatorWindow::armTick(int ms) {
    if (m_hooks.clock.arm) m_hooks.clock.arm(ms);
    else if (ms >= 0) m_timer.start(ms);
    else m_timer.stop();
}

void SimulatorWindow::setTicking(bool on) {
    m_ticking = on && !m_shutDown;
    armTick(m_ticking ? kSimTickMs : -1);
}

void SimulatorWindow::tick() {
    if (m_shutDown) return;
    m_tickStart = now();
    m_frameChanged = false;
    if (m_modal == 0) step(true);
    // A stopped simulator where nothing moves shows the same frame tick after tick: after a second
    // of that it looks five times a second, until a command, the pointer or new gains wake it.
    const bool effectsShown = std::any_of(m_shown->effects.begin(), m_shown->effects.end(),
                                          [](const Effect& e) { return e.inUse && !e.expired; });
    const bool still = m_sim->state == SimState::Stopped && !m_shown->dragging && !m_frameChanged && !effectsShown;
    m_stillTicks = still ? m_stillTicks + 1 : 0;
    const int period = m_stillTicks > kStillTicksBeforeRest ? kRestingTickMs : kSimTickMs;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now() - m_tickStart).count();
    if (m_ticking) armTick(int(std::max<int64_t>(0, period - elapsed)));
}

void SimulatorWindow::wake() {
    const bool resting = m_stillTicks > kStillTicksBeforeRest;
    m_stillTicks = 0;
    if (resting && m_ticking && !m_shutDown) armTick(0);
}

void SimulatorWindow::setGains(std::array<uint8_t, 2> gains) {
    m_sim->gains = gains;
    wake();
}

void SimulatorWindow::step(bool advance) {
    if (advance) emit stepping();
    m_shown->showLowerRobot = m_options.has(Option::UseSensors34);
    if (advance) runFrameTicks();
    redrawIfChanged();
    playSounds();
    publishMemory();
    updateStatus();
}

void SimulatorWindow::runFrameTicks() {
    const int batch = frameTicks(*m_sim, m_speed);
    m_batching = batch > 1;
    const TickHandler handler = [this](const TickEvents& events) { afterTick(events); };
    int ran = 0;
    if (m_speed == SimSpeed::Fastest && batch > 1) {
        // As many ticks as fit in the time budget; the drawing of the one frame has the rest.
        const std::chrono::nanoseconds start = now();
        do {
            ran += runTicks(*m_sim, batch, handler);
        } while (m_sim->state == SimState::Running && now() - start < std::chrono::milliseconds(kFastestBudgetMs));
    } else {
        ran = runTicks(*m_sim, batch, handler);
    }
    m_batching = false;
    m_lastFrameTicks = ran;
    if (const int block = std::exchange(m_batchHighlight, -1); block >= 0) showHighlight(block);
}

void SimulatorWindow::afterTick(const TickEvents& events) {
    // The records say whether the goal's lap is a record; the banners follow.
    const bool record = events.goal && offerLap(*m_records, m_sim->course, events.lapMs, m_sim->lapPoses);
    showTick(*m_shown, *m_sim, events, record);
    recordTick(*m_trace, *m_sim);
    if (events.shownBlock >= 0) showHighlight(events.shownBlock);
}

void SimulatorWindow::redrawIfChanged() {
    const std::array<float, 3> camera{m_shown->camera.x, m_shown->camera.y, m_shown->camera.zoom};
    DrawList frame = buildFrame(*m_sim, *m_shown, *m_records);
    if (!m_drawn || !(*m_drawn == frame) || camera != m_drawnCamera || m_frame.size() != m_view->framePixels()) {
        m_frameChanged = true;
        // A running frame that costs more than its share of the time (a large view zoomed in on a slow
        // machine) is shown every other tick; never two in a row are left out, and a paused or stopped
        // simulator always shows its latest state.
        const bool running = m_sim->state == SimState::Running;
        if (running && !m_frameSkipped && m_drawn && now() - m_lastDrawAt < m_drawCost * kDrawCostShare) {
            m_frameSkipped = true;
            return;
        }
        m_frameSkipped = false;
        draw(std::move(frame));
    }
}

void SimulatorWindow::redraw() { draw(buildFrame(*m_sim, *m_shown, *m_records)); }

const QImage& SimulatorWindow::frame() {
    completeFrame(m_frame, *m_courseLayer);
    return m_frame;
}

void SimulatorWindow::draw(DrawList frame) {
    // The frame follows the size of the view and the scale of the screen it is on.
    if (const QSize pixels = m_view->framePixels(); m_frame.size() != pixels) {
        m_frame = makeBackBuffer(pixels);
        m_drawn.reset();
    }
    const std::chrono::nanoseconds start = now();
    renderDrawList(m_frame, frame, m_shown->camera, *m_textures, *m_courseLayer);
    // Smoothed: one slow frame (a new sheet, a course change) does not slow the next ones.
    m_drawCost = (m_drawCost * 3 + (now() - start)) / 4;
    m_lastDrawAt = start;
    const std::array<float, 3> camera{m_shown->camera.x, m_shown->camera.y, m_shown->camera.zoom};
    // Under the same camera only the items that changed need to reach the screen again.
    const bool sameView = m_drawn && camera == m_drawnCamera;
    const std::vector<QRectF> changed =
        sameView ? changedAreas(*m_drawn, frame, m_shown->camera) : std::vector<QRectF>();
    m_drawn = std::make_unique<DrawList>(std::move(frame));
    m_drawnCamera = camera;
    ++m_framesDrawn;
    if (!sameView) m_view->update();
    else if (!changed.empty()) m_view->updateFrameAreas(changed);
}

QString SimulatorWindow::speedText() const {
    QString shown;
    switch (m_speed) {
    case SimSpeed::Slower: shown = QStringLiteral("×1/20"); break;
    case SimSpeed::Slow: shown = QStringLiteral("×1/10"); break;
    case SimSpeed::Normal: shown = uiText(Str::SimSpeedNormalShort); break;
    case SimSpeed::Double: shown = QStringLiteral("×2"); break;
    case SimSpeed::Five: shown = QStringLiteral("×5"); break;
    case SimSpeed::Ten: shown = QStringLiteral("×10"); break;
    case SimSpeed::Fastest:
        // What the last running frame reached, in tens so the label does not flicker.
        return uiFormat(Str::SimSpeedShown,
                        {toU16(uiFormat(Str::SimSpeedFastestShown, {std::max(1, m_fastestShown)}))});
    }
    return uiFormat(Str::SimSpeedShown, {toU16(shown)});
}

QString SimulatorWindow::statusText() const {
    if (m_sim->state != SimState::Paused) {
        switch (m_sim->notice) {
        case RunNotice::StoppedInGoal: return uiText(Str::SimStoppedInGoal);
        case RunNotice::NotTimed: return uiText(Str::SimRunNotTimed);
        case RunNotice::None: break;
        }
        return {};
    }
    const BlockInterpreter& interp = m_sim->interp;
    auto caption = [](BlockType type) { return resString(blockTypeNameId(type)); };
    const RunBlock* held = interp.program ? runBlockAt(*interp.program, interp.held) : nullptr;
    if (interp.holdReason == HoldReason::Breakpoint && held)
        return uiFormat(Str::SimHeldAtBreakpoint, {caption(held->type)});
    if (interp.holdReason == HoldReason::BlockStep) return uiFormat(Str::SimHeldAfterBlock, {caption(interp.lastType)});
    return uiText(Str::SimPausedShown);
}

void SimulatorWindow::updateStatus() {
    if (m_speed == SimSpeed::Fastest && m_sim->state == SimState::Running && m_lastFrameTicks > 1)
        m_fastestShown = m_lastFrameTicks / 10 * 10;
    const QString status = statusText();
    if (m_statusLabel->text() != status) m_statusLabel->setText(status);
    // Made again only when it can read differently, not on every tick.
    if (const std::pair shown{m_speed, m_fastestShown}; shown != m_speedShown) {
        m_speedShown = shown;
        m_speedLabel->setText(speedText());
    }
    const bool paused = m_sim->state == SimState::Paused;
    for (SimCommand id : {SimCommand::StepTick, SimCommand::StepBlock})
        if (QAction* action = actionById(id); action->isEnabled() != paused) action->setEnabled(paused);
}

void SimulatorWindow::playSounds() {
    for (const std::u16string& file : m_shown->pendingSounds) {
        ++m_soundsRequested;
        m_sound->play(QString::fromStdU16String(pathText(resolveDataPath(file, m_appDir))));
    }
    m_shown->pendingSounds.clear();
}

void SimulatorWindow::publishMemory() {
    std::lock_guard lock(m_memoryMutex);
    m_published = m_sim->monitor;
}

MemoryImage SimulatorWindow::publishedMemory() const {
    std::lock_guard lock(m_memoryMutex);
    return m_published;
}

QMessageBox::StandardButton SimulatorWindow::ask(const QString& text, QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons) {
    // The simulation holds still while the user answers.
    ++m_modal;
    const Question question{text, icon, buttons};
    const auto answer = m_asker ? m_asker(question) : askInBox(this, simMessageCaption(), question);
    --m_modal;
    return answer;
}

void SimulatorWindow::closeEvent(QCloseEvent* event) {
    shutdown();
    event->accept();
}

void SimulatorWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_resizing || !isVisible() || isMaximized() || isFullScreen() || !event->oldSize().isValid()) return;
    const QSize now = event->size();
    const QSize before = event->oldSize();
    const SizingEdge edge =
        now.width() == before.width() && now.height() != before.height() ? SizingEdge::Bottom : SizingEdge::Corner;
    const int chrome = now.height() - m_view->height();
    const auto r = keepDrawingAspect({0, 0, now.width(), now.height()}, edge, chrome);
    const QSize wanted(r[2] - r[0], r[3] - r[1]);
    if (wanted == now || wanted.width() < 1 || wanted.height() <= chrome) return;
    m_resizing = true;
    resize(wanted);
    m_resizing = false;
}

void SimulatorWindow::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_ticking = false;
    armTick(-1);
    if (m_plot) m_plot->close();
    // Without a loaded course set there is nothing to save, and an empty file would wipe the records.
    // Another studio may have saved meanwhile: the save merges with what it finds.
    if (m_loaded && courseCount(m_sim->courses) > 0) saveRecords(*m_records, m_sim->courses, recordsDir());
    m_options.clear(Option::SimulatorOpen);
    emit closed();
}

}  // namespace trovel
