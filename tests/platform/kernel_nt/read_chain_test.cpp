#include "platform/kernel_nt/read_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace qvtouch::platform {
namespace {

// A port driver that completes a read at once while bytes are buffered, and otherwise leaves it
// outstanding until Arrive() completes it on the calling thread. Every completion runs the
// handler, which records the byte and asks for the next read; a cancelled read ends the chain.
class TestPort final : public ReadChain {
 public:
  ~TestPort() { WaitUntilIdle(); }

  // Bytes already received when the next read is issued (single-threaded tests only).
  void Buffer(int count) {
    for (int i = 0; i < count; ++i) buffered_.push_back(next_++);
  }
  // Completes the outstanding read with the next byte, or as cancelled; false when no read is
  // outstanding.
  bool Arrive() {
    if (!outstanding_.exchange(false)) return false;
    if (cancelPending_) {
      Complete(std::nullopt);
    } else if (buffered_.empty()) {
      Complete(next_++);
    } else {
      const int byte = buffered_.front();
      buffered_.pop_front();
      Complete(byte);
    }
    return true;
  }

  std::vector<int> Received;
  int CancelledReads = 0;
  // A completion that does not ask for the next read, as one that fails: its owner asks later.
  bool NextReadAsked = true;
  std::function<void()> DuringHandler;
  std::atomic<int> DeepestCall{0};
  std::atomic<int> ReadsIssued{0};

 private:
  NtStatus CallPortDriver() override {
    static thread_local int depth = 0;
    ++depth;
    DeepestCall = std::max(DeepestCall.load(), depth);
    ++ReadsIssued;
    cancelPending_ = false;
    if (buffered_.empty()) {
      EXPECT_FALSE(outstanding_.exchange(true)) << "one read at a time";
    } else {
      const int byte = buffered_.front();
      buffered_.pop_front();
      Complete(byte);
    }
    --depth;
    return STATUS_PENDING;
  }
  void CancelPortRead() override {
    if (outstanding_) cancelPending_ = true;
  }
  void Pause() override { std::this_thread::yield(); }

  void Complete(std::optional<int> byte) {
    Completed([&] {
      if (!byte) {
        ++CancelledReads;
        return;
      }
      Received.push_back(*byte);
      if (DuringHandler) DuringHandler();
      if (NextReadAsked) Read();
    });
  }

  std::deque<int> buffered_;
  int next_ = 0;
  std::atomic<bool> outstanding_{false};
  std::atomic<bool> cancelPending_{false};
};

std::vector<int> FirstNumbers(int count) {
  std::vector<int> numbers(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) numbers[static_cast<std::size_t>(i)] = i;
  return numbers;
}

TEST(ReadChain, ABurstOfBufferedBytesIsReadInALoopNotInNestedCompletions) {
  TestPort port;
  port.Buffer(100000);
  port.Read();
  EXPECT_EQ(port.Received, FirstNumbers(100000));
  EXPECT_EQ(port.DeepestCall, 1);
  EXPECT_EQ(port.ReadsIssued, 100001) << "the last read waits for the next byte";
}

TEST(ReadChain, ALaterCompletionIssuesTheNextReadItself) {
  TestPort port;
  port.Read();
  ASSERT_TRUE(port.Arrive());
  port.Buffer(3);  // received while a read is outstanding: that read and the next two take them
  ASSERT_TRUE(port.Arrive());
  EXPECT_EQ(port.Received, FirstNumbers(4));
  EXPECT_EQ(port.DeepestCall, 1);
}

TEST(ReadChain, CompletionsOnAnotherThreadKeepExactlyOneReadOutstanding) {
  TestPort port;
  constexpr int kBytes = 20000;
  std::thread line([&] {
    int arrived = 0;
    while (arrived < kBytes) {
      if (port.Arrive()) ++arrived;
    }
  });
  port.Read();
  line.join();
  EXPECT_EQ(port.Received, FirstNumbers(kBytes));
}

// After a completion that asked for no next read, as after a failed read, the read that the
// owner asks for later is issued.
TEST(ReadChain, AReadAskedForAfterACompletionThatAskedForNoneIsIssued) {
  TestPort port;
  port.NextReadAsked = false;
  port.Read();
  ASSERT_TRUE(port.Arrive());
  EXPECT_FALSE(port.Arrive()) << "no read outstanding";
  port.NextReadAsked = true;
  port.Read();
  EXPECT_EQ(port.ReadsIssued, 2);
  ASSERT_TRUE(port.Arrive());
  EXPECT_EQ(port.Received, FirstNumbers(2));
}

TEST(ReadChain, ACancelEndsTheChainAtItsNextCompletion) {
  TestPort port;
  port.Read();
  ASSERT_TRUE(port.Arrive());
  port.Cancel();
  ASSERT_TRUE(port.Arrive());
  EXPECT_EQ(port.CancelledReads, 1);
  EXPECT_FALSE(port.Arrive()) << "no read follows the cancelled one";
}

// A cancel that comes while the handler still runs finds no read outstanding: the read issued
// after the handler is cancelled all the same.
TEST(ReadChain, ACancelWhileTheNextReadIsBeingPreparedIsNotLost) {
  TestPort port;
  port.Read();
  port.DuringHandler = [&] {
    port.DuringHandler = nullptr;
    port.Cancel();
  };
  ASSERT_TRUE(port.Arrive());
  ASSERT_TRUE(port.Arrive());
  EXPECT_EQ(port.CancelledReads, 1);
  EXPECT_FALSE(port.Arrive());
}

}  // namespace
}  // namespace qvtouch::platform
