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
  // REG_DWORD values under the Parameters key, by the driver setting's own spelling ("XL").
  std::map<std::string, std::uint32_t> Settings;
  bool Reload = false;
  bool ArmCapture = false;
  std::multiset<std::uint64_t> FailBefore;  // offsets before which one read fails
  std::string File;                         // empty or "-": standard input
};

// The options, or a one-line message saying what is wrong with them.
std::variant<Options, std::string> ParseOptions(std::span<const std::string_view> args);

// Why the driver cannot read a line with these settings (its Port names no COM port), or nothing.
std::optional<std::string> LineProblem(const Options& options);

// Runs the driver over the input, writing one JSON object per event to output.
void Run(const Options& options, std::istream& input, std::ostream& output);

}  // namespace qvtouch::replay
