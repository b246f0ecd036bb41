// Numbers and byte strings as qvtouchctl reads and writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_numbers.h"  // ParseHexBytes, for the commands

namespace qvtouch::ctl {

// A decimal (optionally negative) or 0x-prefixed hexadecimal integer within [minimum, maximum].
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t minimum,
                                         std::int64_t maximum);

// Bytes as two-digit upper-case hex separated by blanks ("55 54 81").
std::string FormatHexBytes(std::span<const std::uint8_t> bytes);

}  // namespace qvtouch::ctl
