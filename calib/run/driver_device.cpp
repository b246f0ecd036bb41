// The calibration program's requests through the driver's control device.
#include <algorithm>

#include "calib/run/calibration_device.h"
#include "common/little_endian.h"
#include "common/request_codes.h"
#include "platform/device/winio.h"

namespace qvtouch::calib {
namespace {

// The program's own mark in every command record; the driver does not read it.
constexpr std::uint32_t kCommandMark = 0xE2D2;

class DriverDevice final : public CalibrationDevice {
 public:
  explicit DriverDevice(HANDLE handle) : handle_(handle) {}
  ~DriverDevice() override { CloseHandle(handle_); }
  DriverDevice(const DriverDevice&) = delete;
  DriverDevice& operator=(const DriverDevice&) = delete;

  std::optional<std::int32_t> GetScreenPost() override {
    std::array<std::uint8_t, 4> post{};
    if (!Control(IOCTL_TOUCH_GET_SCREEN_POST, {}, post)) return std::nullopt;
    return LoadS32(post, 0);
  }

  void ArmCapture() override { Control(IOCTL_TOUCH_ARM_CAPTURE, {}, {}); }

  bool GetCapture(CaptureReading& reading) override {
    std::array<std::uint8_t, 12> output{};
    StoreS32(output, 0, reading.State);
    StoreS32(output, 4, reading.RawX);
    StoreS32(output, 8, reading.RawY);
    if (!Control(IOCTL_TOUCH_GET_CAPTURE, {}, output)) return false;
    reading = {LoadS32(output, 0), LoadS32(output, 4), LoadS32(output, 8)};
    return true;
  }

  void SetCalibration(const CalibrationBlock& block) override {
    const auto input = block.Encode();
    Control(IOCTL_TOUCH_SET_CALIBRATION, input, {});
  }

  void ReloadSettings() override { Control(IOCTL_TOUCH_RELOAD_SETTINGS, {}, {}); }

  bool PassThrough(std::span<const std::uint8_t> command, std::span<std::uint8_t> reply,
                   std::uint32_t& returned) override {
    CommandRecord record;
    const std::size_t count = std::min(command.size(), record.CommandBytes.size());
    std::copy_n(command.begin(), count, record.CommandBytes.begin());
    record.SendCount = static_cast<std::uint32_t>(count);
    record.ReplyCount = static_cast<std::uint32_t>(reply.size());
    record.CallerWord1 = kCommandMark;
    const auto input = record.Encode();
    DWORD bytes = 0;
    const bool succeeded = Control(IOCTL_TOUCH_PASS_THROUGH, input, reply, &bytes);
    returned = bytes;
    return succeeded;
  }

 private:
  bool Control(std::uint32_t code, std::span<const std::uint8_t> input,
               std::span<std::uint8_t> output, DWORD* returned = nullptr) {
    DWORD bytes = 0;
    const BOOL succeeded = DeviceIoControl(handle_, code, const_cast<std::uint8_t*>(input.data()),
                                           static_cast<DWORD>(input.size()), output.data(),
                                           static_cast<DWORD>(output.size()), &bytes, nullptr);
    if (returned != nullptr) *returned = bytes;
    return succeeded == TRUE;
  }

  HANDLE handle_;
};

}  // namespace

std::unique_ptr<CalibrationDevice> OpenDriverDevice() {
  HANDLE handle = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<DriverDevice>(handle);
}

}  // namespace qvtouch::calib
