// The status a serial port reports for a failed system call.
#pragma once

#include "common/status.h"

namespace qvtouch::platform {

NtStatus StatusFromErrno(int error);

}  // namespace qvtouch::platform
