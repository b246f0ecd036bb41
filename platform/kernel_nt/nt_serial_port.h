// A COM port opened as a client of the system's serial port driver: the configuration requests,
// the chain of one-byte reads on one request allocated once, and writes with a time limit.
#pragma once

#include <memory>
#include <span>

#include "driver/kernel.h"
#include "platform/kernel_nt/read_chain.h"
#include "platform/kernel_nt/wdk.h"

namespace qvtouch::platform {

class NtSerialPort final : public driver::SerialPort, private ReadChain {
 public:
  // Opens the port by its device name; null, with the status, when it cannot be opened or its
  // read request cannot be allocated.
  static std::unique_ptr<NtSerialPort> Open(PUNICODE_STRING name,
                                            driver::ReadCompletionSink& completion,
                                            NtStatus& status);
  ~NtSerialPort() override;
  NtSerialPort(const NtSerialPort&) = delete;
  NtSerialPort& operator=(const NtSerialPort&) = delete;

  NtStatus DeviceControl(std::uint32_t code, std::span<const std::uint8_t> input) override;
  NtStatus Read(std::span<std::uint8_t> buffer) override;
  void CancelRead() override { Cancel(); }
  NtStatus Write(std::span<const std::uint8_t> bytes, std::int64_t limit) override;

 private:
  NtSerialPort(driver::ReadCompletionSink& completion, PFILE_OBJECT file, PDEVICE_OBJECT device,
               PIRP readRequest)
      : completion_(completion), file_(file), device_(device), readRequest_(readRequest) {}

  // ReadChain
  NtStatus CallPortDriver() override;
  void CancelPortRead() override { IoCancelIrp(readRequest_); }
  void Pause() override;

  static NTSTATUS NTAPI ReadCompleted(PDEVICE_OBJECT, PIRP irp, PVOID context);

  driver::ReadCompletionSink& completion_;
  PFILE_OBJECT file_;
  PDEVICE_OBJECT device_;
  PIRP readRequest_;
  std::span<std::uint8_t> readBuffer_;
};

}  // namespace qvtouch::platform
