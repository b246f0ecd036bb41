// What the applet's tests share: a store of their own, its values as the applet stores them, and
// a control device that records what the applet asks of it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/records.h"
#include "driver/kernel.h"
#include "platform/device/control_server.h"
#include "platform/registry/winreg.h"

namespace qvtouch::cpl::testing {

// QVTOUCH_ROOT is a fresh temporary folder for the test's duration.
class StoreTest : public ::testing::Test {
 protected:
  StoreTest();
  ~StoreTest() override;

  const std::filesystem::path& Root() const { return root_; }

 private:
  std::filesystem::path root_;
};

void SetParameter(const std::string& name, DWORD value);
void DeleteParameter(const std::string& name);
// Deletes the driver's settings key, or the user's "Control Panel\Mouse" key, whole.
void DeleteParametersKey();
void DeleteMouseKey();
// The program-files folder, as the platform names it under HKEY_LOCAL_MACHINE.
void SetProgramFilesDir(const std::string& folder);
// A REG_DWORD of the Parameters key; none when absent.
std::optional<DWORD> StoredParameter(const std::string& name);
// Writes text with its terminating zero as REG_SZ under HKEY_CURRENT_USER "Control Panel\Mouse".
void SetMouseText(const std::string& name, const std::string& text);
void DeleteMouseValue(const std::string& name);
// The bytes stored under "Control Panel\Mouse", terminator included; none when absent.
std::optional<std::string> StoredMouseBytes(const std::string& name);

// A device served under a link name that records its device-control requests and answers the
// beep readout and the placement code.
class RecordingDevice final : public driver::DeviceDispatch {
 public:
  explicit RecordingDevice(std::string_view linkName = R"(\??\qvtouch)");
  ~RecordingDevice() override;
  RecordingDevice(const RecordingDevice&) = delete;
  RecordingDevice& operator=(const RecordingDevice&) = delete;

  NtStatus Dispatch(driver::IoRequest& request) override;

  bool Serving() const { return serving_; }

  struct Request {
    std::uint32_t Code;
    std::vector<std::uint8_t> Input;
  };
  std::vector<Request> Requests();
  std::vector<std::uint32_t> Codes();

  // IOCTL_TOUCH_GET_BEEP answers this record; without one it fails.
  void AnswerBeep(std::optional<BeepRecord> record);
  void AnswerScreenPost(std::uint32_t code);

 private:
  std::mutex mutex_;
  std::vector<Request> seen_;
  std::optional<BeepRecord> beep_ = BeepRecord{};
  std::uint32_t screenPost_ = 0;
  platform::ControlDeviceServer server_;  // last: stops before the rest goes
  bool serving_ = false;
};

}  // namespace qvtouch::cpl::testing
