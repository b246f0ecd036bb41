// What an SQLite failure means to a registry caller.
#pragma once

#include "platform/registry/winreg.h"

namespace qvtouch::platform {

// The result for an SQLite result code; systemError is the errno behind it, if any.
LSTATUS StatusOfSqliteResult(int result, int systemError);

}  // namespace qvtouch::platform
