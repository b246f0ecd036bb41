// The calibration program's conversation with the touch controller through the driver's
// pass-through request: entering and leaving the assisted mode and writing the linearity values,
// each with its own number of attempts and waits.
//
// The reply of the enter and leave commands goes to one 3-byte buffer kept across commands, of
// which only byte 1 is looked at. A leave command whose reply never arrives therefore counts as
// accepted when byte 1 still holds '0' from an earlier command; only the leave after a
// confirmation clears it first.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

#include "calib/calibration.h"
#include "calib/run/calibration_device.h"

namespace qvtouch::calib {

// Waits as the run does: a plain sleep of the calling thread (tests count them instead).
using Sleep = std::function<void(std::chrono::milliseconds)>;

class ControllerDialogue {
 public:
  ControllerDialogue(CalibrationDevice& device, Sleep sleep)
      : device_(device), sleep_(std::move(sleep)) {}

  // At start-up: up to five attempts of the enter command, then one read of the parameters.
  // Returns whether the controller accepted the assisted mode.
  bool EnterAtStart();
  // After a rejected trial: up to three attempts of the enter command. Returns whether the
  // controller's last answer accepted the assisted mode.
  bool EnterAgain();
  // After an assisted pass: writes the linearity values, confirming them by reading them back (up
  // to seven attempts), then leaves the assisted mode (up to five attempts).
  void WriteLinearityAndLeave(LinearityValues linearity);
  // On ESC: up to three attempts of the leave command.
  void LeaveOnEscape();
  // On closing: up to five attempts of the leave command.
  void LeaveOnClose();

 private:
  enum class Answer { RequestFailed, Refused, Accepted };
  Answer SendModeCommand(std::span<const std::uint8_t> command);
  bool ReadParameters(std::array<std::uint8_t, 10>& reply);

  CalibrationDevice& device_;
  Sleep sleep_;
  std::array<std::uint8_t, 3> modeReply_{};
};

}  // namespace qvtouch::calib
