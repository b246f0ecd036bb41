// The simulated controller's end of a serial line, set as the controller's line is: 9600 baud,
// 8 data bits, no parity, one stop bit, raw.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace qvtouch::sim {

// One byte on the line: a start bit, 8 data bits and a stop bit at 9600 baud.
inline constexpr std::uint32_t kLineBaudRate = 9600;
inline constexpr std::chrono::nanoseconds kLineByteTime(10 * 1'000'000'000LL / kLineBaudRate);
// The slowest pace the simulator takes (--pace).
inline constexpr std::uint32_t kLowestPaceBaud = 300;

class ControllerLine {
 public:
  virtual ~ControllerLine() = default;
  // Where the controller writes its stream and reads the commands; non-blocking.
  virtual int Fd() const = 0;
  // Returns once the bytes written so far have left for the other end.
  virtual void WaitUntilSent() = 0;
};

// Sets a tty as the controller's line; false when the tty refuses.
bool SetControllerLine(int fd);

// A new pty whose slave LINK names (an existing symbolic link there is replaced; the link is
// removed again when the line goes away). The line keeps a slave descriptor of its own, so that
// the port at the other end may close and reopen the slave without losing what is under way and
// the master never reads EIO for want of a slave; closing the master is what unplugs the cable.
// Null with a message in error when it cannot be made.
std::unique_ptr<ControllerLine> OpenPtyLine(const std::filesystem::path& link, std::string& error);

// An existing tty (a serial port, a slave of someone else's pty).
std::unique_ptr<ControllerLine> OpenTtyLine(const std::filesystem::path& path, std::string& error);

}  // namespace qvtouch::sim
