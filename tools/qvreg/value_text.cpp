#include "tools/qvreg/value_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "common/little_endian.h"
#include "common/text_numbers.h"
#include "platform/registry/key_path.h"

namespace qvtouch::qvreg {
namespace {

struct TypeEntry {
  std::string_view Name;
  DWORD Type;
};

constexpr std::array<TypeEntry, 3> kTypes{{
    {"REG_SZ", REG_SZ},
    {"REG_DWORD", REG_DWORD},
    {"REG_BINARY", REG_BINARY},
}};

}  // namespace

std::optional<DWORD> TypeNamed(std::string_view name) {
  for (const TypeEntry& entry : kTypes) {
    if (std::ranges::equal(name, entry.Name,
                           [](unsigned char a, unsigned char b) { return std::toupper(a) == b; })) {
      return entry.Type;
    }
  }
  return std::nullopt;
}

std::string_view TypeName(DWORD type) {
  const auto* const found = std::ranges::find(kTypes, type, &TypeEntry::Type);
  return found == kTypes.end() ? "REG_UNKNOWN" : found->Name;
}

std::string Printable(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    if (!platform::IsControlCharacter(c)) {
      shown += c;
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
    shown += escaped;
  }
  return shown;
}

std::string DisplayData(DWORD type, std::span<const std::uint8_t> data) {
  char digits[16];
  if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    std::snprintf(digits, sizeof digits, "0x%x", LoadU32(data, 0));
    return digits;
  }
  if (type == REG_SZ) {
    const std::string text(data.begin(), data.end());
    return Printable(text.substr(0, text.find('\0')));
  }
  std::string hex;
  for (const std::uint8_t byte : data) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    hex += digits;
  }
  return hex;
}

std::optional<std::vector<std::uint8_t>> ParseData(DWORD type, std::string_view text) {
  switch (type) {
    case REG_SZ: {
      std::vector<std::uint8_t> bytes(text.begin(), text.end());
      bytes.push_back(0);
      return bytes;
    }
    case REG_DWORD: {
      const auto number = ParseDword(text);
      if (!number) return std::nullopt;
      std::vector<std::uint8_t> bytes(sizeof(DWORD));
      StoreU32(bytes, 0, *number);
      return bytes;
    }
    case REG_BINARY:
      return ParseHexBytes(text);
    default:
      return std::nullopt;
  }
}

}  // namespace qvtouch::qvreg
