#include "tools/control/command_line.h"

#include <system_error>

namespace qvtouch::control {

std::variant<ControlOptions, std::string> ParseControlOptions(
    const std::vector<std::string_view>& arguments) {
  ControlOptions options;
  std::vector<std::string_view> positional;
  for (const std::string_view argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      options.Help = true;
    } else if (argument == "--list") {
      options.List = true;
    } else if (argument.starts_with("-")) {
      return "unknown option " + std::string(argument);
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() > 2) return std::string("too many arguments");
  if (positional.size() == 2) {
    options.Applets = std::filesystem::path(positional[0]);
    options.Item = std::string(positional[1]);
  } else if (positional.size() == 1) {
    std::error_code error;
    if (std::filesystem::exists(positional[0], error)) {
      options.Applets = std::filesystem::path(positional[0]);
    } else {
      options.Item = std::string(positional[0]);
    }
  }
  if (options.List && options.Item) return std::string("--list takes no item name");
  return options;
}

}  // namespace qvtouch::control
