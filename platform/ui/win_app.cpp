#include "platform/ui/win_app.h"

#include <dlfcn.h>

#include <filesystem>

namespace qvtouch::ui {
namespace {

CWinApp* theApplication = nullptr;

// The file this code was loaded from: the applet's library, or the program it is linked into.
std::string ModuleName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ModuleName), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  return std::filesystem::path(info.dli_fname).stem().string();
}

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
