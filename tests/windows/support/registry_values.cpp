#include "tests/windows/support/registry_values.h"

#include <vector>

namespace qvtouch::test {

std::optional<std::string> ReadText(HKEY root, const char* key, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return std::nullopt;
  std::vector<char> text(1024);
  DWORD size = static_cast<DWORD>(text.size() - 1);  // the last byte stays the terminator
  DWORD type = 0;
  const LSTATUS read =
      RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  RegCloseKey(opened);
  if (read != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(text.data());
}

std::optional<DWORD> ReadDword(HKEY root, const char* key, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return std::nullopt;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const LSTATUS read =
      RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(opened);
  if (read != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return value;
}

bool WriteDword(HKEY root, const char* key, const char* name, DWORD value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                      &opened, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool written =
      RegSetValueExA(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value) == ERROR_SUCCESS;
  RegCloseKey(opened);
  return written;
}

void DeleteValue(HKEY root, const char* key, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
  RegDeleteValueA(opened, name);
  RegCloseKey(opened);
}

}  // namespace qvtouch::test
