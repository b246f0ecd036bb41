#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/replay/replay.h"
#include "tools/sim/touch_script.h"

namespace qvtouch::replay {
namespace {

using sim::TouchScript;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Runs the replay over a script's stream with the given command-line options.
std::vector<std::string> Replay(std::initializer_list<std::string_view> args,
                                const TouchScript& script) {
  const std::vector<std::string_view> argv(args);
  auto parsed = ParseOptions(argv);
  EXPECT_TRUE(std::holds_alternative<Options>(parsed));
  const auto stream = script.Stream();
  std::istringstream input(std::string(stream.begin(), stream.end()));
  std::ostringstream output;
  Run(std::get<Options>(parsed), input, output);
  return Lines(output.str());
}

struct Send {
  int Flags, Buttons, X, Y;
};

std::vector<Send> Sends(const std::vector<std::string>& lines) {
  std::vector<Send> sends;
  for (const std::string& line : lines) {
    Send s{};
    if (std::sscanf(line.c_str(), R"({"event":"send","flags":%d,"buttons":%d,"x":%d,"y":%d})",
                    &s.Flags, &s.Buttons, &s.X, &s.Y) == 4) {
      sends.push_back(s);
    }
  }
  return sends;
}

std::vector<std::string> Beeps(const std::vector<std::string>& lines) {
  std::vector<std::string> beeps;
  for (const std::string& line : lines) {
    if (line.starts_with(R"({"event":"beep")")) beeps.push_back(line);
  }
  return beeps;
}

TEST(ReplayOptions, ParsesEveryOption) {
  const std::vector<std::string_view> args{"--set",   "XL=-800",        "--reload",
                                           "--set",   "ScreenPost=0x11", "--arm-capture",
                                           "--fail-before", "3",         "--fail-before",
                                           "3",       "in.bin"};
  const auto parsed = ParseOptions(args);
  ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<std::string>(parsed);
  const Options& options = std::get<Options>(parsed);
  EXPECT_EQ(options.Settings.at("XL"), 0xFFFFFCE0u);
  EXPECT_EQ(options.Settings.at("ScreenPost"), 17u);
  EXPECT_TRUE(options.Reload);
  EXPECT_TRUE(options.ArmCapture);
  EXPECT_EQ(options.FailBefore.count(3), 2u);
  EXPECT_EQ(options.File, "in.bin");
}

TEST(ReplayOptions, RefusesWhatItDoesNotKnow) {
  const std::vector<std::vector<std::string_view>> bad{
      {"--bogus"},        {"--set"},          {"--set", "XL"},         {"--set", "=5"},
      {"--set", "XL=x"},  {"--fail-before"},  {"--fail-before", "-1"}, {"a", "b"},
      {"--set", "XL=1", "-x"}, {"--set", "Xcenter=1"}};
  for (const auto& args : bad) {
    const auto parsed = ParseOptions(args);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << args[0];
    EXPECT_EQ(std::get<std::string>(parsed).find('\n'), std::string::npos);
  }
}

TEST(ReplayOptions, SettingNamesAreNotCaseSensitiveAndTakeTheSettingsSpelling) {
  const std::vector<std::string_view> args{"--set", "xl=5", "--set", "PORT=2"};
  const auto parsed = ParseOptions(args);
  ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<std::string>(parsed);
  EXPECT_EQ(std::get<Options>(parsed).Settings,
            (std::map<std::string, std::uint32_t>{{"Port", 2}, {"XL", 5}}));
}

TEST(Replay, PrintsEveryRecordToneAndTheEndStateAsJsonLines) {
  TouchScript script;
  script.Tap({0, 0});
  const auto lines = Replay({}, script);
  const std::vector<std::string> expected{
      R"({"event":"send","flags":1,"buttons":1,"x":32768,"y":32768})",
      R"({"event":"send","flags":1,"buttons":2,"x":32768,"y":32768})",
      R"({"event":"send","flags":1,"buttons":0,"x":32768,"y":32768})",
      R"({"event":"beep","freq":2000,"ms":40})",
      R"({"event":"end","capture_state":0,"capture_x":0,"capture_y":0,"parser_state":0,)"
      R"("hold_count":2,"right_click_done":0,"pointer_buttons":0,"pointer_x":32768,"pointer_y":32768})"};
  EXPECT_EQ(lines, expected);
}

TEST(Replay, FailuresBeforeAnOffsetDropThePartReport) {
  TouchScript script;
  script.Press({100, 0}).Press({200, 0});
  EXPECT_EQ(Sends(Replay({"--fail-before", "5"}, script)).size(), 2u) << "only the second press";
  EXPECT_EQ(Sends(Replay({"--fail-before", "0", "--fail-before", "10"}, script)).size(), 4u);
}

TEST(Replay, ArmedCaptureShowsInTheEndState) {
  TouchScript script;
  script.Press({10, 20}).Release({30, 40});
  const auto lines = Replay({"--arm-capture"}, script);
  EXPECT_NE(lines.back().find(R"("capture_state":5735,"capture_x":30,"capture_y":40)"),
            std::string::npos)
      << lines.back();
}

// --- Worked examples of the mapping, through the whole driver --------------------------------

struct MappingExample {
  std::vector<std::string> Settings;  // NAME=VALUE
  std::uint16_t RawX, RawY;
  int X, Y;
};

class ReplayMapping : public testing::TestWithParam<MappingExample> {};

TEST_P(ReplayMapping, APressClicksAtTheMappedPosition) {
  const MappingExample& example = GetParam();
  std::vector<std::string> args;
  for (const std::string& setting : example.Settings) {
    args.push_back("--set");
    args.push_back(setting);
  }
  const std::vector<std::string_view> argv(args.begin(), args.end());
  const Options options = std::get<Options>(ParseOptions(argv));
  const auto stream = TouchScript().Press({example.RawX, example.RawY}).Stream();
  std::istringstream input(std::string(stream.begin(), stream.end()));
  std::ostringstream output;
  replay::Run(options, input, output);
  const auto sends = Sends(Lines(output.str()));
  ASSERT_EQ(sends.size(), 2u);
  EXPECT_EQ(sends[0].X, example.X);
  EXPECT_EQ(sends[0].Y, example.Y);
}

const std::vector<std::string> kCentred{"Xc=2048", "XL=3800", "Yc=2048", "YL=3800"};

std::vector<std::string> With(std::vector<std::string> base, std::initializer_list<std::string> more) {
  base.insert(base.end(), more);
  return base;
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, ReplayMapping,
    testing::Values(
        MappingExample{{}, 0, 0, 32768, 32768}, MappingExample{{}, 100, 0, 40960, 32768},
        MappingExample{{}, 400, 0, 65536, 32768}, MappingExample{{}, 800, 0, 98304, 32768},
        MappingExample{kCentred, 148, 2048, 0, 32768},
        MappingExample{kCentred, 3948, 2048, 65536, 32768},
        MappingExample{kCentred, 4095, 2048, 68071, 32768},
        MappingExample{kCentred, 0, 2048, -2552, 32768},
        MappingExample{kCentred, 2047, 2048, 32751, 32768},
        MappingExample{kCentred, 2049, 2048, 32785, 32768},
        // Both spans negative load as a half turn, which keeps the axes: X mirrors.
        MappingExample{{"Xc=2048", "XL=-3800", "YL=-800"}, 148, 0, 65536, 32768},
        MappingExample{{"Xc=2048", "XL=-3800", "YL=-800"}, 3948, 0, 0, 32768},
        MappingExample{{"Xc=2048", "XL=-3800", "YL=-800"}, 2049, 0, 32751, 32768},
        MappingExample{With(kCentred, {"ScreenPost=17"}), 2048, 3948, 16384, 65536},
        MappingExample{With(kCentred, {"ScreenPost=18"}), 0, 2048, 31491, 32768},
        MappingExample{With(kCentred, {"ScreenPost=18"}), 3948, 2048, 65536, 32768},
        MappingExample{With(kCentred, {"ScreenPost=37", "Shp=2048"}), 3948, 2048, 32768, 16},
        MappingExample{With(kCentred, {"ScreenPost=38", "Shp=2560", "Shs=1536", "Svs=3072"}),
                       148, 2048, 40960, 24576},
        MappingExample{With(kCentred, {"ScreenPost=38", "Shp=2048", "Shs=2048", "Svs=3072"}),
                       2048, 3948, 49152, 49152},
        MappingExample{With(kCentred, {"ScreenPost=19"}), 3948, 148, 65536, 0},
        MappingExample{With(kCentred, {"ScreenPost=20"}), 2048, 2048, 32768, 49152},
        // XL -3800 with YL 3800 loads as a quarter turn: raw Y drives X.
        MappingExample{{"Xc=2048", "XL=-3800", "Yc=2048", "YL=3800"}, 3948, 3948, 65536, 0}));

// --- Worked examples of the settings load, through the whole driver --------------------------

TEST(ReplaySettings, BeepValuesOutsideTheirRangeSoundAtTheirDefaults) {
  TouchScript script;
  script.Release({0, 0});
  EXPECT_EQ(Beeps(Replay({"--set", "BeepFreq1=999", "--set", "BeepTime=31"}, script)),
            std::vector<std::string>{R"({"event":"beep","freq":2000,"ms":40})"});
  EXPECT_EQ(Beeps(Replay({"--set", "BeepFreq1=1000", "--set", "BeepTime=32"}, script)),
            std::vector<std::string>{R"({"event":"beep","freq":1000,"ms":32})"});
  EXPECT_EQ(Beeps(Replay({"--set", "BeepFreq1=5000", "--set", "BeepTime=750"}, script)),
            std::vector<std::string>{R"({"event":"beep","freq":5000,"ms":750})"});
  EXPECT_EQ(Beeps(Replay({"--set", "BeepFreq1=5001", "--set", "BeepTime=751"}, script)),
            std::vector<std::string>{R"({"event":"beep","freq":2000,"ms":40})"});
  EXPECT_EQ(Beeps(Replay({"--set", "BeepMode=3"}, script)).size(), 1u) << "3 loads as 2";
}

TEST(ReplaySettings, ModesOutsideTheirRangeFallBack) {
  TouchScript tap;
  tap.Press({0, 0}).Release({0, 0});
  // MouseMode 4 and -1 load as Dragging: move, down, up, move.
  for (const char* mode : {"MouseMode=4", "MouseMode=-1"}) {
    const auto sends = Sends(Replay({"--set", mode}, tap));
    ASSERT_EQ(sends.size(), 4u) << mode;
    EXPECT_EQ(sends[1].Buttons, 1);
  }
  const auto sends = Sends(Replay({"--set", "ButtonMode=2"}, tap));
  EXPECT_EQ(sends[0].Buttons, 1) << "ButtonMode 2 loads as the left button";
}

TEST(ReplaySettings, RBNDelayKeepsItsLowByteFromTheFirstReload) {
  TouchScript held;
  held.Press({0, 0}).Hold({100, 0}).Hold({100, 0}, 5);
  const auto reloaded = Sends(Replay({"--set", "RBNDelay=0x0105", "--set", "ButtonMode=1",
                                      "--set", "MouseMode=1", "--reload"},
                                     held));
  ASSERT_EQ(reloaded.size(), 4u);  // two moves, then the right click on the fifth still report
  EXPECT_EQ(reloaded[2].Buttons, 4);
  EXPECT_EQ(reloaded[3].Buttons, 8);
  // Without a reload the start value 48 holds.
  EXPECT_EQ(Sends(Replay({"--set", "RBNDelay=5", "--set", "MouseMode=1"}, held)).size(), 2u);
}

TEST(ReplaySettings, SpanSignsSelectTheOrientation) {
  TouchScript press;
  press.Press({0, 100});
  // XL 800 and YL -600: a quarter turn the other way; raw Y 100 drives X through YL.
  const auto sends = Sends(Replay({"--set", "XL=800", "--set", "YL=-600"}, press));
  ASSERT_FALSE(sends.empty());
  EXPECT_EQ(sends[0].X, 32768 - (100 << 16) / 600);
  EXPECT_EQ(sends[0].Y, 32768);
}

// --- The command-line contract ---------------------------------------------------------------

struct Outcome {
  int Status;
  std::string Output;
};

Outcome Shell(const std::string& command) {
  Outcome outcome{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) outcome.Output += buffer.data();
  const int status = pclose(pipe);
  outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

TEST(ReplayCommand, BadOptionsExitWithTwoAndPrintOneLineOnStandardError) {
  const std::string replay = QVTOUCH_REPLAY_BINARY;
  for (const char* args : {"--nope", "--set XL=08x", "--set XL=99999999999", "--set Colour=1"}) {
    const Outcome out = Shell(replay + " " + args + " </dev/null 2>/dev/null");
    EXPECT_EQ(out.Status, 2) << args;
    EXPECT_EQ(out.Output, "") << args;
    const Outcome err = Shell(replay + " " + args + " 2>&1 >/dev/null </dev/null");
    EXPECT_EQ(std::count(err.Output.begin(), err.Output.end(), '\n'), 1) << err.Output;
  }
}

// A line the driver can never open, or an input that is no file, ends the tool with one line.
TEST(ReplayCommand, WhatCannotBeReplayedExitsWithOneAndOneLine) {
  const std::string replay = QVTOUCH_REPLAY_BINARY;
  for (const std::string args : {"--set Port=0", "--set port=10", "--set Port=-1", "/"}) {
    const Outcome out = Shell(replay + " " + args + " </dev/null 2>/dev/null");
    EXPECT_EQ(out.Status, 1) << args;
    EXPECT_EQ(out.Output, "") << args;
    const Outcome err = Shell(replay + " " + args + " 2>&1 >/dev/null </dev/null");
    EXPECT_EQ(std::count(err.Output.begin(), err.Output.end(), '\n'), 1) << err.Output;
  }
  EXPECT_EQ(Shell(replay + " --set Port=9 </dev/null >/dev/null").Status, 0);
}

TEST(ReplayCommand, ReadsAFileOrStandardInput) {
  const std::string path = testing::TempDir() + "replay_input.bin";
  const auto stream = TouchScript().Tap({0, 0}).Stream();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(stream.data()),
                                              static_cast<std::streamsize>(stream.size()));
  const std::string replay = QVTOUCH_REPLAY_BINARY;
  const Outcome fromFile = Shell(replay + " " + path);
  const Outcome fromStdin = Shell(replay + " - < " + path);
  EXPECT_EQ(fromFile.Status, 0);
  EXPECT_EQ(Lines(fromFile.Output).size(), 5u);
  EXPECT_EQ(fromFile.Output, fromStdin.Output);
  EXPECT_EQ(Shell(replay + " /nonexistent/input 2>/dev/null").Status, 1);
}

TEST(ReplayCommand, TheSimulatorFeedsTheReplay) {
  const Outcome out = Shell(std::string("printf 'tap 0 0\\nfault checksum\\ntap 0 0\\n' | ") +
                            QVTOUCH_SIM_BINARY + " | " + QVTOUCH_REPLAY_BINARY);
  EXPECT_EQ(out.Status, 0);
  EXPECT_EQ(Sends(Lines(out.Output)).size(), 3u) << "the faulty press is dropped; the rest only counts";
}

}  // namespace
}  // namespace qvtouch::replay
