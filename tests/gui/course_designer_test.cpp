// The course designer, driven with the mouse from the studio: a course drawn, saved, reopened,
// edited and undone, installed into the simulator's menu, and finished by the line follower.

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

#include <filesystem>

#include "app/gui/main_window.h"
#include "app/studio_context.h"
#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "gui_test_support.h"
#include "sim/course_config.h"
#include "sim/course_file.h"
#include "sim/gui/course_designer_window.h"
#include "sim/gui/simulator_window.h"
#include "sim/headless_run.h"
#include "sim/run_setup.h"
#include "sim/simulator.h"

using namespace trovel;
namespace fs = std::filesystem;

class CourseDesignerTest : public QObject {
    Q_OBJECT

    StudioContext m_context;
    std::unique_ptr<MainWindow> m_window;
    test::ScriptedAnswers m_answers;
    fs::path m_dir;

    CourseDesignerWindow* designer() { return m_window->courseDesigner(); }
    CourseDesignerView* view() { return designer()->view(); }
    QPoint at(double x, double y) { return view()->toWidget({x, y}).toPoint(); }
    void tool(int textId) { designer()->actionById(textId)->trigger(); }
    // A mouse drag on the field between two world points, through a point half way.
    void drag(DesignPoint from, DesignPoint to) {
        QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, at(from.x, from.y));
        QTest::mouseMove(view(), at((from.x + to.x) / 2, (from.y + to.y) / 2));
        QTest::mouseMove(view(), at(to.x, to.y));
        QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, at(to.x, to.y));
    }

