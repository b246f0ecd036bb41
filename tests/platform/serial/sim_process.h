// qvtouch-sim as a child process whose standard input the test writes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "tests/platform/serial/serial_test_support.h"

namespace qvtouch::platform::testing {

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args);
  ~SimProcess();  // kills a simulator still running
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  void Input(std::string_view text);
  void CloseInput() { input_.Reset(); }
  void Signal(int signal);
  // The exit status once it has exited; nullopt while it runs on past the patience.
  std::optional<int> Wait(std::chrono::milliseconds patience = kPatience);

 private:
  bool Exited();

  pid_t pid_ = -1;
  UniqueFd input_;
  std::optional<int> status_;
};

}  // namespace qvtouch::platform::testing
