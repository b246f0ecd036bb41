// Small builders shared by the driver tests.
#pragma once

#include <cstdint>
#include <vector>

#include "common/little_endian.h"
#include "common/records.h"
#include "common/touch_report.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::driver::testing {

inline std::vector<std::uint8_t> Report(TouchStatus status, std::uint16_t x, std::uint16_t y) {
  return sim::TouchScript().Report(status, {x, y}).Stream();
}

inline std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline std::vector<std::uint8_t> U32(std::uint32_t value) {
  std::vector<std::uint8_t> bytes(4);
  StoreU32(bytes, 0, value);
  return bytes;
}

// The input of a pass-through request, as the calibration program builds it.
inline std::vector<std::uint8_t> CommandInput(std::span<const std::uint8_t> command,
                                              std::uint32_t replyLength) {
  CommandRecord record;
  std::copy(command.begin(), command.end(), record.CommandBytes.begin());
  record.SendCount = static_cast<std::uint32_t>(command.size());
  record.ReplyCount = replyLength;
  record.CallerWord1 = 0xE2D2;
  const auto bytes = record.Encode();
  return {bytes.begin(), bytes.end()};
}

}  // namespace qvtouch::driver::testing
