// The fixed-size records that the driver and the programs exchange through control requests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qvtouch {

// The driver's calibration: a centre and a signed span per raw axis, the orientation, the monitor
// shares in 1/4096, and eight values that the calibration program keeps with it.
struct CalibrationBlock {
  static constexpr std::size_t kSize = 68;
  std::int32_t Xc = 0;
  std::int32_t Yc = 0;
  std::int32_t XL = 0;
  std::int32_t YL = 0;
  std::int32_t Orientation = 0;
  std::int32_t Shp = 0;
  std::int32_t Shs = 0;
  std::int32_t Svp = 0;
  std::int32_t Svs = 0;
  std::array<std::int32_t, 8> CalibrationExtra{};

  bool operator==(const CalibrationBlock&) const = default;
  std::array<std::uint8_t, kSize> Encode() const;
  static CalibrationBlock Decode(std::span<const std::uint8_t, kSize> bytes);
};

// The touch beep settings: mode, frequency in Hz and length in ms of the tone, and a second
// frequency and length that are kept but never sounded.
struct BeepRecord {
  static constexpr std::size_t kSize = 20;
  std::uint32_t BeepMode = 0;
  std::uint32_t BeepFreq1 = 0;
  std::uint32_t BeepTime = 0;
  std::uint32_t BeepFreq2 = 0;
  std::uint32_t BeepTime2 = 0;

  bool operator==(const BeepRecord&) const = default;
  std::array<std::uint8_t, kSize> Encode() const;
  static BeepRecord Decode(std::span<const std::uint8_t, kSize> bytes);
};

// Input of the pass-through request: up to 16 command bytes for the controller, how many of them
// to send, how many reply bytes the caller expects, and two words of the caller's own.
struct CommandRecord {
  static constexpr std::size_t kSize = 32;
  static constexpr std::size_t kMaxCommandBytes = 16;
  std::array<std::uint8_t, kMaxCommandBytes> CommandBytes{};
  std::uint32_t SendCount = 0;
  std::uint32_t ReplyCount = 0;
  std::uint32_t CallerWord1 = 0;
  std::uint32_t CallerWord2 = 0;

  bool operator==(const CommandRecord&) const = default;
  std::array<std::uint8_t, kSize> Encode() const;
  static CommandRecord Decode(std::span<const std::uint8_t, kSize> bytes);
};

// Byte offset of SendCount in an encoded command record.
inline constexpr std::size_t kCommandSendCountOffset = 16;

}  // namespace qvtouch
