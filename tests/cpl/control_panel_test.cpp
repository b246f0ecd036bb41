// The applet's entry point and its one item: the CPL_ messages and their results, the item's
// record, and an opening from the driver check to the reload request.
#include <QIcon>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cstring>

#include "common/request_codes.h"
#include "cpl/quvo_panel.h"
#include "cpl/resource.h"
#include "tests/cpl/cpl_test_support.h"
#include "tests/platform/ui/qt_test_support.h"

namespace qvtouch::cpl {
namespace {

using testing::RecordingDevice;
using testing::SetMouseText;
using testing::SetParameter;
using testing::StoredParameter;
using ui::testing::Child;
using ui::testing::MessageBoxCloser;
using ui::testing::SheetPages;
using ui::testing::WhenModal;

const bool kApplication = ui::testing::UseQtApplication();

TEST(CPlApplet, AnswersEachMessageAsTheAppletDoes) {
  CQuvoPanel panel;  // constructed last: the one CPlApplet forwards to
  EXPECT_EQ(CPlApplet(nullptr, CPL_INIT, 0, 0), 1);
  EXPECT_EQ(CPlApplet(nullptr, CPL_GETCOUNT, 0, 0), 1);
  CPLINFO info{7, 8, 9, 10};
  EXPECT_EQ(CPlApplet(nullptr, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.idIcon, 7);
  EXPECT_EQ(info.lData, 10) << "the record is left untouched";
  EXPECT_EQ(CPlApplet(nullptr, CPL_SELECT, 0, 0), 1);
  EXPECT_EQ(CPlApplet(nullptr, CPL_STOP, 0, 0), 1);
  EXPECT_EQ(CPlApplet(nullptr, CPL_EXIT, 0, 0), 0);
  EXPECT_EQ(CPlApplet(nullptr, 0, 0, 0), 1);
  EXPECT_EQ(CPlApplet(nullptr, 11, 0, 0), 1);
  // Started for this applet, the host opens the item only when its parameters are not handled.
  EXPECT_EQ(CPlApplet(nullptr, CPL_STARTWPARMSA, 0, 0), 0);
  EXPECT_EQ(CPlApplet(nullptr, CPL_STARTWPARMSW, 0, 0), 0);
  EXPECT_EQ(CPlApplet(nullptr, CPL_NEWINQUIRE, 0, 0), 1) << "no record to fill";
}

TEST(CPlApplet, NewInquireDescribesTheItemWithItsIcon) {
  CQuvoPanel panel;
  NEWCPLINFO info;
  std::memset(&info, 0x55, sizeof info);
  EXPECT_EQ(CPlApplet(nullptr, CPL_NEWINQUIRE, 3, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.dwSize, sizeof(NEWCPLINFO));
  EXPECT_EQ(info.dwFlags, 0u);
  EXPECT_EQ(info.dwHelpContext, 0u);
  EXPECT_EQ(info.lData, 0);
  EXPECT_STREQ(info.szName, "QVTouch Settings");
  EXPECT_STREQ(info.szInfo, "QVTouch ControlPanel");
  EXPECT_STREQ(info.szHelpFile, "");
  ASSERT_NE(info.hIcon, nullptr);
  EXPECT_TRUE(info.hIcon->availableSizes().contains(QSize(32, 32)));
}

TEST(CPlApplet, TheBaseFrameDescribesARawAppletAndOpensNothing) {
  CControlPanel frame;
  NEWCPLINFO info{};
  EXPECT_EQ(CPlApplet(nullptr, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_STREQ(info.szName, "Applet");
  EXPECT_STREQ(info.szInfo, "Raw Cpl Applet");
  EXPECT_EQ(info.hIcon, nullptr) << "this applet has no icon resource 1";
  EXPECT_EQ(CPlApplet(nullptr, CPL_DBLCLK, 0, 0), 0);
}

class Opening : public testing::StoreTest {
 protected:
  Opening() {
    SetParameter("BeepMode", 1);
    SetParameter("BeepFreq1", 3000);
    SetParameter("BeepTime1", 100);
    SetParameter("BeepFreq2", 1234);
    SetParameter("BeepTime2", 99);
    SetParameter("Port", 2);
    SetMouseText("DoubleClickSpeed", "500");
    SetMouseText("DoubleClickHeight", "30");
  }

  CQuvoPanel panel_;
};

TEST_F(Opening, WithoutTheDriverSaysDriverIsNotInstalledAndDoesNothingElse) {
  testing::DeleteParametersKey();
  const MessageBoxCloser closer;
  QWidget controlPanel;
  EXPECT_EQ(CPlApplet(&controlPanel, CPL_DBLCLK, 0, 0), 0);
  ASSERT_EQ(closer.Seen().size(), 1u) << "no registry access: no Read registry failed";
  EXPECT_EQ(closer.Seen()[0].Text, "Driver is not installed!");
  EXPECT_EQ(closer.Seen()[0].Caption, "Error");
  EXPECT_EQ(closer.Seen()[0].Icon, QMessageBox::Critical);
  EXPECT_TRUE(closer.Seen()[0].Owned) << "owned by the Control Panel's window";
  EXPECT_EQ(panel_.DeviceHandle, nullptr);
}

TEST_F(Opening, CancelSavesNothingButTheDriverReloadsOnce) {
  RecordingDevice device;
  ASSERT_TRUE(device.Serving());
  WhenModal([](QWidget& dialog) {
    ui::testing::ClickTab(dialog, 1);
    QTest::keyClick(Child<QSlider>(*SheetPages(dialog).widget(1), IDC_BEEP_TONE), Qt::Key_End);
    QTest::mouseClick(Child<QPushButton>(dialog, IDCANCEL), Qt::LeftButton);
  });
  EXPECT_EQ(panel_.OnDblclk(nullptr, 0, 0), 0);
  EXPECT_EQ(device.Codes(), std::vector<std::uint32_t>{IOCTL_TOUCH_RELOAD_SETTINGS});
  EXPECT_EQ(StoredParameter("BeepFreq1"), 3000u);
  EXPECT_EQ(StoredParameter("BeepFreq2"), 1234u);
  EXPECT_EQ(panel_.DeviceHandle, nullptr) << "closed after the opening";
}

TEST_F(Opening, OkSavesWithTheSecondBeepPairFollowingTheFirstThenTheDriverReloads) {
  RecordingDevice device;
  WhenModal([](QWidget& dialog) {
    ui::testing::ClickTab(dialog, 1);
    QTest::keyClick(Child<QSlider>(*SheetPages(dialog).widget(1), IDC_DURATION), Qt::Key_End);
    QTest::mouseClick(Child<QPushButton>(dialog, IDOK), Qt::LeftButton);
  });
  panel_.OnDblclk(nullptr, 0, 0);
  EXPECT_EQ(StoredParameter("BeepFreq1"), 3000u);
  EXPECT_EQ(StoredParameter("BeepFreq2"), 3000u);
  EXPECT_EQ(StoredParameter("BeepTime1"), 750u);
  EXPECT_EQ(StoredParameter("BeepTime2"), 750u);
  EXPECT_EQ(StoredParameter("Port"), 2u) << "the page never shown gives back what it got";
  EXPECT_EQ(testing::StoredMouseBytes("DoubleClickHeight"), std::string("30\0", 3));
  EXPECT_EQ(device.Codes(), std::vector<std::uint32_t>{IOCTL_TOUCH_RELOAD_SETTINGS});
  EXPECT_EQ(panel_.BeepTime2, 750u);
}

TEST_F(Opening, TheRecordKeepsItsValuesForTheNextOpening) {
  RecordingDevice device;
  WhenModal([](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
  panel_.OnDblclk(nullptr, 0, 0);
  testing::DeleteParameter("BeepFreq1");
  testing::DeleteMouseValue("DoubleClickSpeed");
  int shownFrequency = 0;
  WhenModal([&shownFrequency](QWidget& dialog) {
    ui::testing::ClickTab(dialog, 1);
    shownFrequency = Child<QSlider>(*SheetPages(dialog).widget(1), IDC_BEEP_TONE)->value();
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  panel_.OnDblclk(nullptr, 0, 0);
  EXPECT_EQ(shownFrequency, 3000);
  EXPECT_EQ(panel_.DoubleClickSpeed, 500);
}

}  // namespace
}  // namespace qvtouch::cpl
