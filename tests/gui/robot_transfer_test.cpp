// The robot commands and their progress dialog against the virtual robot.

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/app_config.h"
#include "app/gui/main_window.h"
#include "app/studio_context.h"
#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "base/resource_library.h"
#include "base/string_table.h"
#include "editor/gui/chart_style.h"
#include "gui_test_support.h"
#include "model/compiler.h"
#include "model/option_flags.h"
#include "robot/gui/memory_map_window.h"
#include "robot/gui/robot_commands.h"
#include "robot/gui/transfer_dialog.h"
#include "robot/hid_report.h"
#include "robot/stepped_clock.h"
#include "robot/virtual_robot.h"

using namespace trovel;
using namespace trovel::test;

namespace {

LinkTiming fastTiming() {
    LinkTiming t;
    t.pollMs = 2;
    t.reportTimeoutMs = 40;
    t.claimStepMs = 1;
    t.claimSteps = 50;
    t.reconnectStepMs = 5;
    return t;
}

struct Rig {
    // With `steppedTime`, the transfers and the robot run on `time` instead of the machine's clock.
    explicit Rig(bool steppedTime = false) : stepped(steppedTime) {
        if (stepped) robot->setClock(time.clock());
        link.tryClaim();
        link.findRobot();
        link.release();
        flags.set(Option::Connected);
    }
    bool stepped;
    test::SteppedClock time;
    std::shared_ptr<VirtualRobot> robot = VirtualRobot::create();
    OptionFlags flags;
    LinkState state;
    HidLink link{robot->finder(), flags, state, timing()};

    LinkTiming timing() {
        LinkTiming t = fastTiming();
        if (stepped) t.clock = time.clock();
        return t;
    }
};

template <typename Hooks>
Hooks answeredBy(ScriptedAnswers& answers) {
    Hooks hooks;
    hooks.asker = answers.asker();
    return hooks;
}

// Holds the next transfer of a stepped rig at its claim of the link until its progress dialog is
// up, and hands the dialog to `seen` first: a transfer on a fast link may end before a timer could
// see its dialog, and a signal connected late misses what was sent before.
class HeldTransfer {
public:
    HeldTransfer(Rig& rig, std::function<void(TransferDialog*)> seen)
        : m_rig(rig), m_watch([this, seen = std::move(seen)](QWidget* w) {
              auto* dialog = qobject_cast<TransferDialog*>(w);
              if (!dialog) return false;
              seen(dialog);
              m_rig.link.release();
              m_released = true;
              return true;
          }) {
        rig.time.onSleep = [this](std::chrono::milliseconds) {
            for (int i = 0; i < 10000 && !m_released; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        m_rig.link.tryClaim();
    }
    ~HeldTransfer() { m_rig.time.onSleep = nullptr; }  // the transfer is over: nothing sleeps now
    bool seen() const { return m_watch.answered(); }

private:
    Rig& m_rig;
    std::atomic<bool> m_released{false};
    ModalAnswerer m_watch;
};

bool plainAscii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// A studio window over `context` whose robot is emulated from `state` (a state file), its link not polling.
std::unique_ptr<MainWindow> windowWithRobot(StudioContext& context, const QString& state) {
    qputenv("TROVEL_VIRTUAL_ROBOT", state.toUtf8());
    MainWindowSetup setup{context};
    setup.style = defaultChartStyle(chartTextSources({}, {}));
    setup.statusFont = chartFont();
    auto window = std::make_unique<MainWindow>(std::move(setup));
    qunsetenv("TROVEL_VIRTUAL_ROBOT");
    window->show();
    return window;
}

}  // namespace

class RobotTransferTest : public QObject {
    Q_OBJECT
private slots:
    void downloadWritesTheCompiledProgram() {
        Rig rig;
        BlockProgram program;
        newProgram(program);
        ScriptedAnswers answers{{QMessageBox::Yes}, {}};
        QVERIFY(writeProgramToRobot(nullptr, program, rig.link, {60, 60}, answeredBy<WriteProgramHooks>(answers)));
        QVERIFY(!answers.asked(QStringLiteral("書き込みます")).isEmpty());
        QCOMPARE(answers.texts.size(), 2);
        QCOMPARE(answers.texts.last(), QStringLiteral("プログラムの書き込みが完了しました。"));
        const CompileResult compiled = compileProgram(program);
        const std::vector<uint8_t> stored = rig.robot->flash(kSequenceAddress, compiled.image.length);
        QVERIFY(std::equal(stored.begin(), stored.end(), compiled.image.bytes.begin()));
        QVERIFY(rig.flags.has(Option::RobotRestarting));
    }

