// The XTest sink: moves and clicks the X pointer of a display through the XTEST extension.
// Absolute records land on the primary monitor, or with MOUSE_VIRTUAL_DESKTOP on the whole
// desktop, by the monitors RandR reports (see screen_area.h for the pixel mapping); the buttons
// are X buttons 1 (left) and 3 (right).
#pragma once

#include <memory>
#include <string>

#include "platform/input/pointer_sink.h"

namespace qvtouch::platform {

// Opens the display (an empty name: $DISPLAY). Throws SinkError when it does not answer or has no
// XTEST extension. The sink may be opened on one thread and used on another.
std::unique_ptr<PointerSink> OpenXTestSink(const std::string& displayName = {});

// Whether $DISPLAY names a display that answers.
bool XDisplayAnswers();

}  // namespace qvtouch::platform
