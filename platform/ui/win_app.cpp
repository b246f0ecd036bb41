#include "platform/ui/win_app.h"

#include "platform/ui/module.h"

namespace qvtouch::ui {
namespace {

CWinApp* theApplication = nullptr;

}  // namespace

CWinApp::CWinApp(LPCSTR appName) : name_(appName != nullptr ? std::string(appName) : ModuleName()) {
  theApplication = this;
}

CWinApp::~CWinApp() {
  if (theApplication == this) theApplication = nullptr;
}

CWinApp* AfxGetApp() {
  return theApplication;
}

LPCSTR AfxGetAppName() {
  if (theApplication != nullptr) return theApplication->AppName();
  static const std::string module = ModuleName();
  return module.c_str();
}

}  // namespace qvtouch::ui