    void notConnectedIsToldAndNothingIsSent() {
        Rig rig;
        rig.flags.clear(Option::Connected);
        BlockProgram program;
        newProgram(program);
        ScriptedAnswers answers{{QMessageBox::Ok}, {}};
        QVERIFY(!writeProgramToRobot(nullptr, program, rig.link, {60, 60}, answeredBy<WriteProgramHooks>(answers)));
        QCOMPARE(answers.texts.value(0), QStringLiteral("ロボットをPCに接続してください。"));
        QCOMPARE(rig.robot->counters().reports, 0);
    }

    void unpluggedDuringTheWriteShowsTheError() {
        Rig rig;
        rig.robot->failBootWrite(2);
        BlockProgram program;
        newProgram(program);
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        QVERIFY(!writeProgramToRobot(nullptr, program, rig.link, {60, 60}, answeredBy<WriteProgramHooks>(answers)));
        const QString text = answers.asked(QStringLiteral("エラー"));
        QVERIFY(text.startsWith(QStringLiteral("プログラムの書き込み中にエラーが発生しました。")));
    }

    void writeToARobotThatNeverEntersItsBootLoaderSaysNothingWasWritten() {
        Rig rig;
        rig.robot->addFault({RobotFault::IgnoreBoot, 1});
        const std::vector<uint8_t> before = rig.robot->flash(kSequenceAddress, 64);
        BlockProgram program;
        newProgram(program);
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        QVERIFY(!writeProgramToRobot(nullptr, program, rig.link, {60, 60}, answeredBy<WriteProgramHooks>(answers)));
        const QString text = answers.asked(QStringLiteral("エラー"));
        QVERIFY(text.startsWith(QStringLiteral("プログラムの書き込み中にエラーが発生しました。")));
        QVERIFY(text.contains(QStringLiteral("ブートローダーに切り替わりませんでした")));
        QCOMPARE(rig.robot->flash(kSequenceAddress, 64), before);
        QCOMPARE(rig.robot->counters().erases, 0);
    }

    void writeInEnglishNamesEveryStageAndEndsWithItsMessage() {
        Rig rig(true);
        PackLoadResult english = loadStringPack(std::filesystem::path(TROVEL_SOURCE_DIR) / "data/lang/en.txt");
        QVERIFY(english.ok());
        useStringPack(english.table);
        QStringList stages;
        QString title;
        HeldTransfer held(rig, [&](TransferDialog* dialog) {
            title = dialog->windowTitle();
            QObject::connect(dialog, &TransferDialog::stepChanged, dialog, [&](const QString& s) { stages << s; });
        });
        BlockProgram program;
        newProgram(program);
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        const bool written =
            writeProgramToRobot(nullptr, program, rig.link, {60, 60}, answeredBy<WriteProgramHooks>(answers));
        useStringPack({});
        QVERIFY(held.seen());
        QVERIFY(written);
        QCOMPARE(title, QStringLiteral("Writing to the robot"));
        QCOMPARE(stages.value(0), QStringLiteral("Starting the boot loader..."));
        QCOMPARE(stages.value(1), QStringLiteral("Reconnecting to the robot..."));
        QCOMPARE(stages.last(), QStringLiteral("Checking that the robot restarts..."));
        QVERIFY(stages.size() >= 7);
        for (const QString& text : stages + answers.texts) QVERIFY2(plainAscii(text), qPrintable(text));
        QCOMPARE(answers.texts.last(), QStringLiteral("The program has been written to the robot."));
    }

