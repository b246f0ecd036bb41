// Fitting a dialog to what its code added. Where the platform's faces are not installed (on Linux,
// under Wine) fonts are wider than the platform's, so a window that a dialog's code adds to it,
// such as a property sheet, can outgrow the place its template gave it: the template's controls it
// would cover move down to clear it, and the dialog grows to show every control whole. Where the
// fonts are the platform's own, nothing is in the way and nothing changes. Rectangles are in the
// dialog's client coordinates, in pixels.
#pragma once

#include <vector>

#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

struct ControlPlace {
  CRect Rect;
  bool Shown = true;
};

struct ClientSize {
  LONG Width = 0;
  LONG Height = 0;
  bool operator==(const ClientSize&) const = default;
};

// For each added window in turn: the template's shown controls that lie lower than its top and
// that it covers, and every control at least as low, move down to `spacing` pixels below it.
// Moves the rectangles of `controls`; returns how far they moved in all (0: nothing was in the
// way).
LONG ClearAddedWindows(std::vector<ControlPlace>& controls, const std::vector<CRect>& addedWindows,
                       LONG spacing);

// The client size that shows every one of the dialog's shown children whole: at least
// templateSize, and where a child reaches beyond it, the children's left or top margin repeated on
// the side that grew.
ClientSize FittedClientSize(const std::vector<CRect>& shownChildren, ClientSize templateSize);

}  // namespace qvtouch::ui
