#include "platform/input/pointer_sinks.h"

#include <array>
#include <string>

#include "platform/input/device_file.h"
#include "platform/input/pointer_fan_out.h"
#include "platform/input/pointer_recorder.h"
#include "platform/input/sink_error.h"
#include "platform/input/uinput_sink.h"
#include "platform/input/xtest_sink.h"

namespace qvtouch::platform {
namespace {

constexpr std::array<std::string_view, 2> kDeviceSinks{kUinputSink, kXTestSink};

}  // namespace

PointerSinkProbes SystemPointerProbes() {
  return {[] { return SystemDevices().OpenForWriting(std::string(kUinputPath)) != nullptr; },
          XDisplayAnswers};
}

SinkChoice ChoosePointerSink(std::string_view value, const PointerSinkProbes& probes) {
  SinkChoice choice = ParseSinkChoice(value, kDeviceSinks, kPointerSinkValue);
  if (choice.Name != kAutoSink) return choice;
  if (probes.UinputOpens()) return {std::string(kUinputSink), {}};
  if (probes.DisplayAnswers()) return {std::string(kXTestSink), {}};
  return {std::string(kRecorderSink), std::string(kHostLogPath)};
}

std::unique_ptr<PointerSink> OpenPointerSink(const SinkChoice& choice) {
  if (choice.Name == kUinputSink) return OpenUinputSink(SystemDevices());
  if (choice.Name == kXTestSink) return OpenXTestSink();
  if (choice.Name == kRecorderSink) return OpenPointerRecorder(choice.RecorderPath);
  throw SinkError(std::string(kPointerSinkValue) + ": no sink \"" + choice.Name + "\" to open");
}

OpenedPointerSink MakePointerSink(std::string_view value) {
  const PointerSinkProbes probes = SystemPointerProbes();
  std::vector<std::unique_ptr<PointerSink>> sinks;
  std::string description;
  for (std::string_view rest = value;;) {
    const std::size_t comma = rest.find(',');
    const SinkChoice choice = ChoosePointerSink(rest.substr(0, comma), probes);
    sinks.push_back(OpenPointerSink(choice));
    description += (description.empty() ? "" : ", ") + DescribeSink(choice);
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  if (sinks.size() == 1) return {std::move(sinks.front()), description};
  return {std::make_unique<PointerFanOut>(std::move(sinks)), description};
}

}  // namespace qvtouch::platform
