// The round trip with the simulator as the controller on a serial line: its session, run here on a
// pty, keeps the assisted mode and the linearity values its commands set, and "touch" lines read
// them. And the simulator's standard output takes the same panel.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "common/little_endian.h"
#include "common/touch_report.h"
#include "platform/posix/unique_fd.h"
#include "tests/calib/round_trip.h"
#include "tools/sim/controller_line.h"
#include "tools/sim/line_session.h"
#include "tools/sim/sim_options.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::calib::testing {
namespace {

using platform::UniqueFd;
constexpr int kPatienceMs = 10'000;  // only keeps a broken test from hanging
constexpr std::size_t kTapSize = 4 * kReportSize;

// The command line that describes the panel.
std::vector<std::string> PanelArguments(const sim::PanelGeometry& panel) {
  const auto text = [](auto... numbers) {
    std::string joined;
    ((joined += std::to_string(numbers) + ','), ...);
    joined.pop_back();
    return joined;
  };
  std::string screen = std::to_string(panel.Width) + 'x' + std::to_string(panel.Height);
  return {
      "--screen", screen,
      "--panel",  text(panel.TopLeft.X, panel.TopLeft.Y, panel.BottomRight.X, panel.BottomRight.Y),
      "--turn",   std::to_string(panel.Turn),
      "--bend",   std::to_string(panel.Bend)};
}

std::vector<std::uint8_t> ReadExactly(int fd, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::size_t got = 0;
  pollfd readable{fd, POLLIN, 0};
  while (got < count && ::poll(&readable, 1, kPatienceMs) == 1) {
    const ssize_t n = ::read(fd, bytes.data() + got, count - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

sim::Point TappedAt(const std::vector<std::uint8_t>& tap) {
  EXPECT_EQ(tap.size(), kTapSize);
  if (tap.size() != kTapSize) return {};
  const sim::Point at{LoadU16(tap, kReportRawXOffset), LoadU16(tap, kReportRawYOffset)};
  EXPECT_EQ(tap, sim::TouchScript().Tap(at).Stream());
  return at;
}

// qvtouch-sim's line session on a new pty, with the test holding the port at the other end.
class SimulatorOnAPty final : public Touchscreen {
 public:
  explicit SimulatorOnAPty(const sim::PanelGeometry& panel, bool refuseAssisted = false) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvtouch-line-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    const std::string link = dir_ / "ttyTouch";
    std::vector<std::string> args{"--pty", link, "--fast"};
    if (refuseAssisted) args.emplace_back("--refuse-assisted");
    for (std::string& arg : PanelArguments(panel)) args.push_back(std::move(arg));
    const std::vector<std::string_view> views(args.begin(), args.end());
    options_ = std::get<sim::SimOptions>(sim::ParseSimOptions(views));

    std::string error;
    line_ = sim::OpenPtyLine(link, error);
    if (!line_) throw std::runtime_error(error);
    port_.Reset(::open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios raw{};
    if (!port_ || ::tcgetattr(port_.Get(), &raw) != 0) throw std::runtime_error("no port");
    ::cfmakeraw(&raw);
    ::tcsetattr(port_.Get(), TCSANOW, &raw);
    int script[2];
    int stop[2];
    if (::pipe2(script, O_CLOEXEC) != 0 || ::pipe2(stop, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe2 failed");
    }
    scriptRead_.Reset(script[0]);
    scriptWrite_.Reset(script[1]);
    stopRead_.Reset(stop[0]);
    stopWrite_.Reset(stop[1]);
    session_ = std::thread([this] {
      status_ = sim::RunLineSession(*line_, options_, scriptRead_.Get(), stopRead_.Get());
    });
  }

  ~SimulatorOnAPty() override {
    const char stop = 1;  // read by the session as a terminating signal
    if (::write(stopWrite_.Get(), &stop, 1) != 1) ADD_FAILURE() << "cannot stop the session";
    session_.join();
    EXPECT_EQ(status_, 0);
    line_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::vector<std::uint8_t> Command(std::span<const std::uint8_t> bytes,
                                    std::size_t replySize) override {
    EXPECT_EQ(::write(port_.Get(), bytes.data(), bytes.size()), ssize_t(bytes.size()));
    return ReadExactly(port_.Get(), replySize);
  }

  sim::Point Touch(std::uint32_t x, std::uint32_t y) override {
    const std::string line = "touch " + std::to_string(x) + ' ' + std::to_string(y) + '\n';
    EXPECT_EQ(::write(scriptWrite_.Get(), line.data(), line.size()), ssize_t(line.size()));
    return TappedAt(ReadExactly(port_.Get(), kTapSize));
  }

 private:
  std::filesystem::path dir_;
  sim::SimOptions options_;
  std::unique_ptr<sim::ControllerLine> line_;
  UniqueFd port_, scriptRead_, scriptWrite_, stopRead_, stopWrite_;
  std::thread session_;
  int status_ = -1;
};

TEST(LineRoundTrip, TheAssistedMethodStraightensABentTurnedPanel) {
  const Desk desk;
  const ScreenLayout layout = LayOutScreen(desk.ScreenPost, desk.Display, desk.Scales);
  SimulatorOnAPty screen(PanelOver(layout, 90, /*bend=*/200));
  const PassResult result = CalibrationPass(screen, layout);
  const auto& calibration = std::get<Calibration>(result);
  EXPECT_NEAR(calibration.Linearity()->X, 3072 - 400, 2);
  EXPECT_LE(WorstMiss(screen, calibration, layout, desk).Pixels, 2);
}

TEST(LineRoundTrip, AControllerThatRefusesTheAssistedModeIsCalibratedByItsCorners) {
  const Desk desk{38, {1280, 1024}, {6, 2}, {2304, 1024}};
  const ScreenLayout layout = LayOutScreen(desk.ScreenPost, desk.Display, desk.Scales);
  SimulatorOnAPty screen(PanelOver(layout, 270), /*refuseAssisted=*/true);
  const PassResult result = CalibrationPass(screen, layout);
  const auto& calibration = std::get<Calibration>(result);
  EXPECT_EQ(calibration.Linearity(), std::nullopt);
  EXPECT_LE(WorstMiss(screen, calibration, layout, desk).Pixels, 2);
}

TEST(StandardOutput, TouchesGoThroughThePanelOfTheCommandLine) {
  sim::PanelGeometry panel;
  panel.Turn = 180;
  panel.Bend = 100;
  std::string command = "printf 'touch 256 192\\n' | " QVTOUCH_SIM_BINARY;
  for (const std::string& arg : PanelArguments(panel)) command += ' ' + arg;
  FILE* output = ::popen(command.c_str(), "r");
  ASSERT_NE(output, nullptr);
  std::vector<std::uint8_t> tap(kTapSize + 1);
  tap.resize(std::fread(tap.data(), 1, tap.size(), output));
  EXPECT_EQ(::pclose(output), 0);
  // Turned 180: the screen's quarter point is the panel's three-quarter point, read high.
  EXPECT_EQ(TappedAt(tap), (sim::Point{3171, 3171}));
}

}  // namespace
}  // namespace qvtouch::calib::testing
