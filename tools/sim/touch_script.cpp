#include "tools/sim/touch_script.h"

#include <random>

namespace qvtouch::sim {

TouchScript& TouchScript::Report(TouchStatus status, Point at) {
  TouchReport report;
  report.Status = static_cast<std::uint8_t>(status);
  report.RawX = at.X;
  report.RawY = at.Y;
  ReportBytes bytes = report.Encode();

  const Fault fault = nextFault_;
  nextFault_ = {};
  std::vector<std::uint8_t> wire(bytes.begin(), bytes.end());
  switch (fault.What) {
    case Fault::Kind::None:
      break;
    case Fault::Kind::WrongChecksum:
      ++wire[kReportChecksumOffset];
      break;
    case Fault::Kind::BadStatus:
      wire[kReportStatusOffset] = fault.StatusByte;
      report.Status = fault.StatusByte;
      wire[kReportChecksumOffset] = report.Checksum();
      break;
    case Fault::Kind::DroppedByte:
      if (fault.DroppedIndex < wire.size()) {
        wire.erase(wire.begin() + static_cast<std::ptrdiff_t>(fault.DroppedIndex));
      }
      break;
  }
  chunks_.push_back({std::move(wire), 0});
  return *this;
}

TouchScript& TouchScript::Hold(Point at, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) Report(TouchStatus::Hold, at);
  return *this;
}

TouchScript& TouchScript::Tap(Point at) {
  return PressHoldRelease(at, 2);
}

TouchScript& TouchScript::PressHoldRelease(Point at, std::size_t holds) {
  return Press(at).Hold(at, holds).Release(at);
}

TouchScript& TouchScript::Move(Point from, Point to, std::size_t count) {
  const auto along = [count](std::uint16_t a, std::uint16_t b, std::size_t step) {
    const auto offset = (static_cast<std::int64_t>(b) - a) * static_cast<std::int64_t>(step) /
                        static_cast<std::int64_t>(count);
    return static_cast<std::uint16_t>(a + offset);
  };
  for (std::size_t step = 1; step <= count; ++step) {
    Report(TouchStatus::Hold, {along(from.X, to.X, step), along(from.Y, to.Y, step)});
  }
  return *this;
}

TouchScript& TouchScript::Drag(std::span<const Point> path, std::size_t holdsPerLeg) {
  if (path.empty()) return *this;
  Press(path.front());
  for (std::size_t leg = 1; leg < path.size(); ++leg) Move(path[leg - 1], path[leg], holdsPerLeg);
  return Release(path.back());
}

TouchScript& TouchScript::FaultNextReport(const Fault& fault) {
  nextFault_ = fault;
  return *this;
}

// Line noise: random bytes that never contain the first sync byte, so they cannot start a report.
TouchScript& TouchScript::Noise(std::size_t count, std::uint32_t seed) {
  std::minstd_rand random(seed);
  std::vector<std::uint8_t> noise(count);
  for (std::uint8_t& byte : noise) {
    do {
      byte = static_cast<std::uint8_t>(random() >> 8);
    } while (byte == kReportSync1);
  }
  chunks_.push_back({std::move(noise), 0});
  return *this;
}

TouchScript& TouchScript::Bytes(std::span<const std::uint8_t> bytes) {
  chunks_.push_back({{bytes.begin(), bytes.end()}, 0});
  return *this;
}

TouchScript& TouchScript::Wait(std::uint32_t milliseconds) {
  chunks_.push_back({{}, milliseconds});
  return *this;
}

std::vector<std::uint8_t> TouchScript::Stream() const {
  std::vector<std::uint8_t> stream;
  for (const Chunk& chunk : chunks_)
    stream.insert(stream.end(), chunk.Bytes.begin(), chunk.Bytes.end());
  return stream;
}

}  // namespace qvtouch::sim
