// Key names as qvreg takes them: ROOT\SUBKEY, ROOT one of HKLM, HKCU, HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER in any case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/hive.h"
#include "platform/registry/winreg.h"

namespace qvtouch::qvreg {

struct KeyName {
  platform::Hive Root;
  std::string SubKey;  // as given, without the backslash that may end it

  HKEY RootHandle() const;
  std::string FullName() const;  // with the root's long name: "HKEY_LOCAL_MACHINE\..."
};

std::optional<KeyName> ParseKeyName(std::string_view text);

}  // namespace qvtouch::qvreg
