#include "platform/input/pointer_sinks.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "common/event_lines.h"
#include "platform/input/pointer_recorder.h"
#include "platform/input/sink_error.h"
#include "tests/platform/input/temp_dir.h"

namespace qvtouch::platform {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using testing::ReadFile;
using testing::TempDir;

PointerSinkProbes Probes(bool uinputOpens, bool displayAnswers) {
  return {[=] { return uinputOpens; }, [=] { return displayAnswers; }};
}

SinkChoice Choice(std::string_view name, std::string_view path = {}) {
  return {std::string(name), std::string(path)};
}

TEST(PointerSinkChoice, NamedSinksAreTakenAsTheyAreAndAutoProbesInOrder) {
  const PointerSinkProbes none = Probes(false, false);
  EXPECT_EQ(ChoosePointerSink("uinput", none), Choice(kUinputSink));
  EXPECT_EQ(ChoosePointerSink("xtest", none), Choice(kXTestSink));
  EXPECT_EQ(ChoosePointerSink("recorder:/var/log/p.jsonl", none),
            Choice(kRecorderSink, "/var/log/p.jsonl"));
  EXPECT_EQ(ChoosePointerSink("recorder:-", none), Choice(kRecorderSink, "-"));
  for (const std::string_view automatic : {"", "auto"}) {
    EXPECT_EQ(ChoosePointerSink(automatic, Probes(true, true)), Choice(kUinputSink));
    EXPECT_EQ(ChoosePointerSink(automatic, Probes(false, true)), Choice(kXTestSink));
    EXPECT_EQ(ChoosePointerSink(automatic, none), Choice(kRecorderSink, kHostLogPath));
  }
}

TEST(PointerSinkChoice, ABadValueGetsAnErrorNamingTheValueAndTheChoices) {
  const auto expectRefused = [](std::string_view value, std::string_view why) {
    EXPECT_THAT([&] { ChoosePointerSink(value, Probes(true, true)); },
                ::testing::ThrowsMessage<SinkError>(
                    AllOf(HasSubstr("PointerSink \"" + std::string(value) + "\": "), HasSubstr(why),
                          HasSubstr("(expected auto, uinput, xtest, recorder:PATH)"))));
  };
  expectRefused("mouse", "unknown sink");
  expectRefused("XTest", "unknown sink");
  expectRefused("recorder", "the recorder needs a path");
  expectRefused("recorder:", "the recorder needs a path");
  expectRefused("xtest:1", "this sink takes no argument");
}

TEST(PointerRecorder, WritesOneFlushedLinePerRecordAfterWhatTheFileHeld) {
  TempDir dir;
  const auto path = dir / "pointer.jsonl";
  std::ofstream(path) << "earlier\n";
  MOUSE_INPUT_DATA move;
  move.Flags = MOUSE_MOVE_ABSOLUTE;
  move.LastX = 32768;
  move.LastY = 65536;
  MOUSE_INPUT_DATA click = move;
  click.Flags = MOUSE_MOVE_ABSOLUTE | MOUSE_VIRTUAL_DESKTOP;
  click.ButtonFlags = MOUSE_LEFT_BUTTON_DOWN;

  const auto sink = OpenPointerSink(Choice(kRecorderSink, path.string()));
  sink->Deliver(move);
  sink->Deliver(click);
  // Read while the sink is open: every line is already flushed.
  EXPECT_EQ(ReadFile(path),
            "earlier\n"
            R"({"event":"send","flags":1,"buttons":0,"x":32768,"y":65536})"
            "\n"
            R"({"event":"send","flags":3,"buttons":1,"x":32768,"y":65536})"
            "\n");
  EXPECT_EQ(SendEventLine(click), R"({"event":"send","flags":3,"buttons":1,"x":32768,"y":65536})");
}

TEST(PointerRecorder, AFileThatCannotBeOpenedGetsAnErrorNamingIt) {
  TempDir dir;
  const std::string path = (dir / "missing/pointer.jsonl").string();
  EXPECT_THAT([&] { OpenPointerRecorder(path); }, ::testing::ThrowsMessage<SinkError>(AllOf(
                                                      HasSubstr(path), HasSubstr("No such file"))));
  EXPECT_THROW(OpenPointerSink(Choice(kAutoSink)), SinkError);  // auto must be chosen first
}

// A recorder path through a folder of another user, who swaps a folder on the way for a link of
// its own as fast as it can while root's recorder opens. However the swaps fall, the file is
// never made where the link leads.
TEST(PointerRecorder, AFolderSwappedForAnotherUsersLinkNeverLeadsTheRecorderAway) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a link to another user";
  constexpr uid_t kNobody = 65534;
  constexpr int kAttempts = 20000;
  TempDir dir;
  const auto theirs = dir / "theirs";
  const auto secret = dir / "secret";  // root's own, where the link leads
  std::filesystem::create_directories(theirs / "logs");
  std::filesystem::create_directory(secret);
  std::filesystem::create_symlink(secret, theirs / "swap");
  ASSERT_EQ(::lchown((theirs / "swap").c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chown((theirs / "logs").c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNobody), 0);
  std::atomic<bool> stop{false};
  std::thread swapper([&] {
    while (!stop.load()) {
      ::renameat2(AT_FDCWD, (theirs / "logs").c_str(), AT_FDCWD, (theirs / "swap").c_str(),
                  RENAME_EXCHANGE);
    }
  });
  const std::string path = (theirs / "logs/pointer.jsonl").string();
  for (int attempt = 0; attempt < kAttempts && !std::filesystem::exists(secret / "pointer.jsonl");
       ++attempt) {
    try {
      OpenPointerRecorder(path);
    } catch (const SinkError&) {
      // The link of theirs stood on the way: refused.
    }
  }
  stop.store(true);
  swapper.join();
  EXPECT_FALSE(std::filesystem::exists(secret / "pointer.jsonl"))
      << "the recorder followed the other user's link";
}

}  // namespace
}  // namespace qvtouch::platform
