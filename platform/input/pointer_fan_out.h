// A pointer sink that hands every record to several sinks in turn (for example, moving the X
// pointer and recording what it was told).
#pragma once

#include <memory>
#include <vector>

#include "platform/input/pointer_sink.h"

namespace qvtouch::platform {

class PointerFanOut final : public PointerSink {
 public:
  explicit PointerFanOut(std::vector<std::unique_ptr<PointerSink>> sinks)
      : sinks_(std::move(sinks)) {}

  void Deliver(const MOUSE_INPUT_DATA& record) override {
    for (const auto& sink : sinks_) sink->Deliver(record);
  }

 private:
  std::vector<std::unique_ptr<PointerSink>> sinks_;
};

}  // namespace qvtouch::platform
