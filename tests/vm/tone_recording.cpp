#include "tests/vm/tone_recording.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>

namespace qvtouch::testing {
namespace {

// Periods looked at on each side when deciding which frequency a period belongs to: enough to
// outvote the one or two periods that QEMU's resampling lengthens or shortens by a sample.
constexpr std::ptrdiff_t kNeighbourhood = 3;
// A run shorter than this is the period cut by a change of tone, not a tone of its own.
constexpr std::size_t kShortestTone = 4;

struct SoundFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

// Where the signal rises through the level halfway between its extremes, in samples, with the
// crossing placed between the two samples by linear interpolation.
std::vector<double> RisingCrossings(std::span<const std::int16_t> samples) {
  if (samples.empty()) return {};  // a recording of silence
  const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
  const double middle = (static_cast<double>(*low) + *high) / 2;
  std::vector<double> crossings;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const double before = samples[i - 1] - middle;
    const double after = samples[i] - middle;
    if (before < 0 && after >= 0)
      crossings.push_back(static_cast<double>(i - 1) - before / (after - before));
  }
  return crossings;
}

std::uint32_t Nearest(double frequency, std::span<const std::uint32_t> candidates) {
  return *std::min_element(candidates.begin(), candidates.end(), [&](auto a, auto b) {
    return std::abs(std::log(frequency / a)) < std::abs(std::log(frequency / b));
  });
}

// For each period, the expected frequency most of its neighbourhood is nearest to.
std::vector<std::uint32_t> PeriodLabels(std::span<const double> crossings, double sampleRate,
                                        std::span<const std::uint32_t> expected) {
  const std::ptrdiff_t periods = static_cast<std::ptrdiff_t>(crossings.size()) - 1;
  std::vector<std::uint32_t> nearest;
  for (std::ptrdiff_t i = 0; i < periods; ++i) {
    nearest.push_back(Nearest(sampleRate / (crossings[i + 1] - crossings[i]), expected));
  }
  std::vector<std::uint32_t> labels;
  for (std::ptrdiff_t i = 0; i < periods; ++i) {
    std::map<std::uint32_t, int> votes;
    for (std::ptrdiff_t j = std::max<std::ptrdiff_t>(0, i - kNeighbourhood);
         j <= std::min(periods - 1, i + kNeighbourhood); ++j) {
      ++votes[nearest[j]];
    }
    labels.push_back(std::max_element(votes.begin(), votes.end(), [](auto& a, auto& b) {
                       return a.second < b.second;
                     })->first);
  }
  return labels;
}

}  // namespace

Recording ReadWav(const std::filesystem::path& file) {
  SF_INFO info{};
  const std::unique_ptr<SNDFILE, SoundFileCloser> sound(sf_open(file.c_str(), SFM_READ, &info));
  if (!sound) throw std::runtime_error(file.string() + ": " + sf_strerror(nullptr));
  if ((info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV ||
      (info.format & SF_FORMAT_SUBMASK) != SF_FORMAT_PCM_16 || info.channels < 1) {
    throw std::runtime_error(file.string() + ": not a 16-bit PCM wav file");
  }
  std::vector<std::int16_t> frames(static_cast<std::size_t>(info.frames * info.channels));
  const sf_count_t read = sf_readf_short(sound.get(), frames.data(), info.frames);
  Recording recording{static_cast<std::uint32_t>(info.samplerate), {}};
  for (sf_count_t frame = 0; frame < read; ++frame) {
    recording.Samples.push_back(frames[static_cast<std::size_t>(frame * info.channels)]);
  }
  return recording;
}

std::vector<RecordedTone> SplitIntoTones(const Recording& recording,
                                         std::span<const std::uint32_t> expectedFrequencies) {
  const std::vector<double> crossings = RisingCrossings(recording.Samples);
  if (crossings.size() < 2 || expectedFrequencies.empty()) return {};
  const double rate = recording.SampleRate;
  const std::vector<std::uint32_t> labels = PeriodLabels(crossings, rate, expectedFrequencies);

  // Runs of periods with one label, [First, End) in period numbers; a run too short to be a tone
  // joins the one before it (or, at the start, takes the label of the one after it).
  struct Run {
    std::size_t First;
    std::size_t End;
    std::uint32_t Label;
    bool Short() const { return End - First < kShortestTone; }
  };
  std::vector<Run> runs;
  for (std::size_t i = 0; i < labels.size();) {
    Run run{i, i, labels[i]};
    while (run.End < labels.size() && labels[run.End] == run.Label) ++run.End;
    i = run.End;
    if (runs.empty()) {
      runs.push_back(run);
    } else if (run.Short() || run.Label == runs.back().Label) {
      runs.back().End = run.End;
    } else if (runs.back().Short()) {
      runs.back() = {runs.back().First, run.End, run.Label};
    } else {
      runs.push_back(run);
    }
  }

  std::vector<RecordedTone> tones;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const Run& run = runs[r];
    // The first tone starts with the recording, the others where their first period starts.
    const double start = r == 0 ? 0 : crossings[run.First];
    const double end = r + 1 == runs.size() ? static_cast<double>(recording.Samples.size())
                                            : crossings[runs[r + 1].First];
    // The frequency leaves out the periods next to a change of tone, which may hold some of both.
    const std::size_t margin =
        run.Short() ? 0 : std::min<std::size_t>(2, (run.End - run.First) / 4);
    const std::size_t first = run.First + margin;
    const std::size_t last = run.End - margin;
    tones.push_back(
        {run.Label, static_cast<double>(last - first) * rate / (crossings[last] - crossings[first]),
         (end - start) * 1000 / rate});
  }
  return tones;
}

}  // namespace qvtouch::testing
