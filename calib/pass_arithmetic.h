// The two steps both calibration methods build on, in 32-bit arithmetic that wraps.
#pragma once

#include <cstdint>

#include "common/wrap32.h"

namespace qvtouch::calib {

// The raw value halfway between two others, truncating toward zero.
constexpr std::int32_t Midpoint(std::int32_t a, std::int32_t b) {
  return WrapAdd(a, b) / 2;
}

// The full span from two raw values half a window apart: twice their distance, signed.
constexpr std::int32_t SpanOf(std::int32_t from, std::int32_t to) {
  return WrapMul(2, WrapSub(to, from));
}

}  // namespace qvtouch::calib
