#pragma once
// Which USB identifiers the robot has: robot.ini in the application folder, or --robot-usb.

#include <filesystem>
#include <optional>
#include <string_view>

#include "robot/hid_device.h"

namespace trovel {

// "VID:PID", both four hex digits at most ("1209:7e10"); nothing when malformed or 0.
std::optional<RobotUsbId> parseRobotUsbId(std::string_view text);

// robot.ini: the line _ROBOT_USB:[VID]-[PID] with hex values. The built-in pair when the file is
// missing or has no valid line.
RobotUsbId loadRobotUsbId(const std::filesystem::path& appFolder);

// The pair to use: `option` (--robot-usb, "" when not given) over robot.ini over the built-in
// pair. False with `id` unchanged when the option is malformed.
bool chooseRobotUsbId(std::string_view option, const std::filesystem::path& appFolder, RobotUsbId& id);

}  // namespace trovel
