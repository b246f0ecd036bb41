#include "tools/sim/script.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "common/text_numbers.h"

namespace qvtouch::sim {
namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t begin = line.find_first_not_of(" \t\r", start);
    if (begin == std::string_view::npos) break;
    const std::size_t end = line.find_first_of(" \t\r", begin);
    words.push_back(line.substr(begin, end - begin));
    start = end == std::string_view::npos ? line.size() : end;
  }
  return words;
}

std::optional<std::vector<std::uint8_t>> HexBytes(std::span<const std::string_view> words) {
  std::vector<std::uint8_t> bytes;
  for (std::string_view word : words) {
    const auto wordBytes = ParseHexBytes(word);
    if (!wordBytes) return std::nullopt;
    bytes.insert(bytes.end(), wordBytes->begin(), wordBytes->end());
  }
  return bytes;
}

}  // namespace

std::optional<std::string> RunScriptLine(std::string_view line, TouchScript& script,
                                         const TouchedScreen& screen) {
  const std::vector<std::string_view> words = Words(line);
  if (words.empty() || words[0].starts_with('#')) return std::nullopt;
  const std::string_view verb = words[0];
  const std::span<const std::string_view> args(words.begin() + 1, words.end());
  const std::string bad = "cannot run \"" + std::string(line) + "\": ";

  const auto point = [&args](std::size_t at) -> std::optional<Point> {
    const auto x = ParseWhole<std::uint16_t>(args[at]);
    const auto y = ParseWhole<std::uint16_t>(args[at + 1]);
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
  };
  const auto count = [&args](std::size_t at) { return ParseWhole<std::uint32_t>(args[at]); };

  if (verb == "tap" || verb == "press" || verb == "release") {
    const auto at = args.size() == 2 ? point(0) : std::nullopt;
    if (!at) return bad + "expected raw X and Y from 0 to 65535";
    if (verb == "tap") script.Tap(*at);
    if (verb == "press") script.Press(*at);
    if (verb == "release") script.Release(*at);
  } else if (verb == "touch") {
    const auto x = args.size() == 2 ? ParseWhole<std::uint32_t>(args[0]) : std::nullopt;
    const auto y = args.size() == 2 ? ParseWhole<std::uint32_t>(args[1]) : std::nullopt;
    const auto at = x && y ? screen.Panel.Reading(*x, *y, screen.Controller) : std::nullopt;
    const PanelGeometry& geometry = screen.Panel.Geometry();
    if (!at) {
      return bad + "expected screen X from 0 to " + std::to_string(geometry.Width) +
             " and Y from 0 to " + std::to_string(geometry.Height);
    }
    script.Tap(*at);
  } else if (verb == "hold") {
    const auto at = args.size() == 2 || args.size() == 3 ? point(0) : std::nullopt;
    const auto n = args.size() == 3 ? count(2) : std::optional<std::uint32_t>(1);
    if (!at || !n) return bad + "expected raw X and Y and an optional count";
    script.Hold(*at, *n);
  } else if (verb == "move") {
    const auto from = args.size() == 5 ? point(0) : std::nullopt;
    const auto to = args.size() == 5 ? point(2) : std::nullopt;
    const auto n = args.size() == 5 ? count(4) : std::nullopt;
    if (!from || !to || !n || *n == 0) return bad + "expected X1 Y1 X2 Y2 and a count above 0";
    script.Move(*from, *to, *n);
  } else if (verb == "bytes") {
    const auto bytes = HexBytes(args);
    if (!bytes) return bad + "expected hexadecimal bytes";
    script.Bytes(*bytes);
  } else if (verb == "noise") {
    const auto n = !args.empty() && args.size() <= 2 ? count(0) : std::nullopt;
    const auto seed = args.size() == 2 ? count(1) : std::optional<std::uint32_t>(1);
    if (!n || !seed) return bad + "expected a count and an optional seed";
    script.Noise(*n, *seed);
  } else if (verb == "fault") {
    const std::string_view kind = args.empty() ? std::string_view{} : args[0];
    if (kind == "checksum" && args.size() == 1) {
      script.FaultNextReport({Fault::Kind::WrongChecksum});
    } else if (kind == "status" && args.size() <= 2) {
      const auto status = args.size() == 2 ? ParseWhole<std::uint8_t>(args[1], 16)
                                           : std::optional<std::uint8_t>(0x80);
      if (!status) return bad + "expected a hexadecimal status byte";
      script.FaultNextReport({Fault::Kind::BadStatus, 0, *status});
    } else if (kind == "drop" && args.size() == 2 && count(1) && *count(1) < kReportSize) {
      script.FaultNextReport({Fault::Kind::DroppedByte, *count(1)});
    } else {
      return bad + "expected \"checksum\", \"status [BYTE]\" or \"drop K\" (K from 0 to 9)";
    }
  } else if (verb == "wait") {
    const auto ms = args.size() == 1 ? count(0) : std::nullopt;
    if (!ms) return bad + "expected milliseconds";
    script.Wait(*ms);
  } else {
    return bad + "unknown action \"" + std::string(verb) + "\"";
  }
  return std::nullopt;
}

}  // namespace qvtouch::sim
