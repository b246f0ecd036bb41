// The guest test's only ways out of the VM: lines on the kernel's debug port (OutputDebugString of
// a debug build of the system lands in the log of QEMU's first serial port), which the runner on
// the other side reads as they come. GoogleTest's results go the same way.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace qvtouch::test {

// One line, with the guest test's prefix.
void Say(const std::string& line);
// A request to the runner (session_plan.h).
void AskHost(const std::string& request);

// GoogleTest's progress and results as lines on the debug port, ending with the summary and the
// request to end the session.
class DebugPortPrinter : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo& test) override;
  void OnTestPartResult(const ::testing::TestPartResult& result) override;
  void OnTestEnd(const ::testing::TestInfo& test) override;
  void OnTestProgramEnd(const ::testing::UnitTest& unit) override;
};

}  // namespace qvtouch::test
