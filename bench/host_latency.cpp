// The driver host's latencies, each beside its floor measured in the same run:
//  - a report: from its last byte written on the pty master to its record reaching the pointer
//    sink, beside a bare pty's write-to-read latency;
//  - a control request (IOCTL_TOUCH_GET_BEEP) through the control device, beside a bare Unix
//    socket echo of the same size.
// Usage: host_latency [REPORTS]   (default 5000; the host runs on a private store)
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/request_codes.h"
#include "platform/device/winio.h"
#include "platform/kernel_host/driver_host.h"
#include "tests/driver/driver_test_support.h"
#include "tests/support/pty_controller.h"
#include "tests/support/store_values.h"

namespace {

using Clock = std::chrono::steady_clock;
using qvtouch::TouchStatus;

struct Percentiles {
  double P50;
  double P99;
};

Percentiles Summarise(std::vector<double> microseconds) {
  std::sort(microseconds.begin(), microseconds.end());
  const auto at = [&](double share) {
    return microseconds[static_cast<std::size_t>(share * (microseconds.size() - 1))];
  };
  return {at(0.50), at(0.99)};
}

void Print(const char* what, Percentiles measured, Percentiles floor) {
  std::printf("%-34s p50 %8.1f us  p99 %8.1f us\n", what, measured.P50, measured.P99);
  std::printf("%-34s p50 %8.1f us  p99 %8.1f us  (p50 ratio %.2f)\n", "  floor", floor.P50,
              floor.P99, measured.P50 / floor.P50);
}

// Notes when each record reaches the sink.
class TimingSink final : public qvtouch::platform::PointerSink {
 public:
  void Deliver(const qvtouch::MOUSE_INPUT_DATA&) override {
    arrived_.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
    count_.fetch_add(1, std::memory_order_release);
  }
  std::uint64_t Count() const { return count_.load(std::memory_order_acquire); }
  Clock::time_point Arrived() const {
    return Clock::time_point(Clock::duration(arrived_.load(std::memory_order_acquire)));
  }

