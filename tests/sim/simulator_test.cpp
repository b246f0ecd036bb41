#include <gtest/gtest.h>

#include "common/controller_commands.h"
#include "tools/sim/command_responder.h"
#include "tools/sim/panel_model.h"
#include "tools/sim/panel_options.h"
#include "tools/sim/script.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::sim {
namespace {

const PanelModel kDefaultPanel;
const CommandResponder kFreshController;

std::optional<std::string> RunLine(std::string_view line, TouchScript& script) {
  return RunScriptLine(line, script, {kDefaultPanel, kFreshController});
}

std::vector<std::uint8_t> RunLines(std::initializer_list<std::string_view> lines) {
  TouchScript script;
  for (std::string_view line : lines) {
    const auto error = RunLine(line, script);
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
                                "fault checksum 1", "fault", "wait", "jump 1 2", "touch 1",
                                "touch 1025 0", "touch 0 769", "touch -1 0", "touch 1 2 3"}) {
    TouchScript script;
    const auto error = RunLine(line, script);
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

// The panel model: where a screen touch lands and what the controller reports for it.

std::optional<Point> Read(const PanelGeometry& geometry, std::uint32_t x, std::uint32_t y,
                          const CommandResponder& controller = kFreshController) {
  return PanelModel(geometry).Reading(x, y, controller);
}

TEST(PanelModel, AnUprightPanelReadsItsCornersAndIsLinearInBetween) {
  EXPECT_EQ(Read({}, 0, 0), (Point{0, 0}));
  EXPECT_EQ(Read({}, 1024, 768), (Point{4095, 4095}));
  EXPECT_EQ(Read({}, 256, 576), (Point{1024, 3071})) << "1023.75 and 3071.25, rounded";

  const PanelGeometry reversed{800, 600, {3900, 200}, {100, 3800}};
  EXPECT_EQ(Read(reversed, 0, 0), (Point{3900, 200}));
  EXPECT_EQ(Read(reversed, 800, 600), (Point{100, 3800}));
  EXPECT_EQ(Read(reversed, 400, 150), (Point{2000, 1100}));
  EXPECT_EQ(Read(reversed, 801, 0), std::nullopt) << "off the screen";
  EXPECT_EQ(Read({0, 768}, 0, 0), std::nullopt) << "a screen without width has no points";
}

TEST(PanelModel, ATurnedPanelTurnsItsRawAxesWithIt) {
  struct Corners {
    std::uint32_t Turn;
    Point TopLeft, TopRight, BottomLeft;
  };
  for (const Corners& c : {Corners{90, {0, 4095}, {0, 0}, {4095, 4095}},
                           Corners{180, {4095, 4095}, {0, 4095}, {4095, 0}},
                           Corners{270, {4095, 0}, {4095, 4095}, {0, 0}}}) {
    PanelGeometry turned;
    turned.Turn = c.Turn;
    EXPECT_EQ(Read(turned, 0, 0), c.TopLeft) << c.Turn;
    EXPECT_EQ(Read(turned, 1024, 0), c.TopRight) << c.Turn;
    EXPECT_EQ(Read(turned, 0, 768), c.BottomLeft) << c.Turn;
  }
}

TEST(PanelModel, ABendReadsLowAtTheSmallerQuarterPointAndHighAtTheLargerOne) {
  PanelGeometry bent;
  bent.Bend = 100;
  // A fresh controller (linearity 3072) and one in the assisted mode both report the bend as it is.
  CommandResponder assisted;
  assisted.Receive(kEnterAssistedMode);
  for (const CommandResponder* controller : {&kFreshController, &std::as_const(assisted)}) {
    EXPECT_EQ(Read(bent, 0, 0, *controller), (Point{0, 0})) << "none at the corners";
    EXPECT_EQ(Read(bent, 256, 192, *controller), (Point{924, 924}));
    EXPECT_EQ(Read(bent, 384, 288, *controller), (Point{1436, 1436})) << "flat to 3/8";
    EXPECT_EQ(Read(bent, 512, 384, *controller), (Point{2048, 2048})) << "none in the middle";
    EXPECT_EQ(Read(bent, 640, 480, *controller), (Point{2659, 2659}));
    EXPECT_EQ(Read(bent, 768, 576, *controller), (Point{3171, 3171}));
  }
}

TEST(PanelModel, OutsideTheAssistedModeTheLinearityValuesStraightenTheBend) {
  PanelGeometry bent;
  bent.Bend = 100;
  CommandResponder controller;
  controller.Receive(SetParametersCommand(3072 - 200, 3072 - 200));  // d = 2 x Bend
  // The line less the bend: the smaller quarter point keeps its reading, the larger reads d less.
  EXPECT_EQ(Read(bent, 256, 192, controller), (Point{924, 924}));
  EXPECT_EQ(Read(bent, 384, 288, controller), (Point{1436, 1436}));
  EXPECT_EQ(Read(bent, 512, 384, controller), (Point{1948, 1948}));
  EXPECT_EQ(Read(bent, 768, 576, controller), (Point{2971, 2971}));
  EXPECT_EQ(Read(bent, 1024, 768, controller), (Point{3995, 3995}));

  // Reversed raw axes: the larger raw end is at the top-left.
  bent.TopLeft = {4095, 4095};
  bent.BottomRight = {0, 0};
  EXPECT_EQ(Read(bent, 256, 192, controller), (Point{2971, 2971}));
  EXPECT_EQ(Read(bent, 768, 576, controller), (Point{924, 924}));

  controller.Receive(kEnterAssistedMode);
  EXPECT_EQ(Read(bent, 256, 192, controller), (Point{3171, 3171})) << "assisted: uncorrected";
}

TEST(PanelModel, EachAxisTakesItsOwnLinearityValue) {
  PanelGeometry bent;
  bent.Bend = 50;
  CommandResponder controller;
  controller.Receive(SetParametersCommand(3072 - 100, kNoLinearityCorrection));
  EXPECT_EQ(Read(bent, 768, 576, controller), (Point{3021, 3121}));
}

TEST(Script, TouchTapsWhereThePanelPutsTheScreenPoint) {
  EXPECT_EQ(RunLines({"touch 256 576"}), TouchScript().Tap({1024, 3071}).Stream());

  PanelGeometry geometry;
  geometry.Turn = 90;
  geometry.Bend = 100;
  const PanelModel turned(geometry);
  CommandResponder controller;
  controller.Receive(kEnterAssistedMode);
  TouchScript script;
  EXPECT_FALSE(RunScriptLine("touch 256 192", script, {turned, controller}));
  EXPECT_EQ(script.Stream(), TouchScript().Tap({924, 3171}).Stream());
}

TEST(PanelOptions, SetTheScreenThePanelTheTurnAndTheBend) {
  PanelGeometry panel;
  for (const auto& [option, value] : {std::pair{"--screen", "800x600"},
                                      std::pair{"--panel", "100,3900,3950,150"},
                                      std::pair{"--turn", "270"}, std::pair{"--bend", "1536"}}) {
    EXPECT_TRUE(IsPanelOption(option));
    EXPECT_EQ(SetPanelOption(option, value, panel), std::nullopt) << option;
  }
  EXPECT_EQ(panel.Width, 800u);
  EXPECT_EQ(panel.Height, 600u);
  EXPECT_EQ(panel.TopLeft, (Point{100, 3900}));
  EXPECT_EQ(panel.BottomRight, (Point{3950, 150}));
  EXPECT_EQ(panel.Turn, 270u);
  EXPECT_EQ(panel.Bend, 1536u);
  EXPECT_FALSE(IsPanelOption("--fast"));
}

TEST(PanelOptions, RefuseBadValuesWithAMessage) {
  for (const auto& [option, value] :
       {std::pair{"--screen", "0x768"}, std::pair{"--screen", "1024"},
        std::pair{"--screen", "1024x768x2"}, std::pair{"--screen", "65536x1"},
        std::pair{"--screen", "1024X768"}, std::pair{"--panel", "1,2,3"},
        std::pair{"--panel", "1,2,3,65536"}, std::pair{"--panel", "1,,3,4"},
        std::pair{"--panel", "1,2,3,4,"}, std::pair{"--turn", "45"}, std::pair{"--turn", "-90"},
        std::pair{"--bend", "1537"}, std::pair{"--bend", "-1"}, std::pair{"--bend", ""}}) {
    PanelGeometry panel;
    const auto error = SetPanelOption(option, value, panel);
    ASSERT_TRUE(error) << option << ' ' << value;
    EXPECT_TRUE(error->starts_with(option)) << *error;
  }
}

}  // namespace
}  // namespace qvtouch::sim
