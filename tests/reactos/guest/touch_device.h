// The driver's control device as the guest test talks to it, and the calls around it.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qvtouch::test {

using namespace std::chrono_literals;

struct Reply {
  bool Succeeded = false;
  DWORD Error = 0;  // GetLastError after a failure
  std::vector<std::uint8_t> Output;
};

// One request on a handle of its own: \\.\qvtouch opened, the request sent, the handle closed.
Reply Control(std::uint32_t code, std::span<const std::uint8_t> input = {},
              std::size_t outputLength = 0);
// A get request's 32-bit answer; nullopt when the driver does not answer.
std::optional<std::uint32_t> DriverValue(std::uint32_t request);
// The calibration capture's state (IOCTL_TOUCH_GET_CAPTURE).
std::optional<std::int32_t> CaptureState();

// Polls the condition until it holds or `timeout` has passed.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(timeout.count())) return false;
    Sleep(20);
  }
}

}  // namespace qvtouch::test
