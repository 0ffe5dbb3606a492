// The studio window: commands by id, title rules, undo states, files, and the close question.

#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QToolBar>
#include <QtTest>

#include "app/app_config.h"
#include "app/studio_context.h"
#include "app/gui/main_window.h"
#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "editor/gui/block_palette.h"
#include "editor/gui/program_area.h"
#include "editor/gui/property_panel.h"
#include "gui_test_support.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "sim/gui/record_dialog.h"
#include "sim/gui/simulator_window.h"
#include "sim/simulator.h"

#include <filesystem>

using namespace trovel;

namespace {

const QString kNewTitle = QStringLiteral("TrovelStudio [ 新しいプログラム ]");

bool sameBlocks(const BlockProgram& a, const BlockProgram& b) {
    if (a.blocks.size() != b.blocks.size()) return false;
    for (size_t i = 0; i < a.blocks.size(); ++i) {
        const ActionBlock& x = *a.blocks[i];
        const ActionBlock& y = *b.blocks[i];
        if (x.type != y.type || x.param != y.param || x.x != y.x || x.y != y.y || x.bend != y.bend ||
            x.name != y.name || indexOf(a, x.next[0]) != indexOf(b, y.next[0]) ||
            indexOf(a, x.next[1]) != indexOf(b, y.next[1]) || indexOf(a, x.partner) != indexOf(b, y.partner)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Takes the place of the desktop's program for file URLs, so a test sees what would be opened.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class MainWindowTest : public QObject {
    Q_OBJECT

    StudioContext m_context;  // outlives every window of the test
    std::unique_ptr<MainWindow> m_window;
    QString m_dir;

    void makeWindow(const QString& pending = {}) {
        MainWindowSetup setup{m_context};
        setup.style = defaultChartStyle(chartTextSources({}, {}));
        setup.statusFont = chartFont();
        setup.appDir = m_dir;
        setup.pendingPath = pending;
        m_window = std::make_unique<MainWindow>(std::move(setup));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    QWidget* canvas() { return m_window->programArea()->viewport(); }
    // The next file dialogs answer with these paths in turn (an empty one cancels).
    void answerFiles(QStringList paths) {
        m_fileAnswers = std::move(paths);
        m_fileTitles.clear();
        m_window->setFileChooser([this](bool save, const QString& title) {
            m_fileTitles << (save ? "save:" : "open:") + title;
            return m_fileAnswers.isEmpty() ? QString() : m_fileAnswers.takeFirst();
        });
    }
    QStringList m_fileAnswers;
    QStringList m_fileTitles;
    void trigger(Command id) { m_window->actionById(id)->trigger(); }
    // One recorded edit: the Start block dragged 27 pixels to the right.
    void moveStartBlock() {
        const ActionBlock* start = program().blocks[0].get();
        const QPoint grab = QPoint(start->x + 30, start->y + 16) - m_window->programArea()->scrollPosition();
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, grab);
        QTest::mouseMove(canvas(), grab + QPoint(27, 0));
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, grab + QPoint(27, 0));
    }
    BlockProgram& program() { return m_window->program(); }
    // A window over a private copy of the simulator's part of the application folder.
    void makeWindowWithCourses(const QString& name) { makeWindowWithCourses(name, MainWindowSetup{m_context}); }
    void makeWindowWithCourses(const QString& name, MainWindowSetup setup) {
        namespace fs = std::filesystem;
        const fs::path app = fs::path(m_dir.toStdU16String()) / name.toStdU16String();
        fs::remove_all(app);
        fs::create_directories(app);
        for (const char* part : {"texture.ini", "course", "sim", "sound"})
            fs::copy(fs::path(TROVEL_APP_DIR) / part, app / part, fs::copy_options::recursive);
        setup.style = defaultChartStyle(chartTextSources({}, {}));
        setup.statusFont = chartFont();
        setup.appDir = QString::fromStdU16String(app.u16string());
        m_window = std::make_unique<MainWindow>(std::move(setup));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    QPoint onBlock(const ActionBlock* b) {
        return QPoint(b->x + 20, b->y + 16) - m_window->programArea()->scrollPosition();
    }

private slots:
    void initTestCase() { m_dir = test::testDir(QStringLiteral("main_window")); }
    void init() { m_context.options.reset(0); }
    void cleanup() {
        m_context.options.reset(0);  // nothing modified: the window closes without asking
        m_window.reset();
    }

    void everyCommandIdHasItsAction() {
        makeWindow();
        // Each command's menu text is the string its number names, the number language packs translate.
        const std::pair<Command, int> texts[] = {
            {Command::Exit, 40001},
            {Command::New, 40002},
            {Command::Save, 40003},
            {Command::SaveAs, 40004},
            {Command::Open, 40005},
            {Command::Undo, 40006},
            {Command::Redo, 40007},
            {Command::Cut, 40008},
            {Command::Copy, 40009},
            {Command::Paste, 40010},
            {Command::Delete, 40011},
            {Command::WriteProgram, 40015},
            {Command::About, 40031},
            {Command::SelectAll, 40032},
            {Command::MotorSettings, 40033},
            {Command::FirmwareUpdate, 40046},
            {Command::Options, 40084},
            {Command::MemoryMap, 40086},
            {Command::ReadProgram, 40088},
            {Command::Screenshot, 40115},
            {Command::SimMotorSettings, 40116},
            {Command::Simulator, 40201},
            {Command::PrintCourse, Str::PrintCourse},
            {Command::PrintProgram, Str::PrintProgram},
        };
        for (const auto& [id, text] : texts) {
            QAction* action = m_window->actionById(id);
            QVERIFY2(action, qPrintable(QString::number(text)));
            QCOMPARE(action->data().toInt(), static_cast<int>(id));
            QCOMPARE(action->text(), uiText(text));
            QVERIFY(!action->text().isEmpty());
        }
        QCOMPARE(m_window->actionById(Command::New)->text(), QStringLiteral("新規作成"));
        QCOMPARE(m_window->actionById(Command::SaveAs)->text(), QStringLiteral("名前をつけて保存..."));
        QCOMPARE(m_window->actionById(Command::Simulator)->text(), QStringLiteral("シミュレータの起動"));
        QCOMPARE(m_window->actionById(Command::Undo)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(m_window->actionById(Command::Delete)->shortcut(), QKeySequence(Qt::Key_Delete));
        QCOMPARE(m_window->actionById(Command::Exit)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        // Every command is available; the memory map only with its option.
        for (Command id :
             {Command::WriteProgram, Command::ReadProgram, Command::MotorSettings, Command::SimMotorSettings,
              Command::FirmwareUpdate, Command::Simulator, Command::Screenshot, Command::Options, Command::About})
            QVERIFY(m_window->actionById(id)->isEnabled());
        QVERIFY(!m_window->actionById(Command::MemoryMap)->isEnabled());

        QStringList menus;
        for (QAction* a : m_window->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"ファイル(&F)", "編集(&E)", "プログラム(&P)", "設定(&D)", "ヘルプ(&H)",
                                     "シミュレータ(&S)"}));

        // Ten toolbar buttons in their order, with their tips, and the status label.
        QList<int> buttons;
        for (QAction* a : m_window->toolBar()->actions())
            if (!a->isSeparator() && a->data().toInt() != 0) buttons << a->data().toInt();
        QCOMPARE(buttons, (QList<int>{int(Command::New), int(Command::Open), int(Command::Save), int(Command::Undo),
                                      int(Command::Redo), int(Command::Cut), int(Command::Copy), int(Command::Paste),
                                      int(Command::Simulator), int(Command::WriteProgram)}));
        QCOMPARE(m_window->actionById(Command::New)->toolTip(), QStringLiteral("新しいプログラムを作成する"));
        QCOMPARE(m_window->statusLabel()->text(), QStringLiteral("未接続"));
    }

    // The build tree lays the guide and the examples out as the package does (the package test
    // checks the installed ones); a missing one is said, not opened.
    void helpMenuOpensTheGuideAndTheExamples() {
        makeWindow();
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        test::ScriptedAnswers answers;
        m_window->setAsker(answers.asker());
        trigger(Command::TeachersGuide);
        trigger(Command::Examples);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(answers.texts, QStringList());
        QCOMPARE(catcher.urls.size(), 2);
        QCOMPARE(QFileInfo(catcher.urls[0].toLocalFile()).fileName(), QStringLiteral("teachers-guide.md"));
        QVERIFY(QFileInfo(catcher.urls[0].toLocalFile()).isFile());
        QVERIFY(QFileInfo(catcher.urls[1].toLocalFile() + "/line_follower.qxp").isFile());
        QList<QAction*> help;
        for (QAction* menu : m_window->menuBar()->actions())
            if (menu->text() == uiText(Str::MenuHelp)) help = menu->menu()->actions();
        QVERIFY(help.contains(m_window->actionById(Command::TeachersGuide)));
        QVERIFY(help.contains(m_window->actionById(Command::Examples)));
    }

    void layoutPutsThePaletteLeftOfTheProgramArea() {
        makeWindow();
        QCOMPARE(m_window->leftPane()->width(), 272);
        QVERIFY(m_window->programArea()->x() >= 272);
        QVERIFY(m_window->programArea()->width() > 400);
    }

    // The frame opens at (30, 20) with a client area of 800 x 600 under the menu bar; the toolbar
    // is part of that area, so the panes get what the toolbar leaves.
    void frameOpensWithAnEightHundredBySixHundredClientArea() {
        makeWindow();
        const int belowMenu = m_window->height() - m_window->menuBar()->height();
        QCOMPARE(m_window->width(), 800);
        QCOMPARE(belowMenu, 600);
        QCOMPARE(m_window->leftPane()->height() + m_window->findChild<QToolBar*>("toolbar")->height(), 600);
    }

    // The palette hands its pick to the program area; the placed block's panel appears below it,
    // and typing into the panel is one undo step like any other edit.
    void paletteAndPanelWorkWithTheWindow() {
        makeWindow();
        BlockPalette* palette = m_window->palette();
        QVERIFY(palette);
        QTest::mouseClick(palette->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(87 + 30, 6 + 18));
        QCOMPARE(palette->paletteSelection(), static_cast<int>(BlockType::Forward));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
        QCOMPARE(program().blocks.size(), size_t(3));
        QCOMPARE(palette->paletteSelection(), 0);
        ActionBlock* placed = program().blocks[2].get();
        QCOMPARE(placed->type, BlockType::Forward);
        QCOMPARE(program().currentBlock, placed);
        QVERIFY(palette->propertyPanel());
        QCOMPARE(palette->propertyPanel()->kind(), PanelKind::Motion);
        QVERIFY(m_window->canUndo());
        trigger(Command::Undo);  // undo the placement: the panel follows the program
        QCOMPARE(program().blocks.size(), size_t(2));
        QVERIFY(palette->propertyPanel()->block() == nullptr ||
                indexOf(program(), palette->propertyPanel()->block()) >= 0);
    }

    // The robot commands without a robot say so and change nothing.
    void robotCommandsWithoutARobotAskForTheCable() {
        makeWindow();
        test::ScriptedAnswers answers;
        m_window->setAsker(answers.asker());
        for (Command id : {Command::WriteProgram, Command::ReadProgram}) {
            answers.texts.clear();
            trigger(id);
            QCOMPARE(answers.texts.size(), 1);
            const QString text = answers.texts[0];
            QVERIFY2(text.contains(QStringLiteral("ロボットをPCに接続してください。")), qPrintable(text));
            QCOMPARE(program().blocks.size(), size_t(2));
        }
    }

    // The simulator opens from the menu on the shipped courses, an edit stops its run, and it
    // closes together with the studio.
    void simulatorOpensAndClosesWithTheStudio() {
        makeWindowWithCourses(QStringLiteral("app"));
        trigger(Command::Simulator);
        QVERIFY(m_window->simulatorWindow());
        QVERIFY(m_context.options.has(Option::SimulatorOpen));
        trigger(Command::Simulator);  // a second start raises the same window
        QVERIFY(m_window->simulatorWindow());
        moveStartBlock();  // an edit while the simulator is open
        QVERIFY(m_window->canUndo());
        m_context.options.clear(Option::Modified);
        QVERIFY(m_window->close());
        QTRY_VERIFY(!m_window->simulatorWindow());
        QVERIFY(!m_context.options.has(Option::SimulatorOpen));
    }

    // Opening the simulator a second time raises the one window; closing deletes it.
    void openingTwiceRaisesTheOneWindow() {
        makeWindowWithCourses(QStringLiteral("twice"));
        trigger(Command::Simulator);
        SimulatorWindow* first = m_window->simulatorWindow();
        QVERIFY(first);
        first->setTicking(false);
        trigger(Command::Simulator);
        QCOMPARE(m_window->simulatorWindow(), first);
        QPointer<SimulatorWindow> guard(first);
        first->close();
        QTRY_VERIFY(guard.isNull());  // deleted on close
        QVERIFY(!m_window->simulatorWindow());
        QVERIFY(!m_context.options.has(Option::SimulatorOpen));
    }

    // While the simulator is open its memory stands in for an unconnected robot's.
    void openSimulatorLendsItsMemoryToThePaletteAndMemoryMap() {
        makeWindowWithCourses(QStringLiteral("sensors"));
        trigger(Command::Simulator);
        SimulatorWindow* w = m_window->simulatorWindow();
        QVERIFY(w);
        w->setTicking(false);
        const SensorFeed& feed = m_window->sensorFeed();
        auto ticks = [w](int n) {
            for (int i = 0; i < n; ++i) w->tick();
        };
        auto press = [w](SimCommand command) { w->actionById(command)->trigger(); };
        // A program whose one Forward block never ends.
        BlockProgram& p = program();
        ActionBlock* start = head(p);
        ActionBlock* move = test::addBlock(p, BlockType::Forward, 27, 99);
        move->param[1] = 1;
        start->next[0] = move;
        move->next[0] = move;
        // Open and stopped: the floor under the robot is read every tick and shown.
        ticks(2);
        QCOMPARE(feed.source(), SensorSource::Simulator);
        MemoryImage memory = feed.memory();
        QVERIFY(memory[MemoryMap::LeftSensor] != 0);  // the floor was sampled
        QCOMPARE(memory[MemoryMap::LeftSensor], w->simulator().memory[MemoryMap::LeftSensor]);
        QCOMPARE(int(memory[MemoryMap::LeftWheel]), 0);

        press(SimCommand::Play);
        ticks(3);
        QCOMPARE(feed.source(), SensorSource::Simulator);
        memory = feed.memory();
        QCOMPARE(memory[MemoryMap::RightSensor], w->simulator().memory[MemoryMap::RightSensor]);
        QCOMPARE(int(memory[MemoryMap::LeftWheel]), 240);
        press(SimCommand::Stop);
        ticks(1);
        QCOMPARE(feed.source(), SensorSource::Simulator);
        QCOMPARE(int(feed.memory()[MemoryMap::LeftWheel]), 0);

        // A connected robot comes first.
        m_context.options.set(Option::Connected);
        QCOMPARE(feed.source(), SensorSource::Robot);
        m_context.options.clear(Option::Connected);
        w->close();
        QCOMPARE(feed.source(), SensorSource::None);
    }

    // The memory-map window follows its option through the palette's timer; the user may close it
    // and the menu command brings it back.
    void memoryMapFollowsItsOption() {
        auto openMaps = [] {
            int n = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->windowTitle() == QStringLiteral("メモリマップ") && w->isVisible()) ++n;
            return n;
        };
        makeWindow();
        QVERIFY(!m_window->actionById(Command::MemoryMap)->isEnabled());
        m_window->palette()->timerTick();
        QCOMPARE(openMaps(), 0);
        m_window.reset();

        m_context.options.set(Option::ShowMemoryMap);
        makeWindow();
        QVERIFY(m_window->actionById(Command::MemoryMap)->isEnabled());
        m_window->palette()->timerTick();
        QCOMPARE(openMaps(), 1);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QStringLiteral("メモリマップ")) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_window->palette()->timerTick();
        QCOMPARE(openMaps(), 0);  // closed by the user: not reopened by the timer alone
        trigger(Command::MemoryMap);
        m_window->palette()->timerTick();
        QCOMPARE(openMaps(), 1);
        // Minimising the studio closes it; restoring lets the timer open it again.
        m_window->showMinimized();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(openMaps(), 0);
        m_window->palette()->timerTick();
        QCOMPARE(openMaps(), 0);
        m_window->showNormal();
        m_window->palette()->timerTick();
        QCOMPARE(openMaps(), 1);
        m_context.options.clear(Option::ShowMemoryMap);
        m_window->palette()->timerTick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(openMaps(), 0);
    }

    void titleMarksTheFirstEditAndSaveClearsIt() {
        makeWindow();
        QCOMPARE(m_window->windowTitle(), kNewTitle);
        moveStartBlock();
        QCOMPARE(m_window->windowTitle(), kNewTitle + " *");
        QVERIFY(m_context.options.has(Option::Modified));
        moveStartBlock();
        QCOMPARE(m_window->windowTitle(), kNewTitle + " *");  // only the first edit adds the mark

        const QString path = m_dir + "/titled.qxp";
        QVERIFY(m_window->saveToFile(path));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TrovelStudio [ titled.qxp ]"));
        QVERIFY(!m_context.options.has(Option::Modified));
        moveStartBlock();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TrovelStudio [ titled.qxp ] *"));
    }

    void undoAndRedoWalkThroughEditsWithTheirMenuStates() {
        makeWindow();
        QAction* undo = m_window->actionById(Command::Undo);
        QAction* redo = m_window->actionById(Command::Redo);
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        const int startX = program().blocks[0]->x;
        moveStartBlock();
        QCOMPARE(program().blocks[0]->x, startX + 27);
        QVERIFY(undo->isEnabled() && !redo->isEnabled());
        moveStartBlock();
        QCOMPARE(program().blocks[0]->x, startX + 54);

        QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(program().blocks[0]->x, startX + 27);
        QVERIFY(undo->isEnabled() && redo->isEnabled());
        trigger(Command::Undo);
        QCOMPARE(program().blocks[0]->x, startX);
        QVERIFY(!undo->isEnabled() && redo->isEnabled());
        QTest::keyClick(m_window.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(program().blocks[0]->x, startX + 27);

        // A new edit after Undo drops the redo steps.
        moveStartBlock();
        QVERIFY(undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(program().blocks[0]->x, startX + 54);

        // New starts the history again.
        m_context.options.clear(Option::Modified);
        trigger(Command::New);
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(program().blocks.size(), size_t{2});
    }

    // A focused panel edit gets the editing keys only while the pointer is over the left pane;
    // elsewhere they act on the program, and a click on the chart takes the focus back.
    void editingKeysFollowThePointer() {
        makeWindow();
        BlockPalette* palette = m_window->palette();
        QTest::mouseClick(palette->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(87 + 30, 6 + 18));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
        QCOMPARE(program().blocks.size(), size_t(3));
        auto* edit = palette->propertyPanel()->findChild<QLineEdit*>();
        QVERIFY(edit);
        edit->setFocus();
        QVERIFY(edit->hasFocus());
        const QPoint overPane = palette->mapToGlobal(QPoint(100, 300));
        const QPoint overChart = canvas()->mapToGlobal(QPoint(400, 400));

        // Over the pane, Ctrl+Z and Delete are the edit's own.
        QCursor::setPos(overPane);
        edit->setText(QStringLiteral("12"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString());
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("12"));
        QCOMPARE(program().blocks.size(), size_t(3));

        // Over the chart they act on the program although a panel edit has the focus. A command
        // may replace the panel, so the edit is looked up again after each.
        auto focusedEdit = [palette] {
            auto* e = palette->propertyPanel()->findChild<QLineEdit*>();
            if (e) e->setFocus();
            return e;
        };
        QCursor::setPos(overChart);
        QVERIFY(!m_window->canRedo());
        QTest::keyClick(focusedEdit(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(m_window->canRedo());
        QVERIFY(focusedEdit());
        QTest::keyClick(focusedEdit(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!m_window->canRedo());
        QLineEdit* e = focusedEdit();
        QVERIFY(e);
        e->deselect();
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!e->hasSelectedText());
        for (const auto& b : program().blocks) QVERIFY(b->flags & FlagSelected);
        QVERIFY(e->hasFocus());
        QTest::keyClick(e, Qt::Key_Delete);
        QCOMPARE(program().blocks.size(), size_t(2));  // Start and End stay
        focusedEdit();

        QVERIFY(focusedEdit() == nullptr || palette->isAncestorOf(QApplication::focusWidget()));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(400, 400));
        QCOMPARE(QApplication::focusWidget(), m_window->programArea());
    }

    // --simulator, --course N and --play: the simulator opens on that course and runs the program
    // loaded from the command line; without a loaded program it does not run.
    void startOptionsOpenTheSimulatorOnACourseAndPlay_data() {
        QTest::addColumn<bool>("withProgram");
        QTest::addColumn<int>("course");
        QTest::addColumn<bool>("play");
        QTest::newRow("open only") << true << -1 << false;
        QTest::newRow("course 2") << true << 2 << false;
        QTest::newRow("course 1 and play") << true << 1 << true;
        QTest::newRow("play with nothing loaded") << false << -1 << true;
        QTest::newRow("course out of range") << true << 99 << false;
    }
    void startOptionsOpenTheSimulatorOnACourseAndPlay() {
        QFETCH(bool, withProgram);
        QFETCH(int, course);
        QFETCH(bool, play);
        MainWindowSetup setup{m_context};
        if (withProgram) setup.pendingPath = QStringLiteral(TROVEL_SOURCE_DIR "/examples/line_follower.qxp");
        setup.startSimulator = true;
        setup.startCourse = course;
        setup.startPlaying = play;
        makeWindowWithCourses(QStringLiteral("start_options"), std::move(setup));
        SimulatorWindow* sim = m_window->simulatorWindow();
        QVERIFY(sim);
        sim->setTicking(false);
        QVERIFY(sim->coursesLoaded());
        const int chosen = course >= 0 && course < 4 ? course : 0;
        QVERIFY(sim->courseAction(chosen)->isChecked());
        QCOMPARE(sim->simulator().state == SimState::Running, play && withProgram);
        QCOMPARE(program().blocks.size() > 2, withProgram);
        sim->close();
        QTRY_VERIFY(!m_window->simulatorWindow());
    }

    void cutAndPasteOfARepeatPairGetsANewRepeatNumber() {
        makeWindow();
        ProgramArea* area = m_window->programArea();
        area->setPaletteSelection(static_cast<int>(BlockType::RepeatStart));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, {300, 60});
        area->setPaletteSelection(static_cast<int>(BlockType::RepeatStart));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, {450, 60});
        QCOMPARE(program().blocks.size(), size_t{6});
        ActionBlock* first = program().blocks[2].get();
        QCOMPARE(first->param[2], 0);
        QCOMPARE(program().blocks[4]->param[2], 1);

        // Select the first pair's end alone with a right click, cut it: its start goes too.
        QTest::mouseClick(canvas(), Qt::RightButton, Qt::NoModifier, {300, 150});
        QCOMPARE(program().blocks[3]->type, BlockType::RepeatEnd);
        QVERIFY(program().blocks[3]->flags & FlagSelected);
        auto* menu = m_window->findChild<QMenu*>(QStringLiteral("blockMenu"));
        QVERIFY(menu);
        menu->close();
        QTest::keyClick(m_window.get(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(program().blocks.size(), size_t{4});

        QTest::keyClick(m_window.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(program().blocks.size(), size_t{6});
        const ActionBlock* pastedStart = program().blocks[4].get();
        const ActionBlock* pastedEnd = program().blocks[5].get();
        QCOMPARE(pastedStart->type, BlockType::RepeatStart);
        QCOMPARE(pastedEnd->type, BlockType::RepeatEnd);
        QCOMPARE(pastedStart->partner, pastedEnd);
        QCOMPARE(pastedEnd->next[1], pastedStart);
        // The pasted copy still carries 0 when the free number is looked up, and 1 belongs to the
        // second pair, so it gets 2: never a number another repeat uses.
        QCOMPARE(pastedStart->param[2], 2);
        QCOMPARE(program().blocks[2]->param[2], 1);
        QVERIFY(pastedStart->flags & FlagSelected);

        // Undo brings the cut pair back, Redo removes it again.
        trigger(Command::Undo);
        trigger(Command::Undo);
        QCOMPARE(program().blocks.size(), size_t{6});
        QCOMPARE(program().blocks[2]->type, BlockType::RepeatStart);
        QCOMPARE(program().blocks[2]->param[2], 0);
        trigger(Command::Redo);
        QCOMPARE(program().blocks.size(), size_t{4});
    }

    void contextMenuOffersTheEditCommands() {
        makeWindow();
        QTest::mouseClick(canvas(), Qt::RightButton, Qt::NoModifier, {60, 25});
        auto* menu = m_window->findChild<QMenu*>(QStringLiteral("blockMenu"));
        QVERIFY(menu);
        QList<int> ids;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->objectName() != QStringLiteral("breakpointAction")) ids << a->data().toInt();
        QCOMPARE(ids, (QList<int>{int(Command::Undo), int(Command::Redo), int(Command::Cut), int(Command::Copy),
                                  int(Command::Paste), int(Command::Delete), int(Command::SelectAll)}));
        // Last, the simulator's breakpoint on the block (ここで止める).
        QCOMPARE(menu->actions().last()->objectName(), QStringLiteral("breakpointAction"));
        QCOMPARE(menu->actions().last()->text(), QStringLiteral("ここで止める"));
        QVERIFY(!menu->actions().first()->isEnabled());  // nothing to undo yet
        menu->close();
    }

    void selectAllAndDeleteKeepStartAndEnd() {
        makeWindow();
        m_window->programArea()->setPaletteSelection(static_cast<int>(BlockType::Forward));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, {300, 200});
        QCOMPARE(program().blocks.size(), size_t{3});
        QTest::keyClick(m_window.get(), Qt::Key_A, Qt::ControlModifier);
        for (const auto& b : program().blocks) QVERIFY(b->flags & FlagSelected);
        QTest::keyClick(m_window.get(), Qt::Key_Delete);
        QCOMPARE(program().blocks.size(), size_t{2});
        QCOMPARE(program().blocks[0]->next[0], program().blocks[1].get());
    }

    void openEditSaveAndReopenKeepsEveryField() {
        makeWindow();
        const QString example = QStringLiteral(TROVEL_SOURCE_DIR "/examples/line_follower.qxp");
        QVERIFY(m_window->openProgramFile(example));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TrovelStudio [ line_follower.qxp ]"));
        QVERIFY(program().blocks.size() > 3);

        moveStartBlock();
        program().blocks[2]->param[0] = 42;  // as a property panel would
        const QString path = m_dir + "/round_trip.qxp";
        QVERIFY(m_window->saveToFile(path));

        BlockProgram reloaded;
        QVERIFY(loadProgram(reloaded, path.toStdU16String()).ok());
        QVERIFY(sameBlocks(program(), reloaded));
        QCOMPARE(reloaded.blocks[2]->param[0], 42);

        // And through the window again.
        BlockProgram saved;
        QVERIFY(loadProgram(saved, path.toStdU16String()).ok());
        QVERIFY(m_window->openProgramFile(path));
        QVERIFY(sameBlocks(program(), saved));
        QVERIFY(!m_context.options.has(Option::Modified));
    }

    void openCommandUsesItsDialog() {
        makeWindow();
        // A new program's dialogs start in the documents folder, never in the application folder.
        QVERIFY(m_window->fileDialogStart(false) != m_dir);
        QVERIFY(QFileInfo(m_window->fileDialogStart(true)).isDir());
        answerFiles({QString(), QStringLiteral(TROVEL_SOURCE_DIR "/examples/led_repeat.qxp")});
        trigger(Command::Open);  // cancelled: nothing happens
        QCOMPARE(m_window->windowTitle(), kNewTitle);
        QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(m_fileTitles, (QStringList{"open:モーションの読み込み", "open:モーションの読み込み"}));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TrovelStudio [ led_repeat.qxp ]"));
        // Then they start beside the open program, and Save As proposes its name.
        QCOMPARE(m_window->fileDialogStart(false), QStringLiteral(TROVEL_SOURCE_DIR "/examples"));
        QCOMPARE(m_window->fileDialogStart(true), QStringLiteral(TROVEL_SOURCE_DIR "/examples/led_repeat.qxp"));

        // Open on a modified program asks first; Cancel keeps everything and shows no dialog.
        moveStartBlock();
        answerFiles({QStringLiteral(TROVEL_SOURCE_DIR "/examples/line_follower.qxp")});
        test::ScriptedAnswers answers{{QMessageBox::Cancel}, {}};
        m_window->setAsker(answers.asker());
        trigger(Command::Open);
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY(m_fileTitles.isEmpty());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TrovelStudio [ led_repeat.qxp ] *"));

        // The keys every program has: Ctrl+Shift+S asks for a name, Ctrl+S saves in place, Ctrl+N starts anew
        // and the next dialog starts in the last folder used.
        const QString saved = m_dir + "/keys/saved.qxp";
        QDir().mkpath(m_dir + "/keys");
        answerFiles({saved});
        QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_fileTitles, (QStringList{"save:モーションの保存"}));
        QVERIFY(QFile::exists(saved));
        moveStartBlock();
        QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_fileTitles.size(), 1);
        QVERIFY(!m_context.options.has(Option::Modified));
        QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(m_window->windowTitle(), kNewTitle);
        QCOMPARE(m_window->fileDialogStart(false), m_dir + "/keys");
        QCOMPARE(answers.texts.size(), 1);  // nothing else asked
    }

    void aForeignOrDamagedFileKeepsTheProgram() {
        makeWindow();
        moveStartBlock();
        const QString title = m_window->windowTitle();
        BlockProgram before;
        const QString kept = m_dir + "/kept.qxp";
        saveProgram(program(), kept.toStdU16String());
        QVERIFY(loadProgram(before, kept.toStdU16String()).ok());
        m_context.options.set(Option::Modified);
        m_window->setTitle();
        const QString markedTitle = m_window->windowTitle();

        const QString foreign = m_dir + "/foreign.qxp";
        {
            QFile f(foreign);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("just some text\r\n");
        }
        test::ScriptedAnswers answers{{QMessageBox::Ok, QMessageBox::Ok}, {}};
        m_window->setAsker(answers.asker());
        QVERIFY(!m_window->openProgramFile(foreign));
        QCOMPARE(answers.texts.size(), 1);
        QCOMPARE(answers.texts.back(), QStringLiteral("このファイルフォーマットには対応していません"));
        QVERIFY(sameBlocks(program(), before));
        QCOMPARE(m_window->windowTitle(), markedTitle);
        QVERIFY(m_context.options.has(Option::Modified));

        // A good header followed by a broken record.
        const QString damaged = m_dir + "/damaged.qxp";
        {
            QFile f(damaged);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QString content = QStringLiteral("FORMAT_:[QX_FMT_4]\r\n\r\nCMD_\t[[main]]-[27");
            f.write("\xFF\xFE");
            f.write(reinterpret_cast<const char*>(content.utf16()), content.size() * 2);
        }
        QVERIFY(!m_window->openProgramFile(damaged));
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY(answers.texts.back().contains(QStringLiteral("3")));
        QVERIFY(sameBlocks(program(), before));
        QVERIFY(m_context.options.has(Option::Modified));
    }

    void aFailedSaveSaysSoAndKeepsTheMarker() {
        makeWindow();
        moveStartBlock();
        const QString title = m_window->windowTitle();
        test::ScriptedAnswers answers{{QMessageBox::Ok}, {}};
        m_window->setAsker(answers.asker());
        QVERIFY(!m_window->saveToFile(m_dir + "/no/such/folder/x.qxp"));
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY(!answers.texts.front().isEmpty());
        QCOMPARE(m_window->windowTitle(), title);
        QVERIFY(m_context.options.has(Option::Modified));
        QVERIFY(program().filePath.empty());
    }

    void closingAModifiedProgramAsks() {
        makeWindow();
        moveStartBlock();
        test::ScriptedAnswers answers;
        m_window->setAsker(answers.asker());
        {  // Cancel: the window stays.
            answers.buttons = {QMessageBox::Cancel};
            QVERIFY(!m_window->close());
            QCOMPARE(answers.texts.size(), 1);
            QVERIFY(m_window->isVisible());
        }
        {  // Yes without a file: Save As; cancelling it keeps the window and the edits.
            answerFiles({QString()});
            answers.buttons = {QMessageBox::Yes};
            QVERIFY(!m_window->close());
            QCOMPARE(answers.texts.size(), 2);
            QCOMPARE(m_fileTitles, QStringList{"save:モーションの保存"});
            QVERIFY(m_context.options.has(Option::Modified));
        }
        {  // Yes with a failing save: the message, and the window stays.
            answerFiles({m_dir + "/no/such/folder/x.qxp"});
            answers.buttons = {QMessageBox::Yes, QMessageBox::Ok};
            QVERIFY(!m_window->close());
            QCOMPARE(answers.texts.size(), 4);
            QVERIFY(answers.texts[2].contains(QStringLiteral("保存しますか")));
            QVERIFY(answers.texts[3].contains(QStringLiteral("保存できませんでした")));
            QVERIFY(m_context.options.has(Option::Modified));
        }
        {  // Yes, then a name: saved first, then closed.
            const QString path = m_dir + "/on_close.qxp";
            QFile::remove(path);
            answerFiles({path});
            answers.buttons = {QMessageBox::Yes};
            QVERIFY(m_window->close());
            QVERIFY(QFile::exists(path));
            BlockProgram saved;
            QVERIFY(loadProgram(saved, path.toStdU16String()).ok());
            QVERIFY(sameBlocks(program(), saved));
        }
    }

    void closingWithNoDiscards() {
        makeWindow();
        moveStartBlock();
        test::ScriptedAnswers answers{{QMessageBox::No}, {}};
        m_window->setAsker(answers.asker());
        QVERIFY(m_window->close());
        QCOMPARE(answers.texts.size(), 1);
    }

    void viewModeDisablesFilesAndNeverAsks() {
        m_context.options.set(Option::ViewMode);
        makeWindow(QStringLiteral(TROVEL_SOURCE_DIR "/examples/counted_steps.qxp"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("TrovelStudio [ counted_steps.qxp ] -ビューモード-"));
        for (Command id : {Command::New, Command::Open, Command::Save, Command::SaveAs})
            QVERIFY(!m_window->actionById(id)->isEnabled());
        moveStartBlock();  // editing still works in view mode
        QVERIFY(m_context.options.has(Option::Modified));
        QVERIFY(m_window->close());
    }

    // Robots give back unmatched RepeatEnds and older versions saved 255 as a repeat number: such
    // files open, show their blocks and panels, and save back as they were.
    void oldRepeatFilesOpenAndSaveBack() {
        makeWindow();
        const QString start = QStringLiteral("CMD_\t[[main]]-[27,9]-[1]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[2,-1]-[1]\r\n");
        const QString end = QStringLiteral("CMD_\t[[main]]-[27,477]-[2]-[0,0,0,0,0,0,0,0,0,0]-[27,0]-[-1,-1]-[0]\r\n");
        const QStringList bodies = {
            QStringLiteral("CMD_\t[[r]]-[90,90]-[16]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[3,-1]-[3]\r\n"
                           "CMD_\t[[r]]-[90,180]-[17]-[3,0,255,0,0,0,0,0,0,0]-[13,27]-[1,2]-[2]\r\n"),
            QStringLiteral("CMD_\t[[r]]-[90,90]-[17]-[3,0,2,0,0,0,0,0,0,0]-[13,27]-[1,-1]-[-1]\r\n"),
        };
        for (const QString& body : bodies) {
            const QString path = m_dir + "/old.qxp";
            const QString content = "FORMAT_:[QX_FMT_4]\r\n\r\n" + start + end + body;
            QByteArray bytes("\xFF\xFE");
            bytes.append(reinterpret_cast<const char*>(content.utf16()), content.size() * 2);
            {
                QFile f(path);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(bytes);
            }
            QVERIFY(m_window->openProgramFile(path));
            QVERIFY(program().blocks.size() > 2);
            for (size_t i = 2; i < program().blocks.size(); ++i) {
                QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, onBlock(program().blocks[i].get()));
                QVERIFY(m_window->palette()->propertyPanel());
                QCOMPARE(m_window->palette()->propertyPanel()->kind(), PanelKind::Repeat);
                QVERIFY(!canvas()->grab().isNull());
            }
            QVERIFY(!m_window->canUndo());  // clicks that change nothing are no edits
            const QString again = m_dir + "/again.qxp";
            QVERIFY(m_window->saveToFile(again));
            QFile f(again);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), bytes);
        }
    }

    // The toolbar offers no menu that could hide it together with the connection status.
    void toolbarAndMenuBarHaveNoContextMenu() {
        makeWindow();
        bool sawMenu = false;
        for (QWidget* target :
             {static_cast<QWidget*>(m_window->toolBar()), static_cast<QWidget*>(m_window->menuBar())}) {
            QTimer::singleShot(200, [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible()) {
                        sawMenu = true;
                        menu->close();
                    }
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(target, &event);
            QTest::qWait(300);
        }
        QVERIFY(!sawMenu);
        QVERIFY(m_window->toolBar()->isVisible());
        QVERIFY(m_window->statusLabel()->isVisible());
        // Every status text stays clear of the separator on the label's left.
        const QLabel* label = m_window->statusLabel();
        const QFontMetrics metrics(label->font());
        for (int id : {Str::NotConnected, Str::Connected, Str::Writing, Str::FirmwareIncomplete, Str::RobotInUse}) {
            const int textLeft = label->contentsRect().right() + 1 - metrics.horizontalAdvance(uiText(id));
            QVERIFY2(textLeft >= 4, qPrintable(uiText(id) + QStringLiteral(": ") + QString::number(textLeft)));
        }
    }

    // A simulated run goes on through edits that leave its blocks alone: clicks, empty deletes and
    // pastes, deleting other blocks. Deleting the running block, undo or a new program stop it.
    void editsStopASimulatedRunOnlyWhenTheyMust() {
        makeWindowWithCourses(QStringLiteral("edit_run"));
        {
            // Start -> Forward -> Wait 5 s -> Forward ..., and a Stop on its own.
            BlockProgram made;
            newProgram(made);
            ActionBlock* go = test::addBlock(made, BlockType::Forward, 200, 100);
            ActionBlock* wait = test::addBlock(made, BlockType::Wait, 200, 200);
            test::addBlock(made, BlockType::Stop, 400, 100);
            go->param = {0, 1};
            wait->param = {50};
            made.blocks[0]->next[0] = go;
            go->next[0] = wait;
            wait->next[0] = go;
            const QString path = m_dir + "/edit_run.qxp";
            QVERIFY(saveProgram(made, path.toStdU16String()));
            QVERIFY(m_window->openProgramFile(path));
        }
        BlockProgram& p = program();
        ActionBlock* start = p.blocks[0].get();
        ActionBlock* wait = p.blocks[3].get();
        ActionBlock* spare = p.blocks[4].get();
        trigger(Command::Simulator);
        SimulatorWindow* sim = m_window->simulatorWindow();
        QVERIFY(sim);
        sim->setTicking(false);
        auto running = [&] { return sim->simulator().state == SimState::Running; };
        auto play = [&] {
            QVERIFY(sim->coursesLoaded());
            sim->actionById(SimCommand::Play)->trigger();
            QVERIFY(running());
            for (int i = 0; i < 5; ++i) sim->tick();  // Start, Forward, then the wait runs
            QVERIFY(running());
        };
        play();
        m_context.options.clear(Option::Modified);

        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, onBlock(start));
        QVERIFY(running());
        QVERIFY(!m_window->canUndo());
        QVERIFY(!m_context.options.has(Option::Modified));
        QVERIFY(!m_window->windowTitle().endsWith(" *"));

        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(450, 400));  // empty space: nothing selected
        trigger(Command::Delete);
        trigger(Command::Cut);
        trigger(Command::Paste);
        QVERIFY(running());

        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, onBlock(spare));
        trigger(Command::Delete);
        QCOMPARE(p.blocks.size(), size_t(4));
        QVERIFY(running());
        sim->tick();
        QVERIFY(running());

        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, onBlock(wait));
        trigger(Command::Delete);
        QVERIFY(!running());
        sim->tick();  // nothing left pointing at the deleted block

        trigger(Command::Undo);  // the wait is back
        play();
        trigger(Command::Redo);  // every block is replaced
        QVERIFY(!running());
        trigger(Command::Undo);
        play();

        // Edits that leave the blocks in use in place go on with the run's own snapshot: a new wait
        // time, a moved block and a new block do not reach it; after 停止 and 再生 they do.
        ActionBlock* go = p.blocks[2].get();
        wait = p.blocks[3].get();
        QCOMPARE(sim->simulator().interp.waitMs, 4960u);  // the 5 s wait, two ticks in
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, onBlock(wait));
        auto* seconds = m_window->palette()->propertyPanel()->findChild<QLineEdit*>();
        QVERIFY(seconds);
        seconds->selectAll();
        QTest::keyClicks(seconds, QStringLiteral("1"));
        QCOMPARE(int(wait->param[0]), 10);
        const QPoint grab = onBlock(go);
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, grab);
        QTest::mouseMove(canvas(), grab + QPoint(27, 0));
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, grab + QPoint(27, 0));
        QCOMPARE(go->x, 225);  // onto the grid, three steps right
        QTest::mouseClick(m_window->palette()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(87 + 30, 6 + 18));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(450, 400));
        QCOMPARE(p.blocks.size(), size_t(5));
        QVERIFY(running());
        for (int i = 0; i < 400 && sim->simulator().interp.last != 2; ++i) sim->tick();  // on to the Forward
        sim->tick();  // the wait again, as the run took it
        QVERIFY(running());
        QCOMPARE(sim->simulator().interp.last, 3);
        QCOMPARE(sim->simulator().interp.waitMs, 4992u);
        QCOMPARE(p.currentBlock, wait);  // the chart follows the run onto the editor's own block
        // A breakpoint is the editor's mark: set during the run, the run stops at it.
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, onBlock(go));
        m_window->programArea()->breakpointAction()->trigger();
        for (int i = 0; i < 400 && running(); ++i) sim->tick();
        QCOMPARE(sim->simulator().state, SimState::Paused);
        QCOMPARE(sim->simulator().interp.current, 2);
        m_window->programArea()->breakpointAction()->trigger();
        sim->actionById(SimCommand::Stop)->trigger();
        play();
        QCOMPARE(sim->simulator().interp.waitMs, 960u);  // the edited 1 s, two ticks in
        m_context.options.clear(Option::Modified);       // New without its question
        trigger(Command::New);
        QVERIFY(!running());
        sim->close();
    }

    // Dialogs of one window block only that window: the about box is window-modal over the
    // studio, the simulator's record dialog over the simulator.
    void dialogsBlockOnlyTheirOwnWindow() {
        makeWindowWithCourses(QStringLiteral("modal"));
        trigger(Command::Simulator);
        SimulatorWindow* sim = m_window->simulatorWindow();
        QVERIFY(sim);
        sim->setTicking(false);
        struct Seen {
            QWidget* parent = nullptr;
            Qt::WindowModality modality = Qt::NonModal;
        };
        auto expectWindowModal = [](auto command, auto trigger, QWidget* owner) {
            Seen seen;
            test::ModalAnswerer answer([&](QWidget* w) {
                seen = {w->parentWidget(), w->windowModality()};
                static_cast<QDialog*>(w)->reject();
                return true;
            });
            trigger(command);
            QVERIFY2(answer.answered(), qPrintable(QString::number(static_cast<int>(command))));
            QCOMPARE(seen.parent, owner);
            QCOMPARE(seen.modality, Qt::WindowModal);
        };
        auto studio = [this](Command id) { trigger(id); };
        expectWindowModal(Command::About, studio, m_window.get());
        expectWindowModal(Command::MotorSettings, studio, m_window.get());
        expectWindowModal(Command::SimMotorSettings, studio, m_window.get());
        expectWindowModal(
            SimCommand::Records, [sim](SimCommand id) { sim->actionById(id)->trigger(); }, sim);
        sim->close();
    }

    void eighthRepeatShowsTheWarning() {
        makeWindow();
        for (int i = 0; i < kMaxRepeats; ++i) placeBlock(program(), BlockType::RepeatStart, {300 + 10 * i, 100});
        const size_t before = program().blocks.size();
        test::ScriptedAnswers answers;
        answers.buttons << QMessageBox::Ok;
        m_window->setAsker(answers.asker());
        m_window->programArea()->setPaletteSelection(static_cast<int>(BlockType::RepeatStart));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, {400, 400});
        QCOMPARE(answers.texts, QStringList{QStringLiteral("くり返しはプログラム中に7回しかつかえません")});
        QCOMPARE(program().blocks.size(), before);
        QVERIFY(!m_window->actionById(Command::Undo)->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
