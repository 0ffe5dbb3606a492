#pragma once
// Reading the program stored in the robot: the sequence area up to its end mark, and the motor
// speeds from the memory map. Decoding into blocks is decodeSequence (model/sequence_decoder.h),
// done by the caller on the thread that owns the program.

#include <cstdint>
#include <vector>

#include "robot/boot_loader.h"

namespace trovel {

struct UploadResult {
    TransferStatus status = TransferStatus::Failed;
    TransferFailure failure = TransferFailure::None;  // why, when Failed
    std::vector<uint8_t> sequence;  // whole instructions, without the FF FF FF FF end; at most 1024 bytes
    MotorSpeeds speeds;             // from memory map bytes 7 and 8, valid when Done
    // Done, but the robot still waits in its boot loader: it ignored the reset, or it was met
    // there holding a firmware taken to be incomplete (then it is not sent back).
    bool leftInBootLoader = false;
};

// Every chunk and the memory map are read twice and must agree. Also reads a robot that waits in
// its boot loader (LinkState::inBootLoader), connected or not.
UploadResult uploadProgram(const TransferContext& ctx);

}  // namespace trovel
