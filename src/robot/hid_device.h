#pragma once
// One open HID device with hidapi's return convention, and how the robot is found.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace trovel {

// Every exchange with the robot is one 65-byte report each way: byte 0 the report ID (always 0),
// byte 1 the command, bytes 2..64 command-specific.
constexpr int kReportBytes = 65;
using HidReport = std::array<uint8_t, kReportBytes>;

// USB identifiers of the robot the studio serves.
constexpr uint16_t RobotVendorId = 0x1209;
constexpr uint16_t RobotProductId = 0x7E10;

// An open device. Only the holder of the link claim calls it, so it needs no lock of its own.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // Sends one report. Returns the bytes written, or -1 on error (an unplugged robot included).
    virtual int write(const HidReport& report) = 0;
    // Waits at most timeoutMs (0..) for one report; byte 0 of `report` is the report ID 0.
    // Returns the bytes read, 0 on time-out, -1 on error (a hang-up included).
    virtual int read(HidReport& report, int timeoutMs) = 0;
};

// USB identifiers of the robot to look for: the built-in pair unless robot.ini or --robot-usb
// name another board.
struct RobotUsbId {
    uint16_t vendor = RobotVendorId;
    uint16_t product = RobotProductId;
};

// What a search for the robot found. `inUse`: a robot is there but another program holds it.
struct FoundDevice {
    std::unique_ptr<HidDevice> device;  // null when none was opened
    bool inUse = false;
};

// Opens the first present device with the robot's identifiers and takes it for this program.
using DeviceFinder = std::function<FoundDevice()>;

}  // namespace trovel
