// The calibration screen on the platform's own window, with the run's worker thread, posted
// messages and pass event, against a scripted driver: what the user sees and what reaches the
// driver and the registry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include "calib/run/calibration_run.h"
#include "calib/screen/calibration_program.h"
#include "calib/screen/calibration_screen.h"
#include "calib/screen/message_dialog.h"
#include "calib/screen/single_instance.h"
#include "common/capture.h"
#include "common/registry_paths.h"
#include "common/screen_post.h"
#include "tests/windows/support/import_replacement.h"
#include "tests/windows/support/registry_values.h"
#include "tests/windows/support/screenshot.h"
#include "tests/windows/support/while_modal.h"
#include "tests/windows/support/window_driver.h"

namespace qvtouch::calib {
namespace {

using namespace std::chrono_literals;
using test::WaitForWindow;

// A driver whose controller does not answer (so the run uses the four corners) and whose touches
// the test gives: each armed capture reports the next one, once there is one.
class ScriptedDriver final : public CalibrationDevice {
 public:
  std::optional<std::int32_t> GetScreenPost() override { return 16; }
  void ArmCapture() override {
    std::lock_guard guard(mutex_);
    armed_ = true;
    ++arms_;
  }
  bool GetCapture(CaptureReading& reading) override {
    std::lock_guard guard(mutex_);
    if (armed_ && !touches_.empty()) {
      reading = {CaptureReleased, touches_.front().X, touches_.front().Y};
      touches_.pop_front();
      armed_ = false;
    }
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
  bool PassThrough(std::span<const std::uint8_t> /*command*/, std::span<std::uint8_t> /*reply*/,
                   std::uint32_t& /*returned*/) override {
    return false;
  }

  void Touch(std::initializer_list<RawPoint> points) {
    std::lock_guard guard(mutex_);
    touches_.insert(touches_.end(), points);
  }
  std::vector<CalibrationBlock> Trials() {
    std::lock_guard guard(mutex_);
    return trials_;
  }
  int Reloads() {
    std::lock_guard guard(mutex_);
    return reloads_;
  }
  int Arms() {
    std::lock_guard guard(mutex_);
    return arms_;
  }

 private:
  std::mutex mutex_;
  bool armed_ = false;
  std::deque<RawPoint> touches_;
  std::vector<CalibrationBlock> trials_;
  int reloads_ = 0;
  int arms_ = 0;
};

constexpr COLORREF kTargetCentre = RGB(255, 255, 0);
// A key's release: repeat count 1, previously down, going up.
constexpr LPARAM kEscapeUp = static_cast<LPARAM>(0xC0000001u);
constexpr COLORREF kBackground = RGB(166, 202, 240);

// The message dialog as its template places it: its client area at (240, 180) dialog units from
// its owner's (from the screen's corner without one), and its text, of one or more lines, in the
// middle of the height of its rectangle, 139 x 22 at (10, 11).
void ExpectMessageDialogPlaced(HWND dialog, HWND owner) {
  RECT place{240, 180, 0, 0};
  MapDialogRect(dialog, &place);
  POINT expected{place.left, place.top};
  if (owner != nullptr) ClientToScreen(owner, &expected);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  EXPECT_EQ(origin.x, expected.x);
  EXPECT_EQ(origin.y, expected.y);

  RECT box{10, 11, 10 + 139, 11 + 22};
  MapDialogRect(dialog, &box);
  RECT text{};
  GetWindowRect(GetDlgItem(dialog, 1001), &text);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&text), 2);
  EXPECT_GT(text.top, box.top) << "not at the top";
  EXPECT_LE(std::abs((text.top + text.bottom) - (box.top + box.bottom)), 1) << "but in the middle";
}

bool WaitForPixel(int x, int y, COLORREF colour) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (test::ScreenPixel(x, y) == colour) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

class CalibrationScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParametersKey.data(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kParametersKey.data()); }

  // The program's start-up, as qvsercalib does it, up to its message loop.
  void Start() {
    screen_ = CalibrationScreen::Create(layout_);
    ASSERT_NE(screen_, nullptr);
    run_ = std::make_unique<CalibrationRun>(driver_, *screen_, layout_.Monitors,
                                            [](std::chrono::milliseconds) {});
    screen_->Attach(*run_);
    run_->Handshake();
    screen_->DrawScreen();
    screen_->Show();
    run_->Begin();
  }

  std::optional<DWORD> Stored(const char* name) {
    return test::ReadDword(HKEY_LOCAL_MACHINE, kParametersKey.data(), name);
  }

  ScriptedDriver driver_;
  const ScreenLayout layout_ = LayOutScreen(kScreenSingle, DisplaySize(kScreenSingle), {});
  std::unique_ptr<CalibrationScreen> screen_;
  std::unique_ptr<CalibrationRun> run_;
};

