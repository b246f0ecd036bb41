#include "platform/input/sink_choice.h"

#include <algorithm>

#include "platform/input/sink_error.h"

namespace qvtouch::platform {
namespace {

[[noreturn]] void Refuse(std::string_view text, std::span<const std::string_view> deviceSinks,
                         std::string_view settingName, std::string_view why) {
  std::string accepted(kAutoSink);
  for (const std::string_view name : deviceSinks) accepted += ", " + std::string(name);
  accepted += ", " + std::string(kRecorderSink) + ":PATH";
  throw SinkError(std::string(settingName) + " \"" + std::string(text) + "\": " + std::string(why) +
                  " (expected " + accepted + ")");
}

}  // namespace

SinkChoice ParseSinkChoice(std::string_view text, std::span<const std::string_view> deviceSinks,
                       std::string_view settingName) {
  if (text.empty()) return {std::string(kAutoSink), {}};
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  if (name == kRecorderSink) {
    if (colon == std::string_view::npos || colon + 1 == text.size()) {
      Refuse(text, deviceSinks, settingName, "the recorder needs a path");
    }
    return {std::string(kRecorderSink), std::string(text.substr(colon + 1))};
  }
  const bool known = name == kAutoSink ||
                     std::find(deviceSinks.begin(), deviceSinks.end(), name) != deviceSinks.end();
  if (!known) Refuse(text, deviceSinks, settingName, "unknown sink");
  if (colon != std::string_view::npos) {
    Refuse(text, deviceSinks, settingName, "this sink takes no argument");
  }
  return {std::string(name), {}};
}

std::string DescribeSink(const SinkChoice& choice) {
  if (choice.Name != kRecorderSink) return choice.Name;
  return choice.Name + ":" + (choice.RecorderPath == kHostLogPath ? "log" : choice.RecorderPath);
}

}  // namespace qvtouch::platform
