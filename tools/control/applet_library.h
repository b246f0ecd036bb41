// One applet library, loaded with dlopen and unloaded with the object.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/ui/cpl.h"

namespace qvtouch::control {

class AppletLibrary {
 public:
  // The library with its CPlApplet, or null with the reason in `error`.
  static std::unique_ptr<AppletLibrary> Load(const std::filesystem::path& path, std::string& error);
  ~AppletLibrary();
  AppletLibrary(const AppletLibrary&) = delete;
  AppletLibrary& operator=(const AppletLibrary&) = delete;

  LONG Send(HWND hwndCPl, UINT message, LPARAM lParam1 = 0, LPARAM lParam2 = 0) const {
    return proc_(hwndCPl, message, lParam1, lParam2);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  AppletLibrary(void* handle, APPLET_PROC proc, std::filesystem::path path)
      : handle_(handle), proc_(proc), path_(std::move(path)) {}

  void* handle_;
  APPLET_PROC proc_;
  std::filesystem::path path_;
};

}  // namespace qvtouch::control
