#include "platform/input/pointer_recorder.h"

#include "common/event_lines.h"
#include "platform/input/line_output.h"

namespace qvtouch::platform {
namespace {

class PointerRecorder final : public PointerSink {
 public:
  explicit PointerRecorder(std::string_view path) : output_(path) {}
  void Deliver(const MOUSE_INPUT_DATA& record) override { output_.Write(SendEventLine(record)); }

 private:
  LineOutput output_;
};

}  // namespace

std::unique_ptr<PointerSink> OpenPointerRecorder(std::string_view path) {
  return std::make_unique<PointerRecorder>(path);
}

}  // namespace qvtouch::platform
