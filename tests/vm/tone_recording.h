// A recording of the PC speaker, as QEMU writes it (a PCM wav file that holds only the time the
// speaker was on), split into the tones it holds, each with its frequency and length.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace qvtouch::testing {

struct Recording {
  std::uint32_t SampleRate = 0;
  std::vector<std::int16_t> Samples;  // the first channel
};

// Reads a 16-bit PCM wav file; throws std::runtime_error saying what is wrong with it.
Recording ReadWav(const std::filesystem::path& file);

struct RecordedTone {
  std::uint32_t Nearest = 0;  // the expected frequency it was taken for
  double Frequency = 0;       // measured over its whole periods, in Hz
  double Milliseconds = 0;    // from its start to the next tone's start, or the recording's end
};

// The square-wave tones of the recording in order. Each period is taken for the nearest of the
// expected frequencies, and a run of periods taken for one of them is one tone; runs too short to
// be a tone (a period cut by a change of tone) join the tone before them.
std::vector<RecordedTone> SplitIntoTones(const Recording& recording,
                                         std::span<const std::uint32_t> expectedFrequencies);

}  // namespace qvtouch::testing
