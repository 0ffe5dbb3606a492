#include "sim/gui/simulator_window.h"

#include "sim/lap_records.h"
#include "base/gui/window_frame.h"
#include "sim/simulator.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QToolBar>

#include <algorithm>
#include <cmath>

#include "sim/gui/sim_text.h"
#include "app/app_config.h"
#include "base/gui/ui_text.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "model/option_flags.h"
#include "model/repeat_check.h"
#include "model/text_convert.h"
#include "robot/link_state.h"
#include "sim/gui/record_dialog.h"
#include "sim/gui/sensor_plot_window.h"
#include "sim/gui/sim_renderer.h"
#include "sim/gui/sim_sound.h"
#include "sim/gui/sim_textures.h"
#include "sim/gui/sim_view.h"
namespace trovel {

namespace {

constexpr int kInitialViewWidth = 455;  // 7 : 5
constexpr int kInitialViewHeight = 325;

// The toolbar pictures: play, pause, stop on 18 x 17 tiles.
QIcon toolIcon(int command) {
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
    } else {
        p.drawRect(QRectF(4, 3, 10, 11));
    }
    return QIcon(pixmap);
}

QString repeatFaultText(int fault) {
    if (fault == kRepeatFaultUntied) return uiText(Str::RepeatFaultStopRun);
    return uiFormat(Str::RepeatNumberFaultStopRun, {MessageArg(char16_t(u'①' + fault))});
}

QPointer<SimulatorWindow>& theWindow() {
    static QPointer<SimulatorWindow> window;
    return window;
}

}  // namespace

std::array<int, 4> keepDrawingAspect(std::array<int, 4> r, SizingEdge edge, int chrome) {
    auto& [left, top, right, bottom] = r;
    if (edge == SizingEdge::Top || edge == SizingEdge::Bottom)
        right = left + int(std::trunc((bottom - top - chrome) * 1.4));
    else
        bottom = top + int(std::trunc((right - left + 1) * 0.7142857142857143)) + chrome;
    return r;
}

SimulatorWindow::SimulatorWindow(BlockProgram& program, OptionFlags& options, std::filesystem::path appDir,
                                 SimulatorHooks hooks, QWidget* parent)
    : QMainWindow(parent), m_program(program), m_options(options), m_appDir(std::move(appDir)),
      m_hooks(std::move(hooks)), m_sim(std::make_unique<Simulator>()),
      m_textures(std::make_unique<SimTextures>()), m_frame(makeBackBuffer()),
      m_courseLayer(std::make_unique<CourseLayerCache>()) {
    setObjectName(QStringLiteral("input_wnd"));
    setWindowTitle(uiText(Str::SimFrameTitle));
    setWindowIcon(applicationIcon());
    m_sound = new SimSound(this);
    m_view = new SimView(*m_sim, m_frame, this);
    setCentralWidget(m_view);
    buildToolBar();
    buildMenus();
    const int chrome = menuBar()->sizeHint().height() + m_toolBar->sizeHint().height();
    resize(kInitialViewWidth, kInitialViewHeight + chrome);
    move(500, 260);
    m_options.set(Option::SimulatorOpen);

    loadCourses();
    if (m_hooks.gains) m_sim->gains = m_hooks.gains();
    resetSimulator(*m_sim);
    m_sim->highlight = [this](const ActionBlock& block) {
        // The interpreter walks this same program, so the block is one of ours.
        if (m_hooks.setCurrentBlock) m_hooks.setCurrentBlock(const_cast<ActionBlock*>(&block));
    };
    redraw();

    // While the simulator is open its memory stands in for an unconnected robot's, so the palette
    // and the memory map show the floor under the robot even when no program runs.
    linkState().setSimulatorMemory([this](RobotMemory& memory) {
        std::lock_guard lock(m_memoryMutex);
        std::copy(m_published.begin(), m_published.end(), memory.begin());
        return true;
    });

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
        return load(slot, packFile(appConfig().resources, file.lexically_relative(m_appDir), file));
    };
    const CourseLoadResult result = loadCourseConfig(m_sim->courses, m_appDir, loadTexture);
    m_loaded = result.loaded;
    // The user's own records, when kept apart, replace those shipped with the courses.
    if (m_loaded && !m_hooks.recordsDir.empty()) readRecords(m_sim->courses, m_hooks.recordsDir);
    for (const CourseMessage& message : result.messages)
        ask(simQString(courseMessageText(message)),
            isErrorMessage(message.problem) ? QMessageBox::Critical : QMessageBox::Warning, QMessageBox::Ok);
    if (!m_loaded) return;  // the menus stay as they are and nothing can run

    // The placeholder gives way to one item per course.
    m_courseMenu->clear();
    auto* group = new QActionGroup(this);
    for (int i = 0; i < courseCount(m_sim->courses); ++i)
        addCommand(m_courseMenu, SimCommand::FirstCourse + i, courseName(i, m_sim->courses.courses[size_t(i)].name), group);
    if (QAction* first = actionById(SimCommand::FirstCourse)) first->setChecked(true);
    actionById(SimCommand::NormalSpeed)->setChecked(true);
    actionById(SimCommand::ZoomOut)->setChecked(true);
    updateTitle();
}

