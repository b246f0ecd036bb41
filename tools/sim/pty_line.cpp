// The controller on a new pty, its slave named by a symbolic link.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/posix/unique_fd.h"
#include "tools/sim/controller_line.h"

namespace qvtouch::sim {
namespace {

using platform::UniqueFd;
namespace fs = std::filesystem;

// How long the other end may leave the bytes unread before the line stops waiting for it.
constexpr auto kReaderPatience = std::chrono::seconds(1);
constexpr auto kDrainCheckInterval = std::chrono::milliseconds(5);

class PtyLine final : public ControllerLine {
 public:
  PtyLine(UniqueFd master, UniqueFd slave, fs::path link, fs::path slavePath)
      : master_(std::move(master)),
        slave_(std::move(slave)),
        link_(std::move(link)),
        slavePath_(std::move(slavePath)) {}

  // The link goes only while it still names this line's slave: a newer line may have taken it.
  ~PtyLine() override {
    std::error_code error;
    if (fs::read_symlink(link_, error) == slavePath_) fs::remove(link_, error);
  }

  int Fd() const override { return master_.Get(); }

  // The bytes have left once the other end has read them: a pty drops what its slave still holds
  // when the master closes.
  void WaitUntilSent() override {
    int queued = Queued();
    auto lastProgress = std::chrono::steady_clock::now();
    while (queued > 0 && std::chrono::steady_clock::now() - lastProgress < kReaderPatience) {
      std::this_thread::sleep_for(kDrainCheckInterval);
      const int now = Queued();
      if (now < queued) lastProgress = std::chrono::steady_clock::now();
      queued = now;
    }
  }

 private:
  // The bytes waiting at the slave. Polling it first lets the tty take in what is still in flight.
  int Queued() const {
    pollfd readable{slave_.Get(), POLLIN, 0};
    ::poll(&readable, 1, 0);
    int count = 0;
    return ::ioctl(slave_.Get(), TIOCINQ, &count) == 0 ? count : 0;
  }

  UniqueFd master_;
  UniqueFd slave_;
  fs::path link_;
  fs::path slavePath_;
};

// Points link at target, replacing an existing symbolic link in one step; refuses to replace
// anything else.
bool MakeLink(const fs::path& link, const fs::path& target, std::string& error) {
  std::error_code code;
  const fs::file_status existing = fs::symlink_status(link, code);
  if (fs::exists(existing) && !fs::is_symlink(existing)) {
    error = link.string() + " exists and is not a symbolic link";
    return false;
  }
  fs::path temporary = link;
  temporary += ".new" + std::to_string(::getpid());
  fs::remove(temporary, code);
  fs::create_symlink(target, temporary, code);
  if (!code) fs::rename(temporary, link, code);
  if (code) {
    error = "cannot make the link " + link.string() + ": " + code.message();
    std::error_code ignored;  // the reason above stands, whatever the clean-up meets
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<ControllerLine> OpenPtyLine(const fs::path& link, std::string& error) {
  int master = -1;
  int slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    error = std::string("cannot make a pty: ") + std::strerror(errno);
    return nullptr;
  }
  UniqueFd masterFd(master);
  UniqueFd slaveFd(slave);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

  std::array<char, 128> name{};
  if (::ttyname_r(slave, name.data(), name.size()) != 0) {
    error = "cannot name the pty's slave";
    return nullptr;
  }
  if (!SetControllerLine(slave)) {
    error = "cannot set up the pty";
    return nullptr;
  }
  if (!MakeLink(link, name.data(), error)) return nullptr;
  return std::make_unique<PtyLine>(std::move(masterFd), std::move(slaveFd), link, name.data());
}

}  // namespace qvtouch::sim
