// The controller on an existing tty.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/unique_fd.h"
#include "tools/sim/controller_line.h"

namespace qvtouch::sim {
namespace {

class TtyLine final : public ControllerLine {
 public:
  explicit TtyLine(platform::UniqueFd tty) : tty_(std::move(tty)) {}
  int Fd() const override { return tty_.Get(); }
  void WaitUntilSent() override { ::tcdrain(tty_.Get()); }

 private:
  platform::UniqueFd tty_;
};

}  // namespace

std::unique_ptr<ControllerLine> OpenTtyLine(const std::filesystem::path& path, std::string& error) {
  platform::UniqueFd tty(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!tty) {
    error = "cannot open " + path.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  if (::isatty(tty.Get()) == 0) {
    error = path.string() + " is not a tty";
    return nullptr;
  }
  if (!SetControllerLine(tty.Get())) {
    error = "cannot set up " + path.string() + " as a 9600-8-N-1 line";
    return nullptr;
  }
  return std::make_unique<TtyLine>(std::move(tty));
}

}  // namespace qvtouch::sim
