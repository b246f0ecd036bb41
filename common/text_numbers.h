// Numbers and bytes as people write them in the tools' arguments and script lines.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qvtouch {

// The whole text as a number in the base: no sign for an unsigned type, no blanks, no prefix.
template <typename Number>
std::optional<Number> ParseWhole(std::string_view digits, int base = 10) {
  Number number{};
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, number, base);
  if (digits.empty() || error != std::errc{} || stop != end) return std::nullopt;
  return number;
}

// A 32-bit value: decimal, negative decimal (as its two's complement) or 0x-prefixed hex.
std::optional<std::uint32_t> ParseDword(std::string_view text);

// Pairs of hex digits ("0151", "01 51", "01:51"); blanks, ':', '-' and ',' may separate them.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

}  // namespace qvtouch
