// The controller simulator's report stream: valid reports for scripted touches, and faults on
// request, as the touch controller would put them on the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "common/touch_report.h"

namespace qvtouch::sim {

struct Point {
  std::uint16_t X = 0;
  std::uint16_t Y = 0;
  bool operator==(const Point&) const = default;
};

// What goes wrong with one report.
struct Fault {
  enum class Kind : std::uint8_t { None, WrongChecksum, BadStatus, DroppedByte };
  Kind What = Kind::None;
  std::size_t DroppedIndex = 0;    // DroppedByte: the offset of the byte that never arrives
  std::uint8_t StatusByte = 0x80;  // BadStatus: the status byte sent instead
};

// One piece of the session: bytes for the line, or a pause before the next piece.
struct Chunk {
  std::vector<std::uint8_t> Bytes;
  std::uint32_t WaitMilliseconds = 0;
};

class TouchScript {
 public:
  // Single reports.
  TouchScript& Report(TouchStatus status, Point at);
  TouchScript& Press(Point at) { return Report(TouchStatus::Press, at); }
  TouchScript& Hold(Point at, std::size_t count = 1);
  TouchScript& Release(Point at) { return Report(TouchStatus::Release, at); }

  // Whole touches.
  TouchScript& Tap(Point at);  // a press, two holds and a release
  TouchScript& PressHoldRelease(Point at, std::size_t holds);
  // `count` Hold reports spaced evenly along the line, the last one at `to`.
  TouchScript& Move(Point from, Point to, std::size_t count);
  // A press at the first point, Hold reports along each leg, a release at the last point.
  TouchScript& Drag(std::span<const Point> path, std::size_t holdsPerLeg);

  // Faults and raw bytes.
  TouchScript& FaultNextReport(const Fault& fault);
  TouchScript& Noise(std::size_t count, std::uint32_t seed = 1);
  TouchScript& Bytes(std::span<const std::uint8_t> bytes);
  TouchScript& Wait(std::uint32_t milliseconds);

  const std::vector<Chunk>& Chunks() const { return chunks_; }
  // Hands over the pieces made so far; a fault asked for stays pending for the next report.
  std::vector<Chunk> TakeChunks() { return std::exchange(chunks_, {}); }
  // The whole byte stream, pauses left out.
  std::vector<std::uint8_t> Stream() const;

 private:
  std::vector<Chunk> chunks_;
  Fault nextFault_;
};

}  // namespace qvtouch::sim
