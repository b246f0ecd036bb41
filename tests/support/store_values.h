// Writing and reading values of the settings store from a test, through the same calls the
// programs use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry/winreg.h"

namespace qvtouch::testing {

inline void SetStoreValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                          const BYTE* data, DWORD size) {
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

// A REG_DWORD value; none when the key or value is missing.
inline std::optional<std::uint32_t> StoredDword(HKEY root, const std::string& key,
                                                const std::string& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD value = 0;
  DWORD size = sizeof value;
  const LSTATUS status = RegQueryValueExA(opened, name.c_str(), nullptr, nullptr,
                                          reinterpret_cast<LPBYTE>(&value), &size);
  RegCloseKey(opened);
  return status == ERROR_SUCCESS ? std::optional<std::uint32_t>(value) : std::nullopt;
}

// A REG_SZ value's text; none when the key or value is missing or the value is of another type.
inline std::optional<std::string> StoredString(HKEY root, const std::string& key,
                                               const std::string& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0;
  DWORD size = 0;
  std::optional<std::string> text;
  if (RegQueryValueExA(opened, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    std::string data(size, '\0');
    if (RegQueryValueExA(opened, name.c_str(), nullptr, nullptr,
                         reinterpret_cast<LPBYTE>(data.data()), &size) == ERROR_SUCCESS) {
      text = data.substr(0, data.find('\0'));
    }
  }
  RegCloseKey(opened);
  return text;
}

}  // namespace qvtouch::testing
