// qvtouch-sim on a serial line, end to end: the simulator makes a pty, and the serial port under
// test opens its link as the driver would open the COM port.
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "common/controller_commands.h"
#include "platform/serial/tty_serial_port.h"
#include "tests/platform/serial/serial_test_support.h"
#include "tests/platform/serial/sim_process.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::platform {
namespace {

using testing::RecordingSink;
using testing::SimProcess;
using Bytes = std::vector<std::uint8_t>;

// A serial port on the simulator's link, configured and reading as the driver's.
struct PortOnLink {
  explicit PortOnLink(const std::filesystem::path& link) {
    EXPECT_TRUE(testing::WaitUntil([&link] { return std::filesystem::exists(link); }))
        << "the simulator made no link";
    NtStatus status = STATUS_UNSUCCESSFUL;
    Port = TtySerialPort::Open(link, Sink, status);
    if (!Port) return;
    Sink.Attach(*Port);
    testing::ConfigureAsTheDriver(*Port);
    Sink.StartRead();
  }
  bool Received(const Bytes& expected) const {
    const Bytes bytes = Sink.Bytes();
    return std::search(bytes.begin(), bytes.end(), expected.begin(), expected.end()) != bytes.end();
  }
  NtStatus Send(std::span<const std::uint8_t> command) {
    return Port->Write(command, driver::RelativeMilliseconds(2000));
  }

  RecordingSink Sink;
  std::unique_ptr<TtySerialPort> Port;
};

const Bytes kAccepted{kSOH, kModeAccepted, kCR};
const Bytes kRefused{kSOH, '1', kCR};

Bytes Without(Bytes bytes, const Bytes& part) {
  const auto found = std::search(bytes.begin(), bytes.end(), part.begin(), part.end());
  if (found != bytes.end()) bytes.erase(found, found + static_cast<std::ptrdiff_t>(part.size()));
  return bytes;
}

TEST(SimOnAPty, ATapArrivesAsItsFortyBytesAndTheEndOfInputEndsTheSimulator) {
  testing::TempDir dir;
  const auto link = dir.Path() / "ttyTouch";
  SimProcess sim({"--pty", link});
  PortOnLink port(link);
  ASSERT_TRUE(port.Port);

  sim.Input("tap 100 200\n");
  ASSERT_TRUE(port.Sink.WaitFor(40));
  EXPECT_EQ(port.Sink.Bytes(), sim::TouchScript().Tap({100, 200}).Stream());

  sim.CloseInput();
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimOnAPty, AnswersCommandsAheadOfTheStreamItIsSending) {
  testing::TempDir dir;
  const auto link = dir.Path() / "ttyTouch";
  SimProcess sim({"--pty", link, "--linger"});
  PortOnLink port(link);
  ASSERT_TRUE(port.Port);

  sim.Input("move 0 0 1000 1000 60\n");
  ASSERT_TRUE(port.Sink.WaitFor(10));
  ASSERT_EQ(port.Send(kEnterAssistedMode), STATUS_SUCCESS);
  EXPECT_TRUE(testing::WaitUntil([&port] { return port.Received(kAccepted); }));

  ASSERT_EQ(port.Send(kReadParameters), STATUS_SUCCESS);
  Bytes parameters{kSOH};
  for (int value = 0; value < 4; ++value) parameters.insert(parameters.end(), {0x00, 0x0C});
  parameters.push_back(kCR);  // 3072, no correction, for X and for Y
  EXPECT_TRUE(testing::WaitUntil([&] { return port.Received(parameters); }));

  // The stream goes on around the replies, whole.
  sim::TouchScript script;
  script.Move({0, 0}, {1000, 1000}, 60);
  const Bytes stream = script.Stream();
  ASSERT_TRUE(port.Sink.WaitFor(stream.size() + kAccepted.size() + parameters.size()));
  EXPECT_EQ(Without(Without(port.Sink.Bytes(), parameters), kAccepted), stream);

  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(SimOnAPty, RefusesTheEnterCommandWhenToldAndLingersUntilTerminated) {
  testing::TempDir dir;
  const auto link = dir.Path() / "ttyTouch";
  std::filesystem::create_symlink("/dev/pts/stale", link);
  SimProcess sim({"--pty", link, "--fast", "--refuse-assisted", "--linger"});
  sim.CloseInput();
  ASSERT_TRUE(testing::WaitUntil([&link] {
    return std::filesystem::read_symlink(link) != "/dev/pts/stale";
  })) << "the stale link is replaced";
  PortOnLink port(link);
  ASSERT_TRUE(port.Port);

  ASSERT_EQ(port.Send(kEnterAssistedMode), STATUS_SUCCESS);
  ASSERT_TRUE(port.Sink.WaitFor(3));
  EXPECT_EQ(port.Sink.Bytes(), kRefused);
  ASSERT_EQ(port.Send(kLeaveAssistedMode), STATUS_SUCCESS);
  ASSERT_TRUE(port.Sink.WaitFor(6));
  EXPECT_EQ(Without(port.Sink.Bytes(), kRefused), kAccepted);

  EXPECT_EQ(sim.Wait(std::chrono::milliseconds(200)), std::nullopt) << "still answering";
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimOnATty, StreamsAndAnswersOnAnExistingTty) {
  testing::Pty pty;  // the test's end is the master
  SimProcess sim({"--tty", pty.SlavePath(), "--fast"});
  sim.Input("tap 1 2\n");
  EXPECT_EQ(pty.ReadMaster(40), sim::TouchScript().Tap({1, 2}).Stream());
  pty.WriteMaster(kEnterAssistedMode);
  EXPECT_EQ(pty.ReadMaster(kAccepted.size()), kAccepted);
  sim.CloseInput();
  EXPECT_EQ(sim.Wait(), 0);
}

TEST(SimCommandLine, BadOptionsScriptsAndLinesEndWithAMessage) {
  testing::TempDir dir;
  const auto link = dir.Path() / "ttyTouch";
  const std::string plainFile = dir.Path() / "plain";
  std::ofstream(plainFile) << "keep me";

  const std::vector<std::vector<std::string>> usageErrors{
      {"--linger"}, {"--fast"}, {"--pty"}, {"--bogus"}, {"--pty", "a", "--tty", "b"}};
  for (const auto& args : usageErrors) {
    SimProcess sim(args);
    EXPECT_EQ(sim.Wait(), 2) << args[0];
  }

  SimProcess badScript({"--pty", link});
  badScript.Input("tap 1\n");
  EXPECT_EQ(badScript.Wait(), 2);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--tty", dir.Path() / "missing"},
        std::vector<std::string>{"--tty", plainFile},
        std::vector<std::string>{"--pty", plainFile}}) {
    SimProcess sim(args);
    EXPECT_EQ(sim.Wait(), 1) << args[0] << ' ' << args[1];
  }
  std::ifstream kept(plainFile);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
}

}  // namespace
}  // namespace qvtouch::platform
