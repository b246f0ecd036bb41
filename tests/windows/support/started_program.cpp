#include "tests/windows/support/started_program.h"

#include <vector>

namespace qvtouch::test {

StartedProgram::StartedProgram(const std::string& commandLine) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process_)) {
    process_ = {};
  }
}

StartedProgram::~StartedProgram() {
  if (!Started()) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, INFINITE);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

std::optional<DWORD> StartedProgram::WaitForExit(std::chrono::milliseconds timeout) {
  if (!Started() ||
      WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) != 0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

}  // namespace qvtouch::test
