// End to end on an Xvfb of the test's own: the installation's last step, Tollwen, answered as a
// person answers it, then the RunOnce runner of the next logon, which starts the calibration
// program (a stand-in under a program-files folder of the test's own).
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "tests/rebootprompt/run_once_test_support.h"
#include "tests/support/child_process.h"
#include "tests/support/wait.h"
#include "tests/support/x_screen.h"
#include "tests/support/xvfb_server.h"

namespace qvtouch::rebootprompt {
namespace {

using qvtouch::testing::ChildProcess;
using qvtouch::testing::ScreenRect;
using qvtouch::testing::WaitUntil;
using qvtouch::testing::XScreen;
using qvtouch::testing::XvfbServer;

constexpr std::chrono::seconds kPatience{30};
constexpr const char* kTitle = "QVHWTOUCH SETUP";
constexpr uid_t kNobody = 65534;

// The dialog is 278 x 120 dialog units; "No" is 50 x 16 at (149, 79).
constexpr double kNoX = (149 + 50 / 2.0) / 278;
constexpr double kNoY = (79 + 16 / 2.0) / 120;

class AfterInstallation : public testing::RunOnceStoreTest {
 protected:
  void SetUp() override {
    server_ = std::make_unique<XvfbServer>(1024, 768);
    ASSERT_FALSE(server_->Name().empty()) << "Xvfb could not be started";
    screen_ = std::make_unique<XScreen>(server_->Name());
    ASSERT_TRUE(screen_->Connected());
    InstallCalibrationProgram(Folder());
    SetProgramFilesDir(Folder().string());
  }

  static std::filesystem::path Folder() { return Root() / "Program Files"; }

  // Starts Tollwen, as the user when one is given, and returns its dialog's place on the screen
  // once it shows.
  ScreenRect StartTollwen(std::optional<uid_t> user = std::nullopt) {
    qvtouch::testing::ChildOptions options;
    options.User = user;
    options.Group = user;
    options.Environment = {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", server_->Name()}};
    tollwen_ = std::make_unique<ChildProcess>(std::vector<std::string>{TOLLWEN_BINARY}, options);
    std::optional<ScreenRect> dialog;
    EXPECT_TRUE(
        WaitUntil([&] { return (dialog = screen_->WindowTitled(kTitle)).has_value(); }, kPatience))
        << "no dialog \"" << kTitle << "\"";
    return dialog.value_or(ScreenRect{});
  }

  static std::optional<int> RunRunner() {
    ChildProcess runner({QVTOUCH_RUNONCE_BINARY});
    return runner.Wait(kPatience);
  }

  std::unique_ptr<XvfbServer> server_;
  std::unique_ptr<XScreen> screen_;
  std::unique_ptr<ChildProcess> tollwen_;
};

TEST_F(AfterInstallation, AfterNoTheNextLogonStartsTheCalibrationOnce) {
  const ScreenRect dialog = StartTollwen();
  screen_->Click(dialog.X + static_cast<int>(dialog.Width * kNoX),
                 dialog.Y + static_cast<int>(dialog.Height * kNoY));
  ASSERT_EQ(tollwen_->Wait(kPatience), 0);
  EXPECT_TRUE(SystemctlRuns().empty()) << "no restart";
  EXPECT_EQ(RunOnceValue("qvsercalib"), '"' + Folder().string() + R"(\QVSerTouch\qvsercalib.exe")");
  EXPECT_TRUE(CalibrationRuns().empty());

  EXPECT_EQ(RunRunner(), 0);
  EXPECT_EQ(CalibrationRuns().size(), 1u);
  EXPECT_EQ(RunOnceValue("qvsercalib"), std::nullopt);
  EXPECT_EQ(RunRunner(), 0);
  EXPECT_EQ(CalibrationRuns().size(), 1u) << "once only";
}

TEST_F(AfterInstallation, EnterAsksTheSystemToRestartWithTheCalibrationScheduled) {
  StartTollwen();
  screen_->PressKey("Return");
  ASSERT_EQ(tollwen_->Wait(kPatience), 0);
  EXPECT_EQ(SystemctlRuns(), std::vector<std::string>{"reboot"});
  EXPECT_TRUE(RunOnceValue("qvsercalib").has_value());
}

// Without the right to change the machine's settings, nothing is scheduled and nothing is said; the
// restart is asked for as usual.
TEST_F(AfterInstallation, AUserWhoMayNotScheduleIsToldNothingAndMayRestart) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run Tollwen as another user";
  StartTollwen(kNobody);
  screen_->PressKey("Return");
  ASSERT_EQ(tollwen_->Wait(kPatience), 0) << "no message waits for an answer";
  EXPECT_EQ(SystemctlRuns(), std::vector<std::string>{"reboot"});
  EXPECT_EQ(RunOnceValueCount(), std::nullopt);
}

}  // namespace
}  // namespace qvtouch::rebootprompt
