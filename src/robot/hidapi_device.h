#pragma once
// The real robot through hidapi, and the choice between it and the virtual robot at run time.

#include <hidapi.h>

#include <filesystem>
#include <functional>
#include <string>

#include "robot/hid_device.h"

namespace trovel {

// The hidapi calls the back end makes; tests put a fake in their place.
struct HidApiCalls {
    std::function<int()> init;
    std::function<hid_device_info*(unsigned short, unsigned short)> enumerate;
    std::function<void(hid_device_info*)> freeEnumeration;
    std::function<hid_device*(const char*)> openPath;
    std::function<void(hid_device*)> close;
    std::function<int(hid_device*, const unsigned char*, size_t)> write;
    std::function<int(hid_device*, unsigned char*, size_t, int)> readTimeout;
};
// The library itself.
HidApiCalls systemHidApi();

// Opens the first present HID device with the given identifiers (hidapi's enumeration order)
// that no other program holds. Holding it is an exclusive advisory lock (flock) on a file named
// after the device path in `lockFolder` (the user's runtime folder), or on the device node
// itself when there is no such folder; a device whose lock another program holds is reported
// as in use and not opened.
DeviceFinder hidapiFinder(RobotUsbId id = {}, std::filesystem::path lockFolder = {},
                          HidApiCalls calls = systemHidApi());

// The lock folder for this user: $XDG_RUNTIME_DIR, or nothing.
std::filesystem::path robotLockFolder();

// The finder the studio and the command line use. `virtualRobot`: empty or "0" for the robot on
// USB; "1" for a fresh emulated robot; anything else names the emulated robot's state file,
// read when present and written when the finder is destroyed (a file that is there but holds no
// robot state is left alone: the robot is then a fresh one, not kept).
DeviceFinder robotFinder(RobotUsbId id, const std::string& virtualRobot);
// The same with the choice taken from the environment variable TROVEL_VIRTUAL_ROBOT.
DeviceFinder robotFinder(RobotUsbId id = {});

}  // namespace trovel
