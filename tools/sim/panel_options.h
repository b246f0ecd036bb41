// The panel's options on qvtouch-sim's command line, for the screen touches of "touch SX SY":
//   --screen WxH          the screen in pixels (default 1024x768)
//   --panel X0,Y0,X1,Y1   the raw points at the screen's top-left and bottom-right corners of the
//                         unturned panel (default 0,0,4095,4095)
//   --turn 0|90|180|270   the panel mounted turned by that many degrees
//   --bend B              B raw units off the line at the quarter points, 0 to 1536
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/sim/panel_model.h"

namespace qvtouch::sim {

bool IsPanelOption(std::string_view option);

// Sets what the value of a panel option gives; a message when the value is bad.
std::optional<std::string> SetPanelOption(std::string_view option, std::string_view value,
                                          PanelGeometry& panel);

}  // namespace qvtouch::sim
