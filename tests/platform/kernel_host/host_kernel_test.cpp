#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "driver/driver.h"
#include "platform/kernel_host/host_event.h"
#include "platform/kernel_host/host_kernel.h"
#include "platform/kernel_host/host_timer.h"

namespace qvtouch::platform {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t Ms(std::int64_t milliseconds) { return driver::RelativeMilliseconds(milliseconds); }

TEST(HostEvent, WaitsUntilSetAndStaysSignalledUntilCleared) {
  HostEvent event;
  EXPECT_EQ(event.Wait(Ms(1)), STATUS_TIMEOUT);
  std::thread setter([&event] {
    std::this_thread::sleep_for(5ms);
    event.Set();
  });
  EXPECT_EQ(event.Wait(std::nullopt), STATUS_SUCCESS);
  setter.join();
  EXPECT_EQ(event.Wait(Ms(1)), STATUS_SUCCESS) << "a notification event stays signalled";
  event.Clear();
  EXPECT_EQ(event.Wait(0), STATUS_TIMEOUT);
}

TEST(HostTimer, RunsItsRoutineOnceAfterTheLatestDueTime) {
  std::promise<void> fired;
  std::atomic<int> runs = 0;
  HostTimer timer([&] {
    if (++runs == 1) fired.set_value();
  });
  EXPECT_FALSE(timer.Set(Ms(60'000)));
  EXPECT_TRUE(timer.Set(Ms(1))) << "re-arming replaces the earlier due time";
  EXPECT_EQ(fired.get_future().wait_for(10s), std::future_status::ready);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(timer.Cancel());
}

TEST(HostTimer, ACancelledTimerDoesNotRun) {
  std::atomic<bool> ran = false;
  HostTimer timer([&] { ran = true; });
  timer.Set(Ms(30));
  EXPECT_TRUE(timer.Cancel());
  std::this_thread::sleep_for(60ms);
  EXPECT_FALSE(ran);
}

TEST(HostTimer, SetWaitsForARoutineThatIsRunning) {
  std::promise<void> entered;
  std::atomic<bool> release = false;
  std::atomic<bool> finished = false;
  HostTimer timer([&] {
    entered.set_value();
    while (!release) std::this_thread::yield();
    finished = true;
  });
  timer.Set(Ms(0));
  entered.get_future().wait();
  std::thread releaser([&] {
    std::this_thread::sleep_for(10ms);
    release = true;
  });
  timer.Set(Ms(60'000));
  EXPECT_TRUE(finished) << "no earlier expiry can act once Set has returned";
  releaser.join();
}

// A device that answers every request with success.
class NullDevice final : public driver::DeviceDispatch {
 public:
  NtStatus Dispatch(driver::IoRequest&) override { return STATUS_SUCCESS; }
};

HostServices RecordingServices(std::vector<std::string>& published) {
  HostServices services;
  services.PublishLink = [&published](std::string_view link, driver::DeviceDispatch&) {
    published.emplace_back(link);
    return STATUS_SUCCESS;
  };
  services.WithdrawLink = [&published](std::string_view link) {
    std::erase(published, std::string(link));
  };
  return services;
}

TEST(HostKernel, NamesDevicesLinksAndTheDeviceMapWithoutRegardToCase) {
  std::vector<std::string> published;
  HostKernel kernel(RecordingServices(published));
  NullDevice device;
  ASSERT_EQ(kernel.CreateDevice("\\Device\\PointerPort0", device), STATUS_SUCCESS);
  EXPECT_EQ(kernel.CreateDevice("\\device\\pointerport0", device), STATUS_OBJECT_NAME_COLLISION);
  EXPECT_EQ(kernel.FindDevice("\\DEVICE\\POINTERPORT0"), &device);
  EXPECT_EQ(kernel.CreateSymbolicLink("\\??\\qvtouch", "\\Device\\Nothing"),
            STATUS_OBJECT_NAME_NOT_FOUND);
  ASSERT_EQ(kernel.CreateSymbolicLink("\\??\\qvtouch", "\\Device\\PointerPort0"), STATUS_SUCCESS);
  EXPECT_EQ(published, std::vector<std::string>{"\\??\\qvtouch"});
  kernel.WriteDeviceMapValue("PointerPort", "\\Device\\PointerPort0", "path");
  EXPECT_EQ(kernel.DeviceMapKey("pointerport").at("\\Device\\PointerPort0"), "path");
  kernel.DeleteSymbolicLink("\\??\\QVTOUCH");
  EXPECT_TRUE(published.empty());
  kernel.DeleteDevice("\\Device\\PointerPort0");
  EXPECT_EQ(kernel.FindDevice("\\Device\\PointerPort0"), nullptr);
}

}  // namespace
}  // namespace qvtouch::platform
