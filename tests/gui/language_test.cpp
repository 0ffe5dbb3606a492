// The studio speaks one language: every text a user can see in every window (titles, labels,
// buttons, menus, tool tips, table headers and cells, list items, message boxes) comes from the
// language in use. English shows no Japanese; Japanese shows none of Qt's English defaults.

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QToolBar>
#include <QtTest>

#include <filesystem>

#include "app/app_config.h"
#include "app/studio_context.h"
#include "app/gui/about_box.h"
#include "app/gui/main_window.h"
#include "app/gui/motor_dialog.h"
#include "app/gui/option_dialog.h"
#include "app/gui/standard_texts.h"
#include "app/gui/studio_setup.h"
#include "base/gui/ui_text.h"
#include "base/resource_library.h"
#include "base/string_table.h"
#include "editor/gui/block_palette.h"
#include "editor/gui/program_area.h"
#include "gui_test_support.h"
#include "model/option_flags.h"
#include "robot/gui/memory_map_window.h"
#include "robot/gui/robot_commands.h"
#include "robot/gui/transfer_dialog.h"
#include "robot/hid_link.h"
#include "sim/gui/record_dialog.h"
#include "sim/gui/simulator_window.h"
#include "sim/lap_records.h"
#include "sim/simulator.h"

using namespace trovel;

namespace {

void addAction(QStringList& out, const QString& where, QAction* action) {
    out << where + " action: " + action->text() << where + " tip: " + action->toolTip();
    if (QMenu* menu = action->menu())
        for (QAction* a : menu->actions()) addAction(out, where + "/" + action->text(), a);
}

// Every text a user may see in a window and its children, each tagged with where it is.
QStringList visibleTexts(QWidget* root) {
    QStringList out;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QString where = QString::fromLatin1(w->metaObject()->className()) + "#" + w->objectName();
        if (w->isWindow()) out << where + " title: " + w->windowTitle();
        if (!w->toolTip().isEmpty()) out << where + " tip: " + w->toolTip();
        if (auto* label = qobject_cast<QLabel*>(w)) out << where + ": " + label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) out << where + ": " + button->text();
        if (auto* group = qobject_cast<QGroupBox*>(w)) out << where + ": " + group->title();
        if (auto* box = qobject_cast<QMessageBox*>(w)) out << where + ": " + box->text() + box->informativeText();
        if (auto* list = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < list->count(); ++i) out << where + " item: " + list->itemText(i);
        if (auto* table = qobject_cast<QTableWidget*>(w)) {
            for (int c = 0; c < table->columnCount(); ++c) {
                out << where + " header: " + table->model()->headerData(c, Qt::Horizontal).toString();
                for (int r = 0; r < table->rowCount(); ++r)
                    if (table->item(r, c)) out << where + " cell: " + table->item(r, c)->text();
            }
        }
        if (qobject_cast<QMenuBar*>(w) || qobject_cast<QToolBar*>(w))
            for (QAction* a : w->actions()) addAction(out, where, a);
    }
    return out;
}

bool isJapanese(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x3040 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xFF61 && u <= 0xFF9F);
}

QStringList withJapanese(const QStringList& texts) {
    QStringList found;
    for (const QString& t : texts)
        if (std::any_of(t.begin(), t.end(), isJapanese)) found << t;
    return found;
}

// Qt's own English button and dialog texts, which a Japanese studio must never show.
QStringList withQtEnglish(const QStringList& texts) {
    static const QStringList english{"Cancel", "&Cancel", "Yes",   "&Yes",   "No",   "&No",   "Close",   "&Close",
                                     "Apply",  "Abort",   "Retry", "Ignore", "Save", "&Save", "Discard", "Help"};
    QStringList found;
    for (const QString& t : texts)
        if (english.contains(t.section(QStringLiteral(": "), -1))) found << t;
    return found;
}

}  // namespace

class LanguageTest : public QObject {
    Q_OBJECT

    QString m_app;
    StandardTextTranslator m_buttons;
    StudioContext m_context;

    // Every window of the studio opened in turn, with the texts each shows; what went wrong on the
    // way goes to `problems`, which the tests check apart from the language of the texts.
    QStringList walkEveryWindow(QStringList& problems) {
        QStringList texts;
        m_context.options.reset(Option::UseCalcBlock | Option::UseWheelControl | Option::UseSensors34);
        MainWindowSetup setup = mainWindowSetup(m_context, m_app, {});
        auto window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            problems << "main window not shown";
            return texts;
        }
        texts << visibleTexts(window.get());

        // One property panel of each kind, with every block the palette offers.
        BlockProgram& program = window->program();
        for (int type = 3; type <= 16; ++type) {
            window->programArea()->setPaletteSelection(type);
            const int i = type - 3;
            QTest::mouseClick(window->programArea()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(60 + 200 * (i % 3), 40 + 80 * (i / 3)));
            if (program.currentBlock && program.currentBlock->type == BlockType(type))
                texts << visibleTexts(window->palette());
            else problems << QStringLiteral("no block of type %1 placed").arg(type);
        }

