// A driver started on the fake kernel as the system leaves it: settings loaded from the store,
// the COM port open and the mouse class driver connected. Tests, the replay tool, the benchmarks
// and the fuzzer all drive the driver through it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "common/mouse_input.h"
#include "driver/driver.h"
#include "driver/fake_kernel.h"

namespace qvtouch::driver {

class DriverHarness {
 public:
  // The settings (REG_DWORD values under the Parameters key) that the store holds at start.
  using Settings = std::map<std::string, std::uint32_t>;

  explicit DriverHarness(const Settings& settings = {}, bool connectClass = true);

  // Stores a setting for the driver's next settings load.
  void StoreSetting(const std::string& name, std::uint32_t value);

  // Connects the class driver: records then flow to Sent, or to OnSend when it is set.
  NtStatus ConnectClass(std::uint32_t inputLength = sizeof(CONNECT_DATA));
  std::vector<MOUSE_INPUT_DATA> Sent;
  std::function<void(const MOUSE_INPUT_DATA&)> OnSend;

  // The line: bytes as the controller sends them, and read failures.
  FakeSerialPort& Port() { return *Kernel.OpenedPort(); }
  void Deliver(std::span<const std::uint8_t> bytes) { Port().Deliver(bytes); }
  // Fails the outstanding read and lets time pass until the driver has issued the next one.
  void FailRead(NtStatus status = STATUS_IO_DEVICE_ERROR);

  // A control request as a program sends it, with room for `outputLength` bytes of output.
  struct Reply {
    NtStatus Status;
    std::uint32_t Information;
    std::vector<std::uint8_t> Output;
  };
  Reply Control(std::uint32_t code, std::span<const std::uint8_t> input = {},
                std::size_t outputLength = 0);
  // The driver's state; everything runs on the caller's thread, so it may be read directly.
  const DriverContext& Context() const { return Driver.Context(); }

  FakeKernel Kernel;
  TouchDriver Driver{Kernel};
  std::int64_t StartTime = 0;  // the fake clock once the port is open

 private:
  static void ClassService(void* classDevice, const MOUSE_INPUT_DATA* start,
                           const MOUSE_INPUT_DATA* end, std::uint32_t* consumed);
};

}  // namespace qvtouch::driver
