#include "platform/sound/speaker.h"

namespace qvtouch::platform {

Speaker::Speaker(std::unique_ptr<ToneSink> sink) : sink_(std::move(sink)) {}

Speaker::~Speaker() {
  if (sounding_) sink_->Sound(0);
}

void Speaker::Sound(std::uint32_t frequency) {
  const std::lock_guard guard(mutex_);
  sink_->Sound(frequency);
  sounding_ = frequency != 0;
}

}  // namespace qvtouch::platform
