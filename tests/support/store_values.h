// Writing values into the settings store from a test, through the same calls the programs use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/winreg.h"

namespace qvtouch::testing {

inline void SetStoreValue(HKEY root, const std::string& key, const std::string& name,
                          DWORD type, const BYTE* data, DWORD size) {
  HKEY opened = nullptr;
  RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                  &opened, nullptr);
  RegSetValueExA(opened, name.c_str(), 0, type, data, size);
  RegCloseKey(opened);
}

inline void SetStoreString(HKEY root, const std::string& key, const std::string& name,
                           const std::string& text) {
  SetStoreValue(root, key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                static_cast<DWORD>(text.size() + 1));
}

inline void SetStoreDword(HKEY root, const std::string& key, const std::string& name,
                          std::uint32_t value) {
  SetStoreValue(root, key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace qvtouch::testing
