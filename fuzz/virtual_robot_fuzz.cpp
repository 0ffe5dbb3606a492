// The emulated robot's report handling: the input is a run of 64-byte reports (report ID 0 put in
// front), sent to the application firmware or, when the first byte is odd, to the boot loader.

#include "fuzz/fuzz_input.h"
#include "robot/virtual_robot.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    auto robot = VirtualRobot::create();
    robot->setMode(data[0] & 1 ? RobotMode::BootLoader : RobotMode::Application);
    ++data;
    --size;
    std::unique_ptr<HidDevice> device = robot->open();
    if (!device) return 0;
    for (size_t at = 0; at < size && at < 64 * 64; at += kReportBytes - 1) {
        HidReport report{};
        for (size_t k = 0; k + 1 < kReportBytes && at + k < size; ++k) report[k + 1] = data[at + k];
        if (device->write(report) < 0) {
            device = robot->open();  // a restart re-enumerates the robot
            if (!device) break;
            continue;
        }
        HidReport reply{};
        device->read(reply, 0);
    }
    return 0;
}