QAction* SimulatorWindow::addCommand(QMenu* menu, int id, const QString& text, QActionGroup* group) {
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    if (group) {
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    menu->addAction(action);
    m_actions.insert(id, action);
    return action;
}

void SimulatorWindow::buildMenus() {
    QMenu* run = menuBar()->addMenu(uiText(Str::SimMenuRun));
    addCommand(run, SimCommand::Play, uiText(Str::SimPlay));
    addCommand(run, SimCommand::Stop, uiText(Str::SimStop));
    addCommand(run, SimCommand::Pause, uiText(Str::SimPause));

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
    settings->addSeparator();
    addCommand(settings, SimCommand::Records, uiText(Str::SimRecords));
    addCommand(settings, SimCommand::SensorPlot, uiText(Str::SensorPlot))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));

    m_courseMenu = menuBar()->addMenu(uiText(Str::SimMenuCourse));
    m_courseMenu->addAction(uiText(Str::SimCourseHeading))->setEnabled(false);

    const std::array<std::pair<int, int>, 3> tips{{
        {SimCommand::Play, Str::SimTipPlay},
        {SimCommand::Pause, Str::SimTipPause},
        {SimCommand::Stop, Str::SimTipStop},
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

void SimulatorWindow::runCommand(int id) {
    dispatch(id);
    publishMemory();
}

void SimulatorWindow::dispatch(int id) {
    switch (id) {
    case SimCommand::Play: play(); return;
    case SimCommand::Stop: stopCommand(*m_sim); return;
    case SimCommand::Pause: pauseCommand(*m_sim); return;
    case SimCommand::ZoomOut: setZoom(*m_sim, kZoomOut); return;
    case SimCommand::ZoomIn2: setZoom(*m_sim, 2); return;
    case SimCommand::ZoomIn4: setZoom(*m_sim, 4); return;
    case SimCommand::NormalSpeed: setSlowMotion(*m_sim, 0); return;
    case SimCommand::Slow: setSlowMotion(*m_sim, 10); return;
    case SimCommand::Slower: setSlowMotion(*m_sim, 20); return;
    case SimCommand::Records: showRecords(); return;
    case SimCommand::SensorPlot: showSensorPlot(); return;
    default: break;
    }
    const int course = id - SimCommand::FirstCourse;
    if (course >= 0 && course < courseCount(m_sim->courses)) chooseCourse(course);
}

void SimulatorWindow::play() {
    if (m_sim->state == SimState::Running) return;
    const int fault = CheckRepeatStructure(m_program, m_options.bits());
    // The check clears the block marks and marks a faulty path: the chart shows the new marks.
    if (m_hooks.redrawChart) m_hooks.redrawChart();
    if (fault >= 0 &&
        ask(repeatFaultText(fault), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        return;
    playCommand(*m_sim, m_program);
}

void SimulatorWindow::chooseCourse(int course) {
    if (!selectCourse(*m_sim, course)) return;
    if (QAction* action = actionById(SimCommand::FirstCourse + course)) action->setChecked(true);
    updateTitle();
}

void SimulatorWindow::showRecords() {
    ++m_modal;
    RecordDialog dialog(m_sim->courses, this);
    dialog.setWindowModality(Qt::WindowModal);  // the studio stays usable meanwhile
    dialog.exec();
    --m_modal;
}

void SimulatorWindow::showSensorPlot() {
    if (!m_plot) m_plot = std::make_unique<SensorPlotWindow>(*m_sim, m_program, this);
    m_plot->show();
    m_plot->raise();
    m_plot->activateWindow();
}

void SimulatorWindow::updateTitle() {
    const CourseRecord* course = currentCourse(*m_sim);
    if (!course) return;
    setWindowTitle(uiFormat(Str::SimCourseTitle, {toU16(courseName(m_sim->course, course->name))}));
}

void SimulatorWindow::stopRun() {
    if (m_sim->state != SimState::Stopped) stopCommand(*m_sim);
    publishMemory();
}

void SimulatorWindow::stopRunIfItHolds(const std::vector<const ActionBlock*>& blocks) {
    for (const ActionBlock* block : blocks)
        if (runHolds(m_sim->interp, m_sim->state, block)) return stopRun();
}

void SimulatorWindow::setTicking(bool on) {
    m_ticking = on && !m_shutDown;
    if (m_ticking)
        m_timer.start(kSimTickMs);
    else
        m_timer.stop();
}

void SimulatorWindow::tick() {
    if (m_shutDown) return;
    m_tickStart.start();
    if (m_modal == 0) step();
    if (m_ticking) m_timer.start(int(std::max<qint64>(0, kSimTickMs - m_tickStart.elapsed())));
}

void SimulatorWindow::step() {
    if (m_hooks.gains) m_sim->gains = m_hooks.gains();
    m_sim->showLowerRobot = m_options.has(Option::UseSensors34);
    stepSimulation(*m_sim, m_program);
    const std::array<float, 3> camera{m_sim->camera.x, m_sim->camera.y, m_sim->camera.zoom};
    if (!m_drawn || !(*m_drawn == m_sim->draw) || camera != m_drawnCamera) redraw();
    playSounds();
    publishMemory();
}

void SimulatorWindow::redraw() {
    renderDrawList(m_frame, m_sim->draw, m_sim->camera, *m_textures, *m_courseLayer);
    const std::array<float, 3> camera{m_sim->camera.x, m_sim->camera.y, m_sim->camera.zoom};
    // Under the same camera only the items that changed need to reach the screen again.
    const bool sameView = m_drawn && camera == m_drawnCamera;
    const QRectF changed = sameView ? changedArea(*m_drawn, m_sim->draw, m_sim->camera) : QRectF();
    m_drawn = std::make_unique<DrawList>(m_sim->draw);
    m_drawnCamera = camera;
    ++m_framesDrawn;
    if (!sameView) m_view->update();
    else if (!changed.isEmpty()) m_view->updateFrameArea(changed);
}

void SimulatorWindow::playSounds() {
    for (const std::u16string& file : m_sim->pendingSounds) {
        ++m_soundsRequested;
        m_sound->play(QString::fromStdU16String(pathText(resolveDataPath(m_appDir, file))));
    }
    m_sim->pendingSounds.clear();
}

void SimulatorWindow::publishMemory() {
    std::lock_guard lock(m_memoryMutex);
    m_published = m_sim->monitor;
}

QMessageBox::StandardButton SimulatorWindow::ask(const QString& text, QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons) {
    // The simulation holds still while the user answers.
    ++m_modal;
    QMessageBox box(icon, simMessageCaption(), text, buttons, this);
    setDialogFrame(&box);
    box.setWindowModality(Qt::WindowModal);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
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
    m_timer.stop();
    linkState().setSimulatorMemory({});
    if (m_plot) m_plot->close();
    // Without a loaded course set there is nothing to save, and an empty file would wipe the records.
    if (m_loaded && courseCount(m_sim->courses) > 0)
        writeRecords(m_sim->courses, m_hooks.recordsDir.empty() ? m_appDir : m_hooks.recordsDir);
    m_options.clear(Option::SimulatorOpen);
    if (m_hooks.closed) m_hooks.closed();
}

SimulatorWindow* openSimulator(BlockProgram& program, OptionFlags& options, const std::filesystem::path& appDir,
                               SimulatorHooks hooks) {
    QPointer<SimulatorWindow>& window = theWindow();
    if (!window) {
        window = new SimulatorWindow(program, options, appDir, std::move(hooks));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    }
    if (window->isMinimized()) window->showNormal();
    window->raise();
    window->activateWindow();
    return window;
}

SimulatorWindow* simulatorWindow() { return theWindow(); }

void closeSimulator() {
    if (SimulatorWindow* window = theWindow()) window->close();
}

}  // namespace trovel
