#include "calib/monitor_shares.h"

#include "common/wrap32.h"

namespace qvtouch::calib {
namespace {

constexpr std::int32_t kWhole = 4096;

// part x 4096 / whole; a whole of 0 (no monitor at all) would divide by zero and gives 0.
std::int32_t Share(std::int32_t part, std::int32_t whole) {
  return whole == 0 ? 0 : WrapDiv(WrapMul(part, kWhole), whole);
}

}  // namespace

MonitorShares SharesOf(const MonitorSizes& sizes) {
  const auto [wp, hp] = sizes.Primary;
  const auto [ws, hs] = sizes.Secondary;
  const std::int32_t width = WrapAdd(wp, ws);
  MonitorShares shares{Share(wp, width), Share(ws, width), kWhole, kWhole};
  if (hp > hs) {
    shares.Svs = Share(hs, hp);
  } else {
    shares.Svp = Share(hp, hs);
  }
  return shares;
}

}  // namespace qvtouch::calib
