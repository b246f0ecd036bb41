// Message boxes: caption, text and icon as given, the platform's default caption, and the
// application's name as a window's caption.
#include <gtest/gtest.h>

#include "platform/ui/message_box.h"
#include "platform/ui/win_app.h"
#include "platform/ui/wnd.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::ui {
namespace {

using testing::MessageBoxCloser;

const bool kApplication = testing::UseQtApplication();

TEST(MessageBox, ShowsTextCaptionAndIconUntilTheUserClosesIt) {
  const MessageBoxCloser closer;
  EXPECT_EQ(MessageBoxA(nullptr, "Read registry failed", "Error", MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "plain", nullptr, MB_OK), IDOK);
  ASSERT_EQ(closer.Seen().size(), 2u);
  EXPECT_EQ(closer.Seen()[0].Text, "Read registry failed");
  EXPECT_EQ(closer.Seen()[0].Caption, "Error");
  EXPECT_EQ(closer.Seen()[0].Icon, QMessageBox::Critical);
  EXPECT_FALSE(closer.Seen()[0].Owned);
  EXPECT_EQ(closer.Seen()[1].Caption, "Error") << "the platform's caption when none is given";
  EXPECT_EQ(closer.Seen()[1].Icon, QMessageBox::NoIcon);
}

TEST(MessageBox, OfAWindowIsOwnedByItAndCaptionedWithTheApplicationsName) {
  QWidget owner;
  CWnd window;
  window.Attach(&owner);
  {
    const MessageBoxCloser closer;
    window.MessageBox("without an application object");
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_TRUE(closer.Seen()[0].Owned);
    EXPECT_EQ(closer.Seen()[0].Caption, "ui_test") << "the module's name: this test program";
  }
  const CWinApp application("Named");
  const MessageBoxCloser closer;
  window.MessageBox("with one");
  ASSERT_EQ(closer.Seen().size(), 1u);
  EXPECT_EQ(closer.Seen()[0].Caption, "Named");
}

}  // namespace
}  // namespace qvtouch::ui
