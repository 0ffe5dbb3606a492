#pragma once
// The real robot through hidapi, and the choice between it and the virtual robot at run time.

#include "robot/hid_device.h"

namespace trovel {

// Opens the first present HID device with the given identifiers (hidapi's enumeration order).
DeviceFinder hidapiFinder(uint16_t vendorId = RobotVendorId, uint16_t productId = RobotProductId);

// The finder the studio uses: the virtual robot when the environment variable
// TROVEL_VIRTUAL_ROBOT is set to a non-empty value other than "0", else hidapi.
DeviceFinder robotFinder();

}  // namespace trovel
