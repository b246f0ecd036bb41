// The tone recorder: one JSON Line per change, {"event":"tone","freq":F} (F 0 when the tone
// stops), as common/event_lines.h writes it; flushed per line.
#pragma once

#include <memory>
#include <string_view>

#include "platform/sound/tone_sink.h"

namespace qvtouch::platform {

// path as LineOutput takes it ("-" standard output, empty the host's log); throws SinkError when
// it cannot be opened.
std::unique_ptr<ToneSink> OpenToneRecorder(std::string_view path);

}  // namespace qvtouch::platform
