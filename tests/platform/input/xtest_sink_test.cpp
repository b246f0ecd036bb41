// The XTest sink on a real X server: the test's own Xvfb with two 800x600 RandR monitors side by
// side on a 1600x600 screen, the right one primary.
#include "platform/input/xtest_sink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <array>
#include <chrono>
#include <optional>

#include "platform/input/screen_area.h"
#include "platform/input/sink_error.h"
#include "tests/support/xvfb_server.h"

// After the test framework, whose names Xlib's macros (None, Bool) would replace.
#include <X11/Xlib.h>

namespace qvtouch::platform {
namespace {

using qvtouch::testing::XvfbServer;

constexpr std::chrono::seconds kEventPatience{10};

MOUSE_INPUT_DATA Record(std::uint16_t flags, std::uint16_t buttons, std::int32_t x = 0,
                        std::int32_t y = 0) {
  MOUSE_INPUT_DATA record;
  record.Flags = flags;
  record.ButtonFlags = buttons;
  record.LastX = x;
  record.LastY = y;
  return record;
}

class XTestSinkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server = std::make_unique<XvfbServer>(1600, 600);
    const std::string& name = server->Name();
    if (name.empty()) return;
    // The left monitor takes over the screen's one output; the right one has none.
    monitorErrors = server->SetMonitors({{"left", "800/211x600/158+0+0", "screen"},
                                         {"*right", "800/211x600/158+800+0", "none"}});
  }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    ASSERT_FALSE(server->Name().empty()) << "Xvfb could not be started";
    ASSERT_EQ(monitorErrors, "");
    display = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(display, nullptr);
    sink = OpenXTestSink(server->Name());
  }
  void TearDown() override {
    sink.reset();
    if (display != nullptr) XCloseDisplay(display);
  }

  ScreenPoint MoveTo(std::uint16_t flags, std::int32_t x, std::int32_t y) {
    sink->Deliver(Record(flags, 0, x, y));
    Window root = 0;
    Window child = 0;
    ScreenPoint point;
    int windowX = 0;
    int windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &point.X, &point.Y, &windowX,
                  &windowY, &mask);
    return point;
  }

  // The next button event on the test's connection; nullopt when none comes in time.
  std::optional<XButtonEvent> NextButtonEvent() {
    const auto deadline = std::chrono::steady_clock::now() + kEventPatience;
    while (std::chrono::steady_clock::now() < deadline) {
      while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ButtonPress || event.type == ButtonRelease) return event.xbutton;
      }
      pollfd connection{ConnectionNumber(display), POLLIN, 0};
      ::poll(&connection, 1, 100);
    }
    return std::nullopt;
  }

  static inline std::unique_ptr<XvfbServer> server;
  static inline std::string monitorErrors;
  Display* display = nullptr;
  std::unique_ptr<PointerSink> sink;
};

TEST_F(XTestSinkTest, AbsoluteMovesLandOnThePrimaryMonitor) {
  constexpr std::uint16_t kPrimary = MOUSE_MOVE_ABSOLUTE;
  EXPECT_EQ(MoveTo(kPrimary, 0, 0), (ScreenPoint{800, 0}));
  EXPECT_EQ(MoveTo(kPrimary, 32768, 32768), (ScreenPoint{1200, 300}));
  EXPECT_EQ(MoveTo(kPrimary, 16384, 49152), (ScreenPoint{1000, 450}));
  EXPECT_EQ(MoveTo(kPrimary, 65536, 65536), (ScreenPoint{1599, 599}));
  EXPECT_EQ(MoveTo(kPrimary, -2552, 68071), (ScreenPoint{800, 599}));
}

TEST_F(XTestSinkTest, VirtualDesktopMovesSpanAllMonitors) {
  constexpr std::uint16_t kDesktop = MOUSE_MOVE_ABSOLUTE | MOUSE_VIRTUAL_DESKTOP;
  EXPECT_EQ(MoveTo(kDesktop, 0, 0), (ScreenPoint{0, 0}));
  EXPECT_EQ(MoveTo(kDesktop, 16384, 32768), (ScreenPoint{400, 300}));
  EXPECT_EQ(MoveTo(kDesktop, 32768, 65536), (ScreenPoint{800, 599}));
  EXPECT_EQ(MoveTo(kDesktop, 65536, 0), (ScreenPoint{1599, 0}));
}

TEST_F(XTestSinkTest, ButtonsPressAndReleaseInAWindow) {
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  const Window window =
      XCreateWindow(display, DefaultRootWindow(display), 0, 0, 1600, 600, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
  XSelectInput(display, window, ButtonPressMask | ButtonReleaseMask);
  XMapRaised(display, window);
  XSync(display, False);

  // A move and a press in one record: the press happens at the new position.
  sink->Deliver(Record(MOUSE_MOVE_ABSOLUTE, MOUSE_LEFT_BUTTON_DOWN, 32768, 32768));
  sink->Deliver(Record(0, MOUSE_LEFT_BUTTON_UP));
  sink->Deliver(Record(0, MOUSE_RIGHT_BUTTON_DOWN | MOUSE_RIGHT_BUTTON_UP));

  struct Expected {
    int Type;
    unsigned Button;
  };
  for (const Expected expected : {Expected{ButtonPress, 1}, Expected{ButtonRelease, 1},
                                  Expected{ButtonPress, 3}, Expected{ButtonRelease, 3}}) {
    const std::optional<XButtonEvent> event = NextButtonEvent();
    ASSERT_TRUE(event.has_value()) << "no event of button " << expected.Button;
    EXPECT_EQ(event->type, expected.Type);
    EXPECT_EQ(event->button, expected.Button);
    EXPECT_EQ(event->window, window);
    EXPECT_EQ((ScreenPoint{event->x_root, event->y_root}), (ScreenPoint{1200, 300}));
  }
  XDestroyWindow(display, window);
}

TEST(XTestSink, ADisplayThatDoesNotAnswerGetsAnErrorNamingIt) {
  const std::string unused = qvtouch::testing::UnusedDisplayName();
  EXPECT_THAT([&] { OpenXTestSink(unused); },
              ::testing::ThrowsMessage<SinkError>(
                  ::testing::HasSubstr("X display " + unused + " does not answer")));
}

}  // namespace
}  // namespace qvtouch::platform
