#include <gtest/gtest.h>

#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "driver/driver_harness.h"
#include "tests/driver/driver_test_support.h"

namespace qvtouch::driver {
namespace {

using testing::Report;

constexpr std::int64_t Seconds(std::int64_t s) { return s * 1000 * kUnitsPerMillisecond; }

const std::string kParameters = std::string(kServiceKeyPath) + "\\Parameters";

IoRequest Internal(std::uint32_t code, std::span<const std::uint8_t> input = {},
                   std::span<std::uint8_t> output = {}) {
  return {MajorFunction::InternalDeviceControl, code, input, output, 0};
}

TEST(DriverEntry, CreatesTheDeviceItsLinkAndTheDeviceMapEntry) {
  DriverHarness harness;
  EXPECT_TRUE(harness.Kernel.Devices.contains("\\device\\pointerport0"));
  EXPECT_EQ(harness.Kernel.Links.at("\\??\\qvtouch"), "\\device\\pointerport0");
  EXPECT_EQ(harness.Kernel.DeviceMap.at("PointerPort\\\\Device\\PointerPort0"), kServiceKeyPath);
  EXPECT_EQ(harness.Context().HoldCount, 0);
  EXPECT_EQ(harness.Context().RightClickDone, 1);
  EXPECT_EQ(harness.Context().PointerEnable, 1u);
}

TEST(DriverEntry, ThePortIsPolledOnceASecondAndConfiguredOnceItAppears) {
  FakeKernel kernel;
  kernel.SetValue(kParameters, "Port", 3);
  kernel.MakePortAvailable("\\??\\COM3", Seconds(5));
  TouchDriver driver(kernel);
  ASSERT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_SUCCESS);

  EXPECT_EQ(kernel.OpenAttempts, std::vector<std::string>(5, "\\??\\COM3"));
  EXPECT_EQ(kernel.Now(), Seconds(5));
  FakeSerialPort* port = kernel.OpenedPort();
  ASSERT_NE(port, nullptr);
  ASSERT_EQ(port->Controls.size(), 3u);
  EXPECT_EQ(port->Controls[0].Code, IOCTL_SERIAL_SET_LINE_CONTROL);
  EXPECT_EQ(port->Controls[0].Input, (std::vector<std::uint8_t>{0, 0, 8}));
  EXPECT_EQ(port->Controls[1].Code, IOCTL_SERIAL_SET_BAUD_RATE);
  EXPECT_EQ(port->Controls[1].Input, testing::U32(9600));
  EXPECT_EQ(port->Controls[2].Code, IOCTL_SERIAL_SET_TIMEOUTS);
  EXPECT_EQ(port->Controls[2].Input, std::vector<std::uint8_t>(20, 0));
  EXPECT_TRUE(port->ReadPending());
  EXPECT_EQ(driver.Context().PointerEnable, 1u);
}

TEST(DriverEntry, APortNumberOutsideOneToNineIsNeverOpenedUntilAReloadCorrectsIt) {
  FakeKernel kernel;
  kernel.SetValue(kParameters, "Port", 12);
  kernel.AnyPortOpens = true;
  TouchDriver driver(kernel);
  int waits = 0;
  kernel.OnBlockingWait = [&] {
    if (++waits < 3) return;
    kernel.OnBlockingWait = nullptr;
    kernel.SetValue(kParameters, "Port", 2);
    IoRequest reload{MajorFunction::DeviceControl, IOCTL_TOUCH_RELOAD_SETTINGS, {}, {}, 0};
    driver.Dispatch(reload);
  };
  ASSERT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_SUCCESS);
  EXPECT_EQ(kernel.OpenAttempts, std::vector<std::string>{"\\??\\COM2"});
}

TEST(DriverEntry, AFailedSettingsLoadFailsTheStartAndLeavesNothing) {
  FakeKernel kernel;
  kernel.QueryStatus = STATUS_ACCESS_DENIED;
  kernel.AnyPortOpens = true;
  TouchDriver driver(kernel);
  EXPECT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_ACCESS_DENIED);
  EXPECT_TRUE(kernel.Devices.empty());
  EXPECT_TRUE(kernel.OpenAttempts.empty());
}

TEST(DriverEntry, AFailedDeviceCreationLeavesNoLinkMapEntryOrThread) {
  FakeKernel kernel;
  kernel.AnyPortOpens = true;
  kernel.CreateDeviceStatus = STATUS_OBJECT_NAME_COLLISION;
  TouchDriver driver(kernel);
  EXPECT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_OBJECT_NAME_COLLISION);
  EXPECT_TRUE(kernel.Links.empty());
  EXPECT_TRUE(kernel.DeviceMap.empty());
  EXPECT_TRUE(kernel.OpenAttempts.empty());
}

