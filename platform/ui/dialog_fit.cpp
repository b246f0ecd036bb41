#include "platform/ui/dialog_fit.h"

#include <algorithm>
#include <limits>

namespace qvtouch::ui {
namespace {

bool Overlap(const CRect& a, const CRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

LONG ClearAddedWindows(std::vector<ControlPlace>& controls, const std::vector<CRect>& addedWindows,
                       LONG spacing) {
  LONG moved = 0;
  for (const CRect& added : addedWindows) {
    // The highest top of the shown controls that the added window covers from above.
    LONG top = std::numeric_limits<LONG>::max();
    for (const ControlPlace& control : controls) {
      if (control.Shown && control.Rect.top > added.top && Overlap(control.Rect, added)) {
        top = std::min(top, control.Rect.top);
      }
    }
    if (top == std::numeric_limits<LONG>::max()) continue;
    const LONG shift = added.bottom + spacing - top;
    if (shift <= 0) continue;
    for (ControlPlace& control : controls) {
      if (control.Rect.top < top) continue;
      control.Rect.top += shift;
      control.Rect.bottom += shift;
    }
    moved += shift;
  }
  return moved;
}

ClientSize FittedClientSize(const std::vector<CRect>& shownChildren, ClientSize templateSize) {
  if (shownChildren.empty()) return templateSize;
  CRect all = shownChildren.front();
  for (const CRect& child : shownChildren) {
    all = {std::min(all.left, child.left), std::min(all.top, child.top),
           std::max(all.right, child.right), std::max(all.bottom, child.bottom)};
  }
  ClientSize size = templateSize;
  if (all.right > size.Width) size.Width = all.right + std::max<LONG>(0, all.left);
  if (all.bottom > size.Height) size.Height = all.bottom + std::max<LONG>(0, all.top);
  return size;
}

}  // namespace qvtouch::ui
