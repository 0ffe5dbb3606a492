#include "app/gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <filesystem>

#include "app/app_config.h"
#include "app/studio_context.h"
#include "base/app_folder.h"
#include "base/gui/window_frame.h"
#include "app/gui/about_box.h"
#include "app/gui/chart_print_dialog.h"
#include "app/gui/motor_dialog.h"
#include "app/gui/option_dialog.h"
#include "app/gui/screenshot_export.h"
#include "app/gui/toolbar_icons.h"
#include "base/gui/ui_text.h"
#include "base/gui/user_folders.h"
#include "base/repeat_fault_text.h"
#include "base/string_ids.h"
#include "editor/clipboard.h"
#include "editor/gui/block_palette.h"
#include "editor/gui/chart_pdf.h"
#include "editor/gui/program_area.h"
#include "editor/undo_history.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "model/repeat_check.h"
#include "model/text_convert.h"
#include "robot/gui/memory_map_window.h"
#include "robot/gui/robot_commands.h"
#include "robot/hid_link.h"
#include "robot/hidapi_device.h"
#include "sim/course_config.h"
#include "sim/gui/course_designer_window.h"
#include "sim/gui/course_print_dialog.h"
#include "sim/gui/course_print_file.h"
#include "sim/gui/sim_text.h"
#include "sim/gui/simulator_window.h"
#include "sim/simulator.h"

