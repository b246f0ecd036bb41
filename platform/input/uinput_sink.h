// The uinput sink: an absolute pointer device (ABS_X and ABS_Y over 0..65536, BTN_LEFT,
// BTN_RIGHT, no BTN_TOUCH, so readers take it for a mouse rather than a touch screen) for the
// console and Wayland sessions, where the compositor maps it onto the desktop. The move flags
// therefore do not choose an area here.
//
// Untested against a real device: the build machine has no /dev/uinput. The tests check the
// calls (device setup, events, destruction) against a recording DeviceFile.
#pragma once

#include <memory>
#include <string_view>

#include "platform/input/device_file.h"
#include "platform/input/pointer_sink.h"

namespace qvtouch::platform {

inline constexpr std::string_view kUinputPath = "/dev/uinput";
inline constexpr std::string_view kUinputDeviceName = "QVTouch pointer";

// Opens kUinputPath and creates the device; throws SinkError naming the step that fails.
// Destroying the sink destroys the device.
std::unique_ptr<PointerSink> OpenUinputSink(DeviceOpener& devices);

}  // namespace qvtouch::platform
