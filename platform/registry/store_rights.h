// What a touch-screen operator may change in the machine hive, besides reading all of it: the
// REG_DWORD values of the driver's settings key (kParametersKey) that the driver or the settings
// applet use, where calibrations and the applet's settings go (common/driver_settings.h). Nothing
// else: no key or value that names a file, a device path or a program (the ports, the pointer and
// tone sinks, ProgramFilesDir, RunOnce), no text, no value of another name (so no request of an
// operator makes the store grow), and no value of another type that root stored under one of
// those names. Root may change everything; everyone else nothing. An operator's changes are made
// by the registry service (registry_service.h), which holds them to this; a process checks its
// own requests against what it can tell without the store too, so that a call refused anyway
// fails at once, as on the platform.
#pragma once

#include <string_view>

#include "platform/registry/hive_changes.h"
#include "platform/registry/sqlite_connection.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {

// Whether an operator may open this machine-hive key with these rights.
bool OperatorMayOpen(std::string_view keyPath, REGSAM rights);

// Whether an operator may make this change to the machine hive that db holds, inside the
// transaction that makes it (a ChangePermit).
bool OperatorMayChange(Connection& db, const HiveChange& change);

}  // namespace qvtouch::platform
