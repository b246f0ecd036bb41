// The programs as the desktop entry starts them, each a process of its own on the test's X server:
// the driver host qvtouch with its recorder sinks, and the Control Panel host control opening the
// applet library, answered through the X server's keyboard.
#include <csignal>
#include <memory>

#include "common/records.h"
#include "common/request_codes.h"
#include "platform/device/winio.h"
#include "tests/cpl/cpl_test_support.h"
#include "tests/cpl/x_user.h"
#include "tests/support/child_process.h"
#include "tests/support/store_values.h"
#include "tests/support/wait.h"

namespace qvtouch::cpl {
namespace {

using qvtouch::testing::ChildProcess;
using qvtouch::testing::WaitUntil;
using testing::SetParameter;
using testing::StoredParameter;

constexpr const char* kSettingsWindow = "TouchScreen Control Panel";

class InstalledPrograms : public testing::StoreTest {
 protected:
  void SetUp() override {
    const std::string host = R"(Software\QVTouch)";
    qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host, "PointerSink",
                                     "recorder:" + (Root() / "pointer.jsonl").string());
    qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host, "ToneSink",
                                     "recorder:" + (Root() / "tone.jsonl").string());
    // The driver's beep settings with a second pair of its own, as the driver loads them.
    for (const auto& [name, value] : {std::pair{"BeepMode", 1u},
                                      {"BeepFreq1", 3000u},
                                      {"BeepTime1", 100u},
                                      {"BeepTime", 40u},
                                      {"BeepFreq2", 1500u},
                                      {"BeepTime2", 60u}}) {
      SetParameter(name, value);
    }
    driver_ = std::make_unique<ChildProcess>(std::vector<std::string>{QVTOUCH_BINARY});
    ASSERT_TRUE(WaitUntil([this] { return OpenDriver(); })) << "the driver host did not start";
  }

  void TearDown() override {
    if (device_ != INVALID_HANDLE_VALUE) CloseHandle(device_);
    if (!driver_) return;
    driver_->Signal(SIGTERM);
    EXPECT_EQ(driver_->Wait(), 0) << "the driver host stops on SIGTERM";
  }

  bool OpenDriver() {
    device_ = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return device_ != INVALID_HANDLE_VALUE;
  }

  BeepRecord DriverBeep() const {
    std::array<std::uint8_t, BeepRecord::kSize> output{};
    DWORD returned = 0;
    DeviceIoControl(device_, IOCTL_TOUCH_GET_BEEP, nullptr, 0, output.data(), output.size(),
                    &returned, nullptr);
    return BeepRecord::Decode(output);
  }

  std::unique_ptr<ChildProcess> driver_;
  HANDLE device_ = INVALID_HANDLE_VALUE;
  testing::XUser user_;
};

// A new user, whose profile holds no mouse settings yet, opens the settings and presses Enter.
TEST_F(InstalledPrograms, EnterInTheSettingsStoresThemAndTheRunningDriverReloads) {
  ASSERT_EQ(DriverBeep(), (BeepRecord{1, 3000, 40, 1500, 60}));
  ChildProcess control({CONTROL_BINARY, QVTCPL_LIBRARY, "QVTouch Settings"});
  ASSERT_TRUE(WaitUntil([this] { return user_.Sees(kSettingsWindow); }))
      << "the settings dialog did not show";
  EXPECT_FALSE(user_.Sees("Error"));
  EXPECT_TRUE(user_.PressKeyIn(kSettingsWindow, "Return")) << "the default button, OK";
  EXPECT_EQ(control.Wait(), 0);
  for (const auto& [name, value] : {std::pair{"BeepFreq2", 3000u}, {"BeepTime2", 100u}}) {
    EXPECT_EQ(StoredParameter(name), value) << name << " follows the settings' own value";
  }
  EXPECT_EQ(StoredParameter("BeepTime"), 40u) << "the driver's own tone length stays";
  EXPECT_EQ(DriverBeep(), (BeepRecord{1, 3000, 40, 3000, 100})) << "reloaded";
  EXPECT_EQ(testing::StoredMouseBytes("DoubleClickSpeed"), std::string("500\0", 4));
  EXPECT_EQ(testing::StoredMouseBytes("DoubleClickHeight"), std::string("4\0", 2))
      << "the platform's default, below the slider's range, back as it came";
}

TEST_F(InstalledPrograms, EscapeInTheSettingsStoresNothingAndTheRunningDriverStillReloads) {
  ChildProcess control({CONTROL_BINARY, QVTCPL_LIBRARY});
  ASSERT_TRUE(WaitUntil([this] { return user_.Sees(kSettingsWindow); }));
  SetParameter("BeepFreq1", 4000);  // stored while the dialog is open
  EXPECT_TRUE(user_.PressKeyIn(kSettingsWindow, "Escape"));
  EXPECT_EQ(control.Wait(), 0);
  EXPECT_EQ(StoredParameter("BeepFreq2"), 1500u);
  EXPECT_EQ(DriverBeep().BeepFreq1, 4000u) << "reloaded";
}

}  // namespace
}  // namespace qvtouch::cpl
