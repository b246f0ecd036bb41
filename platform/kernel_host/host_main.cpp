// qvtouch, the driver host: starts the touch driver as the system does at boot and runs in the
// foreground until SIGTERM or SIGINT, which unload the driver. Configuration lives in the settings
// store only (see README.md).
#include <csignal>
#include <cstdio>
#include <string_view>

#include "platform/kernel_host/driver_host.h"

namespace {

constexpr const char* kUsage =
    "usage: qvtouch\n"
    "The touch driver's host: runs in the foreground until SIGTERM or SIGINT. It takes no\n"
    "options; its settings live in the store (see qvreg).\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc > 1) {
    std::fputs("qvtouch: takes no options; its settings live in the store (see qvreg)\n", stderr);
    return 2;
  }
  // Every thread the host starts inherits this mask, so the signals reach the sigwait below only.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    qvtouch::platform::DriverHost host;
    std::fprintf(stderr, "qvtouch: started (%s)\n", host.Describe().c_str());
    int received = 0;
    sigwait(&stopSignals, &received);
    host.Stop();
    std::fputs("qvtouch: stopped\n", stderr);
  } catch (const qvtouch::platform::HostStartError& error) {
    std::fprintf(stderr, "qvtouch: cannot start: %s\n", error.what());
    return 1;
  }
  return 0;
}
