// qvtouchctl's subcommands: one per control request. Each turns its arguments into a request and
// prints the fields of the reply by their names in the driver (ButtonMode, CaptureRawX, ...).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/device/device_channel.h"

namespace qvtouch::ctl {

struct PlannedRequest {
  std::uint32_t Code = 0;
  std::vector<std::uint8_t> Input;
  std::uint32_t OutputLength = 0;
  // Prints the reply's fields; called for a success-class status only.
  std::function<void(const platform::DeviceReply&, std::ostream&)> PrintFields;
};

// The request of a subcommand, or the usage error in its arguments (options included).
std::variant<PlannedRequest, std::string> PlanCommand(std::string_view name,
                                                      std::vector<std::string_view> args);

// Removes "--name VALUE" from the arguments: the value, nullopt when the option is absent, or the
// usage error when it has no value.
std::variant<std::optional<std::string_view>, std::string> TakeOption(
    std::vector<std::string_view>& args, std::string_view name);

// One line per subcommand with its arguments.
std::string CommandList();

}  // namespace qvtouch::ctl
