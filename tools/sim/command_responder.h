// The controller's side of its command set: it takes the bytes written to it and answers the
// commands to enter and leave the assisted mode and to set and read the linearity parameters.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/controller_commands.h"

namespace qvtouch::sim {

class CommandResponder {
 public:
  explicit CommandResponder(bool refuseAssistedMode = false)
      : refuseAssistedMode_(refuseAssistedMode) {}

  // Takes bytes as they arrive (a command may come in pieces) and returns the reply bytes of every
  // command they complete. Bytes outside a command are ignored.
  std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes);

  bool AssistedMode() const { return assistedMode_; }
  std::uint16_t LinearityX() const { return linearityX_; }
  std::uint16_t LinearityY() const { return linearityY_; }

 private:
  void Execute(std::vector<std::uint8_t>& reply);

  bool refuseAssistedMode_;
  bool assistedMode_ = false;
  std::uint16_t linearityX_ = kNoLinearityCorrection;
  std::uint16_t linearityY_ = kNoLinearityCorrection;
  std::vector<std::uint8_t> command_;  // the command being received, from its SOH
};

}  // namespace qvtouch::sim
