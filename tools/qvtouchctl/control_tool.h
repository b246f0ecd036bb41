// qvtouchctl: sends one control request to the driver and prints the result.
//
//   qvtouchctl [--device NAME] COMMAND [ARGUMENTS]
//
// It prints "Status: <name>" and, for a success-class status, the reply's fields as "Name: value"
// lines. Exit status: 0 for a success-class status, 1 for any other status or when the device
// cannot be reached, 2 for a usage error.
#pragma once

#include <ostream>
#include <string_view>
#include <vector>

namespace qvtouch::ctl {

inline constexpr std::string_view kDefaultDevice = "\\\\.\\qvtouch";

int RunControlTool(std::vector<std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace qvtouch::ctl
