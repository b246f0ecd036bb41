// A program started by a test: its process, its end and its exit code.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace qvtouch::test {

class StartedProgram {
 public:
  // Starts the command line (its program quoted where its path has blanks).
  explicit StartedProgram(const std::string& commandLine);
  // Ends a program that is still running, so that no test leaves one behind.
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  // Its exit code once it has ended within `timeout`; nullopt while it runs.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout);

 private:
  PROCESS_INFORMATION process_{};
};

}  // namespace qvtouch::test
