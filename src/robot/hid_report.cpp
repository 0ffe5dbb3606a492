#include "robot/hid_report.h"

#include "model/sequence_code.h"

#include <algorithm>

namespace trovel {

HidReport commandReport(uint8_t command) {
    HidReport r{};
    r[1] = command;
    return r;
}

namespace {

HidReport memoryRequest(uint8_t second) {
    HidReport r{};
    r[1] = 'm';
    r[2] = second;
    r[3] = 0;
    r[4] = MemoryMap::Size;
    return r;
}

}  // namespace

HidReport memoryReadRequest() { return memoryRequest('r'); }

HidReport memoryWriteRequest(const MemoryImage& memory) {
    HidReport r = memoryRequest('w');
    std::copy(memory.begin(), memory.end(), r.begin() + 5);
    return r;
}

HidReport mfRequest() { return memoryRequest('f'); }

bool memoryFromReply(const HidReport& reply, MemoryImage& memory) {
    // An answer to anything else (a probe, a write, a stale report) must not pass for the memory.
    if (reply[0] != 0 || reply[1] != 'm' || reply[2] != 'r') return false;
    std::copy_n(reply.begin() + 5, MemoryMap::Size, memory.begin());
    return true;
}

HidReport bootRequest(uint8_t command, uint32_t address, int n, std::span<const uint8_t> data, uint8_t fill) {
    HidReport r;
    r.fill(fill);
    r[0] = 0;
    r[1] = command;
    for (int i = 0; i < 4; ++i) r[2 + i] = static_cast<uint8_t>(address >> (8 * i));
    n = std::clamp(n, 0, kMaxBootData);
    r[6] = static_cast<uint8_t>(n);
    // Data byte i sits at report byte 65 - n + i; data bytes not given keep the fill.
    const size_t count = std::min(data.size(), static_cast<size_t>(n));
    std::copy_n(data.begin(), count, r.begin() + (kReportBytes - n));
    return r;
}

uint32_t requestAddress(const HidReport& r) {
    return uint32_t(r[2]) | uint32_t(r[3]) << 8 | uint32_t(r[4]) << 16 | uint32_t(r[5]) << 24;
}

HidReport memoryMapWriteRequest(uint32_t address, uint8_t leftPercent, uint8_t rightPercent) {
    HidReport r = bootRequest(BootCommand::Write, address, kMemoryMapBytes);
    constexpr int data = kReportBytes - kMemoryMapBytes;  // report byte of memory map byte 0
    r[data + MemoryMap::LeftMotorSetting] = motorSettingByte(std::min<int>(leftPercent, 100));
    r[data + MemoryMap::RightMotorSetting] = motorSettingByte(std::min<int>(rightPercent, 100));
    return r;
}

bool sendReport(HidDevice& device, const HidReport& request) { return device.write(request) == kReportBytes; }

bool drainInput(HidDevice& device) {
    // A robot answers one report per request; more than this many waiting means it babbles.
    constexpr int kMostStale = 64;
    HidReport scratch{};
    for (int i = 0; i < kMostStale; ++i) {
        const int n = device.read(scratch, 0);
        if (n == 0) return true;
        if (n < 0) return false;
    }
    return false;
}

bool exchange(HidDevice& device, const HidReport& request, HidReport& reply, int timeoutMs) {
    reply.fill(0);
    if (!drainInput(device) || !sendReport(device, request)) return false;
    // Only a whole report is an answer: a short or long one is a broken exchange.
    if (device.read(reply, timeoutMs) != kReportBytes) {
        reply.fill(0);
        return false;
    }
    return true;
}

bool readRobotMemory(HidDevice& device, MemoryImage& memory, int timeoutMs) {
    HidReport reply{};
    return exchange(device, memoryReadRequest(), reply, timeoutMs) && memoryFromReply(reply, memory);
}

namespace {

// A boot loader may well answer the probe with the probe itself. Two one-byte reads of the same
// address that differ only in their ignored last byte tell it from a firmware that echoes every
// report: a boot loader answers both with the same flash byte, an echo hands back each request.
bool echoesEveryReport(HidDevice& device, int timeoutMs) {
    for (const uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
        const HidReport request = bootRequest(BootCommand::Read, kSequenceAddress, 1, {}, fill);
        HidReport reply{};
        if (!exchange(device, request, reply, timeoutMs) || reply != request) return false;
    }
    return true;
}

}  // namespace

ProbeAnswer probeRobot(HidDevice& device, int timeoutMs) {
    const HidReport request = commandReport(AppCommand::Probe);
    HidReport reply{};
    if (!exchange(device, request, reply, timeoutMs)) return ProbeAnswer::None;
    if (reply[1] == AppCommand::ProbeAnswer) return ProbeAnswer::Application;
    if (reply == request && echoesEveryReport(device, timeoutMs)) return ProbeAnswer::None;
    return ProbeAnswer::BootLoader;
}

}  // namespace trovel
