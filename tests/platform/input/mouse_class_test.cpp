#include "platform/input/mouse_class.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <numeric>
#include <thread>

#include "driver/spin_lock.h"
#include "tests/platform/input/fake_pointer_port.h"
#include "tests/platform/input/recording_sink.h"

namespace qvtouch::platform {
namespace {

using testing::FakePointerPort;
using testing::RecordingSink;

// Record number n, different in every field the port fills.
MOUSE_INPUT_DATA Numbered(int n) {
  MOUSE_INPUT_DATA record;
  record.Flags = n % 2 == 0 ? MOUSE_MOVE_ABSOLUTE : MOUSE_MOVE_ABSOLUTE | MOUSE_VIRTUAL_DESKTOP;
  record.ButtonFlags = static_cast<std::uint16_t>(1U << (n % 4));
  record.LastX = n;
  record.LastY = kAbsoluteRange - n;
  return record;
}

// The numbers of the records in the order they arrived, each checked to have arrived whole.
std::vector<int> Numbers(const std::vector<MOUSE_INPUT_DATA>& records) {
  std::vector<int> numbers;
  for (const MOUSE_INPUT_DATA& record : records) {
    const MOUSE_INPUT_DATA sent = Numbered(record.LastX);
    EXPECT_EQ(std::memcmp(&record, &sent, sizeof(sent)), 0) << "record " << record.LastX;
    numbers.push_back(record.LastX);
  }
  return numbers;
}

std::vector<int> FirstNumbers(int count) {
  std::vector<int> numbers(static_cast<std::size_t>(count));
  std::iota(numbers.begin(), numbers.end(), 0);
  return numbers;
}

class MouseClassTest : public ::testing::Test {
 protected:
  void Start(bool gateOpen = true) {
    auto owned = std::make_unique<RecordingSink>(gateOpen);
    sink = owned.get();
    mouseClass = std::make_unique<MouseClass>(std::move(owned));
    ASSERT_EQ(mouseClass->Connect(port), STATUS_SUCCESS);
  }

  FakePointerPort port;
  RecordingSink* sink = nullptr;
  std::unique_ptr<MouseClass> mouseClass;
};

TEST_F(MouseClassTest, QueriesTheAttributesThenConnectsWithItsOwnObject) {
  Start();
  using Major = driver::MajorFunction;
  const std::vector<FakePointerPort::Request> expected{
      {Major::InternalDeviceControl, IOCTL_MOUSE_QUERY_ATTRIBUTES, 0, kMouseAttributesSize},
      {Major::InternalDeviceControl, IOCTL_INTERNAL_MOUSE_CONNECT, sizeof(CONNECT_DATA), 0}};
  EXPECT_EQ(port.Requests, expected);
  EXPECT_EQ(port.Connection.ClassDeviceObject, mouseClass.get());
  EXPECT_NE(port.Connection.ClassService, nullptr);
  // SampleRate stays as the class's zeroed buffer held it.
  EXPECT_EQ(mouseClass->Attributes(), (MouseAttributes{MOUSE_SERIAL_HARDWARE, 2, 0, 12}));
}

TEST_F(MouseClassTest, ReportsTheFailingRequest) {
  port.QueryStatus = STATUS_INVALID_DEVICE_REQUEST;
  MouseClass refused(std::make_unique<RecordingSink>());
  EXPECT_EQ(refused.Connect(port), STATUS_INVALID_DEVICE_REQUEST);
  EXPECT_EQ(port.Requests.size(), 1U);  // no connect after a failed query
  EXPECT_EQ(port.Connection.ClassService, nullptr);

  port.QueryStatus = STATUS_SUCCESS;
  Start();
  MouseClass second(std::make_unique<RecordingSink>());
  EXPECT_EQ(second.Connect(port), STATUS_SHARING_VIOLATION);
  EXPECT_EQ(port.Connection.ClassDeviceObject, mouseClass.get());
}

TEST_F(MouseClassTest, DeliversEveryRecordInOrder) {
  Start();
  for (int n = 0; n < 5; ++n) EXPECT_EQ(port.Send(Numbered(n)), 1U);
  EXPECT_EQ(Numbers(sink->WaitFor(5)), FirstNumbers(5));
  EXPECT_EQ(mouseClass->Dropped(), 0U);
}

// Bursts from several threads, one after another under a spin lock as the driver sends them;
// each burst nearly fills the ring.
TEST_F(MouseClassTest, DeliversManyBurstsFromSeveralThreadsInOrder) {
  Start();
  constexpr int kBursts = 8;
  constexpr int kBurst = static_cast<int>(MouseClass::kQueueLength) - 24;
  driver::SpinLock lock;
  for (int burst = 0; burst < kBursts; ++burst) {
    std::thread producer([&] {
      for (int n = burst * kBurst; n < (burst + 1) * kBurst; ++n) {
        const std::lock_guard guard(lock);
        port.Send(Numbered(n));
      }
    });
    producer.join();
    sink->WaitFor(static_cast<std::size_t>((burst + 1) * kBurst));
  }
  EXPECT_EQ(Numbers(sink->Records()), FirstNumbers(kBursts * kBurst));
  EXPECT_EQ(mouseClass->Dropped(), 0U);
}

TEST_F(MouseClassTest, StopDeliversWhatIsQueued) {
  Start(/*gateOpen=*/false);
  port.Send(Numbered(0));
  ASSERT_TRUE(sink->WaitUntilEntered());
  for (int n = 1; n < 100; ++n) port.Send(Numbered(n));
  sink->OpenGate();
  mouseClass->Stop();
  EXPECT_EQ(Numbers(sink->Records()), FirstNumbers(100));
}

TEST_F(MouseClassTest, AFullRingCountsDropsInsteadOfBlocking) {
  Start(/*gateOpen=*/false);
  port.Send(Numbered(0));
  ASSERT_TRUE(sink->WaitUntilEntered());  // the delivery thread is stuck on record 0

  constexpr int kQueued = static_cast<int>(MouseClass::kQueueLength);
  for (int n = 1; n <= kQueued; ++n) ASSERT_EQ(port.Send(Numbered(n)), 1U);
  for (int n = kQueued + 1; n <= kQueued + 3; ++n) EXPECT_EQ(port.Send(Numbered(n)), 0U);
  EXPECT_EQ(mouseClass->Dropped(), 3U);

  sink->OpenGate();
  mouseClass->Stop();
  EXPECT_EQ(Numbers(sink->Records()), FirstNumbers(kQueued + 1));
}

}  // namespace
}  // namespace qvtouch::platform
