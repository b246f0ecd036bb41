// A person at the test's X server: clicks and keys that travel through the server (XTest) to the
// window under the pointer or with the focus, and the top-level windows the person can see.
#pragma once

#include <QPoint>
#include <QWidget>
#include <string>

struct _XDisplay;

namespace qvtouch::cpl::testing {

class XUser {
 public:
  XUser();  // on $DISPLAY
  ~XUser();
  XUser(const XUser&) = delete;
  XUser& operator=(const XUser&) = delete;

  // Moves the pointer onto the widget's point (its centre by default) and clicks the left button.
  void Click(const QWidget& widget, QPoint point) const;
  void Click(const QWidget& widget) const { Click(widget, widget.rect().center()); }

  // Whether a top-level window with that title is shown.
  bool Sees(const std::string& title) const;
  // Gives the keyboard focus to the shown window with that title and presses and releases the
  // key named by its keysym ("Return", "Escape"); false when there is no such window.
  bool PressKeyIn(const std::string& title, const char* keysym) const;

 private:
  _XDisplay* display_;
};

}  // namespace qvtouch::cpl::testing
