// The seam between the stand-ins and the device nodes they drive (/dev/uinput, an input event
// device, a console): every ioctl and write goes through these calls, so that tests can record
// the sequence against a fake and the machine needs none of the devices.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace qvtouch::platform {

// One opened device node. Each call reports success; on failure errno says why.
class DeviceFile {
 public:
  virtual ~DeviceFile() = default;
  // ioctl(fd, request, value): requests that take an integer or nothing (UI_SET_EVBIT,
  // UI_DEV_CREATE, KIOCSOUND).
  virtual bool Ioctl(unsigned long request, unsigned long value) = 0;
  // ioctl(fd, request, data): requests that read or fill a structure of _IOC_SIZE(request) bytes.
  virtual bool IoctlStruct(unsigned long request, void* data) = 0;
  // write(fd, ...) of all the bytes at once.
  virtual bool Write(std::span<const std::byte> bytes) = 0;
};

class DeviceOpener {
 public:
  virtual ~DeviceOpener() = default;
  // Opens the node for writing (ioctls need no more); null when it cannot be opened.
  virtual std::unique_ptr<DeviceFile> OpenForWriting(const std::string& path) = 0;
};

// The machine's device nodes.
DeviceOpener& SystemDevices();

}  // namespace qvtouch::platform
