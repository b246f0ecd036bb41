// The speaker as the host drives it: wraps the chosen tone sink, takes changes from several
// threads at once (the driver sounds tones from its read completion and control requests and
// ends them from its timer) and makes sure a tone never outlives the host: destroying the
// speaker silences a tone that is still sounding.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/sound/tone_sink.h"

namespace qvtouch::platform {

class Speaker final : public ToneSink {
 public:
  explicit Speaker(std::unique_ptr<ToneSink> sink);
  ~Speaker() override;
  Speaker(const Speaker&) = delete;
  Speaker& operator=(const Speaker&) = delete;

  void Sound(std::uint32_t frequency) override;
  std::string Describe() const override { return sink_->Describe(); }

 private:
  std::mutex mutex_;
  std::unique_ptr<ToneSink> sink_;
  bool sounding_ = false;
};

}  // namespace qvtouch::platform
