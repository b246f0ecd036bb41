#include "tools/sim/panel_options.h"

#include <cstdint>
#include <vector>

#include "common/text_numbers.h"

namespace qvtouch::sim {
namespace {

// Exactly `count` whole numbers separated by `separator`.
template <typename Number>
std::optional<std::vector<Number>> Numbers(std::string_view text, char separator,
                                           std::size_t count) {
  std::vector<Number> numbers;
  for (;;) {
    const std::size_t end = text.find(separator);
    const auto number = ParseWhole<Number>(text.substr(0, end));
    if (!number) return std::nullopt;
    numbers.push_back(*number);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  if (numbers.size() != count) return std::nullopt;
  return numbers;
}

}  // namespace

bool IsPanelOption(std::string_view option) {
  return option == "--screen" || option == "--panel" || option == "--turn" || option == "--bend";
}

std::optional<std::string> SetPanelOption(std::string_view option, std::string_view value,
                                          PanelGeometry& panel) {
  if (option == "--screen") {
    const auto size = Numbers<std::uint16_t>(value, 'x', 2);
    if (!size || (*size)[0] == 0 || (*size)[1] == 0) {
      return "--screen needs WIDTHxHEIGHT in pixels, each from 1 to 65535";
    }
    panel.Width = (*size)[0];
    panel.Height = (*size)[1];
  } else if (option == "--panel") {
    const auto raw = Numbers<std::uint16_t>(value, ',', 4);
    if (!raw) return "--panel needs X0,Y0,X1,Y1, raw values from 0 to 65535";
    panel.TopLeft = {(*raw)[0], (*raw)[1]};
    panel.BottomRight = {(*raw)[2], (*raw)[3]};
  } else if (option == "--turn") {
    const auto turn = ParseWhole<std::uint32_t>(value);
    if (!turn || (*turn != 0 && *turn != 90 && *turn != 180 && *turn != 270)) {
      return "--turn needs 0, 90, 180 or 270";
    }
    panel.Turn = *turn;
  } else if (option == "--bend") {
    const auto bend = ParseWhole<std::uint32_t>(value);
    if (!bend || *bend > kMaxBend) {
      return "--bend needs raw units from 0 to " + std::to_string(kMaxBend);
    }
    panel.Bend = *bend;
  } else {
    return "unknown panel option " + std::string(option);
  }
  return std::nullopt;
}

}  // namespace qvtouch::sim
