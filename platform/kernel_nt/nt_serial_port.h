// A COM port opened as a client of the system's serial port driver: the configuration requests,
// the chain of one-byte reads on one request allocated once, and writes with a time limit. Every
// request carries the port's file object and gives its buffer as the port driver takes buffers
// (buffered, or directly through an MDL, or neither).
#pragma once

#include <memory>
#include <span>

#include "driver/kernel.h"
#include "platform/kernel_nt/read_chain.h"
#include "platform/kernel_nt/wdk.h"

namespace qvtouch::platform {

class NtSerialPort final : public driver::SerialPort, private ReadChain {
 public:
  // Opens the port by its device name for the driver's own device `owner`; null, with the status,
  // when it cannot be opened or its read request cannot be allocated.
  static std::unique_ptr<NtSerialPort> Open(PUNICODE_STRING name, PDEVICE_OBJECT owner,
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
  NtSerialPort(driver::ReadCompletionSink& completion, PDEVICE_OBJECT owner, PFILE_OBJECT file,
               PDEVICE_OBJECT device, PIRP readRequest)
      : completion_(completion),
        owner_(owner),
        file_(file),
        device_(device),
        readRequest_(readRequest) {}

  // ReadChain
  NtStatus CallPortDriver() override;
  void CancelPortRead() override { IoCancelIrp(readRequest_); }
  void Pause() override;

  bool TransfersDirectly() const { return (device_->Flags & DO_DIRECT_IO) != 0; }
  // Sets the request up for the port: a read or write of `buffer`, described by `mdl` where the
  // port transfers directly.
  NTSTATUS Prepare(PIRP irp, UCHAR major, std::span<std::uint8_t> buffer, PMDL mdl,
                   PIO_COMPLETION_ROUTINE completed, PVOID context);
  static NTSTATUS NTAPI ReadCompleted(PDEVICE_OBJECT, PIRP irp, PVOID context);
  static NTSTATUS NTAPI WriteCompleted(PDEVICE_OBJECT, PIRP irp, PVOID context);

  driver::ReadCompletionSink& completion_;
  // The driver's own device: while a completion routine of the driver runs, the kernel holds it,
  // and with it the driver's image.
  PDEVICE_OBJECT owner_;
  PFILE_OBJECT file_;
  PDEVICE_OBJECT device_;
  PIRP readRequest_;
  std::span<std::uint8_t> readBuffer_;
  PMDL readMdl_ = nullptr;  // describes readBuffer_ for a port that transfers directly
};

}  // namespace qvtouch::platform
