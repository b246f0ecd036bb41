// The Control Panel host's command line:
//
//   control [--list] [APPLET_PATH_OR_FOLDER] [ITEM_NAME]
//
// An argument that names an existing file or folder is the applets' path; otherwise it is the
// item's name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qvtouch::control {

struct ControlOptions {
  bool Help = false;
  bool List = false;
  std::optional<std::filesystem::path> Applets;  // a library or a folder of them
  std::optional<std::string> Item;
};

// The options, or what is wrong with the arguments.
std::variant<ControlOptions, std::string> ParseControlOptions(
    const std::vector<std::string_view>& arguments);

}  // namespace qvtouch::control
