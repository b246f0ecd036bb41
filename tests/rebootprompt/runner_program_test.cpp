// qvtouch-runonce itself: the commands' programs translated to the installed ones and started,
// failing commands gone all the same, and a user who may not delete the values runs none of them.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/rebootprompt/run_once_test_support.h"
#include "tests/support/child_process.h"

namespace qvtouch::runonce {
namespace {

using qvtouch::testing::ChildOptions;
using qvtouch::testing::ChildProcess;
using rebootprompt::testing::RunOnceStoreTest;

constexpr uid_t kNobody = 65534;

class RunnerProgram : public RunOnceStoreTest {
 protected:
  // The runner's exit status; what it writes goes to Errors().
  static std::optional<int> RunRunner(ChildOptions options = {}) {
    options.Output = ErrorsPath();
    ChildProcess runner({QVTOUCH_RUNONCE_BINARY}, options);
    return runner.Wait();
  }
  static std::filesystem::path ErrorsPath() { return Records() / "errors"; }
  static std::vector<std::string> Errors() { return RecordLines(ErrorsPath()); }
};

TEST_F(RunnerProgram, StartsTheInstalledProgramWithItsArgumentsAndWaitsForIt) {
  const auto folder = Root() / "Program Files";
  InstallCalibrationProgram(folder);
  SetRunOnceValue("qvsercalib",
                  '"' + folder.string() + R"(\QVSerTouch\qvsercalib.exe" /x "two words")");
  EXPECT_EQ(RunRunner(), 0);
  EXPECT_EQ(CalibrationRuns(), std::vector<std::string>{"/x|two words"})
      << "run before the runner ended";
  EXPECT_EQ(RunOnceValue("qvsercalib"), std::nullopt);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(RunnerProgram, ACommandThatFailsOrCannotStartIsGoneAllTheSame) {
  const auto failing = Root() / "bin" / "failing";
  InstallRecorder(failing, Records() / "failing", 3);
  SetRunOnceValue("missing", R"("/nowhere\tool.exe")");
  SetRunOnceValue("failing", '"' + failing.string() + '"');
  EXPECT_EQ(RunRunner(), 1);
  EXPECT_EQ(RunOnceValue("missing"), std::nullopt);
  EXPECT_EQ(RunOnceValue("failing"), std::nullopt);
  EXPECT_EQ(RecordLines(Records() / "failing").size(), 1u);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].find(R"(cannot start "/nowhere\tool.exe")"), std::string::npos)
      << Errors()[0];
  EXPECT_EQ(RunRunner(), 0) << "nothing is left to fail";
}

// The values stay for a user who may change the machine's settings: a command run without deleting
// its value would run again at every logon.
TEST_F(RunnerProgram, AUserWhoMayNotDeleteTheValuesRunsNone) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the runner as another user";
  const auto folder = Root() / "Program Files";
  InstallCalibrationProgram(folder);
  const std::string commandLine = '"' + folder.string() + R"(\QVSerTouch\qvsercalib.exe")";
  SetRunOnceValue("qvsercalib", commandLine);
  EXPECT_EQ(RunRunner(ChildOptions{{}, kNobody, kNobody}), 0);
  EXPECT_TRUE(CalibrationRuns().empty());
  EXPECT_EQ(RunOnceValue("qvsercalib"), commandLine);
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(RunRunner(), 0);
  EXPECT_EQ(CalibrationRuns().size(), 1u) << "a user who may runs it";
}

}  // namespace
}  // namespace qvtouch::runonce
