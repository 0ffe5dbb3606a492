#pragma once
// Replacing the robot's firmware through its boot loader with an image read from a HEX file.

#include <cstdint>
#include <functional>
#include <vector>

#include "robot/boot_loader.h"

namespace trovel {

struct FirmwareResult {
    TransferStatus status = TransferStatus::Failed;
    int attempts = 0;        // erase-and-write attempts made
    bool abandoned = false;  // the user gave up after a failed attempt (status Failed)
};

// Asked after a failed attempt, once the user has been told to reconnect the robot: true to try
// again, false to give up.
using RetryQuestion = std::function<bool()>;

// The transfer thread's work. `image` is indexed by absolute address; only the firmware area
// 0x1000 .. 0x3DFF of it is written, followed by the memory map with the motor speeds. A failed
// attempt (including a robot that never came back in its boot loader) is repeated while `retry`
// says so. Cannot be cancelled.
FirmwareResult FirmwareUpdate(const TransferContext& ctx, const std::vector<uint8_t>& image, MotorSpeeds speeds,
                              const RetryQuestion& retry);

}  // namespace trovel
