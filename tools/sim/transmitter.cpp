#include "tools/sim/transmitter.h"

#include <algorithm>

namespace qvtouch::sim {

void Transmitter::Queue(std::vector<Chunk> chunks, Clock::time_point now) {
  if (Empty()) TakeLine(now);
  for (Chunk& chunk : chunks) chunks_.push_back(std::move(chunk));
  StartPauses(now);
}

void Transmitter::Reply(std::span<const std::uint8_t> bytes, Clock::time_point now) {
  TakeLine(now);
  replies_.insert(replies_.end(), bytes.begin(), bytes.end());
}

// An idle line carries nothing until now: the first new byte starts no earlier.
void Transmitter::TakeLine(Clock::time_point now) {
  lineFree_ = std::max(lineFree_, now);
}

std::span<const std::uint8_t> Transmitter::Due(Clock::time_point now) const {
  const std::optional<Clock::time_point> due = NextDue();
  if (!due || now < *due) return {};
  const std::span<const std::uint8_t> pending =
      !replies_.empty()
          ? std::span<const std::uint8_t>(replies_)
          : std::span<const std::uint8_t>(chunks_.front().Bytes).subspan(sentOfFront_);
  return byteTime_ == Clock::duration::zero() ? pending : pending.first(1);
}

void Transmitter::Sent(std::size_t count, Clock::time_point now) {
  if (count == 0) return;
  // On schedule, or late by less than a byte: keep the line's rhythm; else it starts anew.
  const Clock::time_point due = NextDue().value_or(now);
  const Clock::time_point arrived = now - due < byteTime_ ? due : now;
  lineFree_ = arrived + static_cast<Clock::duration::rep>(count - 1) * byteTime_;
  if (!replies_.empty()) {
    replies_.erase(replies_.begin(), replies_.begin() + static_cast<std::ptrdiff_t>(count));
  } else {
    sentOfFront_ += count;
    StartPauses(now);
  }
}

std::optional<Transmitter::Clock::time_point> Transmitter::NextDue() const {
  if (!replies_.empty()) return lineFree_ + byteTime_;
  if (!chunks_.empty()) return Quiet() + byteTime_;
  return std::nullopt;
}

// Retires the chunks whose bytes have all been written; each one's pause starts once its last byte
// has arrived (or now, for a pause that comes after an idle line).
void Transmitter::StartPauses(Clock::time_point now) {
  while (!chunks_.empty() && sentOfFront_ == chunks_.front().Bytes.size()) {
    const std::chrono::milliseconds pause(chunks_.front().WaitMilliseconds);
    if (pause.count() != 0) streamResume_ = std::max(now, Quiet()) + pause;
    chunks_.pop_front();
    sentOfFront_ = 0;
  }
}

}  // namespace qvtouch::sim
