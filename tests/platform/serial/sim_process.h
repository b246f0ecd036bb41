// qvtouch-sim as a child process whose standard input the test writes.
#pragma once

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace qvtouch::platform::testing {

class SimProcess : public qvtouch::testing::ChildProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) : ChildProcess(WithProgram(std::move(args))) {}

 private:
  static std::vector<std::string> WithProgram(std::vector<std::string> args) {
    args.insert(args.begin(), QVTOUCH_SIM_BINARY);
    return args;
  }
};

}  // namespace qvtouch::platform::testing
