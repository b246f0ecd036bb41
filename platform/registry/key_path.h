// Key paths and value names as the registry calls take them.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace qvtouch::platform {

// The platform's limits: names in characters, and how many keys deep a hive's tree goes.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;
inline constexpr std::size_t kMaxKeyDepth = 512;

// A zero byte, a line break, an escape, ...: what no listing can show as it is.
bool IsControlCharacter(char c);

// Whether a key or a value may be made with this name: it holds no control character, which could
// make a listing of it pass for another value, or for other lines altogether.
bool StorableName(std::string_view name);

// The key names along a backslash-separated path, from the key the path starts at; none for an
// empty path, which names that key itself. One trailing backslash is ignored. nullopt for an empty
// name anywhere else, or a name longer than kMaxKeyNameLength.
std::optional<std::vector<std::string_view>> SplitKeyPath(std::string_view path);

}  // namespace qvtouch::platform
