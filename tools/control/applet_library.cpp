#include "tools/control/applet_library.h"

#include <dlfcn.h>

namespace qvtouch::control {

std::unique_ptr<AppletLibrary> AppletLibrary::Load(const std::filesystem::path& path,
                                                   std::string& error) {
  // A path without a slash would be looked up on the library path instead of taken as given.
  const std::filesystem::path given = path.has_parent_path() ? path : "." / path;
  void* handle = dlopen(given.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = dlerror();
    return nullptr;
  }
  void* entry = dlsym(handle, kAppletProcName);
  if (entry == nullptr) {
    error = path.string() + ": no " + kAppletProcName + ": not an applet library";
    dlclose(handle);
    return nullptr;
  }
  return std::unique_ptr<AppletLibrary>(
      new AppletLibrary(handle, reinterpret_cast<APPLET_PROC>(entry), path));
}

AppletLibrary::~AppletLibrary() {
  dlclose(handle_);
}

}  // namespace qvtouch::control