TEST_F(CalibrationScreenTest, ShowsTheTargetsFullScreenAndOkStoresTheCalibration) {
  ASSERT_NO_FATAL_FAILURE(Start());
  std::thread user([this] {
    HWND window = WaitForWindow("QUVO TOUCH CALIBRAY", "QVTCALIBA");
    ASSERT_NE(window, nullptr);
    RECT area{};
    GetWindowRect(window, &area);
    EXPECT_EQ(area.right - area.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(area.bottom - area.top, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(WaitForPixel(layout_.X1, layout_.Y1, kTargetCentre)) << "the first target";
    EXPECT_EQ(test::ScreenPixel(2, 2), kBackground);
    // The instruction text: its line's top at three eighths of the height, centred.
    EXPECT_TRUE(test::RowShowsMoreThan(layout_.Y2 / 2 + 8, layout_.X1, layout_.X2, kBackground));
    EXPECT_FALSE(test::RowShowsMoreThan(layout_.Y2 + 8, layout_.X1, layout_.X2, kBackground))
        << "and nothing else";
    test::SaveScreenshot(window, "calibration-first-target");
    EXPECT_TRUE(BringRunningCalibrationToFront()) << "what a second start finds";

    // The corners of the central rectangle, in the order they are shown.
    driver_.Touch({{1024, 1024}, {3072, 3072}, {1024, 3072}, {3072, 1024}});
    HWND confirm = WaitForWindow("Confirm Calibration");
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(test::ControlText(confirm, 1001), "Is the cursor following the finger touching? ");
    EXPECT_EQ(GetWindow(confirm, GW_OWNER), window);
    ExpectMessageDialogPlaced(confirm, window);
    EXPECT_EQ(test::ScreenPixel(layout_.X1, layout_.Y1), kBackground)
        << "a pass ends on a clean screen";
    test::SaveScreenshot(confirm, "calibration-confirm");
    test::PressButton(confirm, IDOK);
  });
  EXPECT_EQ(screen_->RunMessageLoop(), 0);
  user.join();

  ASSERT_EQ(driver_.Trials().size(), 1u);
  EXPECT_EQ(driver_.Trials()[0].XL, 4096);
  EXPECT_EQ(driver_.Reloads(), 0) << "the driver keeps the trial";
  EXPECT_EQ(Stored("Xc"), 2048u);
  EXPECT_EQ(Stored("Yc"), 2048u);
  EXPECT_EQ(Stored("XL"), 4096u);
  EXPECT_EQ(Stored("YL"), 4096u);
  EXPECT_EQ(Stored("Shp"), 2048u);
  EXPECT_EQ(Stored("Svs"), 4096u);
  EXPECT_EQ(Stored("Orientation"), std::nullopt);
}

TEST_F(CalibrationScreenTest, CancelShowsTheTargetsAgainAndEscapeEndsWithTheStoredSettings) {
  ASSERT_NO_FATAL_FAILURE(Start());
  std::thread user([this] {
    HWND window = WaitForWindow("QUVO TOUCH CALIBRAY", "QVTCALIBA");
    ASSERT_NE(window, nullptr);
    driver_.Touch({{1024, 1024}, {3072, 3072}, {1024, 3072}, {3072, 1024}});
    HWND confirm = WaitForWindow("Confirm Calibration");
    ASSERT_NE(confirm, nullptr);
    test::PressButton(confirm, IDCANCEL);
    // The release of an Escape that went down in the dialog, as its Cancel, is not the window's.
    PostMessageA(window, WM_KEYUP, VK_ESCAPE, kEscapeUp);
    EXPECT_TRUE(WaitForPixel(layout_.X1, layout_.Y1, kTargetCentre)) << "the next pass";
    // Escape pressed and released, while the first target of the next pass waits for its touch.
    test::PressKey(window, VK_ESCAPE);
  });
  EXPECT_EQ(screen_->RunMessageLoop(), 0);
  user.join();

  EXPECT_EQ(driver_.Trials().size(), 1u) << "no trial for the pass that Escape ended";
  EXPECT_EQ(driver_.Reloads(), 2) << "after Cancel, and on Escape";
  EXPECT_EQ(Stored("XL"), std::nullopt) << "nothing stored";
}

HANDLE WINAPI NoEvent(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

// Without its pass event the program ends with 0 before its window shows or a capture is armed: a
// worker whose every wait returned at once would run pass after pass.
TEST_F(CalibrationScreenTest, APassEventThatCannotBeMadeEndsTheProgram) {
  test::ImportReplacement noEvents("kernel32.dll", "CreateEventA",
                                   reinterpret_cast<void*>(&NoEvent));
  ASSERT_TRUE(noEvents.Replaced());
  EXPECT_EQ(RunCalibrationProgram(&driver_, [](std::chrono::milliseconds) {}), 0);
  EXPECT_EQ(driver_.Arms(), 0);
  EXPECT_EQ(FindWindowA("QVTCALIBA", nullptr), nullptr);
}

// Before the calibration window exists (the driver is missing), the dialog has no owner.
TEST(MessageDialog, WithoutAnOwnerOpensAtItsPlaceOnTheScreen) {
  test::WhileModal check(kNoDriverCaption.data(), [](HWND dialog) {
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    ExpectMessageDialogPlaced(dialog, nullptr);
    EndDialog(dialog, IDOK);
  });
  EXPECT_EQ(RunMessageDialog(nullptr, kNoDriverText, kNoDriverCaption), kAnswerOk);
  EXPECT_TRUE(check.Acted());
}

}  // namespace
}  // namespace qvtouch::calib