namespace trovel {

namespace {

std::filesystem::path toPath(const QString& path) { return pathFromText(path.toStdU16String()); }

}  // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QMainWindow(parent),
      m_setup(std::move(setup)),
      m_options(m_setup.context.options),
      m_config(m_setup.context.config),
      m_sensors(m_options),
      m_history(std::make_unique<UndoHistory>(m_options)),
      m_clipboard(std::make_unique<Clipboard>()) {
    setObjectName(QStringLiteral("TrovelStudio"));
    setWindowIcon(applicationIcon());
    newProgram(m_program);

    buildActions();
    buildMenus();
    buildToolBar();
    buildPanes();
    connectPanes();
    startRobotLink();

    resetHistory();
    m_program.currentBlock = head(m_program);
    setTitle();

    // The client area (toolbar and panes) is 800 x 600; only the menu bar lies outside it.
    resize(fitOnScreen(this, {800, 600}, menuBar()->sizeHint().height()));
    placeOnScreen(this, {30, 20});
}

MainWindow::~MainWindow() {
    // The simulator (its signals reach this window) and the link thread go first.
    if (m_simulator) {
        m_simulator->close();
        delete m_simulator;
    }
    m_link->stopLink();
    // Nothing may call back into this window once it is gone.
    m_linkState.setStatusListener({});
}

SimulatorWindow* MainWindow::simulatorWindow() const { return m_simulator; }
CourseDesignerWindow* MainWindow::courseDesigner() const { return m_designer; }

// ---- construction -----------------------------------------------------------------------------

QAction* MainWindow::addCommand(Command id, const QString& text) {
    auto* action = new QAction(text, this);
    action->setData(static_cast<int>(id));  // Command::None (0) marks the toolbar's other items
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    m_actions[id] = action;
    return action;
}

void MainWindow::buildActions() {
    for (Command id : {Command::New,
                       Command::Open,
                       Command::Save,
                       Command::SaveAs,
                       Command::Exit,
                       Command::Undo,
                       Command::Redo,
                       Command::Cut,
                       Command::Copy,
                       Command::Paste,
                       Command::Delete,
                       Command::SelectAll,
                       Command::WriteProgram,
                       Command::ReadProgram,
                       Command::Screenshot,
                       Command::MotorSettings,
                       Command::SimMotorSettings,
                       Command::Options,
                       Command::MemoryMap,
                       Command::About,
                       Command::FirmwareUpdate,
                       Command::Simulator,
                       Command::PrintProgram,
                       Command::PrintCourse,
                       Command::CourseDesigner,
                       Command::TeachersGuide,
                       Command::Examples}) {
        addCommand(id, uiText(commandTextId(id)));
    }
    const std::pair<Command, QKeySequence> keys[] = {
        {Command::SelectAll, QKeySequence(Qt::CTRL | Qt::Key_A)},
        {Command::Copy, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {Command::Exit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {Command::Paste, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {Command::Delete, QKeySequence(Qt::Key_Delete)},
        {Command::Cut, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {Command::Redo, QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {Command::Undo, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {Command::New, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {Command::Open, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {Command::Save, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {Command::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {Command::CourseDesigner, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)},
    };
    for (const auto& [id, key] : keys) actionById(id)->setShortcut(key);
}

void MainWindow::buildMenus() {
    auto add = [this](int titleId, std::initializer_list<Command> ids) {
        QMenu* menu = menuBar()->addMenu(uiText(titleId));
        for (Command id : ids) {
            if (id == Command::None) menu->addSeparator();
            else menu->addAction(actionById(id));
        }
    };
    add(Str::MenuFile, {Command::New, Command::Open, Command::Save, Command::SaveAs, Command::None,
                        Command::PrintProgram, Command::PrintCourse, Command::None, Command::Exit});
    add(Str::MenuEdit, {Command::Undo, Command::Redo, Command::None, Command::Cut, Command::Copy, Command::Paste,
                        Command::Delete, Command::None, Command::SelectAll});
    add(Str::MenuProgram, {Command::WriteProgram, Command::ReadProgram, Command::Screenshot});
    add(Str::MenuSettings, {Command::MotorSettings, Command::SimMotorSettings, Command::Options, Command::MemoryMap});
    add(Str::MenuHelp,
        {Command::TeachersGuide, Command::Examples, Command::None, Command::About, Command::FirmwareUpdate});
    add(Str::MenuSimulator, {Command::Simulator, Command::CourseDesigner});
}

void MainWindow::buildToolBar() {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(36, 41));
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    struct Button {
        Command id;
        int tip;
    };
    const Button buttons[] = {
        {Command::New, Str::TipNew},
        {Command::Open, Str::TipOpen},
        {Command::Save, Str::TipSave},
        {Command::None, 0},
        {Command::Undo, Str::TipUndo},
        {Command::Redo, Str::TipRedo},
        {Command::None, 0},
        {Command::Cut, Str::TipCut},
        {Command::Copy, Str::TipCopy},
        {Command::Paste, Str::TipPaste},
        {Command::None, 0},
        {Command::Simulator, Str::TipSimulator},
        {Command::None, 0},
        {Command::WriteProgram, Str::TipWrite},
    };
    for (const Button& b : buttons) {
        if (b.id == Command::None) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = actionById(b.id);
        action->setIcon(toolbarIcon(b.id));
        action->setToolTip(uiText(b.tip));
        m_toolBar->addAction(action);
    }
    m_statusLabel = new QLabel(uiText(Str::NotConnected), m_toolBar);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Clear of the separator before it and of the window's edge.
    m_statusLabel->setContentsMargins(8, 0, 8, 0);
    m_statusLabel->setFont(m_setup.statusFont);
    // At least as wide as the longest status text, so that none runs over the separator.
    int widest = 0;
    for (LinkStatus status : {LinkStatus::NotConnected, LinkStatus::Connected, LinkStatus::Writing,
                              LinkStatus::FirmwareIncomplete, LinkStatus::InUse})
        widest = std::max(widest, m_statusLabel->fontMetrics().horizontalAdvance(uiText(linkStatusString(status))));
    const QMargins margins = m_statusLabel->contentsMargins();
    m_statusLabel->setFixedSize(std::max({1, m_setup.statusLabelWidth, widest + margins.left() + margins.right()}), 38);
    m_toolBar->addSeparator();
    m_toolBar->addWidget(m_statusLabel);
}

void MainWindow::buildPanes() {
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    m_palette = new BlockPalette(m_program, m_setup.style, m_options, m_sensors, central);
    m_palette->setObjectName(QStringLiteral("poswindow"));
    m_palette->setFixedWidth(kPaletteWidth);
    m_area = new ProgramArea(m_program, m_setup.style, m_options, central);
    layout->addWidget(m_palette);
    layout->addWidget(m_area, 1);
    setCentralWidget(central);

    // Before the host: a panel opened with corrections asks for a redraw at once.
    connect(m_palette, &BlockPalette::panelEdited, this, &MainWindow::recordUndoStep);
    connect(m_palette, &BlockPalette::chartChanged, m_area->viewport(), qOverload<>(&QWidget::update));
    PanelHost host;
    host.names = &m_config.memoryNames;
    m_palette->setPanelHost(host);
    connectPaletteToArea(m_palette, m_area);

    m_memoryMapPlacement = std::make_unique<MemoryMapPlacement>();
    connect(m_palette, &BlockPalette::memoryMapOpenRequested, this, &MainWindow::openMemoryMap);
    connect(m_palette, &BlockPalette::memoryMapCloseRequested, this, [this] {
        if (m_memoryMap) m_memoryMap->close();
    });
}

void MainWindow::connectPanes() {
    // The simulator moves the current block on every tick; the chart follows at most this often.
    m_chartFollow = new QTimer(this);
    m_chartFollow->setSingleShot(true);
    m_chartFollow->setInterval(kChartFollowMs);
    connect(m_chartFollow, &QTimer::timeout, this, [this] { m_area->setCurrentBlock(m_program.currentBlock); });

    // A click on the chart takes the keys away from a panel edit.
    m_area->setFocusPolicy(Qt::StrongFocus);
    qApp->installEventFilter(this);

    connect(m_area, &ProgramArea::editFinished, this, &MainWindow::recordCanvasEdit);
    // A breakpoint set or cleared while a program runs reaches the run.
    connect(m_area->breakpointAction(), &QAction::triggered, this, &MainWindow::simulationFollowEdit);
    connect(m_area, &ProgramArea::blockMenuRequested, this, &MainWindow::showBlockMenu);
    connect(m_area, &ProgramArea::placementRefused, this,
            [this] { ask(uiFormat(Str::TooManyRepeats, {kMaxRepeats}), QMessageBox::Warning, QMessageBox::Ok); });

    m_history->setStopSimulation([this] { stopSimulation(); });
    m_history->setStateListener([this](UndoMenuState state) {
        if (QAction* a = actionById(Command::Undo)) a->setEnabled(state.canUndo);
        if (QAction* a = actionById(Command::Redo)) a->setEnabled(state.canRedo);
    });
}

void MainWindow::startRobotLink() {
    m_link = std::make_unique<HidLink>(robotFinder(m_setup.robotUsb), m_options, m_linkState);
    m_link->setMotorSpeedSink([this](MotorSpeeds speeds) {
        // Called on the link thread: the settings belong to the UI thread.
        QMetaObject::invokeMethod(
            this,
            [this, speeds] {
                m_config.settings.motorSpeed = {speeds.left, speeds.right};
            },
            Qt::QueuedConnection);
    });
    // The listener is in place before the link thread can report; it is removed with the window.
    m_linkState.setStatusListener([this](LinkStatus status) {
        // The link thread reports too: the label is only ever touched on the UI thread.
        QMetaObject::invokeMethod(
            this, [this, status] { m_statusLabel->setText(uiText(linkStatusString(status))); }, Qt::QueuedConnection);
    });
    m_sensors.setRobot([this] { return m_linkState.robotMemory(); });
    connect(m_palette, &BlockPalette::sensorsChanged, this, [this] { m_linkState.showStatus(m_options); });
    if (m_setup.startRobotLink) m_link->startLink();
}

// ---- title, history, menu states --------------------------------------------------------------

void MainWindow::setTitle() {
    const std::u16string& path = m_program.filePath;
    const QString name = path.empty() ? uiText(Str::NewProgramTitle) : toQString(fileTitle(path));
    QString title = QStringLiteral("%1 [ %2 ]").arg(uiText(Str::AppName), name);
    if (m_options.has(Option::ViewMode)) title += uiText(Str::ViewModeSuffix);
    setWindowTitle(title);
}

void MainWindow::appendEditMark() { setWindowTitle(windowTitle() + QStringLiteral(" *")); }

void MainWindow::applyEditResult(bool titleNeedsMark) {
    simulationFollowEdit();
    if (titleNeedsMark) appendEditMark();
    refreshPropertyPanel();
    m_area->repaintAll();
}

void MainWindow::recordUndoStep() {
    simulationFollowEdit();
    if (m_history->recordUndoStep(m_program)) appendEditMark();
    m_history->updateUndoState();
}

void MainWindow::recordCanvasEdit() {
    // A click that only selects changes nothing worth a step, and leaves the title unmarked.
    if (m_history->matchesCurrent(m_program)) return;
    recordUndoStep();
}

void MainWindow::resetHistory() {
    m_history->resetHistory(m_program);
    m_history->updateUndoState();
}

bool MainWindow::canUndo() const { return m_history->state().canUndo; }
bool MainWindow::canRedo() const { return m_history->state().canRedo; }

void MainWindow::updateUndoState() { m_history->updateUndoState(); }

void MainWindow::updateMenuStates() {
    const bool view = m_options.has(Option::ViewMode);
    for (Command id : {Command::New, Command::Open, Command::Save, Command::SaveAs}) actionById(id)->setEnabled(!view);
    actionById(Command::MemoryMap)->setEnabled(m_options.has(Option::ShowMemoryMap));
    updateUndoState();
}

void MainWindow::afterProgramReplaced() {
    stopSimulation();  // every block the run could hold is gone
    setTitle();
    resetHistory();
    refreshPropertyPanel();
    m_area->repaintAll();
}

// ---- commands ---------------------------------------------------------------------------------

void MainWindow::runCommand(Command id) {
    switch (id) {
    case Command::New: commandNew(); break;
    case Command::Open: commandOpen(); break;
    case Command::Save: commandSave(); break;
    case Command::SaveAs: commandSaveAs(); break;
    case Command::Exit: close(); break;
    case Command::Undo: commandUndoRedo(true); break;
    case Command::Redo: commandUndoRedo(false); break;
    case Command::Cut:
        applyEditResult(cutSelection(m_program, *m_clipboard, *m_history).titleNeedsMark);
        m_history->updateUndoState();
        break;
    case Command::Copy: copySelection(m_program, *m_clipboard); break;
    case Command::Paste:
        applyEditResult(
            pasteClipboard(m_program, *m_clipboard, *m_history, m_options.has(Option::BlockCollision)).titleNeedsMark);
        m_history->updateUndoState();
        break;
    case Command::Delete:
        applyEditResult(deleteSelection(m_program, *m_history).titleNeedsMark);
        m_history->updateUndoState();
        break;
    case Command::SelectAll:
        selectAll(m_program);
        m_area->viewport()->update();
        break;
    case Command::Screenshot: commandScreenshot(); break;
    case Command::PrintProgram: commandPrintProgram(); break;
    case Command::PrintCourse: commandPrintCourse(); break;
    case Command::Options: commandOptions(); break;
    case Command::TeachersGuide: openHelpDocument(kTeachersGuideFile); break;
    case Command::Examples: openHelpDocument(kExamplesFolder); break;
    case Command::About: {
        AboutBox about(studioVersion(), this);
        about.setWindowModality(Qt::WindowModal);  // the simulator goes on meanwhile
        about.exec();
        break;
    }
    case Command::Simulator: commandSimulator(); break;
    case Command::CourseDesigner: commandCourseDesigner(); break;
    case Command::MotorSettings: commandMotorSettings(false); break;
    case Command::SimMotorSettings: commandMotorSettings(true); break;
    case Command::WriteProgram: commandWriteProgram(); break;
    case Command::ReadProgram: commandReadProgram(); break;
    case Command::FirmwareUpdate: commandFirmwareUpdate(); break;
    case Command::MemoryMap: m_palette->reopenMemoryMap(); break;
    default: break;
    }
}

void MainWindow::commandNew() {
    if (m_options.has(Option::ViewMode)) return;
    if (confirmDiscard() == QMessageBox::Cancel) return;
    stopSimulation();
    newProgram(m_program);
    m_program.currentBlock = nullptr;
    afterProgramReplaced();
    m_program.currentBlock = head(m_program);
    refreshPropertyPanel();
}

void MainWindow::commandOpen() {
    if (m_options.has(Option::ViewMode)) return;
    if (confirmDiscard() == QMessageBox::Cancel) return;
    const QString title = uiText(Str::OpenProgramTitle);
    const QString path = m_chooseFile ? m_chooseFile(false, title) : runFileDialog(false, title);
    if (!path.isEmpty()) openProgramFile(path);
}

bool MainWindow::openProgramFile(const QString& path) {
    const LoadResult result = loadProgram(m_program, toPath(path));
    switch (result.status) {
    case LoadStatus::Loaded:
        m_lastDir = QFileInfo(path).absolutePath();
        afterProgramReplaced();
        return true;
    case LoadStatus::NotProgramFile:
        ask(uiText(Str::UnsupportedFormat), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    case LoadStatus::Damaged:
        ask(uiFormat(Str::ProgramLineDamaged, {result.line, toU16(path)}), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    case LoadStatus::CannotOpen:
        ask(uiFormat(Str::FileOpenFailed, {toU16(path)}), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    return false;
}

bool MainWindow::saveToFile(const QString& path) {
    if (!saveProgram(m_program, toPath(path))) {
        // The previous file is still there and the edits are still in memory: say so.
        ask(uiFormat(Str::ProgramSaveFailed, {toU16(path)}), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    m_lastDir = QFileInfo(path).absolutePath();
    setTitle();
    m_options.clear(Option::Modified);
    return true;
}

bool MainWindow::commandSave() {
    if (m_options.has(Option::ViewMode)) return false;
    const QString path = toQString(m_program.filePath);
    std::error_code ec;
    if (!path.isEmpty() && std::filesystem::is_regular_file(toPath(path), ec)) return saveToFile(path);
    return commandSaveAs();
}

bool MainWindow::commandSaveAs() {
    if (m_options.has(Option::ViewMode)) return false;
    const QString title = uiText(Str::SaveProgramTitle);
    QString path = m_chooseFile ? m_chooseFile(true, title) : runFileDialog(true, title);
    if (path.isEmpty()) return false;
    return saveToFile(path);
}

QString MainWindow::fileDialogStart(bool save) const {
    const QFileInfo current(toQString(m_program.filePath));
    if (!m_program.filePath.empty() && current.dir().exists())
        return save ? current.absoluteFilePath() : current.absolutePath();
    for (const QString& dir : {m_lastDir, m_setup.programDir})
        if (!dir.isEmpty() && QDir(dir).exists()) return dir;
    return documentsFolder();
}

QString MainWindow::runFileDialog(bool save, const QString& title) {
    const QFileInfo start(fileDialogStart(save));
    QFileDialog dialog(this, title, {}, QStringLiteral("qxp (*.qxp);;txt (*.txt)"));
    if (start.isDir()) {
        dialog.setDirectory(start.absoluteFilePath());
    } else {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("qxp"));
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QMessageBox::StandardButton MainWindow::confirmDiscard() {
    if (!m_options.has(Option::Modified)) return QMessageBox::Yes;
    const auto answer =
        ask(uiText(Str::SaveChanges), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    // A Yes whose save was cancelled or failed must not throw the edits away.
    if (answer == QMessageBox::Yes && !commandSave()) return QMessageBox::Cancel;
    return answer;
}

void MainWindow::commandUndoRedo(bool undo) {
    const UndoStepResult result = undo ? m_history->undo(m_program) : m_history->redo(m_program);
    applyEditResult(result.titleNeedsMark);
    m_history->updateUndoState();
}

void MainWindow::refreshPropertyPanel() {
    if (m_palette) m_palette->showPropertyPanel();
}

void MainWindow::commandScreenshot() {
    if (m_chooseFile) {
        const QString path = m_chooseFile(true, uiText(Str::ScreenshotDialogTitle));
        if (!path.isEmpty()) exportChartImageTo(this, path, m_program, m_setup.style, m_options.bits(), m_asker);
        return;
    }
    exportScreenshot(this, m_program, m_setup.style, m_options.bits(), QFileInfo(fileDialogStart(true)).absolutePath(),
                     m_lastScreenshot, m_asker);
}

QString MainWindow::choosePdfPath(const QString& title, const QString& suggestedName) {
    if (m_chooseFile) return m_chooseFile(true, title);
    QFileDialog dialog(this, title, QFileInfo(fileDialogStart(true)).absolutePath(), QStringLiteral("PDF (*.pdf)"));
    dialog.setObjectName(QStringLiteral("pdfDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(suggestedName + QStringLiteral(".pdf"));
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void MainWindow::commandPrintProgram() {
    ChartPrintDialog dialog(chartPageRequest(m_program, Paper::A4, false), this);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted) return;
    ChartPdfJob job;
    job.title = programPrintTitle(m_program);
    job.fileName = QDir::toNativeSeparators(toQString(m_program.filePath));
    job.plan = dialog.plan();
    const QString path = choosePdfPath(uiText(Str::PrintSaveTitle), job.title);
    if (path.isEmpty()) return;
    if (!saveChartPdf(path, m_program, m_setup.style, m_options.bits(), job)) {
        ask(uiText(Str::PrintFailed), QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    ask(QStringLiteral("%1\n\n'%2'").arg(uiText(Str::PrintSaved), QDir::toNativeSeparators(path)), QMessageBox::NoIcon,
        QMessageBox::Ok);
}

void MainWindow::commandPrintCourse() {
    // The installed courses as the simulator lists them, the user's own after the shipped ones; its
    // current course comes first in the dialog.
    CourseSet courses;
    const std::filesystem::path userDir = toPath(m_setup.userDir.isEmpty() ? m_setup.appDir : m_setup.userDir);
    if (!loadCourseConfig(courses, toPath(m_setup.appDir), {}, userDir).loaded || courseCount(courses) == 0) {
        ask(uiText(Str::PrintNoCourse), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    std::vector<QString> names;
    for (int i = 0; i < courseCount(courses); ++i) names.push_back(courseName(i, courses.courses[size_t(i)]));
    const int current = m_simulator ? m_simulator->simulator().course : 0;
    CoursePrintDialog dialog(names, courses.robotHalf, current, this);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted) return;
    const int index = dialog.course();
    PrintableCourse course;
    course.picture = courses.textures[size_t(index) + Slot::FirstCourse].picture;
    course.name = courses.courses[size_t(index)].name;
    course.index = index;
    course.robotHalf = courses.robotHalf;
    if (!course.picture) {
        ask(uiText(Str::PrintNoPicture), QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    CoursePrintOptions options = dialog.options();
    const QString name = names[size_t(index)];
    const QString path = choosePdfPath(uiText(Str::PrintSaveTitle), name);
    if (path.isEmpty()) return;
    options.out = toPath(path);
    CoursePrintSummary summary;
    if (printCourseFile(course, toU16(name), options, summary) != CoursePrintStatus::Written) {
        ask(uiText(Str::PrintFailed), QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    ask(QStringLiteral("%1\n\n'%2'").arg(uiText(Str::PrintSaved), QDir::toNativeSeparators(path)), QMessageBox::NoIcon,
        QMessageBox::Ok);
}

void MainWindow::commandOptions() {
    OptionDialog dialog(m_options, m_asker, this);
    connect(&dialog, &OptionDialog::memoryMapAllowed, m_palette, &BlockPalette::reopenMemoryMap);
    connect(&dialog, &OptionDialog::settingsChanged, this, [this] { saveAppSettings(m_setup.context); });
    connect(&dialog, &OptionDialog::optionsApplied, this, [this] {
        updateMenuStates();
        refreshPropertyPanel();
        m_palette->viewport()->update();
    });
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
}

QWidget* MainWindow::leftPane() const { return m_palette; }

bool MainWindow::pointerOverLeftPane() const {
    return m_palette->rect().contains(m_palette->mapFromGlobal(QCursor::pos()));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A panel edit claims Ctrl+Z, Ctrl+V, Delete ... for itself. Unless the pointer is over the left
    // pane, refuse that claim so the key reaches the program's commands instead.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        m_palette->isAncestorOf(static_cast<QWidget*>(watched)) && !pointerOverLeftPane()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (Command id : {Command::SelectAll, Command::Copy, Command::Paste, Command::Delete, Command::Cut,
                           Command::Redo, Command::Undo}) {
            if (actionById(id)->shortcut() == pressed) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::stopSimulation() {
    if (m_simulator) m_simulator->stopRun();
}

void MainWindow::simulationFollowEdit() {
    if (m_simulator) m_simulator->programEdited();
}

void MainWindow::commandSimulator() {
    if (!m_simulator) {
        SimulatorHooks hooks;
        hooks.gains = m_config.settings.simGain;
        hooks.resources = m_config.resources;
        hooks.asker = m_asker;
        if (!m_setup.userDir.isEmpty()) hooks.recordsDir = toPath(m_setup.userDir);
        // A window of the studio's own: the window manager keeps it above the chart the pupil clicks.
        auto* sim = new SimulatorWindow(m_program, m_options, toPath(m_setup.appDir), hooks, this);
        sim->setAttribute(Qt::WA_DeleteOnClose);
        connect(sim, &SimulatorWindow::runningBlockChanged, this, [this](ActionBlock* block) {
            m_program.currentBlock = block;
            // A running program moves on every tick; the chart follows ten times a second, which the
            // eye can follow and which costs a tenth of redrawing the chart on every tick.
            if (!m_chartFollow->isActive()) m_chartFollow->start();
        });
        connect(sim, &SimulatorWindow::repeatChecked, this, [this](const RepeatCheck& check) {
            markRepeatCheck(m_program, check);
            m_area->repaintAll();
        });
        connect(sim, &SimulatorWindow::closed, this, [this] {
            m_sensors.setSimulator({});
            refreshPropertyPanel();
            m_palette->viewport()->update();
        });
        m_simulator = sim;
        // While it is open its memory stands in for an unconnected robot's, so the palette and the
        // memory map show the floor under the robot even when no program runs.
        m_sensors.setSimulator([sim] { return sim->publishedMemory(); });
        placeBeside(sim, this);
        sim->show();
    }
    if (m_simulator->isMinimized()) m_simulator->showNormal();
    m_simulator->raise();
    m_simulator->activateWindow();
}

void MainWindow::commandCourseDesigner() {
    if (!m_designer) {
        CourseDesignerSetup setup;
        setup.appDir = toPath(m_setup.appDir);
        // The user's courses go where the simulator looks for them.
        setup.userDir = toPath(m_setup.userDir.isEmpty() ? m_setup.appDir : m_setup.userDir);
        setup.asker = m_asker;
        if (m_chooseFile)
            setup.chooseFile = [this](bool save, const QString& title, const QString&) {
                return m_chooseFile(save, title);
            };
        auto* designer = new CourseDesignerWindow(std::move(setup), this);
        designer->setAttribute(Qt::WA_DeleteOnClose);
        connect(designer, &CourseDesignerWindow::installing, this, [this] {
            if (m_simulator) m_simulator->saveRecordsNow();
        });
        connect(designer, &CourseDesignerWindow::courseInstalled, this, &MainWindow::courseInstalled);
        m_designer = designer;
        placeBeside(designer, this);
        designer->show();
    }
    if (m_designer->isMinimized()) m_designer->showNormal();
    m_designer->raise();
    m_designer->activateWindow();
}

void MainWindow::courseInstalled(int course, bool tryIt) {
    const bool wasOpen = m_simulator;
    if (wasOpen) m_simulator->reloadCourses();
    if (!tryIt) return;
    if (!wasOpen) commandSimulator();
    else m_simulator->raise();
    if (!m_simulator) return;
    if (QAction* choice = m_simulator->courseAction(course)) choice->trigger();
    if (QAction* play = m_simulator->actionById(SimCommand::Play)) play->trigger();
}

void MainWindow::commandMotorSettings(bool simulator) {
    // Window-modal: the frame waits while the dialog is open, the simulator does not.
    MotorDialog dialog(simulator ? MotorDialogKind::Simulator : MotorDialogKind::Robot, m_config.settings, m_options,
                       m_asker, this);
    connect(&dialog, &MotorDialog::settingsChanged, this, [this] { saveAppSettings(m_setup.context); });
    connect(&dialog, &MotorDialog::simulatorGainsChanged, this, [this](std::array<uint8_t, 2> gains) {
        if (m_simulator) m_simulator->setGains(gains);
    });
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
}

void MainWindow::commandWriteProgram() {
    stopSimulation();
    WriteProgramHooks hooks;
    hooks.repeatCheckAllowsWrite = [this] {
        const RepeatCheck check = checkRepeats(m_program, m_options.bits());
        markRepeatCheck(m_program, check);
        m_area->repaintAll();  // the faulty path shows as selected
        const int fault = check.result;
        if (fault < 0) return true;
        // Yes abandons the write.
        return ask(toQString(repeatFaultQuestion(fault, RepeatFaultStops::Write)), QMessageBox::Warning,
                   QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes;
    };
    hooks.asker = m_asker;
    const auto& speed = m_config.settings.motorSpeed;
    writeProgramToRobot(this, m_program, *m_link, MotorSpeeds{speed[0], speed[1]}, hooks);
}

void MainWindow::commandReadProgram() {
    stopSimulation();
    auto& speed = m_config.settings.motorSpeed;
    MotorSpeeds speeds{speed[0], speed[1]};
    ReadProgramHooks hooks;
    // After the confirmation: the offer to save the program about to be replaced.
    hooks.beforeTransfer = [this] {
        if (confirmDiscard() == QMessageBox::Cancel) return false;
        m_program.currentBlock = nullptr;
        refreshPropertyPanel();
        return true;
    };
    // The new program and its title are on screen before the completion message.
    hooks.programReplaced = [&] {
        speed = {speeds.left, speeds.right};
        afterProgramReplaced();
    };
    // Succeeded, failed or cancelled: the first block is current again.
    hooks.afterTransfer = [this] {
        m_program.currentBlock = head(m_program);
        refreshPropertyPanel();
        m_area->viewport()->update();
    };
    hooks.asker = m_asker;
    readProgramFromRobot(this, m_program, *m_link, speeds, hooks);
}

void MainWindow::commandFirmwareUpdate() {
    stopSimulation();
    const auto& speed = m_config.settings.motorSpeed;
    updateFirmware(this, *m_link, MotorSpeeds{speed[0], speed[1]}, fileDialogStart(false), {}, m_asker);
}

void MainWindow::openMemoryMap() {
    if (m_memoryMap) return;
    auto* window = new MemoryMapWindow(
        m_config.memoryNames.displayName, [this] { return m_sensors.memory(); }, *m_memoryMapPlacement, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_memoryMap = window;
    // Closed by the user, by the option or with the studio: the palette's timer knows it is gone.
    connect(window, &QObject::destroyed, m_palette, [palette = m_palette] { palette->setMemoryMapOpen(false); });
    m_palette->setMemoryMapOpen(true);
    window->show();
}

void MainWindow::showBlockMenu(const QPoint& globalPos) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("blockMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (Command id : {Command::Undo, Command::Redo, Command::None, Command::Cut, Command::Copy, Command::Paste,
                       Command::Delete, Command::None, Command::SelectAll}) {
        if (id == Command::None) menu->addSeparator();
        else menu->addAction(actionById(id));
    }
    menu->addSeparator();
    menu->addAction(m_area->breakpointAction());
    menu->popup(globalPos);
}

QMessageBox::StandardButton MainWindow::ask(const QString& text, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons) {
    const Question question{text, icon, buttons};
    if (m_asker) return m_asker(question);
    return askInBox(this, uiText(Str::MessageCaption), question, QStringLiteral("studioMessage"));
}

// ---- window events ----------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_options.has(Option::ViewMode) && confirmDiscard() == QMessageBox::Cancel) {
        event->ignore();
        return;
    }
    // The designer may hold an unsaved course: it asks first, and may keep the studio open.
    if (m_designer && !m_designer->close()) {
        event->ignore();
        return;
    }
    // The simulator is a window of its own: it closes with the studio.
    if (m_simulator) m_simulator->close();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (isMinimized()) {
        // A tool window left on screen without its frame: closed, and back when the frame is.
        if (m_memoryMap) {
            m_memoryMap->close();
            m_memoryMapClosedByMinimize = true;
        }
    } else if (m_memoryMapClosedByMinimize) {
        m_memoryMapClosedByMinimize = false;
        m_palette->reopenMemoryMap();
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    updateMenuStates();
    bool loaded = false;
    if (!m_setup.pendingPath.isEmpty()) {
        const QString path = m_setup.pendingPath;
        m_setup.pendingPath.clear();
        loaded = openProgramFile(path);
    }
    if (!m_setup.startSimulator) return;
    commandSimulator();
    SimulatorWindow* sim = m_simulator;
    if (!sim) return;
    if (m_setup.startCourse >= 0)
        if (QAction* course = sim->courseAction(m_setup.startCourse)) course->trigger();
    // Playing a new, empty program would only stop at once: play only what the command line loaded.
    if (m_setup.startPlaying && loaded)
        if (QAction* play = sim->actionById(SimCommand::Play)) play->trigger();
}

void MainWindow::openHelpDocument(std::string_view name) {
    const std::filesystem::path folder =
        helpFolder(toU16(m_setup.appDir), QCoreApplication::applicationFilePath().toStdU16String());
    const std::filesystem::path path = folder / name;
    std::error_code ec;
    const QString shown = QString::fromStdU16String(pathText(path));
    if (!std::filesystem::exists(path, ec) || !QDesktopServices::openUrl(QUrl::fromLocalFile(shown)))
        ask(uiFormat(Str::HelpCannotOpen, {pathText(path)}), QMessageBox::Warning, QMessageBox::Ok);
}

}  // namespace trovel
