// A driver host started in this process over a real pty, a real socket and a real store in a
// temporary folder. The test plays the touch controller on the pty's master and the programs
// through the control device; the pointer and tone sinks record to files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/records.h"
#include "common/request_codes.h"
#include "platform/device/winio.h"
#include "platform/kernel_host/driver_host.h"
#include "tests/driver/driver_test_support.h"
#include "tests/support/pty_controller.h"
#include "tests/support/store_values.h"
#include "tests/support/wait.h"

namespace qvtouch::platform::testing {

using driver::testing::CommandInput;
using driver::testing::Report;
using qvtouch::testing::PtyController;
using qvtouch::testing::WaitUntil;

using driver::testing::CommandInput;
using driver::testing::Report;
using qvtouch::testing::PtyController;
using qvtouch::testing::WaitUntil;

// The lines a recorder sink has written so far.
inline std::vector<std::string> RecordedLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Call {
  BOOL Succeeded;
  DWORD Error;
  DWORD Returned;
  std::vector<std::uint8_t> Output;
};

class HostedDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/qvtouch-host-XXXXXX";
    root_ = mkdtemp(folder);
    setenv("QVTOUCH_ROOT", root_.c_str(), 1);
    const std::string host = R"(Software\QVTouch)";
    qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host + R"(\Ports)", "COM1", Line());
    qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host, "PointerSink",
                                     "recorder:" + PointerLog().string());
    qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host, "ToneSink",
                                     "recorder:" + (root_ / "tone.jsonl").string());
  }

  void TearDown() override {
    host_.reset();
    controller_.reset();
    std::filesystem::remove_all(root_);
  }

  std::string Line() const { return (root_ / "ttyCOM1").string(); }
  std::filesystem::path PointerLog() const { return root_ / "pointer.jsonl"; }

  void Plug() { controller_ = std::make_unique<PtyController>(Line()); }

  // Starts the host and waits until its serial link has opened the controller's line.
  void Start() {
    host_ = std::make_unique<DriverHost>();
    device_ = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(device_, INVALID_HANDLE_VALUE);
    if (controller_) {
      ASSERT_TRUE(WaitForSerialLink());
    }
  }

  // Whether the driver's serial link is up: an empty pass-through succeeds only once it is.
  bool WaitForSerialLink() {
    return WaitUntil([this] {
      return Control(IOCTL_TOUCH_PASS_THROUGH, CommandInput({}, 0), 0).Succeeded == TRUE;
    });
  }

  Call Control(std::uint32_t code, std::vector<std::uint8_t> input = {}, DWORD outputLength = 0) {
    Call call{FALSE, 0, 0, std::vector<std::uint8_t>(outputLength)};
    call.Succeeded = DeviceIoControl(device_, code, input.data(), static_cast<DWORD>(input.size()),
                                     call.Output.data(), outputLength, &call.Returned, nullptr);
    call.Error = GetLastError();
    call.Output.resize(call.Returned);
    return call;
  }

  std::filesystem::path root_;
  std::unique_ptr<PtyController> controller_;
  std::unique_ptr<DriverHost> host_;
  HANDLE device_ = INVALID_HANDLE_VALUE;
};



}  // namespace qvtouch::platform::testing
