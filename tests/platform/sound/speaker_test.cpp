#include "platform/sound/speaker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/sound/tone_recorder.h"
#include "tests/platform/input/temp_dir.h"

namespace qvtouch::platform {
namespace {

using ::testing::ElementsAre;
using testing::ReadFile;
using testing::TempDir;

// Keeps every frequency it is given, in a list the test owns.
class ListSink final : public ToneSink {
 public:
  explicit ListSink(std::vector<std::uint32_t>& tones) : tones_(tones) {}
  void Sound(std::uint32_t frequency) override { tones_.push_back(frequency); }
  std::string Describe() const override { return "list"; }

 private:
  std::vector<std::uint32_t>& tones_;
};

TEST(Speaker, ForwardsEveryChangeAndEndsATone) {
  std::vector<std::uint32_t> tones;
  {
    Speaker speaker(std::make_unique<ListSink>(tones));
    speaker.Sound(2000);
    speaker.Sound(1500);  // a new tone over a sounding one
    speaker.Sound(0);
    speaker.Sound(4000);
  }  // the host stops mid-tone
  EXPECT_THAT(tones, ElementsAre(2000, 1500, 0, 4000, 0));

  tones.clear();
  {
    Speaker speaker(std::make_unique<ListSink>(tones));
    speaker.Sound(2000);
    speaker.Sound(0);
  }
  EXPECT_THAT(tones, ElementsAre(2000, 0));  // nothing more to silence
}

// The driver starts tones from the read completion and control requests and ends them from its
// timer, at the same time.
TEST(Speaker, TakesChangesFromSeveralThreads) {
  std::vector<std::uint32_t> tones;
  {
    Speaker speaker(std::make_unique<ListSink>(tones));
    std::vector<std::thread> threads;
    for (std::uint32_t frequency : {1000U, 2000U, 0U}) {
      threads.emplace_back([&speaker, frequency] {
        for (int i = 0; i < 200; ++i) speaker.Sound(frequency);
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  EXPECT_GE(tones.size(), 600U);
  EXPECT_EQ(tones.back(), 0U);
}

TEST(ToneRecorder, WritesOneFlushedLinePerChange) {
  TempDir dir;
  const auto path = dir / "tone.jsonl";
  {
    Speaker speaker(OpenToneRecorder(path.string()));
    EXPECT_EQ(speaker.Describe(), "recorder " + path.string());
    speaker.Sound(2000);
    speaker.Sound(0);
    speaker.Sound(1500);
    EXPECT_EQ(ReadFile(path),
              "{\"event\":\"tone\",\"freq\":2000}\n"
              "{\"event\":\"tone\",\"freq\":0}\n"
              "{\"event\":\"tone\",\"freq\":1500}\n");
  }
  EXPECT_THAT(ReadFile(path), ::testing::EndsWith("{\"event\":\"tone\",\"freq\":0}\n"));
  EXPECT_EQ(OpenToneRecorder("-")->Describe(), "recorder standard output");
}

}  // namespace
}  // namespace qvtouch::platform
