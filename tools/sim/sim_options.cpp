#include "tools/sim/sim_options.h"

#include <charconv>
#include <string>

#include "tools/sim/panel_options.h"

namespace qvtouch::sim {

std::variant<SimOptions, std::string> ParseSimOptions(std::span<const std::string_view> args) {
  SimOptions options;
  bool lineOnlyOption = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--pty" || arg == "--tty") {
      if (options.Where != SimOptions::Output::StandardOutput) {
        return "give only one of --pty and --tty";
      }
      if (i + 1 == args.size() || args[i + 1].empty()) return std::string(arg) + " needs a path";
      options.Where = arg == "--pty" ? SimOptions::Output::Pty : SimOptions::Output::Tty;
      options.Path = args[++i];
    } else if (arg == "--fast") {
      options.Fast = lineOnlyOption = true;
    } else if (arg == "--pace") {
      // A receiver that cannot take the line's rate (a port driver under emulation) gets the
      // bytes as a slower line would bring them.
      std::uint32_t baud = 0;
      const std::string_view value = i + 1 < args.size() ? args[++i] : std::string_view();
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), baud);
      if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
          baud < kLowestPaceBaud || baud > kLineBaudRate) {
        return "--pace needs a rate from " + std::to_string(kLowestPaceBaud) + " to " +
               std::to_string(kLineBaudRate) + " baud";
      }
      options.PaceBaud = baud;
      lineOnlyOption = true;
    } else if (arg == "--refuse-assisted") {
      options.RefuseAssisted = lineOnlyOption = true;
    } else if (arg == "--linger") {
      options.Linger = lineOnlyOption = true;
    } else if (IsPanelOption(arg)) {
      if (i + 1 == args.size()) return std::string(arg) + " needs a value";
      if (auto error = SetPanelOption(arg, args[++i], options.Panel)) return *std::move(error);
    } else {
      return "unknown option " + std::string(arg);
    }
  }
  if (lineOnlyOption && options.Where == SimOptions::Output::StandardOutput) {
    return "--fast, --pace, --refuse-assisted and --linger need a serial line (--pty or --tty)";
  }
  if (options.Fast && options.PaceBaud != kLineBaudRate) return "give only one of --fast and --pace";
  return options;
}

}  // namespace qvtouch::sim
