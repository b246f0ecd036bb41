#include "platform/registry/key_path.h"

#include <algorithm>

namespace qvtouch::platform {

bool IsControlCharacter(char c) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7F;
  const auto byte = static_cast<unsigned char>(c);
  return byte < kFirstPrintable || byte == kDelete;
}

bool StorableName(std::string_view name) {
  return std::ranges::none_of(name, IsControlCharacter);
}

std::optional<std::vector<std::string_view>> SplitKeyPath(std::string_view path) {
  if (path.ends_with('\\')) path.remove_suffix(1);
  std::vector<std::string_view> names;
  while (!path.empty()) {
    const std::size_t end = path.find('\\');
    const std::string_view name = path.substr(0, end);
    if (name.empty() || name.size() > kMaxKeyNameLength) return std::nullopt;
    names.push_back(name);
    path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
    if (end != std::string_view::npos && path.empty()) return std::nullopt;  // two at the end
  }
  return names;
}

}  // namespace qvtouch::platform
