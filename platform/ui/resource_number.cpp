#include <charconv>
#include <limits>

#include "platform/ui/resources.h"

namespace qvtouch::ui {

std::optional<int> ResourceNumber(std::string_view name) {
  if (name.size() < 2 || name.front() != '#') return std::nullopt;
  int number = 0;
  const char* end = name.data() + name.size();
  const auto [stop, error] = std::from_chars(name.data() + 1, end, number);
  if (error != std::errc() || stop != end || number < 1 ||
      number > std::numeric_limits<WORD>::max()) {
    return std::nullopt;
  }
  return number;
}

}  // namespace qvtouch::ui
