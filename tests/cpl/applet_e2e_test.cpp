// End to end, on an X server of the test's own: the Control Panel host opens the applet library,
// the test works the settings dialog with clicks through the X server, and the driver host in
// this process (real store, control socket, pty, tone recorder) takes the result.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QSlider>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <sstream>

#include "calib/screen/single_instance.h"
#include "common/capture.h"
#include "common/little_endian.h"
#include "common/records.h"
#include "common/request_codes.h"
#include "cpl/resource.h"
#include "tests/cpl/cpl_test_support.h"
#include "tests/cpl/started_programs.h"
#include "tests/cpl/x_user.h"
#include "tests/platform/kernel_host/hosted_driver.h"
#include "tests/platform/ui/qt_test_support.h"
#include "tests/support/xvfb_server.h"
#include "tools/control/control_host.h"

namespace qvtouch::cpl {
namespace {

using platform::testing::RecordedLines;
using qvtouch::testing::XvfbServer;
using testing::StoredMouseBytes;
using testing::StoredParameter;
using testing::XUser;
using ui::testing::Child;
using ui::testing::MessageBoxCloser;
using ui::testing::ProcessEventsUntil;
using ui::testing::SheetPages;
using ui::testing::SheetTabs;
using ui::testing::WhenModal;

// The test program's QApplication, and the programs it starts, run on an Xvfb of its own through
// the xcb platform.
class XvfbApplication final : public ui::testing::QtApplicationEnvironment {
 protected:
  void Prepare() override {
    server_ = std::make_unique<XvfbServer>(1024, 768);
    if (server_->Name().empty()) {
      ADD_FAILURE() << "Xvfb could not be started";
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      return;
    }
    setenv("DISPLAY", server_->Name().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  void Finish() override { server_.reset(); }

 private:
  std::unique_ptr<XvfbServer> server_;
};

const bool kApplication = ui::testing::UseQtApplication(new XvfbApplication);

constexpr int kCalibrationPage = 0;
constexpr int kSoundPage = 1;
constexpr int kMousePage = 2;
constexpr int kComPortPage = 3;
constexpr int kScreenPlacementPage = 4;
constexpr int kPageCount = 6;

// The settings dialog as a person sees it, worked with clicks through the X server.
class SettingsDialog {
 public:
  SettingsDialog(QWidget& window, const XUser& user)
      : window_(window), tabs_(SheetTabs(window)), pages_(SheetPages(window)), user_(user) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }

  QWidget& Page(int index) const { return *pages_.widget(index); }

  void ChooseTab(int index) const {
    user_.Click(tabs_, tabs_.TabRect(index).center());
    EXPECT_TRUE(ProcessEventsUntil([this, index] { return pages_.currentIndex() == index; }));
  }

  void ChooseEntry(int page, int id, int entry) const {
    auto* combo = Child<QComboBox>(Page(page), id);
    // The arrow at the right end opens the list, also of a combo box with an edit field.
    user_.Click(*combo, QPoint(combo->width() - combo->height() / 2, combo->height() / 2));
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(ProcessEventsUntil([list] { return list->isVisible(); }));
    const QModelIndex item = list->model()->index(entry, 0);
    list->scrollTo(item);
    user_.Click(*list->viewport(), list->visualRect(item).center());
    EXPECT_TRUE(ProcessEventsUntil(
        [combo, list, entry] { return !list->isVisible() && combo->currentIndex() == entry; }));
  }

  // Moves a slider to an end with the keyboard.
  void SlideTo(int page, int id, Qt::Key end) const {
    QTest::keyClick(Child<QSlider>(Page(page), id), end);
  }

  // Clicks a push button or a radio button of a page.
  void Press(int page, int id) const { user_.Click(*Child<QAbstractButton>(Page(page), id)); }
  void PressInDialog(int id) const { user_.Click(*Child<QAbstractButton>(window_, id)); }

 private:
  QWidget& window_;
  ui::TabRows& tabs_;
  QStackedWidget& pages_;
  const XUser& user_;
};

class AppletOnScreen : public platform::testing::HostedDriver {
 protected:
  void SetUp() override {
    HostedDriver::SetUp();
    for (const auto& [name, value] : {std::pair{"BeepMode", 0u},
                                      {"BeepFreq1", 2000u},
                                      {"BeepTime1", 32u},
                                      {"BeepFreq2", 2000u},
                                      {"BeepTime2", 32u},
                                      {"Port", 1u},
                                      {"MouseMode", 0u},
                                      {"DoubleScreenPost", 16u},
                                      {"RBNDelay", 48u}}) {
      testing::SetParameter(name, value);
    }
    testing::SetMouseText("DoubleClickSpeed", "500");
    testing::SetMouseText("DoubleClickHeight", "4");
    Plug();
    Start();
  }

  void TearDown() override {
    // A calibration program that a failed test left running.
    for (const pid_t left : testing::ChildrenNamed("qvsercalib")) testing::Reap(left, {});
    HostedDriver::TearDown();
  }

