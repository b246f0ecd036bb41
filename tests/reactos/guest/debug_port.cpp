#include "tests/reactos/guest/debug_port.h"

#include <windows.h>

#include <sstream>

#include "tests/reactos/session_plan.h"

namespace qvtouch::test {
namespace {

using testing::reactos::kLinePrefix;

// The kernel's debug print takes at most a few hundred characters at a time.
constexpr std::size_t kLongestLine = 200;

std::string TestName(const ::testing::TestInfo& test) {
  return std::string(test.test_suite_name()) + "." + test.name();
}

}  // namespace

void Say(const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    for (std::size_t at = 0; at == 0 || at < line.size(); at += kLongestLine) {
      OutputDebugStringA((std::string(kLinePrefix) + line.substr(at, kLongestLine) + "\n").c_str());
    }
  }
}

void AskHost(const std::string& request) {
  Say(std::string(testing::reactos::kHostRequest) + request);
}

void DebugPortPrinter::OnTestStart(const ::testing::TestInfo& test) {
  Say("[ RUN      ] " + TestName(test) + " at " + std::to_string(GetTickCount() / 1000) + " s");
}

void DebugPortPrinter::OnTestPartResult(const ::testing::TestPartResult& result) {
  if (!result.failed()) return;
  Say(std::string(result.file_name() ? result.file_name() : "?") + ":" +
      std::to_string(result.line_number()) + ": Failure\n" + result.message());
}

void DebugPortPrinter::OnTestEnd(const ::testing::TestInfo& test) {
  // What the screen shows when a test fails, for the person who looks into it.
  if (!test.result()->Passed()) AskHost("screendump " + TestName(test));
  Say((test.result()->Passed() ? "[       OK ] " : "[  FAILED  ] ") + TestName(test));
}

void DebugPortPrinter::OnTestProgramEnd(const ::testing::UnitTest& unit) {
  Say(std::to_string(unit.successful_test_count()) + " passed, " +
      std::to_string(unit.failed_test_count()) + " failed");
  AskHost("end");
}

}  // namespace qvtouch::test
