// The settings dialog: its sheet of six pages over the frame, and its place on the desktop by the
// hardware device's placement code.
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "common/screen_post.h"
#include "cpl/quvo_dlg1.h"
#include "cpl/resource.h"
#include "platform/ui/dialog_units.h"
#include "tests/cpl/cpl_test_support.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::cpl {
namespace {

using ui::testing::Child;
using ui::testing::SheetPages;
using ui::testing::SheetTabs;
using ui::testing::WhenModal;

const bool kApplication = ui::testing::UseQtApplication();

class SettingsDialog : public testing::StoreTest {};

TEST_F(SettingsDialog, HoldsTheSixPagesInOrderOverTheFrameOpenOnCalibration) {
  QUvoDlg1 dialog(nullptr);
  WhenModal([&dialog](QWidget& window) {
    EXPECT_EQ(window.windowTitle(), "TouchScreen Control Panel");
    const QStackedWidget& pages = SheetPages(window);
    ASSERT_EQ(pages.count(), 6);
    QStringList captions;
    for (int i = 0; i < pages.count(); ++i) captions << SheetTabs(window).TabText(i);
    EXPECT_EQ(captions, QStringList({"Calibration", "Sound setting", "Mouse setting",
                                     "COM port select ", "Screen Placement", " About"}));
    EXPECT_EQ(pages.currentIndex(), 0);
    EXPECT_EQ(SheetTabs(window).Current(), 0);
    const QWidget& sheet = *pages.parentWidget();
    EXPECT_TRUE(sheet.focusPolicy() & Qt::TabFocus);
    const QRect frame = Child<QWidget>(window, IDC_SHEET_FRAME)->geometry();
    EXPECT_EQ(sheet.pos(), frame.topLeft() + QPoint(10, -7));
    EXPECT_TRUE(window.rect().contains(sheet.geometry())) << "the sheet is shown whole";
    const QRect ok = Child<QPushButton>(window, IDOK)->geometry();
    EXPECT_FALSE(ok.intersects(sheet.geometry())) << "OK stays below the sheet";
    EXPECT_TRUE(Child<QPushButton>(window, IDOK)->isDefault());
    dialog.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(SettingsDialog, StaysWhereThePlatformPutsItWithoutTheHardwareDevice) {
  QUvoDlg1 dialog(nullptr);
  WhenModal([&dialog](QWidget& window) {
    EXPECT_FALSE(window.testAttribute(Qt::WA_Moved));
    dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal();
}

TEST_F(SettingsDialog, GoesWhereTheHardwareDevicesPlacementCodeSays) {
  testing::RecordingDevice hardware(R"(\??\qvhwtouch)");
  ASSERT_TRUE(hardware.Serving());
  const QSize desktop = QGuiApplication::primaryScreen()->geometry().size();
  const int w = desktop.width();
  const int h = desktop.height();
  struct Case {
    std::uint32_t Code;
    QPoint Position;
  };
  for (const Case& c :
       {Case{kScreenStretchedLeft, {w / 8, h / 4}}, Case{kScreenStretchedRight, {5 * w / 8, h / 4}},
        Case{kScreenStretchedTop, {w / 4, h / 8}}, Case{kScreenStretchedBottom, {w / 4, 5 * h / 8}},
        Case{kScreenSecondary, {5 * w / 4, h / 4}}}) {
    hardware.AnswerScreenPost(c.Code);
    QUvoDlg1 dialog(nullptr);
    WhenModal([&dialog, &c](QWidget& window) {
      EXPECT_EQ(window.pos(), c.Position) << c.Code;
      dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
  }
  for (const std::uint32_t unplaced : {0u, 16u, 37u, 21u}) {
    hardware.AnswerScreenPost(unplaced);
    QUvoDlg1 dialog(nullptr);
    WhenModal([&dialog, unplaced](QWidget& window) {
      EXPECT_FALSE(window.testAttribute(Qt::WA_Moved)) << unplaced;
      dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
  }
  EXPECT_EQ(hardware.Codes().size(), 9u) << "one placement request per opening";
}

}  // namespace
}  // namespace qvtouch::cpl
