#include "platform/restart/system_restart.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/programs/programs.h"

namespace qvtouch::platform {
namespace {

constexpr const char* kSystemctlVariable = "QVTOUCH_SYSTEMCTL";
constexpr const char* kSystemctl = "systemctl";

const char* Systemctl() {
  const char* named = std::getenv(kSystemctlVariable);
  return named != nullptr && *named != '\0' ? named : kSystemctl;
}

}  // namespace

void RequestSystemRestart() {
  const std::string arguments[] = {"reboot"};
  const pid_t pid = StartProgram(Systemctl(), arguments);
  if (pid <= 0) return;
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace qvtouch::platform
