#include "tools/replay/replay.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <istream>
#include <ostream>

#include "common/event_lines.h"
#include "common/little_endian.h"
#include "common/request_codes.h"
#include "common/text_numbers.h"
#include "driver/driver_harness.h"

namespace qvtouch::replay {
namespace {

// The driver setting a name stands for, in its own spelling; names are not case-sensitive, as in
// the store.
std::optional<std::string_view> SettingName(std::string_view name) {
  const auto same = [name](const driver::SettingDefinition& setting) {
    return std::ranges::equal(setting.Name, name, [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
  };
  const auto found = std::ranges::find_if(driver::kSettings, same);
  if (found == driver::kSettings.end()) return std::nullopt;
  return found->Name;
}

}  // namespace

std::variant<Options, std::string> ParseOptions(std::span<const std::string_view> args) {
  Options options;
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const auto operand = [&]() -> std::optional<std::string_view> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (arg == "--set") {
      const auto setting = operand();
      if (!setting) return std::string("--set needs NAME=VALUE");
      const std::size_t equals = setting->find('=');
      if (equals == 0 || equals == std::string_view::npos) {
        return "--set " + std::string(*setting) + ": expected NAME=VALUE";
      }
      const auto value = ParseDword(setting->substr(equals + 1));
      if (!value) {
        return "--set " + std::string(*setting) +
               ": VALUE must be a 32-bit decimal, negative decimal or 0x-prefixed hex number";
      }
      const auto name = SettingName(setting->substr(0, equals));
      if (!name) {
        return "--set " + std::string(*setting) + ": " + std::string(setting->substr(0, equals)) +
               " is not a driver setting";
      }
      options.Settings[std::string(*name)] = *value;
    } else if (arg == "--reload") {
      options.Reload = true;
    } else if (arg == "--arm-capture") {
      options.ArmCapture = true;
    } else if (arg == "--fail-before") {
      const auto offset = operand();
      const auto n = offset ? ParseWhole<std::uint64_t>(*offset) : std::nullopt;
      if (!n) return std::string("--fail-before needs a byte offset (0 or more)");
      options.FailBefore.insert(*n);
    } else if (arg.starts_with("-") && arg != "-") {
      return "unknown option " + std::string(arg);
    } else if (haveFile) {
      return "only one input FILE may be given";
    } else {
      haveFile = true;
      options.File = std::string(arg);
    }
  }
  return options;
}

std::optional<std::string> LineProblem(const Options& options) {
  const auto port = options.Settings.find("Port");
  if (port == options.Settings.end() || driver::ComPortName(port->second)) return std::nullopt;
  return "Port " + std::to_string(port->second) +
         " names no COM port (1 to 9): the driver would never open its line";
}

void Run(const Options& options, std::istream& input, std::ostream& output) {
  driver::DriverHarness harness(options.Settings, /*connectClass=*/false);
  harness.OnSend = [&output](const MOUSE_INPUT_DATA& record) {
    output << SendEventLine(record) << '\n';
  };
  harness.Kernel.OnToneStarted = [&output](std::uint32_t frequency, std::int64_t milliseconds) {
    output << BeepEventLine(frequency, milliseconds) << '\n';
  };
  harness.ConnectClass();
  if (options.Reload) harness.Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  if (options.ArmCapture) harness.Control(IOCTL_TOUCH_ARM_CAPTURE);

  std::uint64_t offset = 0;
  std::array<char, 4096> buffer{};
  while (input) {
    input.read(buffer.data(), buffer.size());
    const std::streamsize got = input.gcount();
    for (std::streamsize i = 0; i < got; ++i, ++offset) {
      for (std::size_t n = options.FailBefore.count(offset); n > 0; --n) harness.FailRead();
      harness.Port().Deliver(static_cast<std::uint8_t>(buffer[static_cast<std::size_t>(i)]));
    }
    output.flush();
  }

  const auto capture = harness.Control(IOCTL_TOUCH_GET_CAPTURE, {}, 12).Output;
  const auto pointer = harness.Control(IOCTL_TOUCH_GET_POINTER, {}, 12).Output;
  const driver::DriverContext& c = harness.Context();
  output << R"({"event":"end","capture_state":)" << LoadS32(capture, 0) << R"(,"capture_x":)"
         << LoadS32(capture, 4) << R"(,"capture_y":)" << LoadS32(capture, 8)
         << R"(,"parser_state":)" << unsigned{c.ParserState} << R"(,"hold_count":)"
         << unsigned{c.HoldCount} << R"(,"right_click_done":)" << unsigned{c.RightClickDone}
         << R"(,"pointer_buttons":)" << LoadU32(pointer, 0) << R"(,"pointer_x":)"
         << LoadS32(pointer, 4) << R"(,"pointer_y":)" << LoadS32(pointer, 8) << "}\n";
  output.flush();
}

}  // namespace qvtouch::replay
