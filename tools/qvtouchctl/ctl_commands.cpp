#include "tools/qvtouchctl/ctl_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "common/little_endian.h"
#include "common/records.h"
#include "common/request_codes.h"
#include "common/touch_report.h"
#include "platform/device/frame.h"
#include "tools/qvtouchctl/text_values.h"

namespace qvtouch::ctl {
namespace {

using platform::DeviceReply;
using Plan = std::variant<PlannedRequest, std::string>;

// A value of a request's input or output: a 32-bit word, or the single byte of the delay.
struct Field {
  std::string_view Name;
  bool Signed = false;
  std::size_t Size = 4;
};

// A request whose input and output are plain values.
struct ValueCommand {
  std::string_view Name;
  std::uint32_t Code;
  std::span<const Field> Inputs;
  std::span<const Field> Outputs;
};

constexpr Field kButtonMode[]{{"ButtonMode"}};
constexpr Field kMouseMode[]{{"MouseMode"}};
constexpr Field kScreenPost[]{{"ScreenPost", true}};
constexpr Field kRBNDelayIn[]{{"RBNDelay", false, 1}};
constexpr Field kRBNDelayOut[]{{"RBNDelay"}};
constexpr Field kBeep[]{{"BeepMode"}, {"BeepFreq1"}, {"BeepTime"}, {"BeepFreq2"}, {"BeepTime2"}};
constexpr Field kCapture[]{{"CaptureState", true}, {"CaptureRawX", true}, {"CaptureRawY", true}};
constexpr Field kPointer[]{{"ButtonFlags"}, {"LastX", true}, {"LastY", true}};
constexpr Field kCalibration[]{
    {"Xc", true},  {"Yc", true},  {"XL", true},  {"YL", true},  {"Orientation", true},
    {"Shp", true}, {"Shs", true}, {"Svp", true}, {"Svs", true}, {"CalibrationExtra0", true},
    {"CalibrationExtra1", true}, {"CalibrationExtra2", true}, {"CalibrationExtra3", true},
    {"CalibrationExtra4", true}, {"CalibrationExtra5", true}, {"CalibrationExtra6", true},
    {"CalibrationExtra7", true}};
static_assert(std::size(kCalibration) * 4 == CalibrationBlock::kSize);
static_assert(std::size(kBeep) * 4 == BeepRecord::kSize);

constexpr std::array kValueCommands{
    ValueCommand{"get-button-mode", IOCTL_TOUCH_GET_BUTTON_MODE, {}, kButtonMode},
    ValueCommand{"set-button-mode", IOCTL_TOUCH_SET_BUTTON_MODE, kButtonMode, {}},
    ValueCommand{"get-mouse-mode", IOCTL_TOUCH_GET_MOUSE_MODE, {}, kMouseMode},
    ValueCommand{"set-mouse-mode", IOCTL_TOUCH_SET_MOUSE_MODE, kMouseMode, {}},
    ValueCommand{"get-screen-post", IOCTL_TOUCH_GET_SCREEN_POST, {}, kScreenPost},
    ValueCommand{"set-screen-post", IOCTL_TOUCH_SET_SCREEN_POST, kScreenPost, {}},
    ValueCommand{"get-rbn-delay", IOCTL_TOUCH_GET_RBN_DELAY, {}, kRBNDelayOut},
    ValueCommand{"set-rbn-delay", IOCTL_TOUCH_SET_RBN_DELAY, kRBNDelayIn, {}},
    ValueCommand{"get-beep", IOCTL_TOUCH_GET_BEEP, {}, kBeep},
    ValueCommand{"set-beep", IOCTL_TOUCH_SET_BEEP, kBeep, {}},
    ValueCommand{"reload", IOCTL_TOUCH_RELOAD_SETTINGS, {}, {}},
    ValueCommand{"beep", IOCTL_TOUCH_BEEP, {}, {}},
    ValueCommand{"arm-capture", IOCTL_TOUCH_ARM_CAPTURE, {}, {}},
    ValueCommand{"get-capture", IOCTL_TOUCH_GET_CAPTURE, {}, kCapture},
    ValueCommand{"enable-pointer", IOCTL_TOUCH_ENABLE_POINTER, {}, {}},
    ValueCommand{"disable-pointer", IOCTL_TOUCH_DISABLE_POINTER, {}, {}},
    ValueCommand{"get-pointer", IOCTL_TOUCH_GET_POINTER, {}, kPointer},
    ValueCommand{"set-calibration", IOCTL_TOUCH_SET_CALIBRATION, kCalibration, {}},
};

constexpr std::string_view kCaptureReportArguments = "[--out N]";
constexpr std::string_view kPassThroughArguments = "HEXBYTES --reply N";
constexpr std::string_view kRawArguments = "CODE [HEXINPUT] [--out N]";

// The byte count of --out or --reply, or `fallback` when the option is absent.
std::variant<std::uint32_t, std::string> TakeLength(std::vector<std::string_view>& args,
                                                    std::string_view name,
                                                    std::optional<std::uint32_t> fallback) {
  auto option = TakeOption(args, name);
  if (auto* error = std::get_if<std::string>(&option)) return *error;
  const auto text = std::get<std::optional<std::string_view>>(option);
  if (!text) {
    if (fallback) return *fallback;
    return std::string(name) + " N is required";
  }
  const auto value = ParseInteger(*text, 0, platform::kMaxBufferLength);
  if (!value) {
    return std::string(name) + " takes a byte count from 0 to " +
           std::to_string(platform::kMaxBufferLength);
  }
  return static_cast<std::uint32_t>(*value);
}

std::string WrongArguments(std::string_view command, std::string_view arguments) {
  return "usage: " + std::string(command) + (arguments.empty() ? "" : " ") + std::string(arguments);
}

std::string ArgumentNames(std::span<const Field> fields) {
  std::string names;
  for (const Field& field : fields) {
    if (!names.empty()) names += ' ';
    names += field.Name;
  }
  return names;
}

void PrintLine(std::ostream& out, std::string_view name, std::string_view value) {
  out << name << ": " << value << '\n';
}

void PrintWords(std::span<const Field> fields, const DeviceReply& reply, std::ostream& out) {
  for (std::size_t i = 0; i < fields.size() && 4 * (i + 1) <= reply.Output.size(); ++i) {
    const std::uint32_t word = LoadU32(reply.Output, 4 * i);
    PrintLine(out, fields[i].Name,
              fields[i].Signed ? std::to_string(static_cast<std::int32_t>(word))
                               : std::to_string(word));
  }
}

// Prints Information and, when there are any, the returned bytes under the given name.
auto PrintBytes(std::string_view name) {
  return [name](const DeviceReply& reply, std::ostream& out) {
    PrintLine(out, "Information", std::to_string(reply.Information));
    if (!reply.Output.empty()) PrintLine(out, name, FormatHexBytes(reply.Output));
  };
}

Plan PlanValueCommand(const ValueCommand& command, const std::vector<std::string_view>& args) {
  if (args.size() != command.Inputs.size()) {
    return WrongArguments(command.Name, ArgumentNames(command.Inputs));
  }
  PlannedRequest request{command.Code, {}, static_cast<std::uint32_t>(4 * command.Outputs.size()),
                         nullptr};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Field& field = command.Inputs[i];
    // A word takes any 32-bit pattern, signed or not; the byte 0 to 255.
    const auto value = field.Size == 1 ? ParseInteger(args[i], 0, UINT8_MAX)
                                       : ParseInteger(args[i], INT32_MIN, UINT32_MAX);
    if (!value) return std::string(field.Name) + ": not a valid value: " + std::string(args[i]);
    std::array<std::uint8_t, 4> bytes{};
    StoreU32(bytes, 0, static_cast<std::uint32_t>(*value));
    request.Input.insert(request.Input.end(), bytes.begin(), bytes.begin() + field.Size);
  }
  request.PrintFields = [outputs = command.Outputs](const DeviceReply& reply, std::ostream& out) {
    PrintWords(outputs, reply, out);
  };
  return request;
}

Plan PlanCaptureReport(std::vector<std::string_view> args) {
  auto length = TakeLength(args, "--out", kReportSize);
  if (auto* error = std::get_if<std::string>(&length)) return *error;
  if (!args.empty()) return WrongArguments("capture-report", kCaptureReportArguments);
  return PlannedRequest{IOCTL_TOUCH_CAPTURE_REPORT, {}, std::get<std::uint32_t>(length),
                        PrintBytes("Report")};
}

Plan PlanPassThrough(std::vector<std::string_view> args) {
  auto length = TakeLength(args, "--reply", std::nullopt);
  if (auto* error = std::get_if<std::string>(&length)) return *error;
  if (args.size() != 1) return WrongArguments("pass-through", kPassThroughArguments);
  const auto command = ParseHexBytes(args[0]);
  // No command bytes at all is a request too: it succeeds once the serial link is up.
  if (!command || command->size() > CommandRecord::kMaxCommandBytes) {
    return "pass-through takes 0 to 16 command bytes in hex: " + std::string(args[0]);
  }
  CommandRecord record;
  std::copy(command->begin(), command->end(), record.CommandBytes.begin());
  record.SendCount = static_cast<std::uint32_t>(command->size());
  record.ReplyCount = std::get<std::uint32_t>(length);
  const auto bytes = record.Encode();
  return PlannedRequest{IOCTL_TOUCH_PASS_THROUGH, {bytes.begin(), bytes.end()}, record.ReplyCount,
                        PrintBytes("Reply")};
}

Plan PlanRaw(std::vector<std::string_view> args) {
  auto length = TakeLength(args, "--out", 0);
  if (auto* error = std::get_if<std::string>(&length)) return *error;
  if (args.empty() || args.size() > 2) return WrongArguments("raw", kRawArguments);
  auto code = TouchRequestByName(args[0]);
  if (!code) {
    const auto number = ParseInteger(args[0], 0, UINT32_MAX);
    if (!number) return "not a request code or name: " + std::string(args[0]);
    code = static_cast<std::uint32_t>(*number);
  }
  std::vector<std::uint8_t> input;
  if (args.size() == 2) {
    const auto bytes = ParseHexBytes(args[1]);
    if (!bytes || bytes->size() > platform::kMaxBufferLength) {
      return "not valid input bytes in hex: " + std::string(args[1]);
    }
    input = *bytes;
  }
  return PlannedRequest{*code, std::move(input), std::get<std::uint32_t>(length),
                        PrintBytes("Output")};
}

}  // namespace

