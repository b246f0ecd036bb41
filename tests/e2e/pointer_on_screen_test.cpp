// End to end: taps at known raw points on the controller's line move the real X pointer to the
// expected pixels and click a window there, for the screen placements on one monitor and on two
// RandR monitors side by side. The driver host runs in this process against the test's own Xvfb.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/platform/kernel_host/hosted_driver.h"
#include "tests/support/xvfb_server.h"
#include "tools/sim/touch_script.h"

// After the test framework, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xlib.h>

namespace qvtouch::platform {
namespace {

using namespace qvtouch::platform::testing;
using qvtouch::testing::XvfbServer;

struct Pixel {
  int X;
  int Y;
  bool operator==(const Pixel&) const = default;
};

void PrintTo(const Pixel& pixel, std::ostream* out) { *out << pixel.X << "," << pixel.Y; }

enum class Desktop { OneMonitor, TwoMonitors };

struct Placement {
  const char* Name;
  Desktop Screens;
  std::uint32_t ScreenPost;
  std::uint32_t Shp, Shs, Svp, Svs;
  std::uint16_t RawX, RawY;
  Pixel Expected;
};

void PrintTo(const Placement& placement, std::ostream* out) { *out << placement.Name; }

// One monitor of 1024 x 768; or two of 800 x 600 side by side, the left one primary.
std::unique_ptr<XvfbServer> StartScreen(Desktop desktop, std::string& errors) {
  if (desktop == Desktop::OneMonitor) return std::make_unique<XvfbServer>(1024, 768);
  auto server = std::make_unique<XvfbServer>(1600, 600);
  if (!server->Name().empty()) {
    errors = server->SetMonitors({{"*left", "800/211x600/158+0+0", "screen"},
                                  {"right", "800/211x600/158+800+0", "none"}});
  }
  return server;
}

class PointerOnScreen : public HostedDriver, public ::testing::WithParamInterface<Placement> {
 protected:
  void SetUp() override {
    HostedDriver::SetUp();
    const Placement& placement = GetParam();
    std::string monitorErrors;
    server_ = StartScreen(placement.Screens, monitorErrors);
    ASSERT_FALSE(server_->Name().empty()) << "Xvfb could not be started";
    ASSERT_EQ(monitorErrors, "");
    setenv("DISPLAY", server_->Name().c_str(), 1);
    display_ = XOpenDisplay(server_->Name().c_str());
    ASSERT_NE(display_, nullptr);

    const std::string host = R"(Software\QVTouch)";
    qvtouch::testing::SetStoreString(HKEY_LOCAL_MACHINE, host, "PointerSink",
                                     "xtest,recorder:" + PointerLog().string());
    const std::string parameters = R"(System\CurrentControlSet\Services\QVTouch\Parameters)";
    for (const auto& [name, value] :
         {std::pair{"Xc", 2048u}, {"XL", 3800u}, {"Yc", 2048u}, {"YL", 3800u},
          {"ScreenPost", placement.ScreenPost}, {"Shp", placement.Shp}, {"Shs", placement.Shs},
          {"Svp", placement.Svp}, {"Svs", placement.Svs}}) {
      qvtouch::testing::SetStoreDword(HKEY_LOCAL_MACHINE, parameters, name, value);
    }
    Plug();
    Start();
  }

  void TearDown() override {
    if (display_ != nullptr) XCloseDisplay(display_);
    HostedDriver::TearDown();
    server_.reset();
  }

  Pixel PointerPosition() {
    Window root = 0;
    Window child = 0;
    Pixel pixel{};
    int windowX = 0;
    int windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &pixel.X, &pixel.Y,
                  &windowX, &windowY, &mask);
    return pixel;
  }

  // A small window around the pixel that reports the button presses and releases it gets.
  Window TargetAround(Pixel pixel) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = ButtonPressMask | ButtonReleaseMask;
    const Window window = XCreateWindow(
        display_, DefaultRootWindow(display_), std::max(0, pixel.X - 10), std::max(0, pixel.Y - 10),
        20, 20, 0, CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWEventMask,
        &attributes);
    XMapRaised(display_, window);
    XSync(display_, False);
    return window;
  }

  // The next button event the window got, waiting for a bounded time.
  std::optional<XButtonEvent> NextButtonEvent() {
    XEvent event{};
    const bool arrived = WaitUntil([&] {
      return XCheckMaskEvent(display_, ButtonPressMask | ButtonReleaseMask, &event) == True;
    });
    if (!arrived) return std::nullopt;
    return event.xbutton;
  }

  std::unique_ptr<XvfbServer> server_;
  Display* display_ = nullptr;
};

TEST_P(PointerOnScreen, ATapMovesThePointerThereAndClicksTheWindowUnderIt) {
  const Placement& placement = GetParam();
  const Window target = TargetAround(placement.Expected);
  controller_->Send(sim::TouchScript().Tap({placement.RawX, placement.RawY}).Stream());

  const std::optional<XButtonEvent> press = NextButtonEvent();
  ASSERT_TRUE(press);
  EXPECT_EQ(press->type, ButtonPress);
  EXPECT_EQ(press->button, 1u);
  EXPECT_EQ(press->window, target);
  const std::optional<XButtonEvent> release = NextButtonEvent();
  ASSERT_TRUE(release);
  EXPECT_EQ(release->type, ButtonRelease);
  EXPECT_EQ((Pixel{press->x_root, press->y_root}), placement.Expected);
  EXPECT_TRUE(WaitUntil([&] { return PointerPosition() == placement.Expected; }))
      << "the pointer is at " << PointerPosition().X << "," << PointerPosition().Y;
}

// A calibration of 3800 raw units around 2048: raw 148 is one edge, 2048 the middle, 3948 the
// other edge of the area the placement gives the touch screen.
INSTANTIATE_TEST_SUITE_P(
    Placements, PointerOnScreen,
    ::testing::Values(
        Placement{"single_centre", Desktop::OneMonitor, 16, 2, 2, 2, 2, 2048, 2048, {512, 384}},
        Placement{"single_corner", Desktop::OneMonitor, 16, 2, 2, 2, 2, 148, 3948, {0, 767}},
        Placement{"primary_only", Desktop::TwoMonitors, 16, 2, 2, 2, 2, 2048, 2048, {400, 300}},
        Placement{"stretched_left", Desktop::TwoMonitors, 17, 2, 2, 2, 2, 2048, 2048, {400, 300}},
        Placement{"stretched_left_corner", Desktop::TwoMonitors, 17, 2, 2, 2, 2, 148, 148, {0, 0}},
        Placement{"stretched_right", Desktop::TwoMonitors, 18, 2, 2, 2, 2, 2048, 2048, {1200, 300}},
        Placement{"stretched_right_corner", Desktop::TwoMonitors, 18, 2, 2, 2, 2, 3948, 3948,
                  {1599, 599}},
        Placement{"primary", Desktop::TwoMonitors, 37, 2048, 2048, 4096, 4096, 2048, 2048,
                  {400, 300}},
        Placement{"secondary", Desktop::TwoMonitors, 38, 2048, 2048, 4096, 4096, 2048, 2048,
                  {1200, 300}},
        Placement{"secondary_corner", Desktop::TwoMonitors, 38, 2048, 2048, 4096, 4096, 148, 148,
                  {800, 0}}),
    [](const ::testing::TestParamInfo<Placement>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace qvtouch::platform
