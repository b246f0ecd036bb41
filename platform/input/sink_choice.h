// The sink values that choose the host's output sinks. The host reads them from REG_SZ values
// under HKLM\Software\QVTouch: "auto" (also an absent or empty value), the name of one of the
// stand-in's device sinks, or "recorder:PATH".
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qvtouch::platform {

inline constexpr std::string_view kHostSettingsKey = R"(Software\QVTouch)";

inline constexpr std::string_view kAutoSink = "auto";
inline constexpr std::string_view kRecorderSink = "recorder";

// Where a recorder writes: "-" standard output, empty standard error (the host's log, which only
// the auto choice picks), anything else a file that is created or appended to.
inline constexpr std::string_view kStandardOutputPath = "-";
inline constexpr std::string_view kHostLogPath{};

struct SinkChoice {
  std::string Name;          // kAutoSink, kRecorderSink or one of the device sinks
  std::string RecorderPath;  // the recorder's destination; empty for the other sinks
  bool operator==(const SinkChoice&) const = default;
};

// The choice as the host's log shows it: "xtest", "recorder:-", "recorder:log", "recorder:PATH".
std::string DescribeSink(const SinkChoice& choice);

// Checks text against the accepted forms; throws SinkError naming settingName and the accepted
// forms when it is none of them.
SinkChoice ParseSinkChoice(std::string_view text, std::span<const std::string_view> deviceSinks,
                       std::string_view settingName);

}  // namespace qvtouch::platform
