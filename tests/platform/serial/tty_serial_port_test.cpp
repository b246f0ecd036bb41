// The serial port on real ptys: configuration, the read chain, cancelling, writes with a limit,
// and a line that goes away and comes back.
#include "platform/serial/tty_serial_port.h"

#include <gtest/gtest.h>

#include <numeric>

#include "common/little_endian.h"
#include "common/request_codes.h"
#include "tests/platform/serial/serial_test_support.h"

namespace qvtouch::platform {
namespace {

using testing::Completion;
using testing::ConfigureAsTheDriver;
using testing::Pty;
using testing::RecordingSink;

std::unique_ptr<TtySerialPort> OpenPort(const std::string& path, RecordingSink& sink) {
  NtStatus status = STATUS_UNSUCCESSFUL;
  auto port = TtySerialPort::Open(path, sink, status);
  EXPECT_EQ(status, STATUS_SUCCESS) << path;
  if (port) sink.Attach(*port);
  return port;
}

std::vector<std::uint8_t> U32(std::uint32_t value) {
  std::vector<std::uint8_t> bytes(4);
  StoreU32(bytes, 0, value);
  return bytes;
}

// --- Configuration -------------------------------------------------------------------------------

TEST(TtySerialPortConfiguration, OpensRawAndTheRequestsLandInTermios) {
  Pty pty;
  RecordingSink sink;
  auto port = OpenPort(pty.SlavePath(), sink);
  ASSERT_TRUE(port);
  termios opened = pty.Attributes();
  EXPECT_EQ(opened.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw from the open on";

  ConfigureAsTheDriver(*port);
  const termios t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 1);
  EXPECT_EQ(t.c_cc[VTIME], 0);

  EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_BAUD_RATE, U32(19200)), STATUS_SUCCESS);
  const std::array<std::uint8_t, 3> twoOddSeven{2, 1, 7};
  EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_LINE_CONTROL, twoOddSeven), STATUS_SUCCESS);
  // A pty always keeps 8 data bits and no parity check; the rest of the request lands.
  const termios changed = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&changed), static_cast<speed_t>(B19200));
  EXPECT_EQ(changed.c_cflag & (CSTOPB | PARODD), static_cast<tcflag_t>(CSTOPB | PARODD));
}

TEST(TtySerialPortConfiguration, RefusesBadRequestsAndChangesNothing) {
  Pty pty;
  RecordingSink sink;
  auto port = OpenPort(pty.SlavePath(), sink);
  ASSERT_TRUE(port);
  ConfigureAsTheDriver(*port);

  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_BAUD_RATE, Bytes{0x80, 0x25}),
            STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_BAUD_RATE, U32(12345)), STATUS_INVALID_PARAMETER);
  EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_LINE_CONTROL, Bytes{0, 0}),
            STATUS_BUFFER_TOO_SMALL);
  for (const Bytes& bad : {Bytes{1, 0, 8}, Bytes{3, 0, 8}, Bytes{0, 3, 8}, Bytes{0, 4, 8},
                           Bytes{0, 0, 4}, Bytes{0, 0, 9}}) {
    EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_LINE_CONTROL, bad), STATUS_INVALID_PARAMETER)
        << int(bad[0]) << ' ' << int(bad[1]) << ' ' << int(bad[2]);
  }
  EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_TIMEOUTS, Bytes(19)), STATUS_BUFFER_TOO_SMALL);
  Bytes timeouts(20);
  timeouts[8] = 50;  // a total read time-out
  EXPECT_EQ(port->DeviceControl(IOCTL_SERIAL_SET_TIMEOUTS, timeouts), STATUS_NOT_SUPPORTED);
  EXPECT_EQ(port->DeviceControl(IOCTL_TOUCH_BEEP, {}), STATUS_INVALID_DEVICE_REQUEST);

  const termios t = pty.Attributes();
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB | PARENB), static_cast<tcflag_t>(CS8));
}

