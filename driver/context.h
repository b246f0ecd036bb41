// The driver's one state record and the table of its registry settings.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

#include "common/driver_settings.h"
#include "common/mouse_input.h"
#include "common/records.h"
#include "common/setting_values.h"
#include "driver/kernel.h"
#include "driver/paged_text.h"

namespace qvtouch::driver {

struct IoRequest;

// What the serial link holds once the port is open.
struct DeviceExtension {
  std::unique_ptr<SerialPort> SerialDevice;
};

// StopReads values.
inline constexpr std::uint8_t kReadsRunning = 0;
inline constexpr std::uint8_t kStopRequested = 1;
inline constexpr std::uint8_t kStopAcknowledged = 2;

// PassThroughActive and StopReads are read by the read completion for every byte without the lock.
// They are written only under the lock, and atomically.
inline std::uint8_t ReadFlag(std::uint8_t& flag) {
  return std::atomic_ref(flag).load(std::memory_order_relaxed);
}
inline void WriteFlag(std::uint8_t& flag, std::uint8_t value) {
  std::atomic_ref(flag).store(value, std::memory_order_relaxed);
}

// Size of the copy of a pass-through request's input.
inline constexpr std::size_t kPassThroughCommandSize = 40;

struct DriverContext {
  DeviceExtension* Extension = nullptr;

  // Hand-off between the waiting control request and the read completion.
  std::uint8_t PassThroughActive = 0;
  IoRequest* PendingRequest = nullptr;
  std::unique_ptr<KernelEvent> PassThroughDone;
  std::uint32_t PassThroughWanted = 0;
  std::uint32_t PassThroughCount = 0;
  std::array<std::uint8_t, kPassThroughCommandSize> PassThroughCommand{};
  std::unique_ptr<KernelEvent> PacketCaptured;

  std::uint32_t Port = 0;
  PagedText RegistryPath;
  std::uint8_t StopReads = kReadsRunning;

  std::unique_ptr<KernelTimer> BeepTimer;
  std::uint8_t ReadByte = 0;

  // Calibration point capture.
  std::int32_t CaptureState = 0;
  std::int32_t CaptureRawX = 0;
  std::int32_t CaptureRawY = 0;

  // BeepMode to BeepTime2 form the beep record.
  std::uint32_t BeepMode = 0;
  std::uint32_t BeepFreq1 = 0;
  std::uint32_t BeepTime = 0;
  std::uint32_t BeepFreq2 = 0;
  std::uint32_t BeepTime2 = 0;

  std::uint8_t ParserState = 0;
  std::uint8_t HoldCount = 0;
  std::uint8_t RightClickDone = 0;
  std::uint8_t RBNDelay = 0;
  std::int32_t ButtonMode = 0;
  std::uint32_t MouseMode = 0;
  std::int32_t JitterX = 0;
  std::int32_t JitterY = 0;

  // Xc to CalibrationExtra form the calibration block.
  CalibrationBlock Calibration;

  std::uint32_t PointerEnable = 0;
  std::int32_t ScreenPost = 0;
  CONNECT_DATA ClassConnect;

  BeepRecord Beep() const { return {BeepMode, BeepFreq1, BeepTime, BeepFreq2, BeepTime2}; }
};

using qvtouch::Definition;
using qvtouch::kSettings;
using qvtouch::Setting;
using qvtouch::SettingDefinition;

// The subkey of the service key that holds the settings.
inline constexpr std::string_view kParametersSubkey = "\\Parameters";

// Value checks shared by the settings load and the set requests. All comparisons are unsigned, so
// negative values fall outside every range.
inline constexpr std::uint32_t kDefaultBeepFrequency = 2000;
inline constexpr std::uint32_t kDefaultBeepTime = 40;
inline constexpr std::uint32_t kShortestBeepTime = 32;
inline constexpr std::uint32_t kDefaultRBNDelay = 48;
inline constexpr std::int32_t kDefaultSpan = 800;
inline constexpr std::uint32_t kHighestMouseMode = 3;
inline constexpr std::uint32_t kMouseModeFallback = 2;

constexpr std::uint32_t CheckedBeepFrequency(std::uint32_t value) {
  return value >= 1000 && value <= 5000 ? value : kDefaultBeepFrequency;
}
constexpr std::uint32_t CheckedBeepTime(std::uint32_t value, std::uint32_t fallback) {
  return value >= kShortestBeepTime && value <= 750 ? value : fallback;
}
constexpr std::int32_t CheckedButtonMode(std::uint32_t value) {
  return value == kRightButton ? kRightButton : kLeftButton;
}

}  // namespace qvtouch::driver
