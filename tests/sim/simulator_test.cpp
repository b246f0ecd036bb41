#include <gtest/gtest.h>

#include "common/controller_commands.h"
#include "tools/sim/command_responder.h"
#include "tools/sim/script.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::sim {
namespace {

std::vector<std::uint8_t> RunLines(std::initializer_list<std::string_view> lines) {
  TouchScript script;
  for (std::string_view line : lines) {
    const auto error = RunScriptLine(line, script);
    EXPECT_FALSE(error) << *error;
  }
  return script.Stream();
}

std::vector<std::uint8_t> Bytes(const ReportBytes& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<std::uint8_t> ReportAt(TouchStatus status, std::uint16_t x, std::uint16_t y) {
  return Bytes(TouchReport{static_cast<std::uint8_t>(status), x, y, {}}.Encode());
}

TEST(TouchScript, TapIsAPressTwoHoldsAndARelease) {
  const auto stream = TouchScript().Tap({100, 200}).Stream();
  ASSERT_EQ(stream.size(), 40u);
  EXPECT_EQ(std::vector<std::uint8_t>(stream.begin(), stream.begin() + 10),
            ReportAt(TouchStatus::Press, 100, 200));
  EXPECT_EQ(stream[12], 0x82);
  EXPECT_EQ(stream[22], 0x82);
  EXPECT_EQ(stream[32], 0x84);
}

TEST(TouchScript, MoveSpacesHoldsEvenlyAndEndsAtTheTarget) {
  TouchScript script;
  script.Move({0, 100}, {300, 40}, 3);
  ASSERT_EQ(script.Chunks().size(), 3u);
  EXPECT_EQ(script.Chunks()[0].Bytes, ReportAt(TouchStatus::Hold, 100, 80));
  EXPECT_EQ(script.Chunks()[2].Bytes, ReportAt(TouchStatus::Hold, 300, 40));
}

TEST(TouchScript, DragPressesAtTheStartAndReleasesAtTheEnd) {
  const std::vector<Point> path{{0, 0}, {10, 0}, {10, 10}};
  TouchScript script;
  script.Drag(path, 2);
  const auto& chunks = script.Chunks();
  ASSERT_EQ(chunks.size(), 6u);
  EXPECT_EQ(chunks.front().Bytes, ReportAt(TouchStatus::Press, 0, 0));
  EXPECT_EQ(chunks[2].Bytes, ReportAt(TouchStatus::Hold, 10, 0));
  EXPECT_EQ(chunks.back().Bytes, ReportAt(TouchStatus::Release, 10, 10));
}

TEST(TouchScript, FaultsApplyToTheNextReportOnly) {
  TouchScript script;
  script.FaultNextReport({Fault::Kind::WrongChecksum}).Hold({1, 2}).Hold({1, 2});
  const auto good = ReportAt(TouchStatus::Hold, 1, 2);
  EXPECT_EQ(script.Chunks()[0].Bytes[9], static_cast<std::uint8_t>(good[9] + 1));
  EXPECT_EQ(script.Chunks()[1].Bytes, good);

  TouchScript dropped;
  dropped.FaultNextReport({Fault::Kind::DroppedByte, 4}).Hold({0x0102, 0x0304});
  EXPECT_EQ(dropped.Chunks()[0].Bytes.size(), 9u);
  EXPECT_EQ(dropped.Chunks()[0].Bytes[4], 0x04);

  TouchScript badStatus;
  badStatus.FaultNextReport({Fault::Kind::BadStatus, 0, 0x83}).Hold({1, 2});
  const auto& bad = badStatus.Chunks()[0].Bytes;
  EXPECT_EQ(bad[2], 0x83);
  EXPECT_EQ(bad[9], (TouchReport{0x83, 1, 2, {}}.Checksum())) << "only the status is wrong";
}

TEST(TouchScript, NoiseNeverStartsAReport) {
  TouchScript script;
  script.Noise(5000, 7);
  const auto stream = script.Stream();
  EXPECT_EQ(stream.size(), 5000u);
  EXPECT_EQ(std::count(stream.begin(), stream.end(), kReportSync1), 0);
  TouchScript again;
  again.Noise(5000, 7);
  EXPECT_EQ(again.Stream(), stream) << "a seed gives the same noise";
}

TEST(Script, RunsEveryAction) {
  EXPECT_EQ(RunLines({"press 1 2"}), ReportAt(TouchStatus::Press, 1, 2));
  EXPECT_EQ(RunLines({"hold 1 2 3"}).size(), 30u);
  EXPECT_EQ(RunLines({"release 65535 0"}), ReportAt(TouchStatus::Release, 65535, 0));
  EXPECT_EQ(RunLines({"bytes 55 54", "bytes 8101"}), (std::vector<std::uint8_t>{0x55, 0x54, 0x81, 0x01}));
  EXPECT_EQ(RunLines({"  # a comment", "", "wait 5"}), std::vector<std::uint8_t>{});
  EXPECT_EQ(RunLines({"move 0 0 10 10 4"}).size(), 40u);
  EXPECT_EQ(RunLines({"fault drop 9", "tap 1 1"}).size(), 39u);
  EXPECT_EQ(RunLines({"fault status 85", "hold 1 1"})[2], 0x85);
  EXPECT_EQ(RunLines({"noise 12 3"}).size(), 12u);
}

TEST(Script, RefusesMalformedLinesWithAMessage) {
  for (std::string_view line : {"tap 1", "tap 1 2 3", "tap 65536 0", "tap -1 0", "hold 1 2 x",
                                "move 0 0 1 1 0", "bytes 5", "bytes zz", "fault drop 10",
                                "fault checksum 1", "fault", "wait", "jump 1 2"}) {
    TouchScript script;
    const auto error = RunScriptLine(line, script);
    EXPECT_TRUE(error) << line;
    EXPECT_TRUE(script.Chunks().empty()) << line;
  }
}

TEST(CommandResponder, AnswersTheModeCommands) {
  CommandResponder controller;
  EXPECT_EQ(controller.Receive(kEnterAssistedMode), (std::vector<std::uint8_t>{kSOH, '0', kCR}));
  EXPECT_TRUE(controller.AssistedMode());
  EXPECT_EQ(controller.Receive(kLeaveAssistedMode), (std::vector<std::uint8_t>{kSOH, '0', kCR}));
  EXPECT_FALSE(controller.AssistedMode());

  CommandResponder refusing(/*refuseAssistedMode=*/true);
  const auto reply = refusing.Receive(kEnterAssistedMode);
  ASSERT_EQ(reply.size(), kModeReplySize);
  EXPECT_NE(reply[kModeReplyResultOffset], kModeAccepted);
  EXPECT_FALSE(refusing.AssistedMode());
}

TEST(CommandResponder, KeepsTheLinearityValuesItIsSentEvenWhenTheyHoldCR) {
  CommandResponder controller;
  const auto initial = controller.Receive(kReadParameters);
  ASSERT_EQ(initial.size(), kParametersReplySize);
  EXPECT_EQ(initial[1] | (initial[2] << 8), kNoLinearityCorrection);

  const auto set = SetParametersCommand(0x0D0D, 0x0B00);
  // Delivered in pieces, as a serial line may.
  EXPECT_TRUE(controller.Receive(std::span(set).first(5)).empty());
  EXPECT_TRUE(controller.Receive(std::span(set).subspan(5)).empty());
  EXPECT_EQ(controller.LinearityX(), 0x0D0D);
  EXPECT_EQ(controller.LinearityY(), 0x0B00);
  const auto reply = controller.Receive(kReadParameters);
  EXPECT_EQ(reply[kParametersReplyXOffset], 0x0D);
  EXPECT_EQ(reply[kParametersReplyXOffset + 1], 0x0D);
  EXPECT_EQ(reply[kParametersReplyYOffset], 0x00);
  EXPECT_EQ(reply[kParametersReplyYOffset + 1], 0x0B);
  EXPECT_EQ(reply.front(), kSOH);
  EXPECT_EQ(reply.back(), kCR);
}

TEST(CommandResponder, IgnoresBytesOutsideCommands) {
  CommandResponder controller;
  const std::vector<std::uint8_t> junk{'x', kCR, kSOH, 'Z', 'Z', kCR};
  EXPECT_TRUE(controller.Receive(junk).empty());
  EXPECT_EQ(controller.Receive(kEnterAssistedMode).size(), kModeReplySize);
}

}  // namespace
}  // namespace qvtouch::sim
