// The tones the kernel test and the service VM's probe sound on the VM's PC speaker, in the order
// QEMU's recording must hold them, and what the recording must show of each. Each opens and closes
// the recording with a tone of its own: QEMU's audio output starts up during the first tone it
// records and cuts the last one short, so neither is measured. The recording holds only the time
// the speaker was on, so two tones in a row differ in frequency.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qvtouch::testing {

struct PlannedTone {
  std::string_view What;
  std::uint32_t Frequency;  // Hz
  bool Measured;
  double ShortestMs;  // the length the recording must show, when measured
  double LongestMs;
};

// How far a measured tone may be from the frequency asked for, as a share of it, and from the
// length asked for, in milliseconds.
inline constexpr double kFrequencyTolerance = 0.01;
inline constexpr double kLengthToleranceMs = 10;

inline constexpr std::uint32_t kBracketFrequency = 1000;
inline constexpr std::uint32_t kBracketMs = 100;

// A tap with the touch beep on press: the driver's BeepFreq1 and BeepTime.
inline constexpr std::uint32_t kTapBeepFrequency = 1500;
inline constexpr std::uint32_t kTapBeepMs = 40;
// The test-beep request after the beep has been set to this tone.
inline constexpr std::uint32_t kTestBeepFrequency = 2500;
inline constexpr std::uint32_t kTestBeepMs = 100;
// A long test beep, with the driver unloaded while it sounds.
inline constexpr std::uint32_t kCutToneFrequency = 2000;
inline constexpr std::uint32_t kCutToneMs = 750;
inline constexpr std::uint32_t kUnloadAfterMs = 250;
// The same tone stopped by `systemctl stop` sooner: the stop goes through systemd, which under
// software emulation takes a few hundred milliseconds to reach the host.
inline constexpr std::uint32_t kStopAfterMs = 100;
// The test-beep request with the tone sink on the console.
inline constexpr std::uint32_t kConsoleBeepFrequency = 1500;
inline constexpr std::uint32_t kConsoleBeepMs = 100;

inline constexpr std::array<PlannedTone, 6> kKernelTestTones{{
    {"the test's opening tone", kBracketFrequency, false, 0, 0},
    {"the tap's touch beep", kTapBeepFrequency, true, kTapBeepMs - kLengthToleranceMs,
     kTapBeepMs + kLengthToleranceMs},
    {"the test beep", kTestBeepFrequency, true, kTestBeepMs - kLengthToleranceMs,
     kTestBeepMs + kLengthToleranceMs},
    // Sounding when the unload began, silenced by it rather than by its own switch-off.
    {"the tone sounding at unload", kCutToneFrequency, true, kUnloadAfterMs - kLengthToleranceMs,
     kCutToneMs - kLengthToleranceMs},
    {"the test beep through the console", kConsoleBeepFrequency, true,
     kConsoleBeepMs - kLengthToleranceMs, kConsoleBeepMs + kLengthToleranceMs},
    {"the test's closing tone", kBracketFrequency, false, 0, 0},
}};

// The installed service: a tap's touch beep, and a test beep that `systemctl stop` silences.
inline constexpr std::array<PlannedTone, 4> kServiceTones{{
    {"the probe's opening tone", kBracketFrequency, false, 0, 0},
    {"the tap's touch beep", kTapBeepFrequency, true, kTapBeepMs - kLengthToleranceMs,
     kTapBeepMs + kLengthToleranceMs},
    {"the tone sounding at systemctl stop", kCutToneFrequency, true,
     kStopAfterMs - kLengthToleranceMs, kCutToneMs - kLengthToleranceMs},
    {"the probe's closing tone", kBracketFrequency, false, 0, 0},
}};

}  // namespace qvtouch::testing
