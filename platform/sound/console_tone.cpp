#include "platform/sound/console_tone.h"

#include <linux/kd.h>

#include <string>

namespace qvtouch::platform {
namespace {

// The programmable interval timer's input clock, in Hz, which KIOCSOUND divides.
constexpr std::uint32_t kTimerTickRate = 1193180;

class ConsoleTone final : public ToneSink {
 public:
  ConsoleTone(std::unique_ptr<DeviceFile> device, std::string_view path)
      : device_(std::move(device)), path_(path) {}

  // A frequency above the tick rate gives the count 0, which silences: it is inaudible anyway.
  void Sound(std::uint32_t frequency) override {
    device_->Ioctl(KIOCSOUND, frequency == 0 ? 0 : kTimerTickRate / frequency);
  }
  std::string Describe() const override { return "console " + path_; }

 private:
  std::unique_ptr<DeviceFile> device_;
  std::string path_;
};

}  // namespace

std::unique_ptr<ToneSink> OpenConsoleTone(DeviceOpener& devices) {
  for (const std::string_view path : kConsolePaths) {
    std::unique_ptr<DeviceFile> device = devices.OpenForWriting(std::string(path));
    if (device && device->Ioctl(KIOCSOUND, 0)) {
      return std::make_unique<ConsoleTone>(std::move(device), path);
    }
  }
  return nullptr;
}

}  // namespace qvtouch::platform