TEST(DriverEntry, LaterFailuresUndoTheEarlierSteps) {
  {
    FakeKernel kernel;
    kernel.CreateLinkStatus = STATUS_OBJECT_NAME_COLLISION;
    TouchDriver driver(kernel);
    EXPECT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_OBJECT_NAME_COLLISION);
    EXPECT_TRUE(kernel.Devices.empty());
  }
  {
    FakeKernel kernel;
    kernel.CreateThreadStatus = STATUS_INSUFFICIENT_RESOURCES;
    TouchDriver driver(kernel);
    EXPECT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_TRUE(kernel.Devices.empty());
    EXPECT_TRUE(kernel.Links.empty());
  }
}

TEST(DriverEntry, WithoutMemoryTheStartFailsAndLeavesNothing) {
  {
    FakeKernel kernel;
    kernel.AnyPortOpens = true;
    kernel.PagedMemoryExhausted = true;  // for the copy of the service key path
    TouchDriver driver(kernel);
    EXPECT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_ALLOTTED_SPACE_EXCEEDED);
    EXPECT_TRUE(kernel.Devices.empty());
    EXPECT_TRUE(kernel.OpenAttempts.empty());
  }
  {
    FakeKernel kernel;
    kernel.AnyPortOpens = true;
    kernel.ObjectMemoryExhausted = true;  // for the lock, the events and the tone timer
    TouchDriver driver(kernel);
    EXPECT_EQ(driver.DriverEntry(kServiceKeyPath), STATUS_INSUFFICIENT_RESOURCES);
    EXPECT_TRUE(kernel.Devices.empty());
    EXPECT_TRUE(kernel.OpenAttempts.empty());
  }
}

TEST(ClassConnection, AttributesDescribeATwoButtonSerialMouse) {
  DriverHarness harness;
  std::vector<std::uint8_t> small(8);
  auto request = Internal(IOCTL_MOUSE_QUERY_ATTRIBUTES, {}, small);
  EXPECT_EQ(harness.Driver.Dispatch(request), STATUS_BUFFER_TOO_SMALL);

  std::vector<std::uint8_t> attributes(12, 0xEE);
  request = Internal(IOCTL_MOUSE_QUERY_ATTRIBUTES, {}, attributes);
  EXPECT_EQ(harness.Driver.Dispatch(request), STATUS_SUCCESS);
  EXPECT_EQ(request.Information, 12u);
  EXPECT_EQ(LoadU16(attributes, 0), 4);   // serial hardware
  EXPECT_EQ(LoadU16(attributes, 2), 2);   // buttons
  EXPECT_EQ(LoadU16(attributes, 4), 0) << "the sample rate, and the padding after it";
  EXPECT_EQ(LoadU16(attributes, 6), 0);
  EXPECT_EQ(LoadU32(attributes, 8), 12u);  // queue length
}

TEST(ClassConnection, ConnectsOnceWithAWholeConnectRecord) {
  DriverHarness harness({}, /*connectClass=*/false);
  EXPECT_EQ(harness.ConnectClass(8), STATUS_INVALID_PARAMETER);
  EXPECT_EQ(harness.Context().ClassConnect.ClassService, nullptr);
  EXPECT_EQ(harness.ConnectClass(), STATUS_SUCCESS);
  EXPECT_EQ(harness.ConnectClass(), STATUS_SHARING_VIOLATION);

  auto disconnect = Internal(IOCTL_INTERNAL_MOUSE_DISCONNECT);
  EXPECT_EQ(harness.Driver.Dispatch(disconnect), STATUS_NOT_SUPPORTED);
  auto disable = Internal(IOCTL_INTERNAL_MOUSE_DISABLE);
  EXPECT_EQ(harness.Driver.Dispatch(disable), STATUS_NOT_SUPPORTED);
  auto enable = Internal(IOCTL_INTERNAL_MOUSE_ENABLE);
  EXPECT_EQ(harness.Driver.Dispatch(enable), STATUS_SUCCESS);
  auto other = Internal(0x000F0007);
  EXPECT_EQ(harness.Driver.Dispatch(other), STATUS_INVALID_DEVICE_REQUEST);

  harness.Deliver(Report(TouchStatus::Press, 1, 1));
  EXPECT_EQ(harness.Sent.size(), 2u) << "pointer input keeps flowing after a disconnect";
}

TEST(Unload, StopsTheReadChainAndReleasesEverything) {
  DriverHarness harness;
  ASSERT_NE(harness.Kernel.OpenedPort(), nullptr);
  harness.Driver.Unload();
  EXPECT_EQ(harness.Context().StopReads, kStopAcknowledged);
  EXPECT_EQ(harness.Kernel.OpenedPort(), nullptr) << "the port is released";
  EXPECT_TRUE(harness.Kernel.Devices.empty());
  EXPECT_TRUE(harness.Kernel.Links.empty());
  harness.Driver.Unload();  // a second unload finds nothing to do
}

}  // namespace
}  // namespace qvtouch::driver
