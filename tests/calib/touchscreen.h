// The test's hands on a simulated touch screen: commands to its controller, as the calibration
// program sends them through the driver, and touches at screen pixels.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/sim/command_responder.h"
#include "tools/sim/panel_model.h"

namespace qvtouch::calib::testing {

class Touchscreen {
 public:
  virtual ~Touchscreen() = default;
  // Sends a command; returns the reply, replySize bytes long when the controller answers in full.
  virtual std::vector<std::uint8_t> Command(std::span<const std::uint8_t> bytes,
                                            std::size_t replySize) = 0;
  // Taps the screen pixel and returns the raw point the controller reported.
  virtual sim::Point Touch(std::uint32_t x, std::uint32_t y) = 0;
};

// The panel model and the controller in this process.
class ModelTouchscreen final : public Touchscreen {
 public:
  explicit ModelTouchscreen(const sim::PanelGeometry& geometry, bool refuseAssisted = false)
      : panel_(geometry), controller_(refuseAssisted) {}

  std::vector<std::uint8_t> Command(std::span<const std::uint8_t> bytes, std::size_t) override {
    return controller_.Receive(bytes);
  }
  sim::Point Touch(std::uint32_t x, std::uint32_t y) override {
    return panel_.Reading(x, y, controller_).value();
  }

 private:
  sim::PanelModel panel_;
  sim::CommandResponder controller_;
};

}  // namespace qvtouch::calib::testing
