#include "tools/sim/controller_line.h"

#include "platform/serial/line_settings.h"

namespace qvtouch::sim {

bool SetControllerLine(int fd) {
  const platform::LineSettings settings{kLineBaudRate, platform::SerialLineControl{}};  // 8-N-1
  return NT_SUCCESS(platform::ApplyLineSettings(fd, settings));
}

}  // namespace qvtouch::sim
