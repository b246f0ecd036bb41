#include "platform/registry/store_rights.h"

#include <algorithm>
#include <cctype>

#include "common/registry_paths.h"
#include "platform/registry/key_path.h"

namespace qvtouch::platform {
namespace {

// What an operator's handle to the driver's settings key may do: read it and set its values.
constexpr REGSAM kOperatorRights = KEY_READ | KEY_SET_VALUE;

bool SameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) {
    return std::tolower(x) == std::tolower(y);
  });
}

bool IsDriverSettingsKey(std::string_view keyPath) {
  const auto names = SplitKeyPath(keyPath);
  const auto settings = SplitKeyPath(kParametersKey);
  return names && std::ranges::equal(*names, *settings, SameName);
}

}  // namespace

bool OperatorMayOpen(std::string_view keyPath, REGSAM rights) {
  return IsDriverSettingsKey(keyPath) && (rights & ~kOperatorRights) == 0;
}

bool OperatorMayChange(const HiveChange& change) {
  using Action = HiveChange::Action;
  if (!IsDriverSettingsKey(change.Key)) return false;
  switch (change.What) {
    case Action::CreateKey:  // the key itself, which the installation makes
    case Action::DeleteValue:
      return true;
    case Action::SetValue:
      return change.Type == REG_DWORD;
    case Action::DeleteTree:
      return false;
  }
  return false;
}

}  // namespace qvtouch::platform
