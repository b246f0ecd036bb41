#include "platform/ui/dialog_fit.h"

#include <algorithm>
#include <limits>

namespace qvtouch::ui {
namespace {

bool FromTemplate(const std::vector<QWidget*>& templateControls, const QWidget* window) {
  return std::find(templateControls.begin(), templateControls.end(), window) !=
         templateControls.end();
}

// The highest top of the template's controls that the added window covers from above, into `top`,
// and how far the controls from there down must move to lie `spacing` below it; 0 when it covers
// none.
int ShiftBelow(const QRect& added, const std::vector<QWidget*>& templateControls, int spacing,
               int& top) {
  top = std::numeric_limits<int>::max();
  for (const QWidget* control : templateControls) {
    const QRect place = control->geometry();
    if (!control->isHidden() && place.top() > added.top() && place.intersects(added)) {
      top = std::min(top, place.top());
    }
  }
  return top == std::numeric_limits<int>::max() ? 0 : added.bottom() + 1 + spacing - top;
}

}  // namespace

int ClearAddedWindows(QWidget& dialog, const std::vector<QWidget*>& templateControls, int spacing) {
  int moved = 0;
  for (const QWidget* added : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (added->isWindow() || added->isHidden() || FromTemplate(templateControls, added)) continue;
    int top = 0;
    const int shift = ShiftBelow(added->geometry(), templateControls, spacing, top);
    if (shift <= 0) continue;
    for (QWidget* control : templateControls) {
      if (control->y() >= top) control->move(control->x(), control->y() + shift);
    }
    moved += shift;
  }
  return moved;
}

QSize FittedClientSize(const QWidget& dialog, QSize templateSize) {
  const QRect children = dialog.childrenRect();
  QSize size = templateSize;
  if (children.right() >= size.width()) {
    size.setWidth(children.right() + 1 + std::max(0, children.left()));
  }
  if (children.bottom() >= size.height()) {
    size.setHeight(children.bottom() + 1 + std::max(0, children.top()));
  }
  return size;
}

}  // namespace qvtouch::ui
