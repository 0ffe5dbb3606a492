#pragma once
// The robot commands of the main window: write the program, read it back, update the firmware.
// Each asks its questions, runs its transfer under the progress dialog and shows the outcome.

#include <QString>

#include <functional>

#include "base/gui/user_question.h"
#include "model/program.h"
#include "robot/hid_link.h"

class QWidget;

namespace trovel {

struct WriteProgramHooks {
    // The repeat-structure question; false stops the write. Empty: no check.
    std::function<bool()> repeatCheckAllowsWrite;
    // Asks the questions and tells the outcome; empty: the studio's message box over the owner.
    Asker asker;
};

// "プログラムの書き込み": connection check, confirmation, repeat check, compile, download, and a
// closing message once something was sent (none after a cancel that erased nothing). True when
// the program was written and the robot restarted with it.
bool writeProgramToRobot(QWidget* owner, const BlockProgram& program, HidLink& link, MotorSpeeds speeds,
                         const WriteProgramHooks& hooks = {});

struct ReadProgramHooks {
    // Asked after the confirmation: offers to save a modified program and clears the current
    // block; false (the user cancelled) stops the read. Empty: nothing is asked.
    std::function<bool()> beforeTransfer;
    // After a successful read, once the program and `speeds` were replaced and before the
    // completion message: the window shows the new program and its title.
    std::function<void()> programReplaced;
    // Whenever the progress dialog ran, whatever its outcome, after any message.
    std::function<void()> afterTransfer;
    // As for the write.
    Asker asker;
};

// "プログラムの読み込み": connection check (a robot waiting in its boot loader will do),
// confirmation, the save offer of the hooks, connection check again, upload. On success the
// program is replaced by the decoded one (no file path, no current block) and `speeds` by the
// robot's; true. Otherwise both are untouched, also when the robot holds no program (it says so).
bool readProgramFromRobot(QWidget* owner, BlockProgram& program, HidLink& link, MotorSpeeds& speeds,
                          const ReadProgramHooks& hooks = {});

// "ファームウェア書き換え": confirmation, the progress dialog, then inside it the file choice
// (chooseFile returns the path or "" for cancel; empty: the open-file dialog in appFolder), HEX
// check, update. True when the robot was updated. `asker` as for the write (its boxes during the
// transfer sit over the progress dialog).
bool updateFirmware(QWidget* owner, HidLink& link, MotorSpeeds speeds, const QString& appFolder,
                    const std::function<QString()>& chooseFile = {}, const Asker& asker = {});

}  // namespace trovel
