#include "platform/input/device_file.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qvtouch::platform {
namespace {

class PosixDeviceFile final : public DeviceFile {
 public:
  explicit PosixDeviceFile(int fd) : fd_(fd) {}
  ~PosixDeviceFile() override { ::close(fd_); }
  PosixDeviceFile(const PosixDeviceFile&) = delete;
  PosixDeviceFile& operator=(const PosixDeviceFile&) = delete;

  bool Ioctl(unsigned long request, unsigned long value) override {
    return ::ioctl(fd_, request, value) != -1;
  }
  bool IoctlStruct(unsigned long request, void* data) override {
    return ::ioctl(fd_, request, data) != -1;
  }
  bool Write(std::span<const std::byte> bytes) override {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    return written == static_cast<ssize_t>(bytes.size());
  }

 private:
  int fd_;
};

class PosixDevices final : public DeviceOpener {
 public:
  std::unique_ptr<DeviceFile> OpenForWriting(const std::string& path) override {
    // Non-blocking and never the controlling terminal: the host only sends requests and events.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd == -1) return nullptr;
    return std::make_unique<PosixDeviceFile>(fd);
  }
};

}  // namespace

DeviceOpener& SystemDevices() {
  static PosixDevices devices;
  return devices;
}

}  // namespace qvtouch::platform
