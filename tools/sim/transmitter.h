// What the simulated controller puts on its line, and when: the script's byte stream, paced at the
// line's rate and with the script's pauses, and the replies to commands, which go out ahead of the
// stream as soon as the line is free (the calibration program takes every byte that follows its
// command as the reply). Paced, a byte is due when its last bit would arrive at the other end, so
// that a reply, too, takes a byte's time to start arriving. Only bookkeeping on the times it is
// given; the caller writes the bytes.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "tools/sim/touch_script.h"

namespace qvtouch::sim {

class Transmitter {
 public:
  using Clock = std::chrono::steady_clock;

  // byteTime: how long one byte occupies the line; zero sends bytes as fast as the line takes them.
  explicit Transmitter(Clock::duration byteTime) : byteTime_(byteTime) {}

  void Queue(std::vector<Chunk> chunks, Clock::time_point now);
  void Reply(std::span<const std::uint8_t> bytes, Clock::time_point now);

  // The bytes that may be written at now: paced, at most one; unpaced, up to the next pause.
  std::span<const std::uint8_t> Due(Clock::time_point now) const;
  // Takes note that the first count bytes of what Due returned were written at now.
  void Sent(std::size_t count, Clock::time_point now);

  // When Due next has bytes; nullopt while nothing is queued.
  std::optional<Clock::time_point> NextDue() const;
  // When everything queued so far has left the line and the last pause is over.
  Clock::time_point Quiet() const { return std::max(lineFree_, streamResume_); }
  bool Empty() const { return replies_.empty() && chunks_.empty(); }

 private:
  void StartPauses(Clock::time_point now);
  void TakeLine(Clock::time_point now);

  const Clock::duration byteTime_;
  std::vector<std::uint8_t> replies_;
  std::deque<Chunk> chunks_;
  std::size_t sentOfFront_ = 0;     // bytes of chunks_.front() already written
  Clock::time_point lineFree_;      // when the last byte written has arrived
  Clock::time_point streamResume_;  // when the current pause of the stream ends
};

}  // namespace qvtouch::sim
