// The calibration run against a scripted device: a controller that accepts or refuses the
// assisted mode, touches that arrive when a target is armed, and a window that records what the
// run asks of it and answers the dialog as told.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>

#include "calib/run/calibration_run.h"
#include "common/capture.h"
#include "common/controller_commands.h"
#include "common/registry_paths.h"
#include "platform/registry/winreg.h"
#include "tests/support/store_values.h"
#include "tools/sim/command_responder.h"

namespace qvtouch::calib {
namespace {

using std::chrono::milliseconds;

class ScriptedDevice final : public CalibrationDevice {
 public:
  explicit ScriptedDevice(bool refuseAssisted) : controller_(refuseAssisted) {}

  std::optional<std::int32_t> GetScreenPost() override { return 16; }

  void ArmCapture() override {
    std::lock_guard guard(mutex_);
    reading_ = {CaptureArmed, 0, 0};
    readsSinceArm_ = 0;
  }
  // The next touch comes on the second reading after arming.
  bool GetCapture(CaptureReading& reading) override {
    std::lock_guard guard(mutex_);
    if (reading_.State == CaptureArmed && !touches_.empty() && ++readsSinceArm_ % 2 == 0) {
      reading_ = {CaptureReleased, touches_.front().X, touches_.front().Y};
      touches_.pop_front();
    }
    reading = reading_;
    return true;
  }
  void SetCalibration(const CalibrationBlock& block) override {
    std::lock_guard guard(mutex_);
    trials_.push_back(block);
  }
  void ReloadSettings() override {
    std::lock_guard guard(mutex_);
    ++reloads_;
  }
  bool PassThrough(std::span<const std::uint8_t> command, std::span<std::uint8_t> reply,
                   std::uint32_t& returned) override {
    std::lock_guard guard(mutex_);
    commands_.emplace_back(command.begin(), command.end());
    if (failRequests_) return false;
    const auto answer = controller_.Receive(command);
    returned = static_cast<std::uint32_t>(std::min(answer.size(), reply.size()));
    std::copy_n(answer.begin(), returned, reply.begin());
    return true;
  }

  void Touch(std::initializer_list<RawPoint> points) {
    std::lock_guard guard(mutex_);
    touches_.insert(touches_.end(), points);
  }
  std::vector<CalibrationBlock> Trials() {
    std::lock_guard guard(mutex_);
    return trials_;
  }
  // How many commands of the kind ("QV3", "QV0", "SP", "GP") were sent.
  int Sent(std::string_view kind) {
    std::lock_guard guard(mutex_);
    return static_cast<int>(
        std::count_if(commands_.begin(), commands_.end(), [kind](const auto& c) {
          return c.size() > kind.size() && std::equal(kind.begin(), kind.end(), c.begin() + 1);
        }));
  }
  int Reloads() {
    std::lock_guard guard(mutex_);
    return reloads_;
  }
  void FailRequests() { failRequests_ = true; }
  sim::CommandResponder& Controller() { return controller_; }

 private:
  std::mutex mutex_;
  sim::CommandResponder controller_;
  bool failRequests_ = false;
  CaptureReading reading_;
  int readsSinceArm_ = 0;
  std::deque<RawPoint> touches_;
  std::vector<CalibrationBlock> trials_;
  std::vector<std::vector<std::uint8_t>> commands_;
  int reloads_ = 0;
};

// What the window was asked, in order; the test delivers the posted messages to the run.
class RecordingWindow final : public RunWindow {
 public:
  enum class Post { ShowTarget, PassDone, StartPass, Close, Quit };
  struct Message {
    Post Kind;
    std::int32_t Target;
  };

