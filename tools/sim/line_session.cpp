#include "tools/sim/line_session.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "tools/sim/command_responder.h"
#include "tools/sim/script.h"
#include "tools/sim/transmitter.h"

namespace qvtouch::sim {
namespace {

using Clock = Transmitter::Clock;

class LineSession {
 public:
  LineSession(ControllerLine& line, const SimOptions& options, int input, int signals)
      : line_(line),
        options_(options),
        input_(input),
        signals_(signals),
        responder_(options.RefuseAssisted),
        panel_(options.Panel),
        transmitter_(options.Fast ? Clock::duration::zero()
                                  : std::chrono::nanoseconds(10 * 1'000'000'000LL /
                                                             options.PaceBaud)) {}

  int Run();

 private:
  bool WriteDue();
  bool ReadCommands(short events);
  std::optional<int> ReadScript();
  std::optional<int> RunLine(const std::string& line);
  std::optional<Clock::time_point> WakeAt() const;
  bool Done(Clock::time_point now) const {
    return !inputOpen_ && !options_.Linger && transmitter_.Empty() && now >= transmitter_.Quiet();
  }

  ControllerLine& line_;
  const SimOptions& options_;
  const int input_;
  const int signals_;
  CommandResponder responder_;  // the controller's mode and linearity values live here
  PanelModel panel_;
  Transmitter transmitter_;
  TouchScript script_;
  std::string partialLine_;
  bool inputOpen_ = true;
  bool lineFull_ = false;  // the line took no more bytes: wait until it is writable
};

int Failure(const std::string& message) {
  std::fprintf(stderr, "qvtouch-sim: %s\n", message.c_str());
  return 1;
}

timespec Timeout(Clock::time_point wakeAt) {
  const auto left = std::max(wakeAt - Clock::now(), Clock::duration::zero());
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
  return {static_cast<time_t>(seconds.count()),
          static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
}

int LineSession::Run() {
  for (;;) {
    if (!lineFull_ && !WriteDue()) return Failure("cannot write to the line");
    if (Done(Clock::now())) {
      line_.WaitUntilSent();
      return 0;
    }
    std::array<pollfd, 3> watched{
        pollfd{inputOpen_ ? input_ : -1, POLLIN, 0},
        pollfd{line_.Fd(), static_cast<short>(POLLIN | (lineFull_ ? POLLOUT : 0)), 0},
        pollfd{signals_, POLLIN, 0}};
    const std::optional<Clock::time_point> wakeAt = WakeAt();
    const timespec timeout = Timeout(wakeAt.value_or(Clock::now()));
    if (::ppoll(watched.data(), watched.size(), wakeAt ? &timeout : nullptr, nullptr) < 0 &&
        errno != EINTR) {
      return Failure("cannot wait for input");
    }
    if (watched[2].revents != 0) return 0;  // terminated
    if ((watched[1].revents & POLLOUT) != 0) lineFull_ = false;
    if ((watched[1].revents & ~POLLOUT) != 0 && !ReadCommands(watched[1].revents)) {
      return Failure("the line has hung up");
    }
    if (watched[0].revents != 0) {
      if (const std::optional<int> status = ReadScript()) return *status;
    }
  }
}

// Writes what is due now; false when the line fails.
bool LineSession::WriteDue() {
  const Clock::time_point now = Clock::now();
  const std::span<const std::uint8_t> due = transmitter_.Due(now);
  if (due.empty()) return true;
  const ssize_t written = ::write(line_.Fd(), due.data(), due.size());
  if (written > 0) {
    transmitter_.Sent(static_cast<std::size_t>(written), now);
    return true;
  }
  if (written < 0 && errno == EAGAIN) lineFull_ = true;
  return written < 0 && (errno == EAGAIN || errno == EINTR);
}

// Takes the bytes written to the controller and queues the replies; false when the line is gone.
bool LineSession::ReadCommands(short events) {
  std::array<std::uint8_t, 256> bytes{};
  const ssize_t count = ::read(line_.Fd(), bytes.data(), bytes.size());
  if (count > 0) {
    transmitter_.Reply(responder_.Receive({bytes.data(), static_cast<std::size_t>(count)}),
                       Clock::now());
    return true;
  }
  const bool nothingYet = count < 0 && (errno == EAGAIN || errno == EINTR);
  return nothingYet && (events & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

// Runs the complete lines read so far, and at the end of input the last one; an exit status when
// the session must end.
std::optional<int> LineSession::ReadScript() {
  std::array<char, 4096> text{};
  const ssize_t count = ::read(input_, text.data(), text.size());
  if (count < 0)
    return errno == EINTR ? std::nullopt : std::optional(Failure("cannot read the script"));
  if (count == 0) {
    inputOpen_ = false;
    return partialLine_.empty() ? std::nullopt : RunLine(std::exchange(partialLine_, {}));
  }
  partialLine_.append(text.data(), static_cast<std::size_t>(count));
  for (std::size_t end = partialLine_.find('\n'); end != std::string::npos;
       end = partialLine_.find('\n')) {
    const std::string line = partialLine_.substr(0, end);
    partialLine_.erase(0, end + 1);
    if (const std::optional<int> status = RunLine(line)) return status;
  }
  return std::nullopt;
}

std::optional<int> LineSession::RunLine(const std::string& line) {
  if (const std::optional<std::string> error = RunScriptLine(line, script_, {panel_, responder_})) {
    std::fprintf(stderr, "qvtouch-sim: %s\n", error->c_str());
    return 2;
  }
  transmitter_.Queue(script_.TakeChunks(), Clock::now());
  return std::nullopt;
}

// When the session has something to do without being woken; nullopt: only input, a command, a
// signal or a writable line wakes it.
std::optional<Clock::time_point> LineSession::WakeAt() const {
  if (lineFull_) return std::nullopt;
  if (const std::optional<Clock::time_point> due = transmitter_.NextDue()) return due;
  if (!inputOpen_ && !options_.Linger) return transmitter_.Quiet();
  return std::nullopt;
}

}  // namespace

int RunLineSession(ControllerLine& line, const SimOptions& options, int input, int signals) {
  return LineSession(line, options, input, signals).Run();
}

}  // namespace qvtouch::sim
