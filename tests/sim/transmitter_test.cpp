// The simulator's line schedule, on given times: pacing, pauses and replies ahead of the stream.
#include "tools/sim/transmitter.h"

#include <gtest/gtest.h>

#include "tools/sim/controller_line.h"

namespace qvtouch::sim {
namespace {

using Clock = Transmitter::Clock;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

const Clock::time_point kStart{std::chrono::seconds(100)};
constexpr auto kByte = kLineByteTime;

// Sends, each at its due time, until nothing more is queued; returns the bytes in order.
Bytes SendAll(Transmitter& line) {
  Bytes sent;
  while (const auto due = line.NextDue()) {
    const std::span<const std::uint8_t> bytes = line.Due(*due);
    sent.insert(sent.end(), bytes.begin(), bytes.end());
    line.Sent(bytes.size(), *due);
  }
  return sent;
}

TEST(Transmitter, PacesEachByteToArriveAtTheLinesRate) {
  Transmitter line(kByte);
  line.Queue({Chunk{Bytes(10, 0x55), 0}}, kStart);
  EXPECT_TRUE(line.Due(kStart).empty()) << "the first byte takes its time too";
  EXPECT_EQ(line.NextDue(), kStart + kByte);
  EXPECT_EQ(line.Due(kStart + kByte).size(), 1u);
  line.Sent(1, kStart + kByte);
  EXPECT_TRUE(line.Due(kStart + kByte).empty());
  EXPECT_EQ(line.NextDue(), kStart + 2 * kByte);

  EXPECT_EQ(SendAll(line), Bytes(9, 0x55));
  // A 10-byte report occupies 9600-8-N-1 for about 10.4 ms.
  EXPECT_EQ(line.Quiet() - kStart, 10 * kByte);
  EXPECT_GT(line.Quiet() - kStart, std::chrono::microseconds(10'400));
  EXPECT_LT(line.Quiet() - kStart, std::chrono::microseconds(10'450));
  EXPECT_TRUE(line.Empty());
  EXPECT_EQ(line.NextDue(), std::nullopt);
}

TEST(Transmitter, APauseStartsWhenTheLastByteHasArrived) {
  Transmitter line(kByte);
  line.Queue({Chunk{{1, 2}, 50}, Chunk{{3}, 0}}, kStart);
  EXPECT_EQ(SendAll(line).size(), 3u);
  EXPECT_EQ(line.Quiet(), kStart + 2 * kByte + milliseconds(50) + kByte);

  // Pauses queued after an idle line count from when they are queued, one after the other.
  Transmitter idle(kByte);
  idle.Queue({Chunk{{}, 20}, Chunk{{}, 30}, Chunk{{9}, 0}}, kStart);
  EXPECT_EQ(idle.NextDue(), kStart + milliseconds(50) + kByte);
}

TEST(Transmitter, RepliesGoOutAheadOfTheStreamAndThroughAPause) {
  Transmitter line(kByte);
  line.Queue({Chunk{{1, 2, 3}, 1000}, Chunk{{4}, 0}}, kStart);
  line.Sent(1, kStart + kByte);
  const Clock::time_point commandRead = kStart + kByte + milliseconds(1);
  line.Reply(Bytes{0x01, '0', 0x0D}, commandRead);
  EXPECT_EQ(line.NextDue(), commandRead + kByte) << "as soon as a byte can arrive";
  EXPECT_EQ(SendAll(line), (Bytes{0x01, '0', 0x0D, 2, 3, 4}));

  Transmitter pausing(kByte);
  pausing.Queue({Chunk{{1}, 1000}, Chunk{{2}, 0}}, kStart);
  pausing.Sent(1, kStart + kByte);
  const Clock::time_point inThePause = kStart + milliseconds(10);
  pausing.Reply(Bytes{0x01}, inThePause);
  EXPECT_EQ(pausing.Due(inThePause + kByte).size(), 1u);
  pausing.Sent(1, inThePause + kByte);
  EXPECT_EQ(pausing.NextDue(), kStart + kByte + milliseconds(1000) + kByte) << "the pause holds";
}

TEST(Transmitter, UnpacedSendsUpToThePauseAndKeepsWhatTheLineDidNotTake) {
  Transmitter line(Clock::duration::zero());
  line.Queue({Chunk{{1, 2, 3, 4}, 10}, Chunk{{5}, 0}}, kStart);
  EXPECT_EQ(line.Due(kStart).size(), 4u);
  line.Sent(3, kStart);
  ASSERT_EQ(line.Due(kStart).size(), 1u);
  EXPECT_EQ(line.Due(kStart)[0], 4);
  line.Sent(1, kStart);
  EXPECT_EQ(line.NextDue(), kStart + milliseconds(10));
}

TEST(Transmitter, ALateByteStartsTheRhythmAnew) {
  Transmitter line(kByte);
  line.Queue({Chunk{{1, 2, 3}, 0}}, kStart);
  line.Sent(1, kStart + kByte);
  const Clock::time_point late = kStart + milliseconds(20);
  line.Sent(1, late);
  EXPECT_EQ(line.NextDue(), late + kByte);
  // Late by less than a byte keeps the rhythm.
  line.Sent(1, late + kByte + kByte / 2);
  EXPECT_EQ(line.Quiet(), late + kByte);
}

}  // namespace
}  // namespace qvtouch::sim
