#include "tools/runonce/run_command.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "platform/programs/programs.h"
#include "tools/runonce/command_line.h"

namespace qvtouch::runonce {

std::string RunCommandLine(const std::string& commandLine) {
  const CommandLine command = ParseCommandLine(commandLine);
  const pid_t pid = platform::StartProgram(command.Program, command.Arguments);
  if (pid < 0) {
    return "cannot start " + commandLine + ": " + std::strerror(errno);
  }
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  return {};
}

}  // namespace qvtouch::runonce
