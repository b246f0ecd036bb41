#include "tools/qvtouchctl/control_tool.h"

#include <cstdio>
#include <string>

#include "common/status.h"
#include "platform/device/device_channel.h"
#include "tools/qvtouchctl/ctl_commands.h"

namespace qvtouch::ctl {
namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::ostream& out) {
  out << "usage: qvtouchctl [--device NAME] COMMAND [ARGUMENTS]   (NAME defaults to "
      << kDefaultDevice << ")\ncommands:\n"
      << CommandList();
}

int UsageError(std::ostream& err, std::string_view problem) {
  err << "qvtouchctl: " << problem << " (qvtouchctl --help lists the commands)\n";
  return kExitUsage;
}

std::string StatusText(NtStatus status) {
  const std::string_view name = StatusName(status);
  if (!name.empty()) return std::string(name);
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08X", static_cast<unsigned>(status));
  return hex;
}

}  // namespace

int RunControlTool(std::vector<std::string_view> args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    PrintUsage(out);
    return kExitSuccess;
  }
  auto deviceOption = TakeOption(args, "--device");
  if (const auto* error = std::get_if<std::string>(&deviceOption)) return UsageError(err, *error);
  const std::string_view device =
      std::get<std::optional<std::string_view>>(deviceOption).value_or(kDefaultDevice);
  if (args.empty()) return UsageError(err, "no command given");

  const std::string_view command = args.front();
  args.erase(args.begin());
  auto plan = PlanCommand(command, std::move(args));
  if (const auto* error = std::get_if<std::string>(&plan)) return UsageError(err, *error);
  const auto& request = std::get<PlannedRequest>(plan);

  platform::DeviceReply reply;
  const platform::ChannelError error =
      platform::CallDevice(device, request.Code, request.Input, request.OutputLength, reply);
  if (error != platform::ChannelError::None) {
    err << "qvtouchctl: " << device << ": " << platform::ChannelErrorText(error) << '\n';
    return kExitFailure;
  }
  out << "Status: " << StatusText(reply.Status) << '\n';
  if (const std::string refusal = platform::RefusalText(reply.Status, reply.Information);
      !refusal.empty()) {
    err << "qvtouchctl: " << device << ": " << refusal << '\n';
  }
  if (!NT_SUCCESS(reply.Status)) return kExitFailure;
  request.PrintFields(reply, out);
  return kExitSuccess;
}

}  // namespace qvtouch::ctl
