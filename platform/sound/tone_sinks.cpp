#include "platform/sound/tone_sinks.h"

#include <array>

#include "platform/input/sink_error.h"
#include "platform/input/sink_choice.h"
#include "platform/sound/console_tone.h"
#include "platform/sound/evdev_tone.h"
#include "platform/sound/speaker.h"
#include "platform/sound/tone_recorder.h"

namespace qvtouch::platform {
namespace {

constexpr std::array<std::string_view, 2> kDeviceSinks{kEvdevSink, kConsoleSink};

std::unique_ptr<ToneSink> Present(std::unique_ptr<ToneSink> sink, std::string_view what) {
  if (!sink) throw SinkError(std::string(kToneSinkValue) + ": " + std::string(what));
  return sink;
}

std::unique_ptr<ToneSink> OpenDeviceOrRecorder(std::string_view value, DeviceOpener& devices,
                                               std::span<const std::string> eventDevices) {
  const SinkChoice choice = ParseSinkChoice(value, kDeviceSinks, kToneSinkValue);
  if (choice.Name == kEvdevSink) {
    return Present(OpenEvdevTone(devices, eventDevices),
                   "no input event device reports EV_SND SND_TONE");
  }
  if (choice.Name == kConsoleSink) {
    return Present(OpenConsoleTone(devices), "KIOCSOUND works on no console");
  }
  if (choice.Name == kRecorderSink) return OpenToneRecorder(choice.RecorderPath);
  if (auto evdev = OpenEvdevTone(devices, eventDevices)) return evdev;
  if (auto console = OpenConsoleTone(devices)) return console;
  return OpenToneRecorder(kHostLogPath);
}

}  // namespace

std::unique_ptr<ToneSink> OpenToneSink(std::string_view value, DeviceOpener& devices,
                                       std::span<const std::string> eventDevices) {
  return std::make_unique<Speaker>(OpenDeviceOrRecorder(value, devices, eventDevices));
}

std::unique_ptr<ToneSink> MakeToneSink(std::string_view value) {
  return OpenToneSink(value, SystemDevices(), EventDevicePaths());
}

}  // namespace qvtouch::platform
