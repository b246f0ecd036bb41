// What the control device tests share: a temporary system root, a fake device whose requests can
// wait on demand, and helpers for raw sockets and for the platform calls.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/little_endian.h"
#include "common/request_codes.h"
#include "driver/driver_harness.h"
#include "driver/kernel.h"
#include "platform/device/control_server.h"
#include "platform/posix/unix_socket.h"
#include "platform/device/winio.h"

namespace qvtouch::platform::testing {

inline constexpr char kDeviceName[] = "\\\\.\\qvtouch";
inline constexpr char kLinkName[] = "\\??\\qvtouch";
// Generous bound for waiting on another thread; never reached when things work.
inline constexpr auto kPatience = std::chrono::seconds(20);

// Fake device requests (device type 0x000F, functions outside the driver's range).
inline constexpr std::uint32_t kEchoCode = TouchRequest(0xA00);    // output = input reversed
inline constexpr std::uint32_t kStatusCode = TouchRequest(0xA01);  // status = the input's u32
inline constexpr std::uint32_t kHoldCode = TouchRequest(0xA02);    // waits until released

// QVTOUCH_ROOT pointing at a fresh folder for the test's lifetime.
class TemporaryRoot {
 public:
  TemporaryRoot();
  ~TemporaryRoot();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::optional<std::string> previous_;
};

// A device that records every request and answers as the kernel interface describes: open and
// close succeed, read and write are not implemented, the codes above behave as noted, others are
// invalid. Unload wakes held requests (STATUS_CANCELLED), refuses new ones with
// STATUS_DELETE_PENDING and returns once none is inside; a cancel wakes the held request it names
// (STATUS_CANCELLED).
class FakeDevice final : public driver::DeviceDispatch {
 public:
  NtStatus Dispatch(driver::IoRequest& request) override;
  void Cancel(driver::IoRequest& request) override;

  struct Seen {
    driver::MajorFunction Major;
    std::uint32_t Code;
    std::vector<std::uint8_t> Input;
    std::size_t OutputLength;
  };
  std::vector<Seen> Requests();
  // Waits until `count` requests are held; false when that does not happen in time.
  bool WaitHeld(int count);
  // Waits until no request is held; false when that does not happen in time.
  bool WaitNoneHeld();
  void ReleaseHeld();
  void Unload();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Seen> seen_;
  std::vector<const driver::IoRequest*> cancelled_;
  int held_ = 0;
  int inside_ = 0;
  bool released_ = false;
  bool unloading_ = false;
};

// A test with its own root and a server serving the fake device under "\??\qvtouch".
class ServedFakeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  TemporaryRoot root_;
  FakeDevice device_;
  ControlDeviceServer server_;
};

// The real driver on the fake kernel, which is single-threaded: every request and every use of
// the harness takes the mutex.
class SerializedDriver final : public driver::DeviceDispatch {
 public:
  NtStatus Dispatch(driver::IoRequest& request) override {
    std::lock_guard guard(Mutex);
    return Harness.Driver.Dispatch(request);
  }
  std::mutex Mutex;
  driver::DriverHarness Harness;
};

// A test with its own root and a server serving the real driver under its own link name.
class ServedDriverTest : public ::testing::Test {
 protected:
  void SetUp() override;
  TemporaryRoot root_;
  SerializedDriver driver_;
  ControlDeviceServer server_;
};

inline std::vector<std::uint8_t> U32Bytes(std::uint32_t value) {
  std::vector<std::uint8_t> bytes(4);
  StoreU32(bytes, 0, value);
  return bytes;
}

// A raw connection to the device's socket, for frames no client would send.
UniqueFd ConnectRaw(std::string_view deviceName = kDeviceName);
bool SendBytes(int socket, std::span<const std::uint8_t> bytes);
// Reads until the peer closes; the bytes read.
std::vector<std::uint8_t> ReadToEnd(int socket);

// The device opened as the programs open it.
HANDLE Open(const char* name = kDeviceName);
// An echo request: true when the output comes back reversed.
bool Echo(HANDLE device, std::vector<std::uint8_t> input);
// A request that waits inside the fake device until it is released.
BOOL Hold(HANDLE device);

// Raises the descriptor limit for a test that holds many connections (each takes two
// descriptors in the test's process: the client's and the server's); false when the hard limit
// is too low.
bool AllowDescriptors(std::size_t wanted);

// qvtouchctl run in the test's process.
struct CtlRun {
  int Exit;
  std::string Out;
  std::string Err;
};
CtlRun Ctl(std::vector<std::string_view> args);

}  // namespace qvtouch::platform::testing
