#include "tools/control/user_profile.h"

#include <string_view>

#include "common/registry_paths.h"
#include "platform/registry/winreg.h"

namespace qvtouch::control {
namespace {

struct TextValue {
  LPCSTR Name;
  std::string_view Text;
};

// A new user's double-click time (ms) and area (pixels).
constexpr TextValue kDefaultMouseSettings[] = {
    {"DoubleClickSpeed", "500"},
    {"DoubleClickHeight", "4"},
    {"DoubleClickWidth", "4"},
};

}  // namespace

void GiveUserTheDefaultMouseSettings() {
  HKEY key = nullptr;
  const LSTATUS opened =
      RegOpenKeyExA(HKEY_CURRENT_USER, kUserMouseKey.data(), 0, KEY_QUERY_VALUE, &key);
  if (opened == ERROR_SUCCESS) {
    RegCloseKey(key);
    return;
  }
  if (opened != ERROR_FILE_NOT_FOUND) return;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kUserMouseKey.data(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const TextValue& value : kDefaultMouseSettings) {
    RegSetValueExA(key, value.Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.Text.data()),
                   static_cast<DWORD>(value.Text.size() + 1));
  }
  RegCloseKey(key);
}

}  // namespace qvtouch::control
