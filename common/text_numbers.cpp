#include "common/text_numbers.h"

namespace qvtouch {
namespace {

bool Separator(char c) { return c == ' ' || c == '\t' || c == ':' || c == '-' || c == ','; }

}  // namespace

std::optional<std::uint32_t> ParseDword(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) {
    return ParseWhole<std::uint32_t>(text.substr(2), 16);
  }
  if (text.starts_with('-')) {
    const auto negative = ParseWhole<std::int32_t>(text);
    if (!negative) return std::nullopt;
    return static_cast<std::uint32_t>(*negative);
  }
  return ParseWhole<std::uint32_t>(text);
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;
  while (at < text.size()) {
    if (Separator(text[at])) {
      ++at;
      continue;
    }
    const auto byte = ParseWhole<std::uint8_t>(text.substr(at, 2), 16);
    if (text.size() - at < 2 || !byte) return std::nullopt;
    bytes.push_back(*byte);
    at += 2;
  }
  return bytes;
}

}  // namespace qvtouch
