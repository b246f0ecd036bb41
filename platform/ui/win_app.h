// CWinApp: a program's or library's one application object, and its name.
#pragma once

#include <string>

#include "platform/ui/win_ui.h"

namespace qvtouch::ui {

class CWinApp {
 public:
  // Without a name, the application's name is its module's file name without its extension:
  // "QVTcpl" for QVTcpl.cpl (QVTcpl.so on Linux), the program's name when this layer is linked
  // into a program.
  explicit CWinApp(LPCSTR appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  LPCSTR AppName() const { return name_.c_str(); }

 private:
  std::string name_;
};

// The application object of this module while it exists, or null.
CWinApp* AfxGetApp();
// Its name, or the module's name when there is no application object.
LPCSTR AfxGetAppName();

}  // namespace qvtouch::ui
