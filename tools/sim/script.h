// The simulator's script language, one touch action per line:
//   tap X Y               a press, two holds and a release at raw X Y
//   touch SX SY           a tap at screen pixel SX SY, through the panel model (panel_model.h)
//   press X Y | release X Y
//   hold X Y [N]          N hold reports (default 1)
//   move X1 Y1 X2 Y2 N    N hold reports along the line
//   bytes HEX...          raw bytes, e.g. "bytes 55 54 81" or "bytes 555481"
//   noise N [SEED]        N noise bytes that start no report
//   fault checksum | fault status [BYTE] | fault drop K
//                         the next report has a wrong checksum, a bad status byte, or loses byte K
//   wait MS               a pause on the line
// Blank lines and lines starting with '#' do nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/sim/command_responder.h"
#include "tools/sim/panel_model.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::sim {

// What "touch SX SY" touches: the panel, read by the controller in its present state.
struct TouchedScreen {
  const PanelModel& Panel;
  const CommandResponder& Controller;
};

// Adds what the line asks for to the script; returns a message for a line it cannot run.
std::optional<std::string> RunScriptLine(std::string_view line, TouchScript& script,
                                         const TouchedScreen& screen);

}  // namespace qvtouch::sim
