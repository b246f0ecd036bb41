// The PC speaker through its input event device: the one that reports EV_SND with SND_TONE
// (pcspkr), sounded by writing an EV_SND SND_TONE event whose value is the frequency in Hz.
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/input/device_file.h"
#include "platform/sound/tone_sink.h"

namespace qvtouch::platform {

inline constexpr std::string_view kInputDeviceDirectory = "/dev/input";

// The event devices (eventN) of the directory, by ascending N; none when it cannot be read.
std::vector<std::string> EventDevicePaths(
    const std::filesystem::path& directory = kInputDeviceDirectory);

// The first candidate that opens and reports SND_TONE; null when none does.
std::unique_ptr<ToneSink> OpenEvdevTone(DeviceOpener& devices,
                                        std::span<const std::string> candidates);

}  // namespace qvtouch::platform
