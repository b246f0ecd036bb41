// A pty whose master a test holds as the touch controller's end of the cable, with a symbolic link
// to its slave that the driver host opens as a COM port. Closing the master unplugs the cable.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace qvtouch::testing {

class PtyController {
 public:
  // Opens a pty pair and points link at its slave (replacing what was there).
  explicit PtyController(const std::filesystem::path& link);
  ~PtyController();
  PtyController(const PtyController&) = delete;
  PtyController& operator=(const PtyController&) = delete;

  void Send(std::span<const std::uint8_t> bytes);
  // Reads exactly count bytes written to the controller; fewer if nothing comes for `quiet`.
  std::vector<std::uint8_t> Receive(std::size_t count,
                                    std::chrono::milliseconds quiet = std::chrono::seconds(5));
  void Unplug();

 private:
  int master_ = -1;
  std::filesystem::path slave_;
};

}  // namespace qvtouch::testing
