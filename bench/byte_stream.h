// The byte streams the byte-path benchmarks feed through the driver.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/sim/touch_script.h"

namespace qvtouch::bench {

// Hold reports of a finger held still: each report lands inside the jitter window.
inline std::vector<std::uint8_t> StillHolds(std::size_t reports) {
  return sim::TouchScript().Press({2048, 2048}).Hold({2048, 2048}, reports).Stream();
}

// Hold reports of a finger moving: each report leaves the window and sends a move.
inline std::vector<std::uint8_t> MovingHolds(std::size_t reports) {
  sim::TouchScript script;
  script.Press({100, 100});
  for (std::size_t i = 0; i < reports; ++i) {
    const auto offset = static_cast<std::uint16_t>((i % 2) * 400);
    script.Hold({static_cast<std::uint16_t>(100 + offset), 100});
  }
  return script.Stream();
}

}  // namespace qvtouch::bench