        // Message boxes of the studio, answered once their texts are taken.
        auto takeBox = [&texts] {
            return std::make_unique<test::ModalAnswerer>([&texts](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box) return false;
                texts << visibleTexts(box);
                box->done(QMessageBox::Ok);
                return true;
            });
        };
        {
            auto answer = takeBox();
            window->openProgramFile(m_app + "/no such program.qxp");
            if (!answer->answered()) problems << "no message box for a missing file";
        }

        window->actionById(Command::Simulator)->trigger();
        SimulatorWindow* sim = window->simulatorWindow();
        if (!sim) {
            problems << "no simulator window";
            return texts;
        }
        sim->setTicking(false);
        sim->actionById(SimCommand::SensorPlot)->trigger();  // a window of its own inside the simulator's
        texts << visibleTexts(sim);
        // A run held after one block names that block in the status line.
        {
            auto answer = takeBox();  // the repeat check may ask about the placed repeat
            sim->actionById(SimCommand::Play)->trigger();
        }
        sim->actionById(SimCommand::Pause)->trigger();
        sim->actionById(SimCommand::StepBlock)->trigger();
        for (int i = 0; i < 10 && sim->simulator().state != SimState::Paused; ++i) sim->tick();
        const auto* status = sim->findChild<QLabel*>(QStringLiteral("simulatorStatus"));
        if (!status || status->text().isEmpty()) problems << "no status line after a block step";
        else texts << "simulator status: " + status->text();
        CourseSet courses = sim->simulator().courses;
        LapRecords laps = sim->lapRecords();
        {
            RecordDialog records(courses, laps);
            texts << visibleTexts(&records);
            auto answer = takeBox();
            records.button(RecordControl::ResetSelected)->click();
            if (!answer->answered()) problems << "no message box for a reset without a course";
        }
        sim->close();
        QTest::qWait(50);
        if (window->simulatorWindow()) problems << "the simulator did not close";

        MemoryMapPlacement placement;
        MemoryMapWindow memoryMap(
            m_context.config.memoryNames.displayName, [] { return MemoryImage{}; }, placement);
        texts << visibleTexts(&memoryMap);
        AboutBox about;
        texts << visibleTexts(&about);
        OptionFlags flags;
        OptionDialog options(flags, {});
        texts << visibleTexts(&options);
        for (MotorDialogKind kind : {MotorDialogKind::Robot, MotorDialogKind::Simulator}) {
            MotorDialog motor(kind, m_context.config.settings, flags, {});
            texts << visibleTexts(&motor);
        }
        LinkState linkState;
        HidLink link([] { return FoundDevice{}; }, flags, linkState);
        TransferDialog transfer(link, uiText(commandTextId(Command::WriteProgram)), true);
        texts << visibleTexts(&transfer);
        // The questions before a robot transfer, answered "no".
        flags.set(Option::Connected);
        MotorSpeeds speeds;
        {
            auto answer = takeBox();
            writeProgramToRobot(nullptr, program, link, speeds, {});
            if (!answer->answered()) problems << "no question before writing to the robot";
        }
        {
            auto answer = takeBox();
            readProgramFromRobot(nullptr, program, link, speeds, {});
            if (!answer->answered()) problems << "no question before reading from the robot";
        }
        m_context.options.reset(0);
        return texts;
    }

    void useLanguage(uint32_t locale) { QVERIFY(loadAppFolder(m_app.toStdU16String(), locale, m_context.config).ok); }

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::installTranslator(&m_buttons);
        m_app = test::testDir(QStringLiteral("language_app"));
        std::filesystem::copy(TROVEL_APP_DIR, m_app.toStdU16String(), std::filesystem::copy_options::recursive);
    }
    void cleanupTestCase() { useLanguage(0x0411); }

    void englishShowsNoJapanese() {
        useLanguage(0x0409);
        QVERIFY(m_context.config.resources.loaded);
        // Pictures with words come from the pack's own folder, the others from the shipped skin.
        const std::filesystem::path packDir = m_context.config.resources.pack.parent_path() / "en";
        QCOMPARE(m_context.config.skin[0].file, packDir / "skin" / "00_start.bmp");
        QCOMPARE(m_context.config.skin[2].file.parent_path().filename(), std::filesystem::path("skin"));
        QVERIFY(m_context.config.skin[2].file.parent_path().parent_path() != packDir);
        QCOMPARE(m_context.config.memoryNames.displayName[9], std::u16string(u"Left sensor"));
        QStringList problems;
        const QStringList texts = walkEveryWindow(problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QVERIFY2(texts.size() > 200, qPrintable(QString::number(texts.size())));
        const QStringList japanese = withJapanese(texts);
        QVERIFY2(japanese.isEmpty(), qPrintable(japanese.join('\n')));
    }

    void japaneseShowsNoQtEnglish() {
        useLanguage(0x0411);
        QVERIFY(!m_context.config.resources.loaded);
        QCOMPARE(m_context.config.skin[0].file,
                 std::filesystem::path(m_app.toStdU16String()) / "skin" / "00_start.bmp");
        QStringList problems;
        const QStringList texts = walkEveryWindow(problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QVERIFY(!withJapanese(texts).isEmpty());
        const QStringList english = withQtEnglish(texts);
        QVERIFY2(english.isEmpty(), qPrintable(english.join('\n')));
    }
};

QTEST_MAIN(LanguageTest)
#include "language_test.moc"
