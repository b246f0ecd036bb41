// The check of a speaker recording against the tones a test planned (tone_plan.h): the same
// number of tones, in order, each at its frequency within 1% and, where measured, for its length.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <span>
#include <sstream>
#include <vector>

#include "tests/vm/tone_plan.h"
#include "tests/vm/tone_recording.h"

namespace qvtouch::testing {

inline std::string Describe(const std::vector<RecordedTone>& tones) {
  std::ostringstream text;
  for (const RecordedTone& tone : tones) {
    text << "\n  " << tone.Frequency << " Hz for " << tone.Milliseconds << " ms";
  }
  return text.str();
}

inline void ExpectPlannedTones(const std::filesystem::path& recording,
                               std::span<const PlannedTone> plan) {
  std::vector<std::uint32_t> frequencies;
  for (const PlannedTone& planned : plan) frequencies.push_back(planned.Frequency);

  const std::vector<RecordedTone> tones = SplitIntoTones(ReadWav(recording), frequencies);
  ASSERT_EQ(tones.size(), plan.size()) << "recorded:" << Describe(tones);
  for (std::size_t i = 0; i < tones.size(); ++i) {
    const PlannedTone& planned = plan[i];
    std::cout << planned.What << ":" << Describe({tones[i]}) << "\n";
    SCOPED_TRACE(planned.What);
    EXPECT_EQ(tones[i].Nearest, planned.Frequency);
    if (!planned.Measured) continue;
    EXPECT_NEAR(tones[i].Frequency, planned.Frequency, planned.Frequency * kFrequencyTolerance);
    EXPECT_GE(tones[i].Milliseconds, planned.ShortestMs);
    EXPECT_LE(tones[i].Milliseconds, planned.LongestMs);
  }
}

}  // namespace qvtouch::testing
