#include "platform/ui/module.h"

#include <filesystem>

namespace qvtouch::ui {

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&ModuleInstance), &module);
  return module;
}

std::string ModuleName() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(ModuleInstance(), path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return {};
  return std::filesystem::path(path).stem().string();
}

}  // namespace qvtouch::ui
