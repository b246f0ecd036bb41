// The program's own pictures, kept as Qt resources.
#pragma once

#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

// The icon at a Qt resource path (":/QVTcpl/icon4001.png"), loaded once and kept while this
// module stays loaded; null when there is no such resource or no QGuiApplication runs.
// User-interface thread only.
HICON LoadIconResource(LPCSTR path);

}  // namespace qvtouch::ui
