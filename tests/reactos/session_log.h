// What the guest test wrote to the kernel's debug port, read back from QEMU's log of that port.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qvtouch::testing::reactos {

struct PointerMessage {
  std::string Kind;  // move, left-down, left-up, right-down or right-up
  int X = 0;
  int Y = 0;
};

struct GuestSummary {
  int Passed = 0;
  int Failed = 0;
};

struct SessionLog {
  std::vector<std::string> Lines;  // the guest test's lines, without their prefix
  std::optional<GuestSummary> Summary;
  int ScreenWidth = 0;
  int ScreenHeight = 0;
  std::map<std::string, std::uint32_t> Settings;
  std::vector<PointerMessage> Pointer;
};

// Reads the log; throws std::runtime_error when it cannot be read.
SessionLog ReadSessionLog(const std::filesystem::path& file);

}  // namespace qvtouch::testing::reactos
