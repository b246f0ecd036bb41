// The Control Panel's conversation with its applets: each library is loaded and initialised
// (CPL_INIT), asked for its items (CPL_GETCOUNT, CPL_NEWINQUIRE), may have one opened
// (CPL_DBLCLK), and at the end gets CPL_STOP for each item and CPL_EXIT before it is unloaded.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tools/control/applet_library.h"

namespace qvtouch::control {

struct AppletItem {
  std::string Name;
  std::string Info;
  std::filesystem::path Library;
};

class AppletSession {
 public:
  // Loads and initialises the libraries; one that does not load or refuses CPL_INIT is left out,
  // with a line in `problems`.
  AppletSession(const std::vector<std::filesystem::path>& libraries, std::string& problems);
  // Stops every item, exits and unloads every library, in reverse order of loading.
  ~AppletSession();
  AppletSession(const AppletSession&) = delete;
  AppletSession& operator=(const AppletSession&) = delete;

  const std::vector<AppletItem>& Items() const { return items_; }
  // Opens the item (CPL_DBLCLK) with the Control Panel's window; returns when the applet does.
  void Open(std::size_t item, HWND hwndCPl) const;

 private:
  struct ItemSource {
    const AppletLibrary* Library;
    UINT Number;
    LONG_PTR Data;
  };

  void Inquire(const AppletLibrary& library);

  std::vector<std::unique_ptr<AppletLibrary>> libraries_;
  std::vector<AppletItem> items_;
  std::vector<ItemSource> sources_;  // per item
};

}  // namespace qvtouch::control
