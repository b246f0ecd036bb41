// Where the speaker's tone goes: the PC speaker (through an input event device or the console),
// or a recorder.
#pragma once

#include <cstdint>
#include <string>

namespace qvtouch::platform {

class ToneSink {
 public:
  virtual ~ToneSink() = default;
  // Switches the tone to the frequency in Hz; 0 silences it. A failure is not reported: the
  // tone is feedback, and the next call tries again.
  virtual void Sound(std::uint32_t frequency) = 0;
  // What the sink drives, for the host's log ("console /dev/tty0").
  virtual std::string Describe() const = 0;
};

}  // namespace qvtouch::platform
