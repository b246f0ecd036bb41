// qvtouch-sim: the touch controller simulator. It reads script lines from standard input (see
// script.h) and runs each as it arrives; screen touches go through the panel that --screen,
// --panel, --turn and --bend describe (panel_options.h). Without a line it writes the controller's
// byte stream to standard output, as a controller that is never sent a command. With --pty LINK
// (a new pty whose slave LINK names) or --tty PATH it is the controller on a serial line: it paces
// the stream at the line's rate (unless --fast) and answers the controller's commands
// (--refuse-assisted: it rejects the enter command). At the end of input it exits once its last
// bytes have left, or with --linger keeps answering until SIGTERM.
#include <signal.h>
#include <sys/signalfd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "tools/sim/line_session.h"
#include "tools/sim/script.h"
#include "tools/sim/sim_options.h"

namespace {

using qvtouch::sim::SimOptions;

int RunOnStandardOutput(const SimOptions& options) {
  qvtouch::sim::TouchScript script;
  const qvtouch::sim::PanelModel panel(options.Panel);
  const qvtouch::sim::CommandResponder controller;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (const auto error = qvtouch::sim::RunScriptLine(line, script, {panel, controller})) {
      std::fprintf(stderr, "qvtouch-sim: %s\n", error->c_str());
      return 2;
    }
    for (const qvtouch::sim::Chunk& chunk : script.TakeChunks()) {
      std::fwrite(chunk.Bytes.data(), 1, chunk.Bytes.size(), stdout);
      if (chunk.WaitMilliseconds != 0) {
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(chunk.WaitMilliseconds));
      }
    }
    std::fflush(stdout);
  }
  return 0;
}

int RunOnLine(const SimOptions& options) {
  // The terminating signals arrive as input to the session, which then ends cleanly (the line
  // removes its link); blocked first, so that one arriving during set-up is not lost.
  sigset_t terminating;
  sigemptyset(&terminating);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&terminating, signal);
  sigprocmask(SIG_BLOCK, &terminating, nullptr);
  const qvtouch::platform::UniqueFd signals(::signalfd(-1, &terminating, SFD_CLOEXEC));
  if (!signals) {
    std::perror("qvtouch-sim: signalfd");
    return 1;
  }
  std::string error;
  const auto line = options.Where == SimOptions::Output::Pty
                        ? qvtouch::sim::OpenPtyLine(options.Path, error)
                        : qvtouch::sim::OpenTtyLine(options.Path, error);
  if (!line) {
    std::fprintf(stderr, "qvtouch-sim: %s\n", error.c_str());
    return 1;
  }
  return qvtouch::sim::RunLineSession(*line, options, STDIN_FILENO, signals.Get());
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::printf("%s\n", qvtouch::sim::kSimUsage.data());
    return 0;
  }
  const auto parsed = qvtouch::sim::ParseSimOptions(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "qvtouch-sim: %s\n%s\n", error->c_str(), qvtouch::sim::kSimUsage.data());
    return 2;
  }
  const SimOptions& options = std::get<SimOptions>(parsed);
  return options.Where == SimOptions::Output::StandardOutput ? RunOnStandardOutput(options)
                                                             : RunOnLine(options);
}
