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
#include "base/gui/ui_text.h"
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

// Clicks `button` on the next message box whose text holds `containing` (the static message box
// functions report the button clicked, not the dialog's result code).
std::unique_ptr<ModalAnswerer> press(QMessageBox::StandardButton button, const QString& containing,
                                     QString* text = nullptr) {
    return std::make_unique<ModalAnswerer>([=](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->text().contains(containing) || !box->button(button)) return false;
        if (text) *text = box->text();
        box->button(button)->click();
        return true;
    });
}

// A studio window whose robot is emulated from `state` (a state file), its link not polling.
std::unique_ptr<MainWindow> windowWithRobot(const QString& state) {
    qputenv("TROVEL_VIRTUAL_ROBOT", state.toUtf8());
    MainWindowSetup setup{optionFlags(), appConfig()};
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
        auto yes = press(QMessageBox::Yes, QStringLiteral("書き込みます"));
        QVERIFY(writeProgramToRobot(nullptr, program, rig.link, {60, 60}));
        QVERIFY(yes->answered());
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
        QString text;
        auto ok = press(QMessageBox::Ok, QString(), &text);
        QVERIFY(!writeProgramToRobot(nullptr, program, rig.link, {60, 60}));
        QCOMPARE(text, QStringLiteral("ロボットをPCに接続してください。"));
        QCOMPARE(rig.robot->counters().reports, 0);
    }

    void unpluggedDuringTheWriteShowsTheError() {
        Rig rig;
        rig.robot->failBootWrite(2);
        BlockProgram program;
        newProgram(program);
        auto yes = press(QMessageBox::Yes, QStringLiteral("書き込みます"));
        QString text;
        auto error = press(QMessageBox::Ok, QStringLiteral("エラー"), &text);
        QVERIFY(!writeProgramToRobot(nullptr, program, rig.link, {60, 60}));
        QVERIFY(error->answered());
        QVERIFY(text.startsWith(QStringLiteral("プログラムの書き込み中にエラーが発生しました。")));
    }

    void writeToARobotThatNeverEntersItsBootLoaderSaysNothingWasWritten() {
        Rig rig;
        rig.robot->addFault({RobotFault::IgnoreBoot, 1});
        const std::vector<uint8_t> before = rig.robot->flash(kSequenceAddress, 64);
        BlockProgram program;
        newProgram(program);
        auto yes = press(QMessageBox::Yes, QStringLiteral("書き込みます"));
        QString text;
        auto error = press(QMessageBox::Ok, QStringLiteral("エラー"), &text);
        QVERIFY(!writeProgramToRobot(nullptr, program, rig.link, {60, 60}));
        QVERIFY(error->answered());
        QVERIFY(text.startsWith(QStringLiteral("プログラムの書き込み中にエラーが発生しました。")));
        QVERIFY(text.contains(QStringLiteral("ブートローダーに切り替わりませんでした")));
        QCOMPARE(rig.robot->flash(kSequenceAddress, 64), before);
        QCOMPARE(rig.robot->counters().erases, 0);
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
        auto yes = press(QMessageBox::Yes, QStringLiteral("読み込みますか"));
        // Presses "中断" as soon as the progress dialog is up.
        ModalAnswerer cancel([&pressed](QWidget* w) {
            auto* dialog = qobject_cast<TransferDialog*>(w);
            if (!dialog) return false;
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
            pressed = true;
            return true;
        });
        MotorSpeeds speeds{1, 2};
        QVERIFY(!readProgramFromRobot(nullptr, program, rig.link, speeds));
        QVERIFY(cancel.answered());
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
            auto no = press(QMessageBox::No, QStringLiteral("読み込みますか"));
            QVERIFY(!readProgramFromRobot(nullptr, program, rig.link, speeds, hooks));
            QVERIFY(no->answered());
        }
        QCOMPARE(offers, 0);

        // "Yes", then the save offer is cancelled: nothing reaches the robot.
        bool confirmedFirst = false;
        auto yes = press(QMessageBox::Yes, QStringLiteral("読み込みますか"));
        hooks.beforeTransfer = [&] {
            ++offers;
            confirmedFirst = yes->answered();
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
        auto yes = press(QMessageBox::Yes, QStringLiteral("読み込みますか"));
        QString done;
        auto info = press(QMessageBox::Ok, QStringLiteral("完了"), &done);
        MotorSpeeds speeds{1, 2};
        QVERIFY(readProgramFromRobot(nullptr, program, rig.link, speeds));
        QCOMPARE(done, QStringLiteral("プログラムの読み込みが完了しました。"));
        QCOMPARE(speeds, (MotorSpeeds{99, 60}));
        QVERIFY(program.filePath.empty());
        QCOMPARE(program.blocks.size(), size_t(3));
        QCOMPARE(program.blocks[1]->type, BlockType::Forward);
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
        optionFlags().reset(0);
        auto window = windowWithRobot(state);
        HidLink& link = window->robotLink();
        link.tryClaim();
        QVERIFY(link.findRobot());
        link.release();
        optionFlags().set(Option::Connected);
        window->program().filePath = u"old.qxp";
        window->setTitle();
        const QString oldTitle = window->windowTitle();

        auto yes = press(QMessageBox::Yes, QStringLiteral("読み込みますか"));
        QString titleAtMessage;
        size_t blocksAtMessage = 0;
        ModalAnswerer done([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->text().contains(QStringLiteral("完了"))) return false;
            titleAtMessage = window->windowTitle();
            blocksAtMessage = window->program().blocks.size();
            box->button(QMessageBox::Ok)->click();
            return true;
        });
        window->actionById(Command::ReadProgram)->trigger();
        QVERIFY(done.answered());
        QCOMPARE(blocksAtMessage, size_t(3));
        QVERIFY(titleAtMessage != oldTitle);
        QCOMPARE(titleAtMessage, window->windowTitle());
        QCOMPARE(window->program().currentBlock, window->program().blocks[0].get());
        optionFlags().reset(0);
    }

    void readThatGetsNoRobotStillMakesTheFirstBlockCurrent() {
        optionFlags().reset(0);
        auto window = windowWithRobot(QStringLiteral("1"));
        // Taken for connected, but no device is open: the transfer gives up at once.
        optionFlags().set(Option::Connected);
        BlockProgram& program = window->program();
        program.currentBlock = program.blocks.back().get();
        QVERIFY(program.currentBlock != program.blocks.front().get());
        const size_t before = program.blocks.size();
        auto yes = press(QMessageBox::Yes, QStringLiteral("読み込みますか"));
        window->actionById(Command::ReadProgram)->trigger();
        QVERIFY(yes->answered());
        QCOMPARE(program.blocks.size(), before);
        QCOMPARE(program.currentBlock, program.blocks.front().get());
        optionFlags().reset(0);
    }

    void firmwareFileIsChosenWithTheProgressDialogOpen() {
        Rig rig;
        const QString dir = testDir(QStringLiteral("robot_hex_order"));
        auto yes = press(QMessageBox::Yes, QStringLiteral("ファームウェア"));
        bool dialogOpen = false;
        QString title;
        QVERIFY(!updateFirmware(nullptr, rig.link, {60, 60}, dir, [&] {
            auto* dialog = qobject_cast<TransferDialog*>(QApplication::activeModalWidget());
            dialogOpen = dialog && dialog->isVisible() && !dialog->cancelButton()->isEnabled();
            if (dialog) title = dialog->windowTitle();
            return QString();  // cancelled: the dialog closes, nothing is sent
        }));
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
        auto yes = press(QMessageBox::Yes, QStringLiteral("ファームウェア"));
        auto giveUp = press(QMessageBox::Abort, QStringLiteral("接続しなおして"));
        QString text;
        auto failed = press(QMessageBox::Ok, QStringLiteral("途中まで"), &text);
        QVERIFY(!updateFirmware(nullptr, rig.link, {60, 60}, dir, [&] { return path; }));
        QVERIFY(giveUp->answered());
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
            QMetaObject::invokeMethod(&dialog, [&] {
                dialog.done(QDialog::Rejected);
                ended = true;
            }, Qt::QueuedConnection);
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
        auto yes = press(QMessageBox::Yes, QStringLiteral("ファームウェア"));
        QString text;
        auto error = press(QMessageBox::Ok, QStringLiteral("壊れています"), &text);
        QVERIFY(!updateFirmware(nullptr, rig.link, {60, 60}, dir, [&] { return path; }));
        QVERIFY(error->answered());
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
        auto yes = press(QMessageBox::Yes, QStringLiteral("ファームウェア"));
        QString text;
        auto info = press(QMessageBox::Ok, QStringLiteral("完了"), &text);
        QVERIFY(updateFirmware(nullptr, rig.link, {60, 60}, dir, [&] { return path; }));
        QCOMPARE(text, QStringLiteral("ファームウェアのアップデートが完了しました。"));
        // Past the end of the file the firmware area stays erased.
        QCOMPARE(rig.robot->flash(0x1000, 3), (std::vector<uint8_t>{0x11, 0x22, 0xFF}));
    }

    void memoryMapRewritesOnlyChangedRows() {
        std::array<std::u16string, 32> names;
        for (int i = 0; i < 32; ++i) names[i] = u"name" + std::u16string(1, char16_t(u'A' + i % 26));
        RobotMemory memory{};
        memory[5] = 120;
        MemoryMapPlacement placement;
        MemoryMapWindow window(names, [&] { return memory; }, placement);
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
