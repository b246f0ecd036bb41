// The tone sink behind the speaker, chosen by the REG_SZ value "ToneSink" under
// HKLM\Software\QVTouch:
//   evdev          the PC speaker's input event device (evdev_tone.h)
//   console        KIOCSOUND on /dev/console or /dev/tty0 (console_tone.h)
//   recorder:PATH  JSON Lines to a file, "-" for standard output (tone_recorder.h)
//   auto           (also an absent or empty value) evdev where present, else the console where
//                  the request works, else the recorder on the host's log (standard error)
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/input/device_file.h"
#include "platform/sound/tone_sink.h"

namespace qvtouch::platform {

inline constexpr std::string_view kToneSinkValue = "ToneSink";
inline constexpr std::string_view kEvdevSink = "evdev";
inline constexpr std::string_view kConsoleSink = "console";

// Parses the value and opens the sink it names through the devices, trying the event devices for
// evdev; the sink comes inside a Speaker (speaker.h), so it may be called from several threads
// and silences the tone when destroyed. Throws SinkError for a bad value or a named sink that is
// not present.
std::unique_ptr<ToneSink> OpenToneSink(std::string_view value, DeviceOpener& devices,
                                       std::span<const std::string> eventDevices);

// The same on this machine: the host's one call.
std::unique_ptr<ToneSink> MakeToneSink(std::string_view value);

}  // namespace qvtouch::platform
