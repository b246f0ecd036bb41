// How long a person waits for the calibration screen: from starting qvsercalib to its first
// target on the screen, which includes opening the driver, the controller handshake and the first
// drawing. The driver host runs in this process, the controller simulator on a pty, the program
// against an Xvfb of its own; the screen is read until the target's yellow centre shows.
// Usage: calibration_start [RUNS]   (default 10; the host runs on a private store)
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/records.h"
#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "platform/device/winio.h"
#include "platform/kernel_host/driver_host.h"
#include "tests/support/child_process.h"
#include "tests/support/store_values.h"
#include "tests/support/wait.h"
#include "tests/support/xvfb_server.h"

// After the project's headers, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using Clock = std::chrono::steady_clock;
using qvtouch::testing::ChildOptions;
using qvtouch::testing::ChildProcess;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// The first target on a 1024 x 768 screen, a quarter in from the top-left corner.
constexpr int kTargetX = 256;
constexpr int kTargetY = 192;

bool TargetShown(Display* display) {
  XImage* image =
      XGetImage(display, DefaultRootWindow(display), kTargetX, kTargetY, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const unsigned long pixel = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return pixel == 0xFFFF00;  // the yellow disc at the target's centre
}

bool SerialLinkUp() {
  HANDLE device = CreateFileA(R"(\\.\qvtouch)", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  // A pass-through of no bytes succeeds once the port is open.
  auto noCommand = qvtouch::CommandRecord{}.Encode();
  DWORD returned = 0;
  const bool open =
      DeviceIoControl(device, qvtouch::IOCTL_TOUCH_PASS_THROUGH, noCommand.data(),
                      static_cast<DWORD>(noCommand.size()), nullptr, 0, &returned, nullptr) == TRUE;
  CloseHandle(device);
  return open;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "calibration_start: %s\n", what);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  char folder[] = "/tmp/qvtouch-calibration-start-XXXXXX";
  const std::filesystem::path root = mkdtemp(folder);
  setenv("QVTOUCH_ROOT", root.c_str(), 1);
  const std::string host = R"(Software\QVTouch)";
  const std::string line = (root / "ttyCOM1").string();
  using qvtouch::testing::SetStoreString;
  SetStoreString(HKEY_LOCAL_MACHINE, host + R"(\Ports)", "COM1", line);
  SetStoreString(HKEY_LOCAL_MACHINE, host, "PointerSink",
                 "recorder:" + (root / "pointer").string());
  SetStoreString(HKEY_LOCAL_MACHINE, host, "ToneSink", "recorder:" + (root / "tone").string());
  qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, std::string(qvtouch::kParametersKey), "Port",
                                  1);

  qvtouch::testing::XvfbServer server(kWidth, kHeight);
  if (server.Name().empty()) Fail("Xvfb could not be started");
  Display* display = XOpenDisplay(server.Name().c_str());
  if (display == nullptr) Fail("the X server does not answer");

  ChildProcess simulator({QVTOUCH_SIM_BINARY, "--pty", line, "--linger"});
  qvtouch::platform::DriverHost driverHost;
  if (!qvtouch::testing::WaitUntil(SerialLinkUp)) Fail("the driver did not open its port");

  const ChildOptions program{
      {{"DISPLAY", server.Name()}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_RUNTIME_DIR", root}}, {}, {}};
  std::vector<double> milliseconds;
  for (int run = 0; run < runs; ++run) {
    const Clock::time_point start = Clock::now();
    ChildProcess calibration({QVSERCALIB_BINARY}, program);
    if (!qvtouch::testing::WaitUntil([&] { return TargetShown(display); })) {
      Fail("no target within 10 s");
    }
    milliseconds.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    calibration.Signal(SIGTERM);
    calibration.Wait();
    qvtouch::testing::WaitUntil([&] { return !TargetShown(display); });
  }
  XCloseDisplay(display);
  std::filesystem::remove_all(root);

  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf("start to first target: median %.0f ms, slowest %.0f ms over %d runs\n",
              milliseconds[milliseconds.size() / 2], milliseconds.back(), runs);
}