    void writeToARobotThatStaysInItsBootLoaderSaysSoAndItIsReadFromThere() {
        Rig rig(true);
        rig.robot->addFault({RobotFault::StayInBoot, 1});
        BlockProgram program;
        newProgram(program);
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        QVERIFY(!writeProgramToRobot(nullptr, program, rig.link, {60, 60}, answeredBy<WriteProgramHooks>(answers)));
        QCOMPARE(answers.texts.size(), 2);
        const QString closing = answers.texts.last();
        QVERIFY2(closing.startsWith(
                     QStringLiteral("プログラムは正しく書き込まれましたが、ロボットが再起動しませんでした。")),
                 qPrintable(closing));
        QVERIFY(closing.contains(QStringLiteral("ロボットとPCをつなぎなおしてください")));
        const CompileResult compiled = compileProgram(program);
        const std::vector<uint8_t> stored = rig.robot->flash(kSequenceAddress, compiled.image.length);
        QVERIFY(std::equal(stored.begin(), stored.end(), compiled.image.bytes.begin()));
        QVERIFY(!rig.flags.has(Option::RobotRestarting));

        // The link never calls a robot in its boot loader connected: it is read all the same,
        // under a dialog titled as a read.
        rig.flags.clear(Option::Connected);
        QString title, firstStep;
        HeldTransfer held(rig, [&](TransferDialog* dialog) {
            title = dialog->windowTitle();
            firstStep = dialog->stepLabel()->text();
        });
        BlockProgram back;
        newProgram(back);
        MotorSpeeds speeds{1, 2};
        ScriptedAnswers readAnswers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        QVERIFY(readProgramFromRobot(nullptr, back, rig.link, speeds, answeredBy<ReadProgramHooks>(readAnswers)));
        QVERIFY(held.seen());
        QCOMPARE(title, QStringLiteral("データの読み込み"));
        QCOMPARE(firstStep, QStringLiteral("ロボットからプログラムデータを読み込み中..."));
        QCOMPARE(back.blocks.size(), program.blocks.size());
        QCOMPARE(speeds, (MotorSpeeds{60, 60}));
        const QString done = readAnswers.asked(QStringLiteral("完了"));
        QVERIFY(done.startsWith(QStringLiteral("プログラムの読み込みが完了しました。")));
        QVERIFY(done.contains(QStringLiteral("ブートローダーのまま")));
    }

