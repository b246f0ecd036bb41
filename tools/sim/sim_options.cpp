#include "tools/sim/sim_options.h"

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
    return "--fast, --refuse-assisted and --linger need a serial line (--pty or --tty)";
  }
  return options;
}

}  // namespace qvtouch::sim
