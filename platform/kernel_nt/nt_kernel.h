// The driver's kernel on the platform itself: ntoskrnl and the HAL behind the kernel interface.
// One NtKernel serves one loaded driver image; it creates the driver's one device and routes the
// requests sent to it to the driver's dispatch routine.
#pragma once

#include "driver/kernel.h"
#include "platform/kernel_nt/wdk.h"

namespace qvtouch::platform {

class NtKernel final : public driver::Kernel {
 public:
  // Sets the image's dispatch routines for the requests the device serves; every other request
  // keeps the platform's default (invalid request).
  explicit NtKernel(DRIVER_OBJECT& driverObject);

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

  // The driver makes one device; DeleteDevice deletes it.
  NtStatus CreateDevice(std::string_view deviceName, driver::DeviceDispatch& dispatch) override;
  void DeleteDevice(std::string_view deviceName) override;
  NtStatus CreateSymbolicLink(std::string_view linkName, std::string_view deviceName) override;
  void DeleteSymbolicLink(std::string_view linkName) override;

  std::unique_ptr<driver::SerialPort> OpenSerialPort(std::string_view portName,
                                                     driver::ReadCompletionSink& completion,
                                                     NtStatus& status) override;

  void MakeBeep(std::uint32_t frequency) override { HalMakeBeep(frequency); }

 private:
  static NTSTATUS NTAPI DispatchRequest(PDEVICE_OBJECT device, PIRP irp);

  DRIVER_OBJECT& driverObject_;
  PDEVICE_OBJECT device_ = nullptr;
};

}  // namespace qvtouch::platform
