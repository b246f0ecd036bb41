#include "platform/device/device_name.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/paths/paths.h"

namespace qvtouch::platform {
namespace {

constexpr std::array<std::string_view, 2> kNamePrefixes{"\\\\.\\", "\\??\\"};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool PrintableAscii(char c) { return c > ' ' && c <= '~'; }

bool PlainFileNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
}

}  // namespace

std::optional<std::string> DeviceKey(std::string_view name) {
  const auto* prefix = std::find_if(kNamePrefixes.begin(), kNamePrefixes.end(),
                                    [name](std::string_view p) { return name.starts_with(p); });
  if (prefix == kNamePrefixes.end()) return std::nullopt;
  const std::string_view rest = name.substr(prefix->size());
  if (rest.empty() || !std::all_of(rest.begin(), rest.end(), PrintableAscii)) return std::nullopt;
  std::string key(rest);
  std::transform(key.begin(), key.end(), key.begin(), LowerAscii);
  return key;
}

std::filesystem::path DeviceSocketPath(std::string_view key) {
  std::string fileName;
  for (const char c : key) {
    if (PlainFileNameCharacter(c)) {
      fileName += c;
    } else {
      std::array<char, 4> escaped{};
      std::snprintf(escaped.data(), escaped.size(), "%%%02X", static_cast<unsigned char>(c));
      fileName += escaped.data();
    }
  }
  return RuntimeDir() / (fileName + ".sock");
}

}  // namespace qvtouch::platform
