// The module this code is linked into: the applet's library, or the program.
#pragma once

#include <string>

#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

// The module's file name without its folder and extension ("QVTcpl"), or empty when it cannot be
// found.
std::string ModuleName();

#ifdef _WIN32
// The module's instance handle: where its resources (templates' pictures, icons) are found.
HINSTANCE ModuleInstance();
#endif

}  // namespace qvtouch::ui