    void cancelDuringTheWaitLeavesTheProgramAndShowsNothing() {
        Rig rig(true);
        // Link time stands still until "中断" is pressed, so the press always lands in the wait.
        std::atomic<bool> pressed{false};
        rig.time.onSleep = [&](std::chrono::milliseconds) {
            for (int i = 0; i < 10000 && !pressed; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        rig.robot->setRestartDelay(std::chrono::seconds(30));
        rig.robot->setFlash(kSequenceAddress, {0x00, 0x00, 0x00, 0x01, 0xFE, 0, 0, 0});
        BlockProgram program;
        newProgram(program);
        const size_t before = program.blocks.size();
        ScriptedAnswers answers{{QMessageBox::Yes}, {}};
        // Presses "中断" as soon as the progress dialog is up.
        ModalAnswerer cancel([&pressed](QWidget* w) {
            auto* dialog = qobject_cast<TransferDialog*>(w);
            if (!dialog) return false;
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
            pressed = true;
            return true;
        });
        MotorSpeeds speeds{1, 2};
        QVERIFY(!readProgramFromRobot(nullptr, program, rig.link, speeds, answeredBy<ReadProgramHooks>(answers)));
        QVERIFY(cancel.answered());
        QVERIFY(!answers.asked(QStringLiteral("読み込みますか")).isEmpty());
        QCOMPARE(program.blocks.size(), before);
        QCOMPARE(speeds, (MotorSpeeds{1, 2}));
        QCOMPARE(rig.robot->counters().erases, 0);
    }

    void uploadAsksToSaveOnlyAfterTheConfirmation() {
        Rig rig;
        BlockProgram program;
        newProgram(program);
        const size_t before = program.blocks.size();
        MotorSpeeds speeds{1, 2};

        // "No" to the confirmation: the save offer never comes.
        int offers = 0;
        ReadProgramHooks hooks;
        hooks.beforeTransfer = [&] {
            ++offers;
            return true;
        };
        {
            ScriptedAnswers no{{QMessageBox::No}, {}};
            hooks.asker = no.asker();
            QVERIFY(!readProgramFromRobot(nullptr, program, rig.link, speeds, hooks));
            QVERIFY(!no.asked(QStringLiteral("読み込みますか")).isEmpty());
        }
        QCOMPARE(offers, 0);

        // "Yes", then the save offer is cancelled: nothing reaches the robot.
        bool confirmedFirst = false;
        ScriptedAnswers yes{{QMessageBox::Yes}, {}};
        hooks.asker = yes.asker();
        hooks.beforeTransfer = [&] {
            ++offers;
            confirmedFirst = !yes.asked(QStringLiteral("読み込みますか")).isEmpty();
            return false;
        };
        QVERIFY(!readProgramFromRobot(nullptr, program, rig.link, speeds, hooks));
        QCOMPARE(offers, 1);
        QVERIFY(confirmedFirst);
        QCOMPARE(rig.robot->counters().bootEntries, 0);
        QCOMPARE(program.blocks.size(), before);
        QCOMPARE(speeds, (MotorSpeeds{1, 2}));
    }

    void uploadReplacesTheProgramAndTheSpeeds() {
        Rig rig;
        rig.robot->setFlash(kSequenceAddress, {0x00, 0x00, 0x00, 0x01, 0x06, 0x00, 0x00, 0x02, 0x01, 0xF0, 0xF0, 0x03,
                                               0xFE, 0x00, 0x00, 0x00});
        rig.robot->setMemoryMapArea(7, 253);
        rig.robot->setMemoryMapArea(8, 153);
        BlockProgram program;
        newProgram(program);
        program.filePath = u"old.qxp";
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        MotorSpeeds speeds{1, 2};
        QVERIFY(readProgramFromRobot(nullptr, program, rig.link, speeds, answeredBy<ReadProgramHooks>(answers)));
        QVERIFY(!answers.asked(QStringLiteral("読み込みますか")).isEmpty());
        QCOMPARE(answers.asked(QStringLiteral("完了")), QStringLiteral("プログラムの読み込みが完了しました。"));
        QCOMPARE(speeds, (MotorSpeeds{99, 60}));
        QVERIFY(program.filePath.empty());
        QCOMPARE(program.blocks.size(), size_t(3));
        QCOMPARE(program.blocks[1]->type, BlockType::Forward);

        // An erased robot holds no program: the studio's stays, and the pupil is told.
        Rig erasedRig;
        erasedRig.robot->setFlash(kSequenceAddress, std::vector<uint8_t>(16, 0xFF));
        ScriptedAnswers erased{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        QVERIFY(!readProgramFromRobot(nullptr, program, erasedRig.link, speeds, answeredBy<ReadProgramHooks>(erased)));
        QCOMPARE(erased.texts.last(), uiText(Str::ReadNoProgram));
        QCOMPARE(program.blocks.size(), size_t(3));
    }

    void readInTheWindowShowsTheNewProgramBeforeItsMessage() {
        // A robot holding Start -> Forward -> End.
        const QString state = testDir(QStringLiteral("robot_window_read")) + QStringLiteral("/robot.state");
        {
            auto robot = VirtualRobot::create();
            robot->setFlash(kSequenceAddress, {0x00, 0x00, 0x00, 0x01, 0x06, 0x00, 0x00, 0x02, 0x01, 0xF0, 0xF0, 0x03,
                                               0xFE, 0x00, 0x00, 0x00});
            QVERIFY(robot->save(std::filesystem::path(state.toStdString())));
        }
        StudioContext context;
        auto window = windowWithRobot(context, state);
        HidLink& link = window->robotLink();
        link.tryClaim();
        QVERIFY(link.findRobot());
        link.release();
        context.options.set(Option::Connected);
        window->program().filePath = u"old.qxp";
        window->setTitle();
        const QString oldTitle = window->windowTitle();

        ScriptedAnswers answers{{QMessageBox::Yes}, {}};
        QString titleAtMessage;
        size_t blocksAtMessage = 0;
        bool done = false;
        window->setAsker([&, ask = answers.asker()](const Question& question) {
            if (!question.text.contains(QStringLiteral("完了"))) return ask(question);
            titleAtMessage = window->windowTitle();
            blocksAtMessage = window->program().blocks.size();
            done = true;
            return QMessageBox::Ok;
        });
        window->actionById(Command::ReadProgram)->trigger();
        QVERIFY(!answers.asked(QStringLiteral("読み込みますか")).isEmpty());
        QVERIFY(done);
        QCOMPARE(blocksAtMessage, size_t(3));
        QVERIFY(titleAtMessage != oldTitle);
        QCOMPARE(titleAtMessage, window->windowTitle());
        QCOMPARE(window->program().currentBlock, window->program().blocks[0].get());
    }

    void readThatGetsNoRobotStillMakesTheFirstBlockCurrent() {
        StudioContext context;
        auto window = windowWithRobot(context, QStringLiteral("1"));
        // Taken for connected, but no device is open: the transfer gives up at once.
        context.options.set(Option::Connected);
        BlockProgram& program = window->program();
        program.currentBlock = program.blocks.back().get();
        QVERIFY(program.currentBlock != program.blocks.front().get());
        const size_t before = program.blocks.size();
        ScriptedAnswers answers{{QMessageBox::Yes}, {}};
        window->setAsker(answers.asker());
        window->actionById(Command::ReadProgram)->trigger();
        QVERIFY(!answers.asked(QStringLiteral("読み込みますか")).isEmpty());
        QCOMPARE(program.blocks.size(), before);
        QCOMPARE(program.currentBlock, program.blocks.front().get());
    }

    void firmwareFileIsChosenWithTheProgressDialogOpen() {
        Rig rig;
        const QString dir = testDir(QStringLiteral("robot_hex_order"));
        ScriptedAnswers answers{{QMessageBox::Yes}, {}};
        bool dialogOpen = false;
        QString title;
        QVERIFY(!updateFirmware(
            nullptr, rig.link, {60, 60}, dir,
            [&] {
                auto* dialog = qobject_cast<TransferDialog*>(QApplication::activeModalWidget());
                dialogOpen = dialog && dialog->isVisible() && !dialog->cancelButton()->isEnabled();
                if (dialog) title = dialog->windowTitle();
                return QString();  // cancelled: the dialog closes, nothing is sent
            },
            answers.asker()));
        QVERIFY(!answers.asked(QStringLiteral("ファームウェア")).isEmpty());
        QVERIFY(dialogOpen);
        QCOMPARE(title, QStringLiteral("ファームウェアの書き換え"));
        QCOMPARE(rig.robot->counters().reports, 0);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void firmwareGivenUpAfterTheEraseSaysTheRobotWaits() {
        Rig rig;
        rig.robot->addFault({RobotFault::FirmwareIgnore, 1});
        const QString dir = testDir(QStringLiteral("robot_hex_incomplete"));
        const QString path = dir + QStringLiteral("/good.hex");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(":021000001122BB\r\n:00000001FF\r\n");
        file.close();
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Abort, QMessageBox::Ok}, {}};
        QVERIFY(!updateFirmware(
            nullptr, rig.link, {60, 60}, dir, [&] { return path; }, answers.asker()));
        QCOMPARE(answers.texts.size(), 3);
        QVERIFY(answers.texts[1].contains(QStringLiteral("接続しなおして")));  // the retry question, given up
        const QString text = answers.asked(QStringLiteral("途中まで"));
        QVERIFY(text.startsWith(QStringLiteral("ファームウェアの書き換えに失敗しました。")));
        QVERIFY(rig.state.firmwareIncomplete());
        QCOMPARE(rig.robot->mode(), RobotMode::BootLoader);
        QCOMPARE(rig.robot->counters().resets, 0);
    }

    void retryQuestionNeverHangsADialogWhoseLoopEnded() {
        Rig rig;
        TransferDialog dialog(rig.link, QStringLiteral("ファームウェアの書き換え"), false);
        std::atomic<int> answer{-1};
        QElapsedTimer clock;
        clock.start();
        dialog.run([&](const TransferContext&) {
            // The event loop ends (the application quits) before the question is answered.
            std::atomic<bool> ended{false};
            QMetaObject::invokeMethod(
                &dialog,
                [&] {
                    dialog.done(QDialog::Rejected);
                    ended = true;
                },
                Qt::QueuedConnection);
            // Asked once the loop is told to end, however late the UI thread gets there.
            while (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            answer = dialog.askOnUiThread([] { return true; }) ? 1 : 0;
        });
        QCOMPARE(answer.load(), 0);
        QVERIFY(clock.elapsed() < 5000);
    }

    void damagedHexFileNeverReachesTheRobot() {
        Rig rig;
        const QString dir = testDir(QStringLiteral("robot_hex"));
        const QString path = dir + QStringLiteral("/bad.hex");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(":0210000011223C\r\n:00000001FF\r\n");  // checksum should be 0xBB
        file.close();
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        QVERIFY(!updateFirmware(
            nullptr, rig.link, {60, 60}, dir, [&] { return path; }, answers.asker()));
        const QString text = answers.asked(QStringLiteral("壊れています"));
        QVERIFY(!text.isEmpty());
        QVERIFY(text.contains(QStringLiteral("1行目")));
        QCOMPARE(rig.robot->counters().reports, 0);
    }

    void firmwareUpdateFromAGoodFile() {
        Rig rig;
        const QString dir = testDir(QStringLiteral("robot_hex_good"));
        const QString path = dir + QStringLiteral("/good.hex");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(":021000001122BB\r\n:00000001FF\r\n");
        file.close();
        ScriptedAnswers answers{{QMessageBox::Yes, QMessageBox::Ok}, {}};
        QVERIFY(updateFirmware(
            nullptr, rig.link, {60, 60}, dir, [&] { return path; }, answers.asker()));
        QCOMPARE(answers.asked(QStringLiteral("完了")), QStringLiteral("ファームウェアのアップデートが完了しました。"));
        // Past the end of the file the firmware area stays erased.
        QCOMPARE(rig.robot->flash(0x1000, 3), (std::vector<uint8_t>{0x11, 0x22, 0xFF}));
    }

    void memoryMapRewritesOnlyChangedRows() {
        std::array<std::u16string, 32> names;
        for (int i = 0; i < 32; ++i) names[i] = u"name" + std::u16string(1, char16_t(u'A' + i % 26));
        MemoryImage memory{};
        memory[5] = 120;
        MemoryMapPlacement placement;
        MemoryMapWindow window(
            names, [&] { return memory; }, placement);
        QTableWidget* table = window.table();
        QCOMPARE(table->rowCount(), 19);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("nameF"));
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("120"));
        table->item(1, 1)->setText(QStringLiteral("marker"));  // an unchanged row keeps its text
        memory[5] = 7;
        memory[23] = 255;
        window.refresh();
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("7"));
        QCOMPARE(table->item(18, 1)->text(), QStringLiteral("255"));
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("marker"));
        window.show();
        window.move(300, 200);
        const QPoint where = window.pos();
        window.close();
        QCOMPARE(placement.position, where);
    }
};

QTEST_MAIN(RobotTransferTest)
#include "robot_transfer_test.moc"
