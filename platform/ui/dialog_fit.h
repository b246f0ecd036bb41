// Fitting a dialog to what its code added. Fonts here are wider than the platform's, so a window
// that a dialog's code adds to it, such as a property sheet, can outgrow the place its template
// gave it: the template's controls it would cover move down to clear it, and the dialog grows to
// show every control whole.
#pragma once

#include <QSize>
#include <QWidget>
#include <vector>

namespace qvtouch::ui {

// Moves the template's controls that lie lower than the top of a window the code added and that
// it covers, with every control at least as low, down to `spacing` pixels below it. Returns how
// far they moved (0: nothing was in the way).
int ClearAddedWindows(QWidget& dialog, const std::vector<QWidget*>& templateControls, int spacing);

// The client size that shows every shown child of the dialog whole: at least templateSize, and
// where a child reaches beyond it, the children's left or top margin repeated on the side that
// grew.
QSize FittedClientSize(const QWidget& dialog, QSize templateSize);

}  // namespace qvtouch::ui
