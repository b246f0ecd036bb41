// The driver's kernel on Linux: real events, timers and threads, an object namespace for devices,
// links and the device map, and the services of the other stand-ins (the settings store, the
// serial ports, the control device's sockets, the speaker), given to it by the driver host.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "driver/kernel.h"

namespace qvtouch::platform {

struct HostServices {
  // Reads REG_DWORD values of an absolute key path ("\Registry\Machine\...").
  std::function<NtStatus(std::string_view keyPath, std::span<const driver::RegistryDwordQuery>)>
      QueryValues;
  // Opens a serial port by its device name ("\??\COM1").
  std::function<std::unique_ptr<driver::SerialPort>(std::string_view portName,
                                                    driver::ReadCompletionSink& completion,
                                                    NtStatus& status)>
      OpenSerialPort;
  // Makes a device reachable by programs under a link name ("\??\qvtouch"), and withdraws it.
  std::function<NtStatus(std::string_view linkName, driver::DeviceDispatch& device)> PublishLink;
  std::function<void(std::string_view linkName)> WithdrawLink;
  // Sounds the speaker at a frequency; 0 silences it.
  std::function<void(std::uint32_t frequency)> MakeBeep;
};

class HostKernel final : public driver::Kernel {
 public:
  explicit HostKernel(HostServices services) : services_(std::move(services)) {}

  // The device behind a device name, for the class driver that found it in the device map.
  driver::DeviceDispatch* FindDevice(std::string_view deviceName);
  // The values of a device map key: value name to data.
  std::map<std::string, std::string> DeviceMapKey(std::string_view key);

  NtStatus QueryRegistryValues(std::string_view keyPath,
                               std::span<const driver::RegistryDwordQuery> entries) override;
  NtStatus WriteDeviceMapValue(std::string_view key, std::string_view valueName,
                               std::string_view data) override;
  void* AllocatePaged(std::size_t bytes) override;
  void FreePaged(void* block) override;
  std::unique_ptr<driver::KernelSpinLock> CreateSpinLock() override;
  std::unique_ptr<driver::KernelEvent> CreateNotificationEvent() override;
  std::unique_ptr<driver::KernelTimer> CreateTimer(std::function<void()> deferredRoutine) override;
  std::unique_ptr<driver::KernelWorkItem> CreateWorkItem(std::function<void()> routine) override;
  std::unique_ptr<driver::SystemThread> CreateSystemThread(std::function<void()> routine,
                                                           NtStatus& status) override;
  NtStatus CreateDevice(std::string_view deviceName, driver::DeviceDispatch& dispatch) override;
  void DeleteDevice(std::string_view deviceName) override;
  NtStatus CreateSymbolicLink(std::string_view linkName, std::string_view deviceName) override;
  void DeleteSymbolicLink(std::string_view linkName) override;
  std::unique_ptr<driver::SerialPort> OpenSerialPort(std::string_view portName,
                                                     driver::ReadCompletionSink& completion,
                                                     NtStatus& status) override;
  void MakeBeep(std::uint32_t frequency) override;

 private:
  HostServices services_;
  std::mutex mutex_;  // guards the namespace below
  std::map<std::string, driver::DeviceDispatch*> devices_;  // by lower-cased name
  std::map<std::string, std::string> links_;  // lower-cased link name to the name as published
  std::map<std::string, std::map<std::string, std::string>> deviceMap_;
};

}  // namespace qvtouch::platform