// What a real serial line gets, checked on the attributes themselves.
TEST(LineSettings, EveryWordLengthParityAndStopBitsMapToTermios) {
  struct Case {
    std::array<std::uint8_t, 3> Request;
    tcflag_t Flags;
  };
  for (const Case& c : {Case{{0, 0, 8}, CS8}, Case{{2, 2, 7}, CS7 | CSTOPB | PARENB},
                        Case{{0, 1, 6}, CS6 | PARENB | PARODD}, Case{{2, 0, 5}, CS5 | CSTOPB}}) {
    LineSettings settings;
    ASSERT_EQ(DecodeConfigurationRequest(IOCTL_SERIAL_SET_LINE_CONTROL, c.Request, settings),
              STATUS_SUCCESS);
    termios t{};
    t.c_cflag = PARENB | PARODD | CSTOPB | CS8 | CRTSCTS;  // whatever was there before
    SetTermios(settings, t);
    EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS), c.Flags)
        << int(c.Request[0]) << ' ' << int(c.Request[1]) << ' ' << int(c.Request[2]);
  }
}

// --- Reading -------------------------------------------------------------------------------------

TEST(TtySerialPortReading, EachByteIsOneCompletionInOrderFromTheReaderThread) {
  Pty pty;
  RecordingSink sink;
  auto port = OpenPort(pty.SlavePath(), sink);
  ASSERT_TRUE(port);
  ConfigureAsTheDriver(*port);
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  std::uint8_t other = 0;
  EXPECT_EQ(port->Read({&other, 1}), STATUS_DEVICE_BUSY) << "one read at a time";
  EXPECT_EQ(port->Read({}), STATUS_INVALID_PARAMETER);

  // More than the port reads at once, with every byte value, some of which a cooked tty would eat.
  std::vector<std::uint8_t> sent(1000);
  std::iota(sent.begin(), sent.end(), std::uint8_t{0});
  pty.WriteMaster(sent);
  ASSERT_TRUE(sink.WaitFor(sent.size()));

  EXPECT_EQ(sink.Bytes(), sent);
  const std::vector<Completion> completions = sink.Completions();
  EXPECT_EQ(sink.Count(STATUS_SUCCESS), sent.size());
  EXPECT_EQ(sink.BadReissues(), 0u) << "every re-issued read is pending";
  for (const Completion& completion : completions) {
    EXPECT_FALSE(completion.NestedInRead);
    EXPECT_EQ(completion.Thread, completions.front().Thread);
  }
  EXPECT_NE(completions.front().Thread, std::this_thread::get_id());
}

// --- Cancelling ----------------------------------------------------------------------------------

TEST(TtySerialPortCancel, CompletesTheOutstandingReadAndEveryLaterOne) {
  Pty pty;
  RecordingSink sink;
  auto port = OpenPort(pty.SlavePath(), sink);
  ASSERT_TRUE(port);
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  pty.WriteMaster(std::vector<std::uint8_t>{7});
  ASSERT_TRUE(sink.WaitFor(1));  // and the sink has issued the next read

  port->CancelRead();
  ASSERT_TRUE(sink.WaitFor(2));
  EXPECT_EQ(sink.Completions()[1].Status, STATUS_CANCELLED);
  EXPECT_EQ(sink.Completions()[1].Information, 0u);

  // The client is giving the port up: a read it issues later, as one that was being prepared
  // while it cancelled, is cancelled too.
  pty.WriteMaster(std::vector<std::uint8_t>{8});
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  ASSERT_TRUE(sink.WaitFor(3));
  EXPECT_EQ(sink.Bytes(), (std::vector<std::uint8_t>{7}));
  EXPECT_EQ(sink.Count(STATUS_CANCELLED), 2u);
  port.reset();
  EXPECT_EQ(sink.Completions().size(), 3u);
}

TEST(TtySerialPortCancel, ClosingThePortCancelsTheOutstandingRead) {
  Pty pty;
  RecordingSink sink;
  auto port = OpenPort(pty.SlavePath(), sink);
  ASSERT_TRUE(port);
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  port.reset();
  ASSERT_EQ(sink.Completions().size(), 1u);
  EXPECT_EQ(sink.Completions().back().Status, STATUS_CANCELLED);
}

