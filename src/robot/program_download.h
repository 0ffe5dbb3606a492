#pragma once
// Writing a compiled program into the robot: the sequence area, verified chunk by chunk, and the
// memory map with the motor speeds.

#include <climits>
#include <cstdint>

#include "model/sequence_code.h"
#include "robot/boot_loader.h"

namespace trovel {

struct DownloadResult {
    TransferStatus status = TransferStatus::Failed;
    TransferFailure failure = TransferFailure::None;  // why, when Failed
    // The sequence area was erased: a failure or a cancel after it leaves the robot's program
    // erased or half written.
    bool erased = false;
    // The robot did not hold what was written; the status is Failed too. verifyAddress is the
    // first address that differed.
    bool verifyError = false;
    uint32_t verifyAddress = 0;
    // The robot left its boot loader at the end. False with failure NotRestarted: the program was
    // written and verified, but the robot ignored the reset and still waits in its boot loader.
    bool restarted = false;
};

// The transfer thread's work. `size` bytes of the image are written (a whole number of
// instructions). Leaves RobotRestarting set: the robot restarts with its new program. A robot
// that stays in its boot loader afterwards makes the write fail with NotRestarted.
DownloadResult downloadProgram(const TransferContext& ctx, const SequenceImage& image, MotorSpeeds speeds);

}  // namespace trovel