  // Opens the applet through the Control Panel host while the script works its dialog.
  int OpenApplet(std::function<void(SettingsDialog&)> script,
                 std::vector<std::string_view> arguments = {QVTCPL_LIBRARY, "QVTouch Settings"}) {
    WhenModal([this, &script](QWidget& window) {
      SettingsDialog dialog(window, user_);
      script(dialog);
    });
    std::ostringstream out;
    std::ostringstream err;
    const int status = control::RunControl(arguments, out, err);
    EXPECT_EQ(err.str(), "");
    return status;
  }

  BeepRecord DriverBeep() {
    const auto output = Control(IOCTL_TOUCH_GET_BEEP, {}, BeepRecord::kSize).Output;
    EXPECT_EQ(output.size(), BeepRecord::kSize);
    return output.size() == BeepRecord::kSize
               ? BeepRecord::Decode(
                     std::span<const std::uint8_t, BeepRecord::kSize>(output.data(), output.size()))
               : BeepRecord{};
  }
  std::uint32_t DriverValue(std::uint32_t code) {
    const auto output = Control(code, {}, 4).Output;
    return output.size() == 4 ? LoadU32(output, 0) : 0xFFFFFFFF;
  }
  std::int32_t CaptureState() {
    const auto output = Control(IOCTL_TOUCH_GET_CAPTURE, {}, 12).Output;
    return output.size() == 12 ? LoadS32(output, 0) : CaptureIdle;
  }
  std::vector<std::string> Tones() { return RecordedLines(root_ / "tone.jsonl"); }

  XUser user_;
};

TEST_F(AppletOnScreen, ChangedSettingsAreStoredAndTheDriverReloadsThem) {
  ASSERT_EQ(DriverValue(IOCTL_TOUCH_GET_MOUSE_MODE), 0u);
  const int status = OpenApplet([](SettingsDialog& dialog) {
    dialog.ChooseTab(kSoundPage);
    dialog.ChooseEntry(kSoundPage, IDC_BEEP_ON, 1);  // "Press"
    dialog.SlideTo(kSoundPage, IDC_BEEP_TONE, Qt::Key_End);
    dialog.SlideTo(kSoundPage, IDC_DURATION, Qt::Key_End);
    dialog.ChooseTab(kMousePage);
    dialog.ChooseEntry(kMousePage, IDC_MOUSE_MODE, 2);    // "Dragging "
    dialog.ChooseEntry(kMousePage, IDC_RIGHT_DELAY, 11);  // "2.5s"
    dialog.SlideTo(kMousePage, IDC_CLICK_SPEED, Qt::Key_End);
    dialog.ChooseTab(kComPortPage);
    dialog.ChooseEntry(kComPortPage, IDC_PORT, 2);  // " COM3 "
    dialog.ChooseTab(kScreenPlacementPage);
    dialog.Press(kScreenPlacementPage, IDC_ON_TOP);
    dialog.PressInDialog(IDOK);
  });
  EXPECT_EQ(status, 0);

  for (const auto& [name, value] : {std::pair{"BeepMode", 1u},
                                    {"BeepFreq1", 5000u},
                                    {"BeepTime1", 750u},
                                    {"BeepFreq2", 5000u},
                                    {"BeepTime2", 750u},
                                    {"Port", 3u},
                                    {"MouseMode", 2u},
                                    {"DoubleScreenPost", 19u},
                                    {"RBNDelay", 240u}}) {
    EXPECT_EQ(StoredParameter(name), value) << name;
  }
  EXPECT_EQ(StoredMouseBytes("DoubleClickSpeed"), std::string("2000\0", 5));
  EXPECT_EQ(StoredMouseBytes("DoubleClickHeight"), std::string("20\0", 3))
      << "the mouse page was read back, the height at the slider's least";
  EXPECT_EQ(StoredMouseBytes("DoubleClickWidth"), std::string("20\0", 3));

  EXPECT_EQ(DriverBeep(), (BeepRecord{1, 5000, 40, 5000, 750}))
      << "the touch beep's length is the driver's own BeepTime, which the applet leaves alone";
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_MOUSE_MODE), 2u);
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_RBN_DELAY), 240u);
}

