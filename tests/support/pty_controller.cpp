#include "tests/support/pty_controller.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <stdexcept>
#include <string>

namespace qvtouch::testing {

PtyController::PtyController(const std::filesystem::path& link) {
  int slave = -1;
  std::array<char, 256> name{};
  if (openpty(&master_, &slave, name.data(), nullptr, nullptr) != 0) {
    throw std::runtime_error("openpty failed");
  }
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  close(slave);  // the host opens it by path
  slave_ = name.data();
  std::filesystem::remove(link);
  std::filesystem::create_symlink(slave_, link);
}

PtyController::~PtyController() { Unplug(); }

void PtyController::Send(std::span<const std::uint8_t> bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
    if (n <= 0) throw std::runtime_error("the pty master does not take bytes");
    sent += static_cast<std::size_t>(n);
  }
}

std::vector<std::uint8_t> PtyController::Receive(std::size_t count,
                                                 std::chrono::milliseconds quiet) {
  std::vector<std::uint8_t> received;
  while (received.size() < count) {
    pollfd readable{master_, POLLIN, 0};
    if (poll(&readable, 1, static_cast<int>(quiet.count())) <= 0) break;
    std::array<std::uint8_t, 64> chunk{};
    const ssize_t n = read(master_, chunk.data(), std::min(chunk.size(), count - received.size()));
    if (n <= 0) break;
    received.insert(received.end(), chunk.begin(), chunk.begin() + n);
  }
  return received;
}

void PtyController::Unplug() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

}  // namespace qvtouch::testing