private slots:
    void initTestCase() {
        m_dir = fs::path(test::testDir(QStringLiteral("course_designer")).toStdU16String());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "app");
        for (const char* part : {"texture.ini", "course", "sim", "sound"})
            fs::copy(fs::path(TROVEL_APP_DIR) / part, m_dir / "app" / part, fs::copy_options::recursive);
    }

    void drawSaveReopenUndoInstallAndRun() {
        MainWindowSetup setup{m_context};
        setup.appDir = QString::fromStdU16String((m_dir / "app").u16string());
        setup.userDir = QString::fromStdU16String((m_dir / "user").u16string());
        setup.pendingPath = QStringLiteral(TROVEL_SOURCE_DIR "/examples/line_follower.qxp");
        m_window = std::make_unique<MainWindow>(std::move(setup));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(m_window->program().blocks.size() > 2);

        m_window->actionById(Command::CourseDesigner)->trigger();
        QVERIFY(designer());
        QVERIFY(QTest::qWaitForWindowExposed(designer()));
        designer()->setAsker(m_answers.asker());
        const fs::path file = m_dir / "stadium.course";
        designer()->setFileChooser(
            [&](bool, const QString&, const QString&) { return QString::fromStdU16String(file.u16string()); });

        // A stadium: two straights joined by half circles, each stroke snapped onto the last one's end.
        tool(Str::DesignerToolLine);
        drag({-130, 170}, {130, 170});
        tool(Str::DesignerToolArc);
        drag({133, 168}, {130, -170});
        tool(Str::DesignerToolLine);
        drag({128, -172}, {-130, -170});
        tool(Str::DesignerToolArc);
        drag({-131, -167}, {-130, 170});
        const CourseDesign& d = designer()->design();
        QCOMPARE(d.elements.size(), size_t{4});
        QCOMPARE(d.elements[1].kind, CourseElementKind::Arc);
        QCOMPARE(d.elements[1].v, (std::vector<double>{130, 0, 170, 90, -180}));
        QCOMPARE(d.elements[3].v, (std::vector<double>{-130, 0, 170, -90, -180}));
        // The start dragged onto the bottom straight, the goal drawn around it.
        tool(Str::DesignerToolSelect);
        drag({d.startX, d.startY}, {-62, 168});
        QCOMPARE(d.startX, -60.0);
        QCOMPARE(d.startY, 170.0);
        tool(Str::DesignerToolGoal);
        drag({-112, 138}, {-8, 202});
        QVERIFY(d.judgingFlags & JudgeFlag::Timed);
        QCOMPARE(d.goal, (CourseRect{-110, 140, -10, 200}));
        // The floor under the start, as the simulator reads it: the points beside the line see the
        // pale goal, those over it black.
        const std::array<uint8_t, 5> floor = designer()->sensorsAt();
        QCOMPARE(floor[0], uint8_t(11));
        QCOMPARE(floor[2], uint8_t(162));
        auto* nameEn = designer()->findChild<QLineEdit*>(QStringLiteral("designerNameEn"));
        nameEn->setText(QStringLiteral("Stadium"));
        emit nameEn->editingFinished();
        QCOMPARE(d.nameEn, std::u16string(u"Stadium"));

        // Saved, reopened: the same course.
        QVERIFY(designer()->modified());
        designer()->actionById(DesignerCommand::Save)->trigger();
        QVERIFY(!designer()->modified());
        const CourseDesign saved = d;
        CourseDesign onDisk;
        QVERIFY(readCourseFile(file, onDisk).ok());
        QCOMPARE(onDisk, saved);
        designer()->newDesign();
        QVERIFY(d.elements.empty());
        // A file that is no course file is refused with the reason, and the design stays as it is.
        const fs::path foreign = m_dir / "foreign.course";
        {
            QFile out(QString::fromStdU16String(foreign.u16string()));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("name-en \"No magic line\"\nend\n");
        }
        m_answers.buttons = {QMessageBox::Ok};
        QVERIFY(!designer()->openFile(foreign));
        QVERIFY(!m_answers.asked(uiText(Str::CourseFileForeign)).isEmpty());
        QVERIFY(d.elements.empty());
        QVERIFY(designer()->openFile(file));
        QVERIFY(d == saved);

        // A stroke moved, then undone and redone.
        tool(Str::DesignerToolSelect);
        drag({40, 170}, {40, 150});
        QCOMPARE(d.elements[0].v, (std::vector<double>{-130, 150, 130, 150}));
        QVERIFY(designer()->modified());
        QVERIFY(designer()->windowTitle().endsWith(QStringLiteral(" *")));
        designer()->actionById(DesignerCommand::Undo)->trigger();
        QVERIFY(d == saved);
        QVERIFY(!designer()->modified());
        QVERIFY(!designer()->actionById(DesignerCommand::Undo)->isEnabled());
        designer()->actionById(DesignerCommand::Redo)->trigger();
        QCOMPARE(d.elements[0].v[1], 150.0);
        designer()->actionById(DesignerCommand::Undo)->trigger();

        // While dragged, a stroke is drawn over the cached picture of the others: the picture is not
        // drawn again for each move, and only the stroke's own area of the view is.
        const int builds = view()->pictureBuilds();
        view()->press(at(40, 170));
        QRect dirty;
        for (int step = 1; step <= 10; ++step) dirty = dirty.united(view()->dragTo(at(40, 170 - 2 * step)));
        view()->release(at(40, 150));
        QVERIFY(view()->pictureBuilds() - builds <= 2);
        QVERIFY(!dirty.isEmpty());
        QVERIFY(dirty.height() < view()->height() / 3);
        designer()->actionById(DesignerCommand::Undo)->trigger();
        QVERIFY(d == saved);

        // Installed while the simulator is open: its course menu grows at once.
        m_window->actionById(Command::Simulator)->trigger();
        SimulatorWindow* sim = m_window->simulatorWindow();
        QVERIFY(sim);
        sim->setTicking(false);
        const int before = courseCount(sim->simulator().courses);
        m_answers.buttons = {QMessageBox::Ok};
        designer()->actionById(DesignerCommand::Install)->trigger();
        QCOMPARE(courseCount(sim->simulator().courses), before + 1);
        QVERIFY(sim->courseAction(before));
        QVERIFY(!m_answers.asked(QStringLiteral("Stadium")).isEmpty() ||
                !m_answers.asked(QStringLiteral("新しいコース")).isEmpty());

        // The line follower finishes it, headless, on the installed picture and entry.
        Simulator run;
        loadCourseConfig(run.courses, m_dir / "app", {}, m_dir / "user");
        QCOMPARE(courseCount(run.courses), before + 1);
        QCOMPARE(prepareRun(run, m_window->program(), {.course = before}), PlayOutcome::Started);
        runHeadless(run, {}, {});
        QCOMPARE(run.judge.result, RunResult::Goal);

        // Try: the simulator turns to the course and runs the program.
        designer()->actionById(DesignerCommand::Try)->trigger();
        QCOMPARE(sim->simulator().course, before);
        QCOMPARE(sim->simulator().state, SimState::Running);
        QCOMPARE(courseCount(sim->simulator().courses), before + 1);  // installed again in place

        // A picture under the design shows in what the sensors read, and goes again with undo.
        const DesignPoint besideStadium{-250, 185};
        QCOMPARE(designer()->sensorsAt(besideStadium)[2], uint8_t(10));
        QVERIFY(designer()->importPicture(m_dir / "app" / "course" / "stop.bmp"));
        QCOMPARE(designer()->sensorsAt(besideStadium)[2], uint8_t(162));
        designer()->actionById(DesignerCommand::Undo)->trigger();
        QVERIFY(d.picture.empty());
        QCOMPARE(designer()->sensorsAt(besideStadium)[2], uint8_t(10));

        // An unsaved change is asked about on close: Cancel keeps the window, No lets it go.
        tool(Str::DesignerToolLine);
        drag({-300, -220}, {-200, -220});
        // Picked and deleted with the key, then brought back.
        tool(Str::DesignerToolSelect);
        QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, at(-250, -220));
        QCOMPARE(view()->selection(), (DesignHit{DesignPart::Element, 4}));
        QTest::keyClick(view(), Qt::Key_Delete);
        QCOMPARE(d.elements.size(), size_t{4});
        designer()->actionById(DesignerCommand::Undo)->trigger();
        QCOMPARE(d.elements.size(), size_t{5});
        m_answers.buttons = {QMessageBox::Cancel};
        QVERIFY(!designer()->close());
        QVERIFY(designer()->isVisible());
        m_answers.buttons = {QMessageBox::No};
        QVERIFY(designer()->close());
        QTRY_VERIFY(!m_window->courseDesigner());
        sim->close();
    }

    void cleanupTestCase() { m_window.reset(); }
};

QTEST_MAIN(CourseDesignerTest)
#include "course_designer_test.moc"