TEST_F(AppletOnScreen, TestButtonSoundsOneToneOfTheChosenFrequencyAndDurationAndRestoresTheRecord) {
  const BeepRecord before = DriverBeep();
  auto pressed = std::chrono::steady_clock::time_point{};
  auto silenced = std::chrono::steady_clock::time_point{};
  const int status = OpenApplet([&](SettingsDialog& dialog) {
    dialog.ChooseTab(kSoundPage);
    dialog.SlideTo(kSoundPage, IDC_BEEP_TONE, Qt::Key_End);
    dialog.SlideTo(kSoundPage, IDC_DURATION, Qt::Key_End);
    pressed = std::chrono::steady_clock::now();
    dialog.Press(kSoundPage, IDC_TEST_BEEP);
    EXPECT_TRUE(ProcessEventsUntil([this] { return Tones().size() >= 2; }));
    silenced = std::chrono::steady_clock::now();
    EXPECT_EQ(DriverBeep(), before) << "the driver's record is restored";
    dialog.PressInDialog(IDCANCEL);
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Tones(), (std::vector<std::string>{R"({"event":"tone","freq":5000})",
                                               R"({"event":"tone","freq":0})"}));
  // The tone started after the press and stopped after its 750 ms: a bound the driver cannot
  // undercut, whatever the machine's load.
  EXPECT_GE(silenced - pressed, std::chrono::milliseconds(750));
  EXPECT_EQ(StoredParameter("BeepFreq1"), 2000u) << "Cancel stores nothing";
}

TEST_F(AppletOnScreen, CancelStoresNothingAndTheDriverStillReloads) {
  testing::SetParameter("MouseMode", 1);  // stored after the driver loaded its settings
  ASSERT_EQ(DriverValue(IOCTL_TOUCH_GET_MOUSE_MODE), 0u);
  const int status = OpenApplet(
      [](SettingsDialog& dialog) {
        dialog.ChooseTab(kComPortPage);
        dialog.ChooseEntry(kComPortPage, IDC_PORT, 3);
        dialog.PressInDialog(IDCANCEL);
      },
      {QVTCPL_LIBRARY});  // the only item, opened without its name
  EXPECT_EQ(status, 0);
  EXPECT_EQ(StoredParameter("Port"), 1u);
  EXPECT_EQ(StoredParameter("MouseMode"), 1u);
  EXPECT_EQ(DriverValue(IOCTL_TOUCH_GET_MOUSE_MODE), 1u) << "the reload after the dialog";
}

TEST_F(AppletOnScreen, CalibrateStartsTheCalibrationProgramWhileTheDialogStaysOpen) {
  const auto folder = root_ / "Program Files";
  std::filesystem::create_directories(folder / "QVSerTouch");
  std::filesystem::create_symlink(QVSERCALIB_BINARY, folder / "QVSerTouch" / "qvsercalib");
  testing::SetProgramFilesDir(folder.string());
  const std::string calibrationWindow(calib::kWindowTitle);
  OpenApplet([this, &calibrationWindow](SettingsDialog& dialog) {
    dialog.Press(kCalibrationPage, IDC_CALIBRATE);
    EXPECT_TRUE(ProcessEventsUntil([this] { return CaptureState() == CaptureArmed; }))
        << "the calibration program waits for a touch on its first target";
    EXPECT_TRUE(ProcessEventsUntil([&] { return user_.Sees(calibrationWindow); }));
    const std::vector<pid_t> started = testing::ChildrenNamed("qvsercalib");
    EXPECT_EQ(started.size(), 1u);
    EXPECT_TRUE(user_.PressKeyIn(calibrationWindow, "Escape")) << "which ends the calibration";
    for (const pid_t program : started) EXPECT_EQ(testing::Reap(program), 0);
    dialog.PressInDialog(IDCANCEL);
  });
}

TEST_F(AppletOnScreen, CalibrateWithoutTheProgramFolderSaysItCannotFindTheProgram) {
  const MessageBoxCloser closer;
  OpenApplet([&closer](SettingsDialog& dialog) {
    dialog.Press(kCalibrationPage, IDC_CALIBRATE);
    EXPECT_TRUE(ProcessEventsUntil([&closer] { return !closer.Seen().empty(); }));
    dialog.PressInDialog(IDCANCEL);
  });
  ASSERT_EQ(closer.Seen().size(), 1u);
  EXPECT_EQ(closer.Seen()[0].Text, "Can't fine qvsercalib.exe file.");
  EXPECT_EQ(closer.Seen()[0].Caption, "QVTcpl") << "the applet library's name";
  EXPECT_TRUE(testing::ChildrenNamed("qvsercalib").empty());
}

TEST_F(AppletOnScreen, WithoutTheDriverTheAppletSaysTheDriverIsNotInstalled) {
  host_.reset();  // unloads the driver: its control device is gone
  const MessageBoxCloser closer;
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(control::RunControl({QVTCPL_LIBRARY, "QVTouch Settings"}, out, err), 0);
  ASSERT_EQ(closer.Seen().size(), 1u);
  EXPECT_EQ(closer.Seen()[0].Text, "Driver is not installed!");
  EXPECT_EQ(closer.Seen()[0].Caption, "Error");
}

// Screenshots of every page for a person to look at, when QVTOUCH_SCREENSHOT_DIR names a folder.
TEST_F(AppletOnScreen, ScreenshotsOfEveryPage) {
  const char* folder = std::getenv("QVTOUCH_SCREENSHOT_DIR");
  if (folder == nullptr) GTEST_SKIP() << "QVTOUCH_SCREENSHOT_DIR is not set";
  OpenApplet([folder](SettingsDialog& dialog) {
    for (int page = 0; page < kPageCount; ++page) {
      dialog.ChooseTab(page);
      QTest::qWait(300);  // painted
      const std::string file = std::string(folder) + "/page" + std::to_string(page + 1) + ".png";
      EXPECT_EQ(qvtouch::testing::RunProgram({"import", "-window", "root", file}).ExitStatus, 0);
    }
    dialog.PressInDialog(IDCANCEL);
  });
}

}  // namespace
}  // namespace qvtouch::cpl
