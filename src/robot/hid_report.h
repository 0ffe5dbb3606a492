#pragma once
// The robot's reports: application-mode commands, boot-loader requests, and one exchange.

#include <cstdint>
#include <span>

#include "robot/hid_device.h"
#include "robot/link_state.h"

namespace trovel {

// Application-mode command bytes.
namespace AppCommand {
constexpr uint8_t Probe = 0xAA;
constexpr uint8_t ProbeAnswer = 0x55;  // 'U': the robot runs its normal firmware
constexpr uint8_t EnterBootLoader = 'b';
}  // namespace AppCommand

// Boot-loader command bytes.
namespace BootCommand {
constexpr uint8_t Erase = 4;
constexpr uint8_t Write = 5;
constexpr uint8_t Read = 7;
constexpr uint8_t Reset = 8;
}  // namespace BootCommand

// Erase selectors (request byte 2 of Erase).
constexpr uint8_t kEraseFirmware = 0;
constexpr uint8_t kEraseSequence = 1;

// Robot memory areas as addresses on the wire.
constexpr uint32_t kFirmwareAddress = 0x1000;
constexpr uint32_t kFirmwareEnd = 0x3E00;                   // first address past the firmware area
constexpr uint32_t kSequenceEnd = 0x4200;                   // first address past the sequence area
constexpr uint32_t kMemoryMapAddress = 0x07F00000;          // as program download and upload send it
constexpr uint32_t kFirmwareMemoryMapAddress = 0x00F00000;  // as the firmware update sends it
constexpr uint32_t kBootFlagAddress = 0x00F000FF;
constexpr int kMemoryMapBytes = 58;
constexpr int kChunkBytes = 48;
constexpr int kMaxBootData = 58;
constexpr int kChunkDataOffset = kReportBytes - kChunkBytes;  // 17: data sit at the end of a report

// [0, command] and zeros.
HidReport commandReport(uint8_t command);
// 'm' 'r' / 'm' 'w' / 'm' 'f' with first byte 0 and count 32; the write carries `memory` in 5..36.
HidReport memoryReadRequest();
HidReport memoryWriteRequest(const MemoryImage& memory);
HidReport mfRequest();
// The robot's memory out of a reply to memoryReadRequest(): false, with `memory` unchanged, unless
// the reply starts 0 'm' 'r'. The link and the command line both read the memory through this.
bool memoryFromReply(const HidReport& reply, MemoryImage& memory);
// Boot-loader request: command, address (least significant byte first), n, and the n data bytes
// aligned to the end of the report (data byte i at report byte 65 - n + i); bytes not given keep
// `fill`, and so do the bytes between 6 and the data.
HidReport bootRequest(uint8_t command, uint32_t address, int n, std::span<const uint8_t> data = {}, uint8_t fill = 0);
uint32_t requestAddress(const HidReport& report);
// The memory map written by a download or a firmware update: only the motor gains are non-zero.
HidReport memoryMapWriteRequest(uint32_t address, uint8_t leftPercent, uint8_t rightPercent);

// Writes one report. False unless the whole report was written.
bool sendReport(HidDevice& device, const HidReport& request);
// Reads and drops every report already waiting, without waiting, so that a late, duplicated or
// unasked report is never taken for the answer to the next request. False on a read error or a
// device that never stops sending.
bool drainInput(HidDevice& device);
// Drains stale input, writes `request`, then reads one report into `reply` (cleared first).
// False when the write fails or no full 65-byte reply comes within timeoutMs (reply cleared).
bool exchange(HidDevice& device, const HidReport& request, HidReport& reply, int timeoutMs);
// One memory read: the request, its reply and memoryFromReply. False, with `memory` unchanged,
// when no memory came back.
bool readRobotMemory(HidDevice& device, MemoryImage& memory, int timeoutMs);

enum class ProbeAnswer {
    Application,  // 'U': the robot runs its normal firmware
    BootLoader,   // a full reply with anything else
    None,         // no reply, a broken one, or the request echoed back: the mode is unknown
};
// The probe [0xAA]. Only a full reply that is not an echo of the request tells the mode.
ProbeAnswer probeRobot(HidDevice& device, int timeoutMs);

}  // namespace trovel
