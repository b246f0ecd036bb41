// qvtouch-sim's command line.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "tools/sim/controller_line.h"
#include "tools/sim/panel_model.h"

namespace qvtouch::sim {

inline constexpr std::string_view kSimUsage =
    "usage: qvtouch-sim [--screen WxH] [--panel X0,Y0,X1,Y1] [--turn 0|90|180|270] [--bend B]\n"
    "                   [--pty LINK | --tty PATH [--fast | --pace BAUD] [--refuse-assisted] [--linger]]\n"
    "                   < SCRIPT";

struct SimOptions {
  enum class Output { StandardOutput, Pty, Tty };
  Output Where = Output::StandardOutput;
  std::string Path;             // Pty: the symbolic link to make; Tty: the tty to use
  bool Fast = false;            // no pacing at the line's rate
  std::uint32_t PaceBaud = kLineBaudRate;  // the rate the bytes are paced at, for a slow receiver
  bool RefuseAssisted = false;  // the controller rejects the enter command
  bool Linger = false;          // at the end of input, keep answering until terminated
  PanelGeometry Panel;          // the touch screen of "touch" lines (panel_options.h)
};

// The options, or a message for a command line that asks for something impossible.
std::variant<SimOptions, std::string> ParseSimOptions(std::span<const std::string_view> args);

}  // namespace qvtouch::sim