  void PostShowTarget(std::int32_t target) override { Push({Post::ShowTarget, target}); }
  void PostPassDone() override { Push({Post::PassDone, 0}); }
  void PostStartPass() override { Push({Post::StartPass, 0}); }
  void PostClose() override { Push({Post::Close, 0}); }
  void Quit() override { Push({Post::Quit, 0}); }
  int ShowMessage(std::string_view text, std::string_view caption) override {
    messages.emplace_back(std::string(text) + "|" + std::string(caption));
    const int answer = answers.empty() ? kAnswerOk : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void SetCursorVisible(bool visible) override { cursorShown += visible ? 1 : -1; }

  // Waits for the next posted message.
  Message Next() {
    std::unique_lock lock(mutex_);
    EXPECT_TRUE(
        posted_.wait_for(lock, std::chrono::seconds(10), [this] { return !queue_.empty(); }));
    if (queue_.empty()) return {Post::Quit, -1};
    const Message message = queue_.front();
    queue_.pop_front();
    return message;
  }
  // The targets shown up to the end of a pass, which it returns.
  std::vector<std::int32_t> TargetsUntil(Post end) {
    std::vector<std::int32_t> targets;
    for (Message m = Next(); m.Kind != end; m = Next()) {
      if (m.Kind == Post::ShowTarget) targets.push_back(m.Target);
      if (m.Target == -1) break;
    }
    return targets;
  }

  std::deque<int> answers;
  std::vector<std::string> messages;
  int cursorShown = 0;

 private:
  void Push(Message message) {
    {
      std::lock_guard guard(mutex_);
      queue_.push_back(message);
    }
    posted_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Message> queue_;
};

const MonitorSizes kOneMonitor{{1024, 768}, {1024, 768}};
const std::vector<std::int32_t> kDiagonal{TARGET_TOP_LEFT, TARGET_DIAG_NEAR, TARGET_DIAG_FAR,
                                          TARGET_BOTTOM_RIGHT, TARGET_NONE};
const std::vector<std::int32_t> kCorners{TARGET_TOP_LEFT, TARGET_BOTTOM_RIGHT, TARGET_BOTTOM_LEFT,
                                         TARGET_TOP_RIGHT, TARGET_NONE};

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/qvtouch-calib-run-XXXXXX";
    root_ = mkdtemp(folder);
    setenv("QVTOUCH_ROOT", root_.c_str(), 1);
    HKEY key = nullptr;  // the settings key exists, as the driver's installation makes it
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, std::string(kParametersKey).c_str(), 0, nullptr,
                    REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
  }
  void TearDown() override {
    run_.reset();
    std::filesystem::remove_all(root_);
  }
  void Start(bool refuseAssisted) {
    device_ = std::make_unique<ScriptedDevice>(refuseAssisted);
    run_ = std::make_unique<CalibrationRun>(*device_, window_, kOneMonitor, RecordWaits());
    run_->Handshake();
    handshakeWaits_ = Waits();
    run_->Begin();
    ASSERT_EQ(window_.Next().Kind, RecordingWindow::Post::StartPass);
    run_->OnStartPass();
  }
  static std::optional<std::uint32_t> Stored(const char* name) {
    return qvtouch::testing::StoredDword(HKEY_LOCAL_MACHINE, std::string(kParametersKey), name);
  }

  // Waits are made on the UI thread and on the worker's: they are noted under a lock.
  Sleep RecordWaits() {
    return [this](milliseconds wait) {
      std::lock_guard guard(waitsMutex_);
      waits_.push_back(wait);
    };
  }
  std::vector<milliseconds> Waits() {
    std::lock_guard guard(waitsMutex_);
    return waits_;
  }

