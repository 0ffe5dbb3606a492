#pragma once
// The robot commands of the main window: write the program, read it back, update the firmware.
// Each asks its questions, runs its transfer under the progress dialog and shows the outcome.

#include <QString>

#include <functional>

#include "model/program.h"
#include "robot/hid_link.h"

class QWidget;

namespace trovel {

struct WriteProgramHooks {
    // The repeat-structure question; false stops the write. Empty: no check.
    std::function<bool()> repeatCheckAllowsWrite;
};

// "プログラムの書き込み": connection check, confirmation, repeat check, compile, download.
// True when the program was written.
bool writeProgramToRobot(QWidget* owner, const BlockProgram& program, HidLink& link, MotorSpeeds speeds,
                         const WriteProgramHooks& hooks = {});

// "プログラムの読み込み" after the caller has offered to save a modified program: connection check,
// confirmation, upload. On success the program is replaced by the decoded one (no file path, no
// current block) and `speeds` by the robot's; true. Otherwise both are untouched.
bool readProgramFromRobot(QWidget* owner, BlockProgram& program, HidLink& link, MotorSpeeds& speeds);

// "ファームウェア書き換え": confirmation, file choice (chooseFile returns the path or "" for cancel;
// empty: the open-file dialog in appFolder), HEX check, update. True when the robot was updated.
bool updateFirmware(QWidget* owner, HidLink& link, MotorSpeeds speeds, const QString& appFolder,
                    const std::function<QString()>& chooseFile = {});

}  // namespace trovel
