// The motor settings dialog: entry correction, OK and closing without applying.

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "app/gui/motor_dialog.h"
#include "app/settings.h"
#include "gui_test_support.h"
#include "model/option_flags.h"

using namespace trovel;
using namespace trovel::test;

namespace {

// Answers the dialog's one question with `button`, which the question must offer.
struct OneAnswer {
    QMessageBox::StandardButton button;
    int asked = 0;
    bool offered = false;
    Asker asker() {
        return [this](const Question& question) {
            ++asked;
            offered = question.buttons.testFlag(button);
            return button;
        };
    }
    bool answered() const { return asked == 1 && offered; }
};

}  // namespace

class MotorDialogTest : public QObject {
    Q_OBJECT
private slots:
    void percentFromText() {
        QCOMPARE(motorPercentFromText(QStringLiteral("150")), 100);
        QCOMPARE(motorPercentFromText(QStringLiteral("６０")), 60);
        QCOMPARE(motorPercentFromText(QStringLiteral("12a")), -1);
        QCOMPARE(motorPercentFromText(QStringLiteral("")), 0);
    }

    void typingClampsAndClosingDropsTheChange() {
        Settings settings;
        settings.motorSpeed = {60, 70};
        OptionFlags flags;
        OneAnswer yes{QMessageBox::Yes};
        MotorDialog dialog(MotorDialogKind::Robot, settings, flags, yes.asker());
        QCOMPARE(dialog.slider(kRightMotor)->value(), 70);
        dialog.edit(kLeftMotor)->clear();
        QTest::keyClicks(dialog.edit(kLeftMotor), QStringLiteral("150"));
        QCOMPARE(dialog.edit(kLeftMotor)->text(), QStringLiteral("100"));
        QCOMPARE(dialog.slider(kLeftMotor)->value(), 100);
        QCOMPARE(settings.motorSpeed[kLeftMotor], 100);  // stored at once ...
        dialog.reject();
        QVERIFY(yes.answered());
        QCOMPARE(settings.motorSpeed[kLeftMotor], 60);  // ... and dropped on closing without OK
    }

    void okSavesTheRobotSpeedsAndTheOption() {
        Settings settings;
        settings.motorSpeed = {60, 60};
        OptionFlags flags;
        int saved = 0;
        OneAnswer ok{QMessageBox::Ok};
        MotorDialog dialog(MotorDialogKind::Robot, settings, flags, ok.asker());
        connect(&dialog, &MotorDialog::settingsChanged, [&] { ++saved; });
        dialog.slider(kRightMotor)->setValue(33);
        QCOMPARE(dialog.edit(kRightMotor)->text(), QStringLiteral("33"));
        dialog.readOnConnect()->setChecked(true);
        dialog.accept();
        QVERIFY(ok.answered());
        QCOMPARE(settings.motorSpeed[kRightMotor], 33);
        QCOMPARE(saved, 1);
        QVERIFY(flags.has(Option::ReadMotorSpeedOnConnect));
    }

    void simulatorVariantSetsGainsAndLeavesTheRobotOption() {
        Settings settings;
        OptionFlags flags;
        flags.set(Option::ReadMotorSpeedOnConnect);
        std::array<uint8_t, 2> gains{152, 152};
        settings.simGain = gains;
        OneAnswer ok{QMessageBox::Ok};
        MotorDialog dialog(MotorDialogKind::Simulator, settings, flags, ok.asker());
        connect(&dialog, &MotorDialog::simulatorGainsChanged, [&](std::array<uint8_t, 2> g) { gains = g; });
        QCOMPARE(dialog.slider(kLeftMotor)->value(), 60);
        QVERIFY(!dialog.readOnConnect()->isEnabled());
        dialog.slider(kLeftMotor)->setValue(100);
        dialog.accept();
        QVERIFY(ok.answered());
        QCOMPARE(gains[kLeftMotor], 255);
        QCOMPARE(gains[kRightMotor], 153);  // 60 % back to raw
        QCOMPARE(settings.simGain, gains);  // a simulator opened later starts with them
        QVERIFY(flags.has(Option::ReadMotorSpeedOnConnect));
    }
};

QTEST_MAIN(MotorDialogTest)
#include "robot_motor_dialog_test.moc"
