// What one calibration pass yields: a calibration that the driver may try and the store may keep,
// or the refusal of a pass whose XL or YL came out 0.
//
// The driver divides by both spans, so a zero span must reach neither the driver nor the store.
// It comes out of every degenerate four-corner pass (TL and BR share a raw X or a raw Y) and of
// touches that cancel out (all four on one spot, say). Such a pass yields ZeroSpan, which carries
// nothing to send or store: the run shows the targets again. A Calibration exists only with both
// spans non-zero, so whatever takes one (the trial request, StoreCalibration) never sees a zero.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>

#include "common/records.h"

namespace qvtouch::calib {

// The controller's linearity values of the assisted method, 0 to 3072 (3072: no correction). The
// run sends them with the set-parameters command.
struct LinearityValues {
  std::uint16_t X = 0;
  std::uint16_t Y = 0;
  bool operator==(const LinearityValues&) const = default;
};

// The refusal of a pass whose XL or YL came out 0.
struct ZeroSpan {};

class Calibration;
using PassResult = std::variant<Calibration, ZeroSpan>;

class Calibration {
 public:
  // The calibration of a computed block, or ZeroSpan when the block's XL or YL is 0.
  static PassResult Checked(const CalibrationBlock& block,
                            std::optional<LinearityValues> linearity = std::nullopt);

  // The 68-byte block for the driver's trial and for the store.
  const CalibrationBlock& Block() const { return block_; }
  // The assisted method's linearity values; nullopt for the four-corner method, which sends none.
  const std::optional<LinearityValues>& Linearity() const { return linearity_; }

 private:
  Calibration(const CalibrationBlock& block, std::optional<LinearityValues> linearity)
      : block_(block), linearity_(linearity) {}

  CalibrationBlock block_;
  std::optional<LinearityValues> linearity_;
};

}  // namespace qvtouch::calib
