// Signed 32-bit arithmetic with two's-complement wrap-around, as the system defines its integer
// arithmetic, written so that it never has undefined behaviour.
#pragma once

#include <cstdint>
#include <limits>

namespace qvtouch {

constexpr std::int32_t Wrap(std::uint32_t value) { return static_cast<std::int32_t>(value); }

constexpr std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return Wrap(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

constexpr std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
  return Wrap(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

constexpr std::int32_t WrapMul(std::int32_t a, std::int32_t b) {
  return Wrap(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

constexpr std::int32_t WrapShiftLeft(std::int32_t a, unsigned bits) {
  return Wrap(static_cast<std::uint32_t>(a) << bits);
}

// Division truncating toward zero. The divisor must not be 0; the one overflowing quotient,
// INT32_MIN / -1, wraps to INT32_MIN.
constexpr std::int32_t WrapDiv(std::int32_t a, std::int32_t b) {
  if (b == -1) return WrapSub(0, a);
  return a / b;
}

static_assert(WrapDiv(std::numeric_limits<std::int32_t>::min(), -1) ==
              std::numeric_limits<std::int32_t>::min());
static_assert(WrapDiv(-7, 2) == -3);

}  // namespace qvtouch
