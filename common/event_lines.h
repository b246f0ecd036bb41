// The JSON Lines that the replay tool and the recorder sinks print for what the driver produces.
#pragma once

#include <cstdint>
#include <string>

#include "common/mouse_input.h"

namespace qvtouch {

// {"event":"send","flags":F,"buttons":B,"x":X,"y":Y}: a record passed to the class driver.
std::string SendEventLine(const MOUSE_INPUT_DATA& record);

// {"event":"beep","freq":F,"ms":T}: a tone started, with its length.
std::string BeepEventLine(std::uint32_t frequency, std::int64_t milliseconds);

// {"event":"tone","freq":F}: the speaker switched to F Hz, or off when F is 0.
std::string ToneEventLine(std::uint32_t frequency);

}  // namespace qvtouch
