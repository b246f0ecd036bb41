#include "tests/vm/tone_recording.h"

#include <sndfile.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "tests/platform/input/temp_dir.h"

namespace qvtouch::testing {
namespace {

using platform::testing::TempDir;

// The PC speaker's timer divides this clock by a whole number, so a tone is only near the
// frequency asked for: 1500 Hz sounds as 1193182 / 795 = 1500.86 Hz.
constexpr double kTimerClock = 1193182;
double Sounded(double frequency) {
  return kTimerClock / std::round(kTimerClock / frequency);
}

struct Tone {
  double Frequency;
  double Milliseconds;
};

// The tones as QEMU records them: a square wave made at its speaker's 32 kHz, resampled by linear
// interpolation to 44.1 kHz, on two channels, and written one after the other.
void WriteRecording(const std::filesystem::path& file, const std::vector<Tone>& tones) {
  constexpr double kSpeakerRate = 32000;
  constexpr int kRate = 44100;
  std::vector<double> speaker;
  for (const Tone& tone : tones) {
    const auto count = static_cast<std::size_t>(tone.Milliseconds * kSpeakerRate / 1000);
    for (std::size_t i = 0; i < count; ++i) {
      const double phase = std::fmod(static_cast<double>(i) * tone.Frequency / kSpeakerRate, 1.0);
      speaker.push_back(phase < 0.5 ? 24000 : -24000);
    }
  }
  std::vector<std::int16_t> frames;
  for (double at = 0; at + 1 < static_cast<double>(speaker.size()); at += kSpeakerRate / kRate) {
    const auto i = static_cast<std::size_t>(at);
    const double sample =
        speaker[i] + (speaker[i + 1] - speaker[i]) * (at - static_cast<double>(i));
    frames.insert(frames.end(), 2, static_cast<std::int16_t>(sample));
  }
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* sound = sf_open(file.c_str(), SFM_WRITE, &info);
  ASSERT_NE(sound, nullptr);
  sf_writef_short(sound, frames.data(), static_cast<sf_count_t>(frames.size() / 2));
  sf_close(sound);
}

TEST(ToneRecording, SplitsTheTonesAndMeasuresEach) {
  const TempDir folder;
  const std::vector<Tone> written{{Sounded(1000), 120},
                                  {Sounded(1500), 40},
                                  {Sounded(2500), 100},
                                  {Sounded(2000), 300},
                                  {Sounded(1000), 60}};
  WriteRecording(folder / "tones.wav", written);
  const std::vector<std::uint32_t> expected{1000, 1500, 2500, 2000, 1000};

  const std::vector<RecordedTone> tones = SplitIntoTones(ReadWav(folder / "tones.wav"), expected);
  ASSERT_EQ(tones.size(), written.size());
  for (std::size_t i = 0; i < tones.size(); ++i) {
    SCOPED_TRACE("tone " + std::to_string(i));
    EXPECT_EQ(tones[i].Nearest, expected[i]);
    EXPECT_NEAR(tones[i].Frequency, written[i].Frequency, written[i].Frequency / 1000);
    EXPECT_NEAR(tones[i].Milliseconds, written[i].Milliseconds, 1.5);
  }
}

TEST(ToneRecording, MeasuresAToneAsItSoundsNotAsTheFrequencyItIsTakenFor) {
  const TempDir folder;
  WriteRecording(folder / "tones.wav", {{Sounded(1000), 50}, {Sounded(1600), 80}});
  const std::vector<std::uint32_t> expected{1000, 1500};

  const std::vector<RecordedTone> tones = SplitIntoTones(ReadWav(folder / "tones.wav"), expected);
  ASSERT_EQ(tones.size(), 2u);
  EXPECT_EQ(tones[1].Nearest, 1500u);
  EXPECT_NEAR(tones[1].Frequency, Sounded(1600), 2);
}

// QEMU writes a recording without samples when the speaker never sounded.
TEST(ToneRecording, ARecordingOfSilenceHoldsNoTone) {
  const TempDir folder;
  WriteRecording(folder / "silence.wav", {});
  const std::vector<std::uint32_t> expected{1000};
  EXPECT_TRUE(SplitIntoTones(ReadWav(folder / "silence.wav"), expected).empty());
}

TEST(ToneRecording, AFileThatIsNoSixteenBitWavIsRefusedWithTheReason) {
  const TempDir folder;
  std::ofstream(folder / "text.wav") << "not a recording";
  EXPECT_THAT([&] { ReadWav(folder / "text.wav"); },
              ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr("text.wav: ")));

  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
  sf_close(sf_open((folder / "bytes.wav").c_str(), SFM_WRITE, &info));
  EXPECT_THAT([&] { ReadWav(folder / "bytes.wav"); },
              ::testing::ThrowsMessage<std::runtime_error>(
                  ::testing::HasSubstr("bytes.wav: not a 16-bit PCM wav file")));
}

}  // namespace
}  // namespace qvtouch::testing