  std::filesystem::path root_;
  std::unique_ptr<ScriptedDevice> device_;
  RecordingWindow window_;
  std::mutex waitsMutex_;
  std::vector<milliseconds> waits_;
  std::vector<milliseconds> handshakeWaits_;
  std::unique_ptr<CalibrationRun> run_;
};

TEST_F(Run, AnAcceptingControllerGivesTheAssistedMethodAndOkStoresTheTrial) {
  Start(/*refuseAssisted=*/false);
  EXPECT_TRUE(run_->ControllerAssisted());
  EXPECT_EQ(device_->Sent("GP"), 1) << "the parameters are read once at start";
  // A linear panel: raw 1024 to 3072 between the quarter points.
  device_->Touch({{1024, 1024}, {1536, 1536}, {2560, 2560}, {3072, 3072}});
  EXPECT_EQ(window_.TargetsUntil(RecordingWindow::Post::PassDone), kDiagonal);
  ASSERT_EQ(device_->Trials().size(), 1u);
  EXPECT_EQ(device_->Trials()[0].Xc, 2048);
  EXPECT_EQ(device_->Trials()[0].XL, 4096);

  run_->OnPassDone();
  EXPECT_EQ(device_->Controller().LinearityX(), kNoLinearityCorrection);
  EXPECT_FALSE(device_->Controller().AssistedMode()) << "left after the linearity was written";
  EXPECT_EQ(window_.messages, std::vector<std::string>{std::string(kConfirmText) + "|" +
                                                       std::string(kConfirmCaption)});
  EXPECT_EQ(window_.Next().Kind, RecordingWindow::Post::Close);
  EXPECT_EQ(Stored("Xc"), 2048u);
  EXPECT_EQ(Stored("XL"), 4096u);
  EXPECT_EQ(Stored("Svs"), 4096u);
  EXPECT_EQ(device_->Reloads(), 0) << "OK keeps the trial in the driver";
  run_->OnDestroy();
  EXPECT_EQ(window_.Next().Kind, RecordingWindow::Post::Quit);
}

TEST_F(Run, ARefusingControllerCostsFiveAttemptsThenTheCornerTargets) {
  Start(/*refuseAssisted=*/true);
  EXPECT_FALSE(run_->ControllerAssisted());
  EXPECT_EQ(device_->Sent("QV3"), 5);
  EXPECT_EQ(handshakeWaits_, std::vector<milliseconds>(5, milliseconds(50)));
  device_->Touch({{1024, 1024}, {3072, 3072}, {1024, 3072}, {3072, 1024}});
  EXPECT_EQ(window_.TargetsUntil(RecordingWindow::Post::PassDone), kCorners);
  EXPECT_EQ(device_->Trials().at(0).CalibrationExtra[0], 2048) << "the four-corner fields";
}

TEST_F(Run, AControllerTheDriverCannotReachCostsTwoSecondsAnAttempt) {
  device_ = std::make_unique<ScriptedDevice>(false);
  device_->FailRequests();
  CalibrationRun run(*device_, window_, kOneMonitor, RecordWaits());
  run.Handshake();
  EXPECT_FALSE(run.ControllerAssisted());
  std::vector<milliseconds> expected;
  for (int i = 0; i < 5; ++i)
    expected.insert(expected.end(), {milliseconds(2000), milliseconds(50)});
  EXPECT_EQ(Waits(), expected);
}

TEST_F(Run, CancelReloadsAndStartsAnotherPass) {
  Start(false);
  window_.answers = {kAnswerCancel};
  device_->Touch({{1024, 1024}, {1536, 1536}, {2560, 2560}, {3072, 3072}});
  window_.TargetsUntil(RecordingWindow::Post::PassDone);
  run_->OnPassDone();
  EXPECT_EQ(device_->Reloads(), 1);
  EXPECT_EQ(window_.Next().Kind, RecordingWindow::Post::StartPass);
  EXPECT_EQ(window_.cursorShown, -1) << "hidden again for the next pass";
  EXPECT_EQ(Stored("Xc"), std::nullopt);
  run_->OnStartPass();
  device_->Touch({{1000, 1000}, {1500, 1500}, {2500, 2500}, {3000, 3000}});
  EXPECT_EQ(window_.TargetsUntil(RecordingWindow::Post::PassDone), kDiagonal);
  EXPECT_EQ(device_->Trials().size(), 2u);
}

TEST_F(Run, TouchesThatCancelOutAreNeitherTriedNorStoredButShownAgain) {
  Start(false);
  device_->Touch({{2000, 2000}, {2000, 2000}, {2000, 2000}, {2000, 2000}});
  EXPECT_EQ(window_.Next().Target, TARGET_TOP_LEFT);
  for (std::int32_t target :
       {TARGET_DIAG_NEAR, TARGET_DIAG_FAR, TARGET_BOTTOM_RIGHT, TARGET_NONE, TARGET_TOP_LEFT}) {
    EXPECT_EQ(window_.Next().Target, target);
  }
  EXPECT_TRUE(device_->Trials().empty());
  device_->Touch({{1024, 1024}, {1536, 1536}, {2560, 2560}, {3072, 3072}});
  window_.TargetsUntil(RecordingWindow::Post::PassDone);
  EXPECT_EQ(device_->Trials().size(), 1u);
}

TEST_F(Run, EscapeWhileATargetWaitsLeavesReloadsAndQuits) {
  Start(false);
  EXPECT_EQ(window_.Next().Target, TARGET_TOP_LEFT);
  const int leavesBefore = device_->Sent("QV0");
  run_->OnEscapeReleased();
  EXPECT_EQ(device_->Sent("QV0"), leavesBefore + 1);
  EXPECT_EQ(device_->Reloads(), 1);
  run_.reset();  // the worker ends: no trial for the pass
  EXPECT_TRUE(device_->Trials().empty());
}

}  // namespace
}  // namespace qvtouch::calib
