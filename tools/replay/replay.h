// qvtouch-replay: feeds a byte stream through the driver exactly as the serial link would, one
// byte per completed read, and prints what the driver sent, as JSON Lines.
//
//   qvtouch-replay [--set NAME=VALUE]... [--reload] [--arm-capture] [--fail-before N]... [FILE | -]
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace qvtouch::replay {

struct Options {
  std::map<std::string, std::uint32_t> Settings;  // REG_DWORD values under the Parameters key
  bool Reload = false;
  bool ArmCapture = false;
  std::multiset<std::uint64_t> FailBefore;  // offsets before which one read fails
  std::string File;                         // empty or "-": standard input
};

// The options, or a one-line message saying what is wrong with them.
std::variant<Options, std::string> ParseOptions(std::span<const std::string_view> args);

// Runs the driver over the input, writing one JSON object per event to output.
void Run(const Options& options, std::istream& input, std::ostream& output);

}  // namespace qvtouch::replay
