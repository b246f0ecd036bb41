// The recorder sink: one JSON Line per record ({"event":"send",...}, as common/event_lines.h
// writes it), flushed per line.
#pragma once

#include <memory>
#include <string_view>

#include "platform/input/pointer_sink.h"

namespace qvtouch::platform {

// path as LineOutput takes it ("-" standard output); throws SinkError when it cannot be opened.
std::unique_ptr<PointerSink> OpenPointerRecorder(std::string_view path);

}  // namespace qvtouch::platform
