// Reading the monitor-size indexes PrimaryScale and SlaveScale from the driver's settings key.
#pragma once

#include "calib/layout.h"

namespace qvtouch::calib {

// Each index as the store holds it, as a REG_DWORD under HKEY_LOCAL_MACHINE's settings key; a key
// that cannot be opened, or a value that is missing or not a REG_DWORD, gives nullopt.
MonitorScaleIndexes ReadMonitorScaleIndexes();

}  // namespace qvtouch::calib
