// UTF-16LE text, as .reg files and their hex(1) values hold it, to and from UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvtouch::platform {

// nullopt for an odd number of bytes or a surrogate without its partner.
std::optional<std::string> Utf16LeToUtf8(std::span<const std::uint8_t> bytes);

// nullopt for text that is not valid UTF-8.
std::optional<std::vector<std::uint8_t>> Utf8ToUtf16Le(std::string_view text);

}  // namespace qvtouch::platform
