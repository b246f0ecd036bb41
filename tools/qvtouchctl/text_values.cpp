#include "tools/qvtouchctl/text_values.h"

#include <charconv>
#include <cstdio>

namespace qvtouch::ctl {

std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  // Magnitudes beyond the int64 range are out of every range the tool asks for.
  if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
  const auto value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (value < minimum || value > maximum) return std::nullopt;
  return value;
}

std::string FormatHexBytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof(digits), "%02X", byte);
    if (!text.empty()) text += ' ';
    text += digits;
  }
  return text;
}

}  // namespace qvtouch::ctl