TEST(TtySerialPortCancel, ACancelDuringACompletionCancelsTheReadItIssues) {
  Pty pty;
  RecordingSink sink;
  auto port = OpenPort(pty.SlavePath(), sink);
  ASSERT_TRUE(port);
  // As unload does when it cancels just while a byte is being handled.
  sink.BeforeReissue = [&port] { port->CancelRead(); };
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  pty.WriteMaster(std::vector<std::uint8_t>{1, 2, 3});
  ASSERT_TRUE(sink.WaitFor(2));
  const std::vector<Completion> completions = sink.Completions();
  EXPECT_EQ(completions[0].Status, STATUS_SUCCESS);
  EXPECT_EQ(completions[1].Status, STATUS_CANCELLED);
}

// --- Writing -------------------------------------------------------------------------------------

TEST(TtySerialPortWrite, WritesWhileReadsGoOnAndGivesUpAtItsLimit) {
  Pty pty;
  RecordingSink sink;
  auto port = OpenPort(pty.SlavePath(), sink);
  ASSERT_TRUE(port);
  ConfigureAsTheDriver(*port);
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);

  const std::vector<std::uint8_t> command{0x01, 'Q', 'V', '3', 0x0D};
  EXPECT_EQ(port->Write(command, driver::RelativeMilliseconds(2000)), STATUS_SUCCESS);
  EXPECT_EQ(pty.ReadMaster(command.size()), command);
  EXPECT_EQ(port->Write({}, driver::RelativeMilliseconds(2000)), STATUS_SUCCESS);

  // Nobody reads the master: the pty fills up and the write runs into its limit.
  const std::vector<std::uint8_t> flood(1 << 20, 0xAA);
  EXPECT_EQ(port->Write(flood, driver::RelativeMilliseconds(100)), STATUS_CANCELLED);

  pty.WriteMaster(std::vector<std::uint8_t>{0x42});
  ASSERT_TRUE(sink.WaitFor(1));
  EXPECT_EQ(sink.Bytes(), std::vector<std::uint8_t>{0x42}) << "reading went on";
}

// --- The line going away -------------------------------------------------------------------------

TEST(TtySerialPortUnplug, ResumesOnTheReopenedPathWithoutAStormOfFailures) {
  testing::TempDir dir;
  const std::filesystem::path link = dir.Path() / "ttyTouch";
  auto first = std::make_unique<Pty>();
  std::filesystem::create_symlink(first->SlavePath(), link);
  first->CloseSlave();

  RecordingSink sink;
  auto port = OpenPort(link, sink);
  ASSERT_TRUE(port);
  ConfigureAsTheDriver(*port);
  ASSERT_EQ(sink.StartRead(), STATUS_PENDING);
  first->WriteMaster(std::vector<std::uint8_t>{0x55, 0x54});
  ASSERT_TRUE(sink.WaitFor(2));

  first->CloseMaster();  // the cable is pulled mid-report
  ASSERT_TRUE(sink.WaitFor(3));
  EXPECT_EQ(sink.Completions()[2].Status, STATUS_IO_DEVICE_ERROR);
  EXPECT_EQ(port->Write(std::vector<std::uint8_t>{1}, driver::RelativeMilliseconds(100)),
            STATUS_DEVICE_NOT_READY);

  // A new pty appears under the same name; the port finds it on one of its once-a-second tries.
  Pty second;
  second.CloseSlave();
  testing::ReplaceLink(link, second.SlavePath());
  ASSERT_TRUE(testing::WaitUntil([&second] { return second.SlaveOpen(); }));
  const termios t = second.Attributes();
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600)) << "the configuration is applied again";
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);

  second.WriteMaster(std::vector<std::uint8_t>{0x55, 0x54, 0x81});
  ASSERT_TRUE(sink.WaitFor(6));
  EXPECT_EQ(sink.Bytes(), (std::vector<std::uint8_t>{0x55, 0x54, 0x55, 0x54, 0x81}));
  EXPECT_EQ(sink.Completions().size(), 6u);
  EXPECT_EQ(sink.Count(STATUS_IO_DEVICE_ERROR), 1u) << "one failed read, no storm";

  const std::vector<std::uint8_t> reply{0x01, '0', 0x0D};
  EXPECT_EQ(port->Write(reply, driver::RelativeMilliseconds(2000)), STATUS_SUCCESS);
  EXPECT_EQ(second.ReadMaster(reply.size()), reply);
}

}  // namespace
}  // namespace qvtouch::platform
