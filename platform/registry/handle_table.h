// The process's open key handles. A handle names a key of a hive and the rights it was opened
// with; it holds no connection, so it may be used from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry/hive.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {

struct OpenKey {
  Hive KeyHive;
  std::int64_t Id;
  REGSAM Granted;
  std::string Path;  // from the hive's root, as the caller named it
};

// The key behind an open handle or a predefined key (the root of its hive, with every right:
// whether the hive may be changed is decided when a change is made). nullopt for anything else.
std::optional<OpenKey> LookUpKey(HKEY handle);

HKEY AddHandle(const OpenKey& key);

// Whether the handle was open (a predefined key always is, and stays so).
bool RemoveHandle(HKEY handle);

}  // namespace qvtouch::platform
