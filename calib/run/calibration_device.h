// The driver requests of the calibration program, behind an interface so that the run can be
// exercised against a scripted device.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "common/records.h"

namespace qvtouch::calib {

// What IOCTL_TOUCH_GET_CAPTURE returns: the capture state and the latest raw point.
struct CaptureReading {
  std::int32_t State = 0;
  std::int32_t RawX = 0;
  std::int32_t RawY = 0;
};

class CalibrationDevice {
 public:
  virtual ~CalibrationDevice() = default;
  // The driver's screen placement; nullopt when the request fails.
  virtual std::optional<std::int32_t> GetScreenPost() = 0;
  virtual void ArmCapture() = 0;
  // Reads the capture into reading; false when the request fails, which leaves reading as it was.
  virtual bool GetCapture(CaptureReading& reading) = 0;
  virtual void SetCalibration(const CalibrationBlock& block) = 0;
  virtual void ReloadSettings() = 0;
  // Sends the command bytes to the controller and waits for reply.size() reply bytes. False when
  // the request fails; otherwise `returned` is the number of reply bytes that came, which may be
  // fewer than asked for (the reply timed out).
  virtual bool PassThrough(std::span<const std::uint8_t> command, std::span<std::uint8_t> reply,
                           std::uint32_t& returned) = 0;
};

// The driver's control device "\\.\qvtouch"; null when it cannot be opened.
std::unique_ptr<CalibrationDevice> OpenDriverDevice();

}  // namespace qvtouch::calib
