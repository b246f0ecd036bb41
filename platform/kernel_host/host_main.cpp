// qvtouch, the driver host: starts the touch driver as the system does at boot and runs in the
// foreground until SIGTERM or SIGINT, which unload the driver. Configuration lives in the settings
// store only (see README.md).
#include <csignal>
#include <cstdio>

#include "platform/kernel_host/driver_host.h"

int main(int argc, char** /*argv*/) {
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
