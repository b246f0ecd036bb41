// The touch controller's commands, as the calibration program sends them through the driver's
// pass-through request, and the replies the system relies on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qvtouch {

inline constexpr std::uint8_t kSOH = 0x01;
inline constexpr std::uint8_t kCR = 0x0D;

inline constexpr std::array<std::uint8_t, 5> kEnterAssistedMode{kSOH, 'Q', 'V', '3', kCR};
inline constexpr std::array<std::uint8_t, 5> kLeaveAssistedMode{kSOH, 'Q', 'V', '0', kCR};
inline constexpr std::array<std::uint8_t, 4> kReadParameters{kSOH, 'G', 'P', kCR};
inline constexpr std::array<std::uint8_t, 3> kSetParametersPrefix{kSOH, 'S', 'P'};
inline constexpr std::size_t kSetParametersSize = 12;

// Reply to entering or leaving the assisted mode: byte 1 is '0' when the command was accepted.
inline constexpr std::size_t kModeReplySize = 3;
inline constexpr std::size_t kModeReplyResultOffset = 1;
inline constexpr std::uint8_t kModeAccepted = '0';

// Reply to reading the parameters: the linearity values, little-endian, at bytes 1 and 5.
inline constexpr std::size_t kParametersReplySize = 10;
inline constexpr std::size_t kParametersReplyXOffset = 1;
inline constexpr std::size_t kParametersReplyYOffset = 5;

// Linearity values run from 0 to this value, which means no correction.
inline constexpr std::uint16_t kNoLinearityCorrection = 3072;

// The set-parameters command: each linearity value twice, little-endian, X first.
constexpr std::array<std::uint8_t, kSetParametersSize> SetParametersCommand(std::uint16_t linearityX,
                                                                          std::uint16_t linearityY) {
  const auto low = [](std::uint16_t v) { return static_cast<std::uint8_t>(v); };
  const auto high = [](std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); };
  return {kSOH,            'S',              'P',
          low(linearityX), high(linearityX), low(linearityX),
          high(linearityX), low(linearityY), high(linearityY),
          low(linearityY), high(linearityY), kCR};
}

}  // namespace qvtouch
