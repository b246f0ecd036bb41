#include "platform/sound/tone_recorder.h"

#include "common/event_lines.h"
#include "platform/input/line_output.h"

namespace qvtouch::platform {
namespace {

class ToneRecorder final : public ToneSink {
 public:
  explicit ToneRecorder(std::string_view path) : output_(path) {}

  void Sound(std::uint32_t frequency) override { output_.Write(ToneEventLine(frequency)); }
  std::string Describe() const override { return "recorder " + output_.Destination(); }

 private:
  LineOutput output_;
};

}  // namespace

std::unique_ptr<ToneSink> OpenToneRecorder(std::string_view path) {
  return std::make_unique<ToneRecorder>(path);
}

}  // namespace qvtouch::platform
