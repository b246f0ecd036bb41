// COM port names: the stored paths, the default ttys, and the opener the host kernel calls.
#include "platform/serial/com_ports.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "tests/platform/serial/serial_test_support.h"

namespace qvtouch::platform {
namespace {

// A store holding the given values; it notes every name it is asked for.
struct FakeStore {
  std::map<std::string, std::string> Values;
  std::vector<std::string> Asked;

  PortPathLookup Lookup() {
    return [this](std::string_view name) -> std::optional<std::string> {
      Asked.emplace_back(name);
      const auto found = Values.find(std::string(name));
      if (found == Values.end()) return std::nullopt;
      return found->second;
    };
  }
};

TEST(ComPortNames, DefaultToTheSerialTtys) {
  FakeStore store;
  EXPECT_EQ(TtyPathOfPort("\\??\\COM1", store.Lookup()), "/dev/ttyS0");
  EXPECT_EQ(TtyPathOfPort("\\??\\COM9", store.Lookup()), "/dev/ttyS8");
  EXPECT_EQ(TtyPathOfPort("\\??\\com3", store.Lookup()), "/dev/ttyS2");
  EXPECT_EQ(store.Asked, (std::vector<std::string>{"COM1", "COM9", "COM3"}));
}

TEST(ComPortNames, AStoredPathWinsUnlessItIsEmpty) {
  FakeStore store;
  store.Values = {{"COM3", "/dev/ttyUSB0"}, {"COM4", ""}};
  EXPECT_EQ(TtyPathOfPort("\\??\\COM3", store.Lookup()), "/dev/ttyUSB0");
  EXPECT_EQ(TtyPathOfPort("\\??\\COM4", store.Lookup()), "/dev/ttyS3");
  EXPECT_EQ(TtyPathOfPort("\\??\\COM2", store.Lookup()), "/dev/ttyS1");
}

TEST(ComPortNames, OtherNamesNameNoPort) {
  FakeStore store;
  for (std::string_view name : {"\\??\\COM0", "\\??\\COM10", "\\??\\COM:", "\\??\\COM", "COM1",
                                "\\??\\LPT1", "\\Device\\COM1", ""}) {
    EXPECT_EQ(TtyPathOfPort(name, store.Lookup()), std::nullopt) << name;
  }
  EXPECT_TRUE(store.Asked.empty());
}

TEST(ComPorts, OpenTheMappedTtyOrSayWhyNot) {
  testing::Pty pty;
  testing::TempDir dir;
  const std::string notATty = dir.Path() / "plain-file";
  std::ofstream(notATty) << "not a tty";
  FakeStore store;
  store.Values = {
      {"COM2", pty.SlavePath()}, {"COM5", (dir.Path() / "missing").string()}, {"COM6", notATty}};
  ComPorts ports(store.Lookup());
  const auto open = [&ports](std::string_view name, driver::ReadCompletionSink& sink,
                             NtStatus& status) { return ports.Open(name, sink, status); };

  testing::RecordingSink sink;
  NtStatus status = STATUS_UNSUCCESSFUL;
  std::unique_ptr<driver::SerialPort> port = open("\\??\\COM2", sink, status);
  ASSERT_TRUE(port);
  EXPECT_EQ(status, STATUS_SUCCESS);
  sink.Attach(*port);
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  pty.WriteMaster(std::vector<std::uint8_t>{0x55});
  ASSERT_TRUE(sink.WaitFor(1));
  EXPECT_EQ(sink.Bytes(), std::vector<std::uint8_t>{0x55});

  EXPECT_EQ(open("\\??\\COM10", sink, status), nullptr);
  EXPECT_EQ(status, STATUS_OBJECT_NAME_NOT_FOUND);
  EXPECT_EQ(open("\\??\\COM5", sink, status), nullptr);
  EXPECT_EQ(status, STATUS_OBJECT_NAME_NOT_FOUND);
  EXPECT_EQ(open("\\??\\COM6", sink, status), nullptr);
  EXPECT_EQ(status, STATUS_INVALID_PARAMETER);
}

// A port whose value names another tty moves there when the paths are taken anew: the read
// outstanding fails once, then bytes come from the new line and writes go to it; the old line is
// let go. A port whose value is unchanged stays where it is.
TEST(ComPorts, AnOpenPortMovesToTheTtyItsValueNowNames) {
  testing::Pty first;
  testing::Pty second;
  FakeStore store;
  store.Values = {{"COM1", first.SlavePath()}};
  ComPorts ports(store.Lookup());
  testing::RecordingSink sink;
  NtStatus status = STATUS_UNSUCCESSFUL;
  std::unique_ptr<driver::SerialPort> port = ports.Open("\\??\\COM1", sink, status);
  ASSERT_TRUE(port);
  first.CloseSlave();  // the port's alone
  second.CloseSlave();
  sink.Attach(*port);
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  first.WriteMaster(std::vector<std::uint8_t>{1});
  ASSERT_TRUE(sink.WaitFor(1));
  ports.TakeNewPaths();
  EXPECT_TRUE(first.SlaveOpen()) << "an unchanged value moves nothing";

  store.Values["COM1"] = second.SlavePath();
  ports.TakeNewPaths();
  EXPECT_FALSE(first.SlaveOpen()) << "the old line is let go";
  ASSERT_EQ(port->Write(std::vector<std::uint8_t>{0x42}, driver::RelativeMilliseconds(2000)),
            STATUS_SUCCESS);
  EXPECT_EQ(second.ReadMaster(1), std::vector<std::uint8_t>{0x42});
  second.WriteMaster(std::vector<std::uint8_t>{2});
  ASSERT_TRUE(sink.WaitFor(3));
  EXPECT_EQ(sink.Count(STATUS_IO_DEVICE_ERROR), 1u);
  EXPECT_EQ(sink.Bytes(), (std::vector<std::uint8_t>{1, 2}));
}

}  // namespace
}  // namespace qvtouch::platform