 private:
  std::atomic<std::uint64_t> count_{0};
  std::atomic<Clock::rep> arrived_{0};
};

double Microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

// Waits until the condition holds. The receiving side notes the arrival time itself, so this
// wait sleeps, leaving the machine's cores to the threads being measured.
template <typename Condition>
void Await(Condition condition) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (Clock::now() > deadline) {
      std::fputs("host_latency: nothing arrived within 5 s\n", stderr);
      std::exit(1);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
}

std::vector<double> PtyFloor(int reports, const std::vector<std::uint8_t>& report) {
  int master = -1;
  int slave = -1;
  openpty(&master, &slave, nullptr, nullptr, nullptr);
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  std::atomic<int> received{0};
  std::atomic<Clock::rep> arrived{0};
  std::thread reader([&] {
    std::size_t bytes = 0;
    std::array<std::uint8_t, 64> buffer{};
    while (received < reports) {
      pollfd readable{slave, POLLIN, 0};
      poll(&readable, 1, -1);
      const ssize_t n = read(slave, buffer.data(), buffer.size());
      if (n <= 0) break;
      bytes += static_cast<std::size_t>(n);
      if (bytes >= report.size()) {
        bytes -= report.size();
        arrived = Clock::now().time_since_epoch().count();
        ++received;
      }
    }
  });
  std::vector<double> latencies;
  for (int i = 0; i < reports; ++i) {
    [[maybe_unused]] ssize_t written = write(master, report.data(), report.size() - 1);
    const Clock::time_point sent = Clock::now();  // the last byte goes now
    written = write(master, &report.back(), 1);
    Await([&] { return received.load() == i + 1; });
    latencies.push_back(Microseconds(Clock::time_point(Clock::duration(arrived.load())) - sent));
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  reader.join();
  close(master);
  close(slave);
  return latencies;
}

std::vector<double> SocketEchoFloor(int requests, std::size_t size) {
  std::array<int, 2> ends{};
  socketpair(AF_UNIX, SOCK_STREAM, 0, ends.data());
  std::thread echo([&] {
    std::vector<std::uint8_t> buffer(size);
    for (int i = 0; i < requests; ++i) {
      if (read(ends[1], buffer.data(), size) <= 0) break;
      [[maybe_unused]] const ssize_t n = write(ends[1], buffer.data(), size);
    }
  });
  std::vector<std::uint8_t> message(size);
  std::vector<double> latencies;
  for (int i = 0; i < requests; ++i) {
    const Clock::time_point start = Clock::now();
    [[maybe_unused]] const ssize_t n = write(ends[0], message.data(), size);
    std::size_t got = 0;
    while (got < size) got += static_cast<std::size_t>(read(ends[0], message.data(), size - got));
    latencies.push_back(Microseconds(Clock::now() - start));
  }
  echo.join();
  close(ends[0]);
  close(ends[1]);
  return latencies;
}

}  // namespace

int main(int argc, char** argv) {
  const int reports = argc > 1 ? std::atoi(argv[1]) : 5000;
  char folder[] = "/tmp/qvtouch-latency-XXXXXX";
  const std::filesystem::path root = mkdtemp(folder);
  setenv("QVTOUCH_ROOT", root.c_str(), 1);
  const std::string host = R"(Software\QVTouch)";
  const std::string parameters = R"(System\CurrentControlSet\Services\QVTouch\Parameters)";
  const std::string line = (root / "ttyCOM1").string();
  qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host + R"(\Ports)", "COM1", line);
  qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host, "ToneSink",
                                   "recorder:" + (root / "tone.jsonl").string());
  // Every Hold report leaves the jitter window of the one before: one move each, no beep.
  for (const auto& [name, value] : {std::pair{"Xc", 32768u}, {"XL", 65536u}, {"Yc", 32768u},
                                    {"YL", 65536u}, {"MouseMode", 1u}, {"BeepMode", 0u}}) {
    qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, parameters, name, value);
  }

  qvtouch::testing::PtyController controller(line);
  auto sink = std::make_unique<TimingSink>();
  TimingSink& timing = *sink;
  qvtouch::platform::DriverHost driverHost(std::move(sink));
  HANDLE device = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const auto empty = qvtouch::driver::testing::CommandInput({}, 0);
  DWORD returned = 0;
  Await([&] {
    return DeviceIoControl(device, qvtouch::IOCTL_TOUCH_PASS_THROUGH,
                           const_cast<std::uint8_t*>(empty.data()),
                           static_cast<DWORD>(empty.size()), nullptr, 0, &returned, nullptr) == TRUE;
  });

  std::vector<double> toSink;
  for (int i = 0; i < reports; ++i) {
    const auto report = qvtouch::driver::testing::Report(
        TouchStatus::Hold, static_cast<std::uint16_t>(1000 + (i % 2) * 100), 500);
    controller.Send(std::span(report).first(report.size() - 1));
    const Clock::time_point sent = Clock::now();  // the last byte goes now
    controller.Send(std::span(report).last(1));
    Await([&] { return timing.Count() == static_cast<std::uint64_t>(i + 1); });
    toSink.push_back(Microseconds(timing.Arrived() - sent));
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  const auto floorReport = qvtouch::driver::testing::Report(TouchStatus::Hold, 1000, 500);
  Print("report, pty master to sink", Summarise(toSink), Summarise(PtyFloor(reports, floorReport)));

  std::vector<double> roundTrips;
  std::array<std::uint8_t, 20> beep{};
  for (int i = 0; i < reports; ++i) {
    const Clock::time_point start = Clock::now();
    DeviceIoControl(device, qvtouch::IOCTL_TOUCH_GET_BEEP, nullptr, 0, beep.data(), beep.size(),
                    &returned, nullptr);
    roundTrips.push_back(Microseconds(Clock::now() - start));
  }
  Print("IOCTL_TOUCH_GET_BEEP round trip", Summarise(roundTrips),
        Summarise(SocketEchoFloor(reports, beep.size())));

  CloseHandle(device);
  driverHost.Stop();
  std::filesystem::remove_all(root);
  return 0;
}
