#pragma once

// A HID device on one hidraw node, served on the HID thread. Made by the HID
// manager for every node it finds; tests may make one on any character
// device that behaves like a node.

#include <memory>
#include <string>

#include "platform/hid_device.h"

namespace orbel::platform::linux_hid {

std::shared_ptr<HidDevice> makeHidrawDevice(std::string devnode, std::uint16_t product, std::string name);

}  // namespace orbel::platform::linux_hid
