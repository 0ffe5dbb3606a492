#pragma once
// Replacing the robot's firmware through its boot loader with an image read from a HEX file.

#include <cstdint>
#include <functional>
#include <vector>

#include "robot/boot_loader.h"

namespace trovel {

struct FirmwareResult {
    TransferStatus status = TransferStatus::Failed;
    TransferFailure failure = TransferFailure::None;  // why the last attempt failed
    int attempts = 0;                                 // erase-and-write attempts made
    bool abandoned = false;                           // the user gave up after a failed attempt (status Failed)
    bool incomplete = false;                          // abandoned after an erase: the robot stays in its boot loader
};

// Asked after a failed attempt, once the user has been told to reconnect the robot: true to try
// again, false to give up.
using RetryQuestion = std::function<bool()>;

// The transfer thread's work. `image` is indexed by absolute address; only the firmware area
// 0x1000 .. 0x3DFF of it is written, followed by the memory map with the motor speeds. A failed
// attempt (including a robot that never came back in its boot loader) is repeated while `retry`
// says so. Every chunk and the memory map are read back. Given up after an erase, the robot is
// not restarted: the link state says the firmware is incomplete and the link leaves the robot in
// its boot loader until an update succeeds. Cannot be cancelled. A robot that ignores the reset
// after a good update makes it fail with NotRestarted (the firmware is whole: not incomplete).
FirmwareResult firmwareUpdate(const TransferContext& ctx, const std::vector<uint8_t>& image, MotorSpeeds speeds,
                              const RetryQuestion& retry);

struct FirmwareCheck {
    TransferStatus status = TransferStatus::Failed;
    TransferFailure failure = TransferFailure::None;  // Verify: the robot holds other bytes
    uint32_t firstDifference = 0;                     // its address, when Verify
    bool leftInBootLoader = false;                    // the robot ignored the reset afterwards
};

// Reads the robot's firmware area through the boot loader and compares it with `image` (indexed
// by absolute address) from 0x1000 up to its end or the end of the area; leaves the boot loader
// afterwards unless the firmware is known to be incomplete. Nothing is written.
FirmwareCheck verifyFirmware(const TransferContext& ctx, const std::vector<uint8_t>& image);

}  // namespace trovel
