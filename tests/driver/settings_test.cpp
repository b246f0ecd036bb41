#include <gtest/gtest.h>

#include <memory>

#include "common/registry_paths.h"
#include "common/request_codes.h"
#include "driver/driver_harness.h"

namespace qvtouch::driver {
namespace {

// A started driver that has reloaded its settings from a store holding `settings`.
std::unique_ptr<DriverHarness> Reloaded(const DriverHarness::Settings& settings) {
  auto harness = std::make_unique<DriverHarness>(settings);
  harness->Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  return harness;
}

TEST(LoadSettings, WithoutParametersKeyEveryFieldHoldsItsDefault) {
  const auto harness = Reloaded({});
  const DriverContext& c = harness->Context();
  EXPECT_EQ(c.Port, 1u);
  EXPECT_EQ(c.Beep(), (BeepRecord{2, 2000, 40, 2000, 40}));
  EXPECT_EQ(c.ButtonMode, 0);
  EXPECT_EQ(c.MouseMode, 0u);
  EXPECT_EQ(c.ScreenPost, 16);
  EXPECT_EQ(c.Calibration.Xc, 0);
  EXPECT_EQ(c.Calibration.Yc, 0);
  EXPECT_EQ(c.Calibration.XL, 800);
  EXPECT_EQ(c.Calibration.YL, 800);
  EXPECT_EQ(c.Calibration.Shp, 2);
  EXPECT_EQ(c.Calibration.Shs, 2);
  EXPECT_EQ(c.Calibration.Svp, 2);
  EXPECT_EQ(c.Calibration.Svs, 2);
  EXPECT_EQ(c.RBNDelay, 48);
  EXPECT_EQ(c.JitterX, 327);
  EXPECT_EQ(c.JitterY, 327);
  EXPECT_EQ(c.Calibration.Orientation, 0);
}

// The store finds a value whatever the case of its name or of its key's path, as the registry does.
TEST(LoadSettings, NamesAndKeyPathsAreNotCaseSensitive) {
  DriverHarness harness;
  harness.Kernel.SetValue(R"(\REGISTRY\machine\system\currentcontrolset\services\qvtouch\PARAMETERS)",
                          "rbndelay", 7);
  harness.StoreSetting("MOUSEMODE", 2);
  harness.Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  EXPECT_EQ(harness.Context().RBNDelay, 7);
  EXPECT_EQ(harness.Context().MouseMode, 2u);
}

struct RangeCase {
  const char* Name;
  std::uint32_t Stored;
  std::uint32_t Loaded;
};

class BeepRange : public testing::TestWithParam<RangeCase> {};

TEST_P(BeepRange, OutOfRangeValuesFallBackToTheirDefault) {
  const RangeCase& param = GetParam();
  const auto harness = Reloaded({{param.Name, param.Stored}});
  const BeepRecord beep = harness->Context().Beep();
  const std::string name = param.Name;
  const std::uint32_t loaded = name == "BeepFreq1"   ? beep.BeepFreq1
                               : name == "BeepTime"  ? beep.BeepTime
                               : name == "BeepFreq2" ? beep.BeepFreq2
                                                     : beep.BeepTime2;
  EXPECT_EQ(loaded, param.Loaded);
}

INSTANTIATE_TEST_SUITE_P(Edges, BeepRange,
                         testing::Values(RangeCase{"BeepFreq1", 999, 2000},
                                         RangeCase{"BeepFreq1", 1000, 1000},
                                         RangeCase{"BeepFreq1", 5000, 5000},
                                         RangeCase{"BeepFreq1", 5001, 2000},
                                         RangeCase{"BeepFreq2", 0xFFFFF000, 2000},
                                         RangeCase{"BeepTime", 31, 40},
                                         RangeCase{"BeepTime", 32, 32},
                                         RangeCase{"BeepTime", 750, 750},
                                         RangeCase{"BeepTime", 751, 40},
                                         RangeCase{"BeepTime2", 0xFFFFFFFF, 40}));

TEST(LoadSettings, ModesOutsideTheirRangeAreReplaced) {
  EXPECT_EQ(Reloaded({{"ButtonMode", 2}})->Context().ButtonMode, 0);
  EXPECT_EQ(Reloaded({{"ButtonMode", 1}})->Context().ButtonMode, 1);
  EXPECT_EQ(Reloaded({{"MouseMode", 4}})->Context().MouseMode, 2u);
  EXPECT_EQ(Reloaded({{"MouseMode", 0xFFFFFFFF}})->Context().MouseMode, 2u);
  EXPECT_EQ(Reloaded({{"MouseMode", 3}})->Context().MouseMode, 3u);
  EXPECT_EQ(Reloaded({{"BeepMode", 3}})->Context().BeepMode, 2u);
  EXPECT_EQ(Reloaded({{"BeepMode", 0}})->Context().BeepMode, 0u);
}

TEST(LoadSettings, SpanSignsGiveJitterWindowsAndOrientation) {
  const auto quarter = Reloaded({{"XL", static_cast<std::uint32_t>(-800)}, {"YL", 600}});
  EXPECT_EQ(quarter->Context().JitterX, 327);
  EXPECT_EQ(quarter->Context().JitterY, 436);
  EXPECT_EQ(quarter->Context().Calibration.Orientation, 90);
  EXPECT_EQ(Reloaded({{"XL", 800}, {"YL", static_cast<std::uint32_t>(-600)}})
                ->Context().Calibration.Orientation,
            270);
  EXPECT_EQ(Reloaded({{"XL", static_cast<std::uint32_t>(-800)},
                      {"YL", static_cast<std::uint32_t>(-600)}})
                ->Context().Calibration.Orientation,
            180);
}

TEST(LoadSettings, JitterWindowFollowsTheSpanMagnitude) {
  EXPECT_EQ(Reloaded({{"XL", 3800}})->Context().JitterX, 68);
  EXPECT_EQ(Reloaded({{"XL", static_cast<std::uint32_t>(-3800)}})->Context().JitterX, 68);
  EXPECT_EQ(Reloaded({{"XL", 4096}})->Context().JitterX, 64);
  EXPECT_EQ(Reloaded({{"XL", 262145}})->Context().JitterX, 0);
  EXPECT_EQ(Reloaded({{"XL", 1}})->Context().JitterX, 262144);
  EXPECT_EQ(Reloaded({{"XL", 0x80000000}})->Context().JitterX, 0);
}

TEST(LoadSettings, ZeroSpanLoadsAsTheDefaultSpan) {
  const auto harness = Reloaded({{"XL", 0}, {"YL", 0}, {"Xc", 2048}});
  EXPECT_EQ(harness->Context().Calibration.XL, 800);
  EXPECT_EQ(harness->Context().Calibration.YL, 800);
  EXPECT_EQ(harness->Context().Calibration.Xc, 2048);
  EXPECT_EQ(harness->Context().JitterX, 327);
  EXPECT_EQ(harness->Context().Calibration.Orientation, 0);
}

TEST(LoadSettings, RBNDelayKeepsOnlyItsLowByteAndTakesEffectAtTheFirstReload) {
  DriverHarness harness({{"RBNDelay", 0x0105}, {"ButtonMode", 1}});
  EXPECT_EQ(harness.Context().RBNDelay, 48);  // driver start sets its own value
  harness.Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  EXPECT_EQ(harness.Context().RBNDelay, 5);
  EXPECT_EQ(harness.Context().ButtonMode, 1);
}

TEST(LoadSettings, AFailedQueryIsReportedByTheLoadButNotByTheReloadRequest) {
  DriverHarness harness;
  harness.Kernel.QueryStatus = STATUS_INSUFFICIENT_RESOURCES;
  EXPECT_EQ(harness.Driver.LoadSettings(), STATUS_INSUFFICIENT_RESOURCES);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_RELOAD_SETTINGS).Status, STATUS_SUCCESS);
  EXPECT_EQ(harness.Context().Calibration.XL, 800);
}

TEST(LoadSettings, WithoutMemoryForTheKeyPathNothingIsLoadedAndNoFieldChanges) {
  DriverHarness harness;
  harness.Kernel.SetValue(std::string(kServiceKeyPath) + "\\Parameters", "MouseMode", 3);
  harness.Kernel.PagedMemoryExhausted = true;
  EXPECT_EQ(harness.Driver.LoadSettings(), STATUS_UNSUCCESSFUL);
  EXPECT_EQ(harness.Control(IOCTL_TOUCH_RELOAD_SETTINGS).Status, STATUS_SUCCESS);
  EXPECT_EQ(harness.Context().MouseMode, 0u);
  EXPECT_EQ(harness.Context().RBNDelay, 48);

  harness.Kernel.PagedMemoryExhausted = false;
  harness.Control(IOCTL_TOUCH_RELOAD_SETTINGS);
  EXPECT_EQ(harness.Context().MouseMode, 3u);
}

TEST(LoadSettings, ValueNamesAreNotCaseSensitive) {
  EXPECT_EQ(Reloaded({{"mousemode", 1}})->Context().MouseMode, 1u);
}

}  // namespace
}  // namespace qvtouch::driver
