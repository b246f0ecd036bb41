// The calibration program's message dialog (template 104): a line of text, OK and Cancel.
#pragma once

#include <string_view>

#include "platform/ui/win_ui.h"

namespace qvtouch::calib {

// Shows the message with the caption, owned by the window (or by none before the window exists),
// and returns 1 for OK or 2 for Cancel (Esc and the close box count as Cancel, Enter as OK).
int RunMessageDialog(HWND owner, std::string_view text, std::string_view caption);

}  // namespace qvtouch::calib
