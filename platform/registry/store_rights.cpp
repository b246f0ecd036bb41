#include "platform/registry/store_rights.h"

#include <algorithm>
#include <cctype>

#include "common/driver_settings.h"
#include "common/registry_paths.h"
#include "platform/registry/key_path.h"
#include "platform/registry/key_store.h"
#include "platform/registry/schema.h"
#include "platform/registry/value_store.h"

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

// A value that the driver or the applet reads or writes.
bool IsSettingName(std::string_view name) {
  const auto same = [name](std::string_view setting) { return SameName(name, setting); };
  return std::ranges::any_of(kSettings, same, &SettingDefinition::Name) ||
         std::ranges::any_of(kAppletOnlySettings, same);
}

// Whether the value named is absent or a REG_DWORD, as an operator may replace or delete it.
bool AbsentOrDword(Connection& db, const HiveChange& change) {
  const auto names = SplitKeyPath(change.Key);
  const auto key = names ? FindKey(db, kRootKeyId, *names) : std::nullopt;
  const auto value = key ? FindValue(db, *key, change.Value) : std::nullopt;
  return !value || value->Type == REG_DWORD;
}

}  // namespace

bool OperatorMayOpen(std::string_view keyPath, REGSAM rights) {
  return IsDriverSettingsKey(keyPath) && (rights & ~kOperatorRights) == 0;
}

bool OperatorMayChange(Connection& db, const HiveChange& change) {
  using Action = HiveChange::Action;
  if (!IsDriverSettingsKey(change.Key)) return false;
  switch (change.What) {
    case Action::CreateKey:  // the key itself, which the installation makes
      return true;
    case Action::SetValue:
      return change.Type == REG_DWORD && IsSettingName(change.Value) && AbsentOrDword(db, change);
    case Action::DeleteValue:
      return IsSettingName(change.Value) && AbsentOrDword(db, change);
    case Action::DeleteTree:
      return false;
  }
  return false;
}

}  // namespace qvtouch::platform