std::variant<std::optional<std::string_view>, std::string> TakeOption(
    std::vector<std::string_view>& args, std::string_view name) {
  const auto found = std::find(args.begin(), args.end(), name);
  if (found == args.end()) return std::nullopt;
  if (found + 1 == args.end()) return std::string(name) + " needs a value";
  const std::string_view value = *(found + 1);
  args.erase(found, found + 2);
  return value;
}

Plan PlanCommand(std::string_view name, std::vector<std::string_view> args) {
  if (name == "capture-report") return PlanCaptureReport(std::move(args));
  if (name == "pass-through") return PlanPassThrough(std::move(args));
  if (name == "raw") return PlanRaw(std::move(args));
  const auto* command = std::find_if(kValueCommands.begin(), kValueCommands.end(),
                                     [name](const ValueCommand& c) { return c.Name == name; });
  if (command == kValueCommands.end()) return "unknown command: " + std::string(name);
  return PlanValueCommand(*command, args);
}

std::string CommandList() {
  std::string list;
  for (const ValueCommand& command : kValueCommands) {
    list += "  " + std::string(command.Name);
    if (!command.Inputs.empty()) list += " " + ArgumentNames(command.Inputs);
    list += '\n';
  }
  list += "  capture-report " + std::string(kCaptureReportArguments) + "\n";
  list += "  pass-through " + std::string(kPassThroughArguments) + "\n";
  list += "  raw " + std::string(kRawArguments) + "   (CODE in hex, or a name like IOCTL_TOUCH_GET_BEEP)\n";
  return list;
}

}  // namespace qvtouch::ctl
