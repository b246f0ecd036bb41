// The pointer sink the host delivers to, chosen by the REG_SZ value "PointerSink" under
// HKLM\Software\QVTouch:
//   uinput         an absolute pointer device (uinput_sink.h)
//   xtest          the X pointer of $DISPLAY (xtest_sink.h)
//   recorder:PATH  JSON Lines to a file, "-" for standard output (pointer_recorder.h)
//   auto           (also an absent or empty value) uinput when /dev/uinput can be opened, else
//                  xtest when a display answers, else the recorder on the host's log (standard
//                  error)
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/input/pointer_sink.h"
#include "platform/input/sink_choice.h"

namespace qvtouch::platform {

inline constexpr std::string_view kPointerSinkValue = "PointerSink";
inline constexpr std::string_view kUinputSink = "uinput";
inline constexpr std::string_view kXTestSink = "xtest";

// What the auto choice asks of the machine.
struct PointerSinkProbes {
  std::function<bool()> UinputOpens;
  std::function<bool()> DisplayAnswers;
};
PointerSinkProbes SystemPointerProbes();

// Parses the value and resolves auto; never yields auto. Throws SinkError for a bad value.
SinkChoice ChoosePointerSink(std::string_view value, const PointerSinkProbes& probes);

// Opens a sink that ChoosePointerSink chose; throws SinkError when it cannot be opened.
std::unique_ptr<PointerSink> OpenPointerSink(const SinkChoice& choice);

struct OpenedPointerSink {
  std::unique_ptr<PointerSink> Sink;
  std::string Description;  // what was chosen, for the host's log ("xtest, recorder:-")
};

// Both, on this machine: the host's one call. The value may name several sinks separated by
// commas ("xtest,recorder:-"); each then gets every record.
OpenedPointerSink MakePointerSink(std::string_view value);

}  // namespace qvtouch::platform
