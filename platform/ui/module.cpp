#include "platform/ui/module.h"

#include <dlfcn.h>

#include <filesystem>

namespace qvtouch::ui {

std::string ModuleName() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ModuleName), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  return std::filesystem::path(info.dli_fname).stem().string();
}

}  // namespace qvtouch::ui
