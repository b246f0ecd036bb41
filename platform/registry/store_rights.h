// What a touch-screen operator may change in the machine hive, besides reading all of it: the
// driver's settings key (HKLM\System\CurrentControlSet\Services\QVTouch\Parameters) and its
// REG_DWORD values, where calibrations and the applet's settings go. Nothing else: no key or value
// that names a file, a device path or a program (the ports, the pointer and tone sinks,
// ProgramFilesDir, RunOnce), and no text at all. Root may change everything; everyone else nothing.
// An operator's changes are made by the registry service (registry_service.h), which holds them
// to this; a process checks its own requests against it too, so that a call refused anyway fails
// at once, as on the platform.
#pragma once

#include <string_view>

#include "platform/registry/hive_changes.h"
#include "platform/registry/winreg.h"

namespace qvtouch::platform {

// Whether an operator may open this machine-hive key with these rights.
bool OperatorMayOpen(std::string_view keyPath, REGSAM rights);

// Whether an operator may make this change to the machine hive.
bool OperatorMayChange(const HiveChange& change);

}  // namespace qvtouch::platform
