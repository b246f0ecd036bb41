// The PC speaker through the console's KIOCSOUND request, whose argument is the timer count
// 1193180 / frequency (0 silences).
#pragma once

#include <array>
#include <memory>
#include <string_view>

#include "platform/input/device_file.h"
#include "platform/sound/tone_sink.h"

namespace qvtouch::platform {

// Tried in this order.
inline constexpr std::array<std::string_view, 2> kConsolePaths{"/dev/console", "/dev/tty0"};

// The first console on which KIOCSOUND works (tried with a silencing request); null when none.
std::unique_ptr<ToneSink> OpenConsoleTone(DeviceOpener& devices);

}  // namespace qvtouch::platform
